#include "hud/hud_root.h"

#include <algorithm>
#include <cmath>

#include "core/process_state.h"
#include "globe/image/image_texture.h"
#include "hud/colour_editor.h"
#include "platform/gfx/overlay_state_guard.h"
#include "platform/io/byte_io.h"
#include "settings/option_block.h"

namespace tnx::hud {

HudRoot::HudRoot(float fov, int32_t width, int32_t height, const text::TextureFont* font,
                 const camera::MouseStateTracker& tracker)
    : font_(font), tracker_(tracker) {
    setViewport(fov, width, height);
    for (int i = 0; i < kIndexQuads; ++i) {
        const uint16_t b = uint16_t(4 * i);
        const uint16_t quad[6] = {b, uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 3)};
        std::copy(quad, quad + 6, indices_.begin() + 6 * i);
    }
    elements_.reserve(kCapacity);
    zOrder_.reserve(kCapacity);
}

HudRoot::~HudRoot() = default;

bool HudRoot::hudShown() { return settings::optionBlock().on(settings::OptionBlock::kHudShown); }

void HudRoot::setViewport(float fov, int32_t width, int32_t height) {
    fov_ = fov;
    width = std::max(width, 2);
    height = std::max(height, 2);
    halfWidth_ = width / 2;
    halfHeight_ = height / 2;
    X_ = std::tan(fov / 2);
    Y_ = X_ * float(height) / float(width);
    s_ = X_ / (float(width) / 2);
}

void HudRoot::resize(gfx::Device& device, float fov) {
    const gfx::Viewport& vp = device.viewport();
    setViewport(fov, int32_t(vp.width), int32_t(vp.height));
    pixelRatio_ = std::max(device.presentParameters().pixelRatio, 0.01f);
    buttonTexture_ = globe::ImageTexture(device).loadAlphaTexture(kButtonImageName, 1, gfx::Format::A4R4G4B4, true);
    // A smaller window must not leave elements where they cannot be reached.
    for (auto& e : elements_) e->keepInView(X_, Y_);
}

void HudRoot::invalidate() { buttonTexture_.reset(); }

int HudRoot::add(std::unique_ptr<HudElement> element) {
    if (!element || count() >= kCapacity) return -1;
    element->attach(this);
    zOrder_.push_back(element.get());
    elements_.push_back(std::move(element));
    return count() - 1;
}

void HudRoot::setTile(int index, int column, int row) {
    if (HudElement* e = element(index)) e->setTile(column, row);
}

HudElement* HudRoot::element(int i) const { return i >= 0 && i < count() ? elements_[size_t(i)].get() : nullptr; }
HudElement* HudRoot::atZ(int p) const { return p >= 0 && p < int(zOrder_.size()) ? zOrder_[size_t(p)] : nullptr; }

HudElement* HudRoot::findById(int32_t id) const {
    for (const auto& e : elements_)
        if (e->id() == id) return e.get();
    return nullptr;
}

int HudRoot::zPosition(const HudElement* e) const {
    auto it = std::find(zOrder_.begin(), zOrder_.end(), e);
    return it == zOrder_.end() ? -1 : int(it - zOrder_.begin());
}

void HudRoot::removeAllWithId(int32_t id) {
    HudElement* capturedElement = atZ(captured_);
    HudElement* hoveredElement = atZ(hovered_);
    std::vector<HudElement*> gone;
    for (const auto& e : elements_)
        if (e->id() == id) gone.push_back(e.get());
    // An editor of a removed element goes with it.
    for (const auto& e : elements_)
        if (e->isColourEditor() && std::find(gone.begin(), gone.end(), static_cast<ColourEditor*>(e.get())->owner()) != gone.end())
            gone.push_back(e.get());
    if (gone.empty()) return;
    auto isGone = [&](const HudElement* e) { return std::find(gone.begin(), gone.end(), e) != gone.end(); };
    zOrder_.erase(std::remove_if(zOrder_.begin(), zOrder_.end(), isGone), zOrder_.end());
    elements_.erase(std::remove_if(elements_.begin(), elements_.end(),
                                   [&](const std::unique_ptr<HudElement>& e) { return isGone(e.get()); }),
                    elements_.end());
    captured_ = isGone(capturedElement) ? -1 : zPosition(capturedElement);
    hovered_ = isGone(hoveredElement) ? -1 : zPosition(hoveredElement);
}

