#include "hud/list_panel.h"

#include <algorithm>
#include <cmath>

#include "hud/hud_root.h"
#include "platform/io/byte_io.h"

namespace tnx::hud {

namespace {
constexpr float kMaxSize = 100.0f;
}

ListPanel::ListPanel(int32_t id) : HudElement(id) {}

ListPanel::~ListPanel() = default;

ListDisplay& ListPanel::addDisplay() {
    parts_.push_back(std::make_unique<ListDisplay>());
    isSlider_.push_back(false);
    if (root_) parts_.back()->setFont(root_->font());
    return *parts_.back();
}

ListSlider& ListPanel::addSlider() {
    auto s = std::make_unique<ListSlider>();
    ListSlider& ref = *s;
    parts_.push_back(std::move(s));
    isSlider_.push_back(true);
    if (root_) ref.setFont(root_->font());
    return ref;
}

void ListPanel::attachParts() {
    for (auto& p : parts_) {
        p->setFont(root_ ? root_->font() : nullptr);
        p->rebuildAll();
    }
}

ListDisplay* ListPanel::part(int i) const { return i >= 0 && i < partCount() ? parts_[size_t(i)].get() : nullptr; }

ListSlider* ListPanel::slider(int i) const {
    return i >= 0 && i < partCount() && isSlider_[size_t(i)] ? static_cast<ListSlider*>(parts_[size_t(i)].get())
                                                             : nullptr;
}

int ListPanel::partAt(float lx, float ly) const {
    // Later parts lie over earlier ones.
    for (int i = partCount() - 1; i >= 0; --i)
        if (parts_[size_t(i)]->contains(lx, ly)) return i;
    return -1;
}

bool ListPanel::pointerLocal(float& lx, float& ly) const {
    if (!root_) return false;
    lx = root_->pointerX() * z_ - x_;
    ly = root_->pointerY() * z_ - y_;
    return true;
}

void ListPanel::buildFrame() {
    HudElement::buildFrame();
    for (size_t i = 0; i < parts_.size(); ++i) {
        parts_[i]->recolour();
        if (isSlider_[i]) static_cast<ListSlider*>(parts_[i].get())->knob().buildFrame();
    }
}

// --- mouse -------------------------------------------------------------------------

void ListPanel::leftButtonDown() {
    HudElement::leftButtonDown();
    float lx = 0, ly = 0;
    pressedPart_ = pointerLocal(lx, ly) ? partAt(lx, ly) : -1;
    sliderDrag_ = false;
    if (ListSlider* s = slider(pressedPart_)) {
        sliderDrag_ = true;
        // A free slider's knob jumps to where its track was pressed.
        if (!s->linked() && s->pickKnob(lx, ly) != 0) {
            s->setValue(s->valueAt(lx, ly));
            sliderMoved(pressedPart_);
        }
    }
}

void ListPanel::dragLeft(int dx, int dy) {
    ListSlider* s = sliderDrag_ ? slider(pressedPart_) : nullptr;
    if (!s || !root_) {
        HudElement::dragLeft(dx, dy);
        return;
    }
    flags_ |= kLeftDragged;
    const float unit = root_->pixelScale() * z_;
    s->dragBy(s->vertical() ? float(dy) * unit : float(dx) * unit);
    if (!s->linked()) sliderMoved(pressedPart_);
}

void ListPanel::leftButtonUp() {
    const bool dragged = (flags_ & (kLeftDragged | kRightDragged)) != 0;
    flags_ &= ~(kLeftDown | kLeftDragged);
    animating_ = 1;
    const int part = pressedPart_;
    pressedPart_ = -1;
    sliderDrag_ = false;
    float lx = 0, ly = 0;
    if (dragged || part < 0 || !pointerLocal(lx, ly) || partAt(lx, ly) != part) return;
    if (ListSlider* s = slider(part)) {
        if (s->linked()) s->page(s->pickKnob(lx, ly));
        return;
    }
    partClicked(part, lx, ly);
}

void ListPanel::rightButtonUp() {
    const bool dragged = (flags_ & (kLeftDragged | kRightDragged)) != 0;
    flags_ &= ~(kRightDown | kRightDragged);
    animating_ = 1;
    float lx = 0, ly = 0;
    if (dragged || !root_ || !pointerLocal(lx, ly)) return;
    const int p = partAt(lx, ly);
    if (ListSlider* s = slider(p)) {
        const bool onKnob = lx >= s->knobX() && lx <= s->knobX() + s->knobSize() && ly <= s->knobY() &&
                            ly >= s->knobY() - s->knobSize();
        if (onKnob) {
            auto c = s->knobColourLocations();
            root_->openColourEditor(c, this);
        } else {
            auto c = s->columnColourLocations(0);
            root_->openColourEditor(std::span<uint32_t* const>(c.data(), 2), this);
        }
    } else if (ListDisplay* d = part(p)) {
        const ListDisplay::Pick pick = d->pick(lx, ly);
        auto c = d->columnColourLocations(std::max(pick.column, 0));
        root_->openColourEditor(c, this);
    } else {
        auto c = colourLocations();
        root_->openColourEditor(c, this);
    }
}

// --- placement and drawing -------------------------------------------------------------

void ListPanel::keepInView(float X, float Y) {
    const float z = tz_;
    tx_ = std::max(-X * z - 0.9f * width_, std::min(tx_, X * z - 0.1f * width_));
    ty_ = std::min(Y * z + 0.9f * height_, std::max(ty_, 0.1f * height_ - Y * z));
    animating_ = 1;
}

bool ListPanel::tick() {
    bool changed = false;
    for (size_t i = 0; i < parts_.size(); ++i) {
        changed |= parts_[i]->refreshIfChanged();
        if (isSlider_[i]) {
            auto* s = static_cast<ListSlider*>(parts_[i].get());
            const float before = s->value();
            if (s->linked()) s->syncFromDisplay();
            changed |= s->value() != before;
        }
    }
    return changed && visible();
}

void ListPanel::draw(gfx::Device& device, float seconds) {
    if (!visible() || !root_) return;
    const math::Matrix& inverse = root_->inverseView();
    device.setTransform(gfx::TransformType::World, math::matrixTranslation(x_, y_, z_) * inverse);
    drawGeometry(device);
    if ((flags_ & kHover) || glow_ > 0) drawGlow(device, seconds);
    const uint16_t* indices = root_->indexTable();
    for (auto& p : parts_) p->drawFaces(device, inverse, x_, y_, z_, indices);
    bindTexture(device, kFontTexture);
    for (auto& p : parts_) p->drawGlyphs(device, inverse, x_, y_, z_, indices);
    for (size_t i = 0; i < parts_.size(); ++i)
        if (isSlider_[i]) static_cast<ListSlider*>(parts_[i].get())->drawKnob(device, seconds, x_, y_, z_);
}

// --- record ----------------------------------------------------------------------------

size_t ListPanel::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.i32(id_);
    d.i32(ownerData_);
    d.u32(flags_);
    for (float f : {tx_, ty_, tz_, width_, height_}) d.f32(f);
    for (uint32_t c : {faceTop_, faceBottom_, textColour_, frameColour_}) d.u32(c);
    for (auto& p : parts_) w.child(p.get());
    return w.finish();
}

