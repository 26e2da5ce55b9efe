#include "hud/colour_editor.h"

#include <algorithm>
#include <cmath>

#include "hud/hud_root.h"

namespace tnx::hud {

namespace {
constexpr float kMargin = 0.04f;
constexpr float kTitleGap = 0.04f;
constexpr const char* kChannelLetters[4] = {"A", "R", "G", "B"};
constexpr gfx::Color kChannelColours[4] = {0xFFC0C0C0, 0xFFFF5050, 0xFF50FF50, 0xFF5080FF};
constexpr gfx::Color kTrackColour = 0xC0303038;
constexpr gfx::Color kCloseColour = 0xC0604050;
constexpr int kShift[4] = {24, 16, 8, 0};

float rowTop(int row) { return -kMargin - float(row) * ColourEditor::kRowHeight; }
}  // namespace

ColourEditor::ColourEditor(std::span<uint32_t* const> colours, HudElement* owner) : HudElement(kId), owner_(owner) {
    for (uint32_t* c : colours)
        if (c && colours_.size() < size_t(kMaxColours)) colours_.push_back(c);
}

void ColourEditor::build() {
    const int rows = 4 * colourCount();
    const float h = kMargin + float(rows) * kRowHeight + kTitleGap + kRowHeight + kTitleGap + kMargin;
    init(kFontTexture, kWidth, h, 0, 40, 0xC0202830, 0xFFA0C0FF, 0xFFFFFFFF);
    // The labels: a letter per slider, then the title row.
    int used = 0;
    float w = 0;
    for (int r = 0; r < rows; ++r) {
        const int n = layoutLine(kChannelLetters[r % 4], used, glyphCapacity_ - used, kRowHeight * 0.9f, w);
        shiftGlyphs(used, n, 0.26f, rowTop(r) - kRowHeight * 0.05f, 1);
        used += n;
    }
    const float titleTop = rowTop(rows) - kTitleGap;
    int n = layoutLine("Change Color", used, glyphCapacity_ - used, kRowHeight, w);
    shiftGlyphs(used, n, kMargin, titleTop, std::min(1.0f, 1.4f / std::max(w, 0.001f)));
    used += n;
    n = layoutLine("Close", used, glyphCapacity_ - used, kRowHeight, w);
    shiftGlyphs(used, n, sliderRight() - w, titleTop, 1);
    used += n;
    finishGlyphs(used);
    buildBars();
}

void ColourEditor::buildFrame() {
    HudElement::buildFrame();
    buildBars();
}

void ColourEditor::buildBars() {
    bars_.clear();
    auto quad = [&](float x0, float y0, float x1, float y1, gfx::Color c) {
        HudVertex v[4];
        quadGeometry(v, x0, y0, x1, y1, 0, c, c);
        bars_.insert(bars_.end(), v, v + 4);
    };
    for (int c = 0; c < colourCount(); ++c) {
        const float top = rowTop(4 * c) - 0.02f, bottom = rowTop(4 * c + 4) + 0.02f;
        quad(kMargin, top, 0.2f, bottom, *colours_[size_t(c)] | 0xFF000000u);
        for (int k = 0; k < 4; ++k) {
            const float t = rowTop(4 * c + k) - 0.025f, b = rowTop(4 * c + k + 1) + 0.025f;
            const float value = float((*colours_[size_t(c)] >> kShift[k]) & 0xFF) / 255.0f;
            quad(sliderLeft(), t, sliderRight(), b, kTrackColour);
            quad(sliderLeft(), t, sliderLeft() + value * (sliderRight() - sliderLeft()), b, kChannelColours[k]);
        }
    }
    const float titleTop = rowTop(4 * colourCount()) - kTitleGap;
    quad(sliderRight() - 0.5f, titleTop, sliderRight() + 0.02f, titleTop - kRowHeight, kCloseColour);
}

int ColourEditor::sliderAt(float lx, float ly) const {
    if (lx < sliderLeft() - 0.05f || lx > sliderRight() + 0.05f) return -1;
    const float row = (-kMargin - ly) / kRowHeight;
    if (row < 0 || row >= float(4 * colourCount())) return -1;
    return int(row);
}

bool ColourEditor::onClose(float lx, float ly) const {
    const float titleTop = rowTop(4 * colourCount()) - kTitleGap;
    return lx >= sliderRight() - 0.5f && lx <= sliderRight() + 0.02f && ly <= titleTop &&
           ly >= titleTop - kRowHeight;
}

void ColourEditor::setChannel(int colour, int channel, float value) {
    if (colour < 0 || colour >= colourCount() || channel < 0 || channel > 3) return;
    const uint32_t byte = uint32_t(std::floor(std::clamp(value, 0.0f, 1.0f) * 255.5f));
    uint32_t& c = *colours_[size_t(colour)];
    c = (c & ~(0xFFu << kShift[channel])) | (std::min(byte, 255u) << kShift[channel]);
    if (owner_) owner_->buildFrame();
    buildBars();
}

bool ColourEditor::pointerLocal(float& lx, float& ly) const {
    if (!root_) return false;
    lx = root_->pointerX() * z_ - x_;
    ly = root_->pointerY() * z_ - y_;
    return true;
}

void ColourEditor::followPointer() {
    float lx, ly;
    if (active_ < 0 || !pointerLocal(lx, ly)) return;
    setChannel(active_ / 4, active_ % 4, (lx - sliderLeft()) / (sliderRight() - sliderLeft()));
}

void ColourEditor::leftButtonDown() {
    HudElement::leftButtonDown();
    float lx, ly;
    active_ = pointerLocal(lx, ly) ? sliderAt(lx, ly) : -1;
    followPointer();
}

void ColourEditor::dragLeft(int dx, int dy) {
    if (active_ >= 0) {
        flags_ |= kLeftDragged;
        followPointer();
        return;
    }
    HudElement::dragLeft(dx, dy);
}

void ColourEditor::leftButtonUp() {
    float lx, ly;
    const bool clicked = !(flags_ & (kLeftDragged | kRightDragged)) && active_ < 0;
    if (clicked && pointerLocal(lx, ly) && onClose(lx, ly)) closeRequested_ = true;
    active_ = -1;
    flags_ &= ~(kLeftDown | kLeftDragged);
    animating_ = 1;
}

void ColourEditor::rightButtonUp() {
    // An editor does not open an editor for itself.
    flags_ &= ~(kRightDown | kRightDragged);
    animating_ = 1;
}

void ColourEditor::draw(gfx::Device& device, float seconds) {
    if (!visible() || !root_) return;
    device.setTransform(gfx::TransformType::World, math::matrixTranslation(x_, y_, z_) * root_->inverseView());
    drawGeometry(device);
    if (!bars_.empty()) {
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(bars_.size()),
                                      uint32_t(bars_.size() / 2), root_->indexTable(), bars_.data(),
                                      sizeof(HudVertex));
    }
    if ((flags_ & kHover) || glow_ > 0) drawGlow(device, seconds);
    if (glyphVertexCount_ > 0) {
        bindTexture(device, textureMode_);
        device.drawIndexedPrimitiveUP(gfx::PrimitiveType::TriangleList, 0, uint32_t(glyphVertexCount_),
                                      uint32_t(glyphVertexCount_ / 2), root_->indexTable(), glyphStore(),
                                      sizeof(HudVertex));
    }
}

}  // namespace tnx::hud
