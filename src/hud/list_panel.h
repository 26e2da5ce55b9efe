// A HUD element made of list displays and sliders (its parts): the browsers'
// panels and the colour editor. It hands a click to the part under the
// pointer, drags a slider along its track, opens the colour editor for the
// clicked column or knob, and keeps its placement, colours and its parts'
// colours in "savecbuttonlist" with one child record per part.
//
// A panel may leave the screen further than a plain element (nine tenths of
// it), and a drag with both buttons pushes it between 0.3 and 3 times its
// height away.
#pragma once

#include <memory>
#include <vector>

#include "hud/hud_element.h"
#include "hud/list_display.h"
#include "hud/list_slider.h"

namespace tnx::hud {

class ListPanel : public HudElement {
public:
    static constexpr const char* kRecordName = "savecbuttonlist";
    static constexpr size_t kRecordFixedSize = 48;
    // Where a panel first appears.
    static constexpr float kStartX = 1.0f, kStartY = 8.0f, kStartDepth = 30.0f;

    explicit ListPanel(int32_t id);
    ~ListPanel() override;

    int partCount() const { return int(parts_.size()); }
    ListDisplay* part(int index) const;
    ListSlider* slider(int index) const;
    // The part under a point in panel coordinates (x right of the left edge,
    // y below the top negative), or -1.
    int partAt(float lx, float ly) const;
    // The pointer in panel coordinates.
    bool pointerLocal(float& lx, float& ly) const;

    void buildFrame() override;
    void leftButtonDown() override;
    void leftButtonUp() override;
    void rightButtonUp() override;
    void dragLeft(int dx, int dy) override;
    void keepInView(float X, float Y) override;
    // Draws children of its own: changes redraw everything over the scene.
    bool addCoverage(float, int, int, app::OverlayArea&) const override { return false; }
    void draw(gfx::Device& device, float seconds) override;
    bool tick() override;
    // "savecbuttonlist" and a child record per part.
    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

protected:
    ListDisplay& addDisplay();
    ListSlider& addSlider();
    // Gives every part the root's font; call once attached.
    void attachParts();
    // A left click (no drag) on a part that is not a slider.
    virtual void partClicked(int /*part*/, float /*lx*/, float /*ly*/) {}
    // A slider linked to no display changed its value.
    virtual void sliderMoved(int /*part*/) {}
    // The panel's size changed (a loaded record): place and size the parts.
    virtual void layoutParts() {}
    // A panel is many times a button's size: its frame is a thin edge.
    float frameWidth() const override { return 0.02f * height_; }
    float frameDepth() const override { return 0.02f * height_; }
    float minDepth() const override { return 0.3f * height_; }
    float maxDepth() const override { return 3.0f * height_; }
    float depthPerPixel() const override { return 0.1f; }

    std::vector<std::unique_ptr<ListDisplay>> parts_;
    std::vector<bool> isSlider_;

private:
    int pressedPart_ = -1;
    bool sliderDrag_ = false;
};

}  // namespace tnx::hud