void HudRoot::openColourEditor(std::span<uint32_t* const> colours, HudElement* owner) {
    if (owner && owner->isColourEditor()) return;
    removeAllWithId(kColourEditorId);
    auto editor = std::make_unique<ColourEditor>(colours, owner);
    ColourEditor* e = editor.get();
    if (add(std::move(editor)) < 0) return;
    e->build();
    // Near enough to read its sliders, with its corner at the pointer.
    const float z = ColourEditor::kDepth;
    e->placeAt(mx_ * z, my_ * z, z);
    e->keepInView(X_, Y_);
    const int p = zPosition(e);
    HudElement* capturedElement = atZ(captured_);
    HudElement* hoveredElement = atZ(hovered_);
    std::rotate(zOrder_.begin(), zOrder_.begin() + p, zOrder_.begin() + p + 1);
    captured_ = zPosition(capturedElement);
    hovered_ = zPosition(hoveredElement);
}

void HudRoot::raise(const HudElement* element) {
    const int p = zPosition(element);
    if (p < 0) return;
    HudElement* capturedElement = atZ(captured_);
    HudElement* hoveredElement = atZ(hovered_);
    bringToFront(p);
    captured_ = zPosition(capturedElement);
    hovered_ = zPosition(hoveredElement);
}

void HudRoot::removeClosedEditors() {
    for (const auto& e : elements_)
        if (e->isColourEditor() && static_cast<ColourEditor*>(e.get())->closeRequested()) {
            removeAllWithId(kColourEditorId);
            return;
        }
}

void HudRoot::bringToFront(int position) {
    HudElement* target = zOrder_[size_t(position)];
    const int front = (!target->isColourEditor() && !zOrder_.empty() && zOrder_[0]->isColourEditor()) ? 1 : 0;
    if (position > front) std::rotate(zOrder_.begin() + front, zOrder_.begin() + position, zOrder_.begin() + position + 1);
}

bool HudRoot::mouse(const win::Message& m) {
    if (app::isFullScreenSaver()) return false;
    if (m.id < win::kWmMouseMove || m.id > win::kWmMouseWheel) return false;
    const int px = win::xFromLParam(m.lParam), py = win::yFromLParam(m.lParam);
    mx_ = s_ * float(px - halfWidth_);
    my_ = s_ * float(halfHeight_ - py);

    HudElement* target = atZ(captured_);
    if (!target) {
        for (HudElement* e : zOrder_) {
            if (!target && e->hitTest(mx_, my_)) target = e;
            else if (target) e->setFlags(e->flags() & ~HudElement::kHover);  // hidden behind the one hit
        }
    }
    if (!target) {
        hovered_ = -1;
        captured_ = -1;
        return false;
    }
    bringToFront(zPosition(target));
    hovered_ = zPosition(target);
    const bool capture = target->mouse(m);
    captured_ = capture ? zPosition(target) : -1;
    removeClosedEditors();
    hovered_ = zPosition(target);
    return true;  // whatever lies over an element is the HUD's
}

