// The colour editor a right click opens: a list panel with, for each of up
// to four colours of another element or list part, a swatch and four
// sliders for its alpha, red, green and blue bytes, then a title row with
// "Change Color" and "Close". Colours are edited in place and the owner
// rebuilds at once, so a change shows while the slider moves. It is
// transient: never saved, and at most one is open.
#pragma once

#include <span>
#include <vector>

#include "hud/list_panel.h"

namespace tnx::hud {

class ColourEditor : public ListPanel {
public:
    static constexpr int32_t kId = 1280;
    static constexpr int kMaxColours = 4;
    static constexpr float kWidth = 2.4f;
    static constexpr float kRowHeight = 0.12f;
    // Where it opens: a row about 17 pixels high on a 720-line view.
    static constexpr float kDepth = 6.0f;

    ColourEditor(std::span<uint32_t* const> colours, HudElement* owner);

    // Lays out the sliders and the title row; call once attached to a root.
    void build();
    bool isColourEditor() const override { return true; }
    void rightButtonUp() override;
    // Kept wholly on screen, at a depth like a plain element's.
    void keepInView(float X, float Y) override { HudElement::keepInView(X, Y); }
    size_t writeRecord(std::vector<uint8_t>&) override { return 0; }
    int readRecord(std::span<const uint8_t>) override { return settings::kRecordNotMine; }

    HudElement* owner() const { return owner_; }
    int colourCount() const { return int(colours_.size()); }
    bool closeRequested() const { return closeRequested_; }
    // Sets channel (0 alpha, 1 red, 2 green, 3 blue) of a colour from a
    // slider value 0..1: the byte becomes floor(value * 255.5).
    void setChannel(int colour, int channel, float value);
    ListSlider* channelSlider(int colour, int channel) const;
    static float sliderLeft() { return 0.45f; }
    static float sliderRight() { return kWidth - 0.08f; }

protected:
    void partClicked(int part, float lx, float ly) override;
    void sliderMoved(int part) override;
    float minDepth() const override { return kMinDepth; }
    float maxDepth() const override { return kMaxDepth; }
    float depthPerPixel() const override { return 0.01f; }

private:
    void showColour(int colour);

    std::vector<uint32_t*> colours_;
    HudElement* owner_;
    int titlePart_ = -1;
    int firstSwatch_ = -1;
    bool closeRequested_ = false;
};

}  // namespace tnx::hud
