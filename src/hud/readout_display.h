// Puts the read-out lines on their HUD elements — the camera line on the
// status line under the clock, the pointer, city and country lines on the
// three read-outs — and hands the overview and help texts to the browsers.
// A line is laid out again only when its text changed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "geodata/info_texts.h"
#include "hud/browser_presenter.h"
#include "hud/hud_builder.h"
#include "hud/hud_root.h"

namespace tnx::hud {

class ReadoutDisplay {
public:
    // The element of each line, in InfoTexts line order.
    static constexpr std::array<int32_t, geodata::InfoTexts::kLineCount> kElements = {
        HudBuilder::kStatus, HudBuilder::kReadout1, HudBuilder::kReadout2, HudBuilder::kReadout3};
    // One line, left-aligned, pressed together when wider than its element.
    static constexpr uint32_t kTextOptions = 1;

    explicit ReadoutDisplay(HudRoot& root) : root_(root) {}

    // Brings the elements and the browsers up to date; returns the number of
    // lines laid out again.
    int apply(const geodata::InfoTexts& texts, BrowserPresenter* presenter);

private:
    HudRoot& root_;
    std::array<std::string, geodata::InfoTexts::kLineCount> shown_{};
    uint32_t linesRevision_ = 0;
    bool anyLines_ = false;
    uint32_t overviewRevision_ = 0, helpRevision_ = 0;
    BrowserPresenter* presenter_ = nullptr;
};

}  // namespace tnx::hud