void HudRoot::update(float) {
    const bool shown = hudShown() && !app::isFullScreenSaver();
    app::OverlayArea area;
    bool known = true;
    for (auto& e : elements_) {
        const bool ticked = e->tick();
        if (!ticked && !e->animating() && e->glow() <= 0) continue;
        if (!shown || !e->visible()) continue;
        // Where it was drawn and where it is now: text may shrink, and a
        // gliding element leaves its old place.
        known = known && e->addCoverage(s_, halfWidth_, halfHeight_, area);
        const app::OverlayArea& was = e->drawnCoverage();
        if (!was.empty()) area.add(was.left, was.top, was.right, was.bottom);
    }
    if (!known) area.addWhole();
    // A ticking clock or a fading glow changes only the HUD, and only there.
    if (!area.empty()) {
        app::OverlayArea& redraw = app::processState().overlayRedraw;
        if (area.whole) redraw.addWhole();
        else redraw.add(area.left, area.top, area.right, area.bottom);
    }
}

void HudRoot::draw(gfx::Device& device, float seconds, const app::OverlayArea* clip) {
    frameStep_ = HudElement::kAnimationStep;
    for (auto& e : elements_)
        if (e->animating()) e->animate(frameStep_);
    if (app::isFullScreenSaver() || !hudShown()) return;
    auto inverse = math::matrixInverse(device.transform(gfx::TransformType::View));
    inverseView_ = inverse ? *inverse : math::Matrix::identity();
    animationTime_ += seconds;

    gfx::OverlayStateGuard guard(device, true);
    // Elements are drawn back to front in their z-order, each over the last.
    device.setRenderState(gfx::RenderState::ZEnable, 0);
    device.setRenderState(gfx::RenderState::CullMode, gfx::kCullNone);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::kBlendSrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::kBlendInvSrcAlpha);
    device.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::kTopModulate);
    device.setVertexShader(gfx::kFvfPosDiffuseTex1);
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) {
        HudElement& e = **it;
        app::OverlayArea covered;
        const bool known = e.addCoverage(s_, halfWidth_, halfHeight_, covered);
        if (clip && !clip->whole && known &&
            (covered.right <= clip->left || covered.left >= clip->right || covered.bottom <= clip->top ||
             covered.top >= clip->bottom))
            continue;  // nothing of it is redrawn
        e.draw(device, seconds);
        e.setDrawnCoverage(covered);
    }
}

size_t HudRoot::writeRecord(std::vector<uint8_t>& out) {
    removeAllWithId(kColourEditorId);  // transient
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.u32(0);
    d.i32(int32_t(kRecordStamp));
    d.i32(0);
    d.i32(kCapacity);
    d.zeros(12);
    d.i32(count());
    d.zeros(8);
    d.i32(halfWidth_);
    d.i32(halfHeight_);
    d.u32(0);
    d.f32(s_);
    d.f32(frameStep_);
    d.f32(animationTime_);
    d.f32(mx_);
    d.f32(my_);
    for (float f : {X_, Y_, -X_, -Y_, 1.0f, 0.5f, 0.25f, 0.005f, 0.05f, 0.55f, 0.3f, 0.66f}) d.f32(f);
    d.i32(captured_);
    d.i32(hovered_);
    d.zeros(32);
    for (auto& e : elements_) e->writeRecord(out);
    return w.finish();
}

int HudRoot::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    auto stamp = settings::recordStamp(view);
    if (view.body.size() < kRecordFixedSize || !stamp || *stamp != kRecordStamp) return settings::kRecordNotMine;
    std::vector<std::span<const uint8_t>> children;
    settings::ChildRecords walk(view.body.subspan(kRecordFixedSize));
    while (auto c = walk.next()) children.push_back(*c);
    // Records are matched by element id, whatever their order; one of
    // another kind or a damaged one is passed over.
    for (auto& e : elements_) {
        if (e->isColourEditor()) continue;
        for (const auto& child : children)
            if (e->readRecord(child) == settings::kRecordApplied) {
                e->keepInView(X_, Y_);
                break;
            }
    }
    if (app::isFullScreenSaver())
        for (auto& e : elements_) e->show(0);
    return walk.overrun() ? settings::kRecordOverrun : settings::kRecordApplied;
}

}  // namespace tnx::hud
