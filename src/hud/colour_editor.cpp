#include "hud/colour_editor.h"

#include <algorithm>
#include <cmath>

#include "hud/hud_root.h"

namespace tnx::hud {

namespace {
constexpr float kMargin = 0.04f;
constexpr float kTitleGap = 0.04f;
constexpr float kTrackInset = 0.025f;  // above and below a track, inside its row
constexpr const char* kChannelLetters[4] = {"A", "R", "G", "B"};
constexpr gfx::Color kChannelColours[4] = {0xC0808080, 0xC0A03030, 0xC030A030, 0xC03050C0};
constexpr gfx::Color kTitleFace = 0xC0303848;
constexpr gfx::Color kCloseFace = 0xC0604050;
constexpr int kShift[4] = {24, 16, 8, 0};

float rowTop(int row) { return -kMargin - float(row) * ColourEditor::kRowHeight; }
}  // namespace

ColourEditor::ColourEditor(std::span<uint32_t* const> colours, HudElement* owner) : ListPanel(kId), owner_(owner) {
    for (uint32_t* c : colours)
        if (c && colours_.size() < size_t(kMaxColours)) colours_.push_back(c);
}

void ColourEditor::build() {
    const int rows = 4 * colourCount();
    const float h = kMargin + float(rows) * kRowHeight + kTitleGap + kRowHeight + kTitleGap + kMargin;
    init(kFontTexture, kWidth, h, 0, 0, 0xC0202830, 0xFFA0C0FF, 0xFFFFFFFF);
    const float track = kRowHeight - 2 * kTrackInset;
    for (int r = 0; r < rows; ++r) {
        ListSlider& s = addSlider();
        s.build(sliderRight() - sliderLeft(), track, root_, kChannelLetters[r % 4]);
        s.setOffset(sliderLeft(), rowTop(r) - kTrackInset, 0);
        s.setColumnColour(0, kChannelColours[r % 4], ListDisplay::kFaceColour | 0x40);
    }
    // A swatch beside each colour's four sliders.
    firstSwatch_ = partCount();
    for (int c = 0; c < colourCount(); ++c) {
        ListDisplay& d = addDisplay();
        const float weight = 1.0f;
        d.init(0.2f - kMargin, 4 * kRowHeight - 0.04f, 1, 1, 0, std::span<const float>(&weight, 1));
        d.setOffset(kMargin, rowTop(4 * c) - 0.02f, 0);
    }
    const float titleTop = rowTop(rows) - kTitleGap;
    titlePart_ = partCount();
    ListDisplay& title = addDisplay();
    const float weights[2] = {3, 1};
    title.init(sliderRight() + 0.02f - kMargin, kRowHeight, 2, 1, 40, weights);
    title.setOffset(kMargin, titleTop, 0);
    title.setColumnColour(0, kTitleFace, ListDisplay::kFaceColour);
    title.setColumnColour(1, kCloseFace, ListDisplay::kFaceColour);
    title.setText(std::string_view("Change Color\0\1Close", 19));
    attachParts();
    for (int c = 0; c < colourCount(); ++c) showColour(c);
}

ListSlider* ColourEditor::channelSlider(int colour, int channel) const {
    if (colour < 0 || colour >= colourCount() || channel < 0 || channel > 3) return nullptr;
    return slider(4 * colour + channel);
}

void ColourEditor::showColour(int colour) {
    const uint32_t value = *colours_[size_t(colour)];
    for (int k = 0; k < 4; ++k)
        if (ListSlider* s = channelSlider(colour, k)) s->setValue(float((value >> kShift[k]) & 0xFF) / 255.0f);
    if (ListDisplay* swatch = part(firstSwatch_ + colour))
        swatch->setColumnColour(0, value | 0xFF000000u, ListDisplay::kFaceColour);
}

void ColourEditor::setChannel(int colour, int channel, float value) {
    if (colour < 0 || colour >= colourCount() || channel < 0 || channel > 3) return;
    const float v = std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
    const uint32_t byte = std::min(uint32_t(std::floor(v * 255.5f)), 255u);
    uint32_t& c = *colours_[size_t(colour)];
    c = (c & ~(0xFFu << kShift[channel])) | (byte << kShift[channel]);
    if (owner_) owner_->buildFrame();
    // The slider being dragged keeps its own value; the others follow.
    const float dragged = channelSlider(colour, channel)->value();
    showColour(colour);
    if (value == dragged) channelSlider(colour, channel)->setValue(dragged);
}

void ColourEditor::sliderMoved(int part) {
    if (ListSlider* s = slider(part)) setChannel(part / 4, part % 4, s->value());
}

void ColourEditor::partClicked(int part, float lx, float ly) {
    if (part != titlePart_) return;
    if (ListDisplay* title = this->part(part); title && title->pick(lx, ly).column == 1) closeRequested_ = true;
}

void ColourEditor::rightButtonUp() {
    // An editor does not open an editor for itself.
    flags_ &= ~(kRightDown | kRightDragged);
    animating_ = 1;
}

}  // namespace tnx::hud