int ListPanel::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    const int opened = settings::openRecord(record, kRecordName, view);
    if (opened != settings::kRecordApplied) return opened;
    if (view.body.size() < kRecordFixedSize) return settings::kRecordNotMine;
    io::ByteReader r(view.body.first(kRecordFixedSize));
    const int32_t id = r.i32();
    const int32_t owner = r.i32();
    const uint32_t flags = r.u32();
    const float tx = r.f32(), ty = r.f32(), tz = r.f32(), w = r.f32(), h = r.f32();
    uint32_t colours[4];
    for (auto& c : colours) c = r.u32();
    if (!r.ok() || id != id_) return settings::kRecordNotMine;
    for (float f : {tx, ty, tz, w, h})
        if (!std::isfinite(f)) return settings::kRecordNotMine;
    if (w <= 0 || h <= 0 || w > kMaxSize || h > kMaxSize || tz <= 0) return settings::kRecordNotMine;

    ownerData_ = owner;
    // Whether a browser shows is the option block's business (the button
    // bar's record applies it, before or after this one): only the toggle
    // state comes from here.
    flags_ = (flags & kToggled) | (flags_ & kShown) | kEnabled;
    faceTop_ = colours[0], faceBottom_ = colours[1], textColour_ = colours[2], frameColour_ = colours[3];
    const bool resized = w != width_ || h != height_;
    width_ = w;
    height_ = h;
    if (resized) layoutParts();
    placeAt(tx, ty, std::clamp(tz, minDepth(), maxDepth()));
    animating_ = 1;
    // The parts' records in part order; a missing or strange one leaves
    // that part's colours as they were.
    settings::ChildRecords children(view.body.subspan(kRecordFixedSize));
    for (auto& p : parts_) {
        auto child = children.next();
        if (!child) break;
        p->readRecord(*child);
    }
    buildFrame();
    return settings::kRecordApplied;
}

}  // namespace tnx::hud
