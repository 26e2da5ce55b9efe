// The slider of a list panel: a one-column, one-row list display as its
// track and a knob (a free label: a plain element the slider draws itself).
// It is vertical when it is at least as high as it is wide. Its value 0..1
// sets the first shown row of the display it is linked to; a slider linked
// to nothing (the colour editor's) just holds its value.
#pragma once

#include <memory>

#include "hud/hud_element.h"
#include "hud/list_display.h"

namespace tnx::hud {

class ListSlider : public ListDisplay {
public:
    static constexpr const char* kRecordName = "savecblistdisplayslider";
    static constexpr gfx::Color kKnobFace = 0xFF80FFA0;
    static constexpr gfx::Color kKnobFrame = 0xFF506070;
    static constexpr gfx::Color kKnobText = 0xFFFFFFFF;
    // Within this many knob sizes of the knob's centre a point is "on" it.
    static constexpr float kOnKnob = 0.2f;

    ListSlider();
    ~ListSlider() override;

    // The track's size; `label` is shown on the track. The knob draws
    // through `root` (which may be null in tests).
    void build(float width, float height, HudRoot* root, std::string_view label = {});
    bool vertical() const { return height_ >= width_; }
    void link(ListDisplay* display) { linked_ = display; }
    ListDisplay* linked() const { return linked_; }

    float value() const { return value_; }
    // Clamps to 0..1 and moves the knob; the linked display is not scrolled.
    void setValue(float v);
    // Positions a linked display offers: rows - visible rows + 2 (0 when
    // unlinked or when everything fits).
    int positions() const;
    // A drag along the track by `distance` HUD units (down or right
    // positive): the value moves by distance / track length and the linked
    // display scrolls with it.
    void dragBy(float distance);
    // The value from the display after it scrolled by itself.
    void syncFromDisplay();
    // The value a point of the track stands for (the knob centred there).
    float valueAt(float x, float y) const;
    // -1 before the knob, 0 on it, +1 after it (panel coordinates).
    int pickKnob(float x, float y) const;
    // Scrolls the linked display one page towards the side given.
    void page(int direction);

    float knobSize() const { return knobSize_; }
    // The knob's top-left corner in panel coordinates.
    float knobX() const;
    float knobY() const;
    HudElement& knob() { return *knob_; }
    // Face top, face bottom and frame of the knob, for the editor.
    std::array<uint32_t*, 3> knobColourLocations();
    void drawKnob(gfx::Device& device, float seconds, float px, float py, float pz);

    // "savecblistdisplayslider": the track's 12 colour bytes, then the
    // knob's face top, face bottom, text and frame colours.
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

private:
    std::unique_ptr<HudElement> knob_;
    ListDisplay* linked_ = nullptr;
    float value_ = 0;
    float knobSize_ = 0;
};

}  // namespace tnx::hud
