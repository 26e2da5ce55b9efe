// Where a browser window stood and how wide its columns were: the 216-byte
// value kept in the preferences store under the window's title (the frame
// rectangle left, top, right, bottom, then 50 column widths, 0 meaning "the
// default"), and the rules that put a remembered rectangle back on a screen
// that exists now.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/win/region.h"

namespace tnx::hud {

struct WindowGeometry {
    static constexpr size_t kBytes = 216;
    static constexpr int kColumns = 50;
    static constexpr int kDefaultColumnWidth = 100;
    static constexpr int kDefaultLastColumnWidth = 300;
    static constexpr int kMinColumnWidth = 8;

    win::Rect frame;
    std::array<int32_t, kColumns> widths{};

    std::vector<uint8_t> toBytes() const;
    // Nothing unless exactly 216 bytes.
    static std::optional<WindowGeometry> fromBytes(std::span<const uint8_t> bytes);
    // From and to the process-wide preferences store.
    static std::optional<WindowGeometry> load(const std::string& key);
    void save(const std::string& key) const;

    // The width column `column` of `count` opens with: the remembered one when
    // it is sensible (at least 8 pixels, at most `maxWidth`), else 100 pixels,
    // 300 for the last column.
    int columnWidth(int column, int count, int maxWidth) const;

    // The rectangle wholly on one of the screens (their usable areas): the
    // screen it overlaps most (else the first), its size cut to the screen's
    // and its corner moved inside. A rectangle with no area opens as
    // `fallback`, which is placed the same way.
    static win::Rect fitOnScreen(const win::Rect& wanted, std::span<const win::Rect> screens,
                                 const win::Rect& fallback);
};

}  // namespace tnx::hud
