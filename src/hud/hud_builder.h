// Creates the HUD's own elements — the three read-outs, the clock, the
// browsers' panels, the button bar and the status read-out — in their
// creation order (which is also their saving order), placed for a first run
// where a saved layout does not place them.
#pragma once

#include <cstdint>

#include "hud/hud_root.h"

namespace tnx::hud {

class HudBuilder {
public:
    enum ElementId : int32_t {
        kReadout1 = 0x100,
        kReadout2 = 0x101,
        kReadout3 = 0x102,
        kClock = 0x103,
        kCityPanel = 0x104,
        kButtonBar = 0x105,
        kCountryPanel = 0x106,
        kOverviewPanel = 0x107,
        kHelpPanel = 0x108,
        kStatus = 0x109,
    };
    // Depth of the small read-outs on a first run: their text about 22
    // pixels high on a 720-line view.
    static constexpr float kReadoutDepth = 10.0f;
    // The button bar's nine buttons, a ninth of its width apart, fit a
    // 720-line view from there, their labels about 15 pixels high.
    static constexpr float kButtonBarDepth = 7.0f;
    // Wide enough for the read-out lines at their first-run depth: a
    // country line of some fifty characters is pressed together only a
    // little.
    static constexpr float kReadoutWidth = 5.6f;
    static constexpr float kStatusWidth = 4.6f;
    static constexpr int kReadoutGlyphs = 200;

    static void build(HudRoot& root);
};

}  // namespace tnx::hud
