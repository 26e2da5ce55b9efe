// Colours of the relief by surface class and elevation: four sub-palettes of
// 32768 entries (class 0 land, 1 inland water, 2 ice-white sea, 3 sea),
// indexed by the low 17 bits of an elevation cache word (class in bits
// 15..16, elevation + 16384 in bits 0..14).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tnx::globe {

// Elevation cache word helpers.
inline int wordClass(uint32_t word) { return int((word >> 15) & 3); }
inline int wordElevation(uint32_t word) { return int(word & 0x7FFF) - 16384; }
inline uint32_t makeWord(int surfaceClass, int elevation) {
    return (uint32_t(surfaceClass & 3) << 15) | uint32_t((elevation + 16384) & 0x7FFF);
}

// A palette entry unpacked: alpha, red, green, blue.
struct PaletteColour {
    uint8_t a = 0, r = 0, g = 0, b = 0;
    bool operator==(const PaletteColour&) const = default;
};

class TerrainPalette {
public:
    static constexpr int kClassEntries = 32768;
    static constexpr int kClasses = 4;

    TerrainPalette();

    // Rebuilds every entry from the 18 band colours (COLORREF 0x00BBGGRR)
    // and the opacities (0..255): class 0 takes the land opacity, the sea
    // classes the ocean opacity.
    void build(const std::array<uint32_t, 18>& bandColours, int landOpacity, int oceanOpacity);

    PaletteColour entry(uint32_t word) const { return entries_[word & 0x1FFFF]; }
    PaletteColour at(int surfaceClass, int elevation) const {
        return entry(makeWord(surfaceClass, elevation));
    }

private:
    std::vector<PaletteColour> entries_;
};

}  // namespace tnx::globe
