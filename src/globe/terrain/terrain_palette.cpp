#include "globe/terrain/terrain_palette.h"

#include <algorithm>
#include <cmath>

namespace tnx::globe {

namespace {

struct Band {
    int elevation;
    int slot;
};

// Land bands from the lowest up; sea bands likewise.
constexpr Band kLandBands[] = {{-500, 9}, {-100, 8}, {0, 7},    {200, 6},  {500, 5},
                               {1000, 4}, {2000, 3}, {3000, 2}, {5000, 1}, {9000, 0}};
constexpr Band kSeaBands[] = {{-11000, 17}, {-7000, 16}, {-4000, 15}, {-2000, 14},
                              {-1000, 13},  {-50, 12},   {-10, 11},   {0, 10}};

struct Rgb {
    float r, g, b;
};

Rgb bandRgb(uint32_t colorref) {
    return {float(colorref & 0xFF) / 255.0f, float((colorref >> 8) & 0xFF) / 255.0f,
            float((colorref >> 16) & 0xFF) / 255.0f};
}

uint8_t toByte(float v) {
    return uint8_t(std::clamp(int(v * 255.5f), 0, 255));
}

// Linear interpolation between neighbouring bands. An elevation takes the
// first band at or above it and the one below; elevations beyond either end
// of the table keep the end band's colour rather than extrapolating.
template <size_t N>
PaletteColour ramp(const Band (&bands)[N], const std::array<uint32_t, 18>& colours, int elevation,
                   uint8_t alpha) {
    PaletteColour out;
    out.a = alpha;
    size_t hi = 1;
    while (hi + 1 < N && bands[hi].elevation < elevation) ++hi;
    const Band& lo = bands[hi - 1];
    const Band& up = bands[hi];
    float t = float(elevation - lo.elevation) / float(up.elevation - lo.elevation);
    t = std::clamp(t, 0.0f, 1.0f);
    Rgb a = bandRgb(colours[size_t(lo.slot)]);
    Rgb b = bandRgb(colours[size_t(up.slot)]);
    out.r = toByte(a.r + (b.r - a.r) * t);
    out.g = toByte(a.g + (b.g - a.g) * t);
    out.b = toByte(a.b + (b.b - a.b) * t);
    return out;
}

uint8_t clampByte(float v) { return uint8_t(std::clamp(int(v), 0, 255)); }

}  // namespace

TerrainPalette::TerrainPalette() : entries_(size_t(kClasses) * kClassEntries) {}

void TerrainPalette::build(const std::array<uint32_t, 18>& colours, int landOpacity, int oceanOpacity) {
    const auto land = uint8_t(std::clamp(landOpacity, 0, 255));
    const auto ocean = uint8_t(std::clamp(oceanOpacity, 0, 255));
    for (int i = 0; i < kClassEntries; ++i) {
        const int e = i - 16384;
        entries_[size_t(i)] = ramp(kLandBands, colours, e, land);

        const float u = float(e) * 0.00011111111f;
        PaletteColour water;
        water.a = ocean;
        water.r = clampByte(80.0f - 80.0f * u);
        water.g = clampByte(144.0f - 144.0f * u);
        water.b = clampByte(255.0f - 175.0f * u);
        entries_[size_t(kClassEntries + i)] = water;

        entries_[size_t(2 * kClassEntries + i)] = {ocean, 255, 255, 255};
        entries_[size_t(3 * kClassEntries + i)] = ramp(kSeaBands, colours, e, ocean);
    }
}

}  // namespace tnx::globe
