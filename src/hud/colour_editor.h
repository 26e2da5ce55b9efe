// The colour editor a right click opens: for each of up to four colours of
// another element, sliders for its alpha, red, green and blue bytes, then a
// title row with "Change Color" and "Close". Colours are edited in place and
// the owner rebuilds at once, so a change shows while the slider moves. It is
// transient: never saved, and at most one is open.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "hud/hud_element.h"

namespace tnx::hud {

class ColourEditor : public HudElement {
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
    void buildFrame() override;
    bool isColourEditor() const override { return true; }
    void leftButtonDown() override;
    void leftButtonUp() override;
    void rightButtonUp() override;
    void dragLeft(int dx, int dy) override;
    void draw(gfx::Device& device, float seconds) override;
    size_t writeRecord(std::vector<uint8_t>&) override { return 0; }
    int readRecord(std::span<const uint8_t>) override { return 1; }

    HudElement* owner() const { return owner_; }
    int colourCount() const { return int(colours_.size()); }
    bool closeRequested() const { return closeRequested_; }
    // The slider under a point in the editor's own coordinates (x right of
    // its left edge, y below its top negative): colour * 4 + channel, or -1.
    int sliderAt(float lx, float ly) const;
    bool onClose(float lx, float ly) const;
    // Sets channel (0 alpha, 1 red, 2 green, 3 blue) of a colour from a
    // slider value 0..1.
    void setChannel(int colour, int channel, float value);
    static float sliderLeft() { return 0.45f; }
    static float sliderRight() { return kWidth - 0.08f; }

private:
    bool pointerLocal(float& lx, float& ly) const;
    void followPointer();
    void buildBars();

    std::vector<uint32_t*> colours_;
    HudElement* owner_;
    std::vector<HudVertex> bars_;
    int active_ = -1;
    bool closeRequested_ = false;
};

}  // namespace tnx::hud
