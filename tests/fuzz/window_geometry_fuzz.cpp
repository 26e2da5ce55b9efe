// A browser window's stored frame and column widths (the 216-byte value in
// "pref.ini"), put back on two screens as the window does when it opens.
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hud/window_geometry.h"

namespace {
bool inside(const tnx::win::Rect& r, const tnx::win::Rect& s) {
    return r.left >= s.left && r.top >= s.top && r.right <= s.right && r.bottom <= s.bottom && r.right > r.left &&
           r.bottom > r.top;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tnx::hud::WindowGeometry;
    auto geometry = WindowGeometry::fromBytes({data, size});
    if (!geometry) return 0;
    const tnx::win::Rect screens[] = {{0, 0, 1280, 1024}, {1280, -100, 3200, 980}};
    const tnx::win::Rect fallback{340, 212, 940, 812};
    const auto placed = WindowGeometry::fitOnScreen(geometry->frame, screens, fallback);
    if (!inside(placed, screens[0]) && !inside(placed, screens[1])) std::abort();
    for (int column = -1; column <= WindowGeometry::kColumns; ++column) {
        const int w = geometry->columnWidth(column, WindowGeometry::kColumns, placed.right - placed.left);
        if (w < WindowGeometry::kMinColumnWidth) std::abort();
    }
    if (WindowGeometry::fromBytes(geometry->toBytes())->frame.left != geometry->frame.left) std::abort();
    return 0;
}
