// How the button bar shows and hides the four browsers — the city list, the
// country list, the country overview and the help text — as HUD panels or as
// list windows, and how the overview and help texts reach them. The browsers
// implement it; until they exist nothing is shown and the bar only keeps the
// flags and lights its buttons.
#pragma once

#include "geodata/info_texts.h"

namespace tnx::hud {

enum class BrowserKind : int { City = 1, Country = 2, Overview = 3, Help = 4 };

class BrowserPresenter {
public:
    virtual ~BrowserPresenter() = default;
    virtual void showPanel(BrowserKind kind, bool shown) = 0;
    virtual void showWindow(BrowserKind kind, bool shown) = 0;
    // The metric option changed: the city panel lays out its rows again and
    // the city window refreshes its columns.
    virtual void unitsChanged() = 0;
    // New text for the overview or the help browser (kind Overview or Help):
    // the panel takes the title and the paragraphs, the window the caption
    // and the body.
    virtual void showText(BrowserKind kind, const geodata::BrowserText& text) = 0;
};

}  // namespace tnx::hud
