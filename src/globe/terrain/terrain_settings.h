// The part of the globe configuration that acts on the relief globe: the
// elevation band colours, opacities, shading and colouring options, the
// altitude exaggeration and the photographic adjustments. The scene copies
// these from the globe configuration record and hands them to the terrain
// renderer; all values are the record's own units.
#pragma once

#include <array>
#include <cstdint>

namespace tnx::globe {

// Option bits of the globe configuration's option word.
constexpr uint32_t kOptionShadeLand = 0x01;    // hill-shade class 0
constexpr uint32_t kOptionShadeOcean = 0x02;   // hill-shade classes 1 to 3
constexpr uint32_t kOptionColourLand = 0x08;   // land classes take the band colours
constexpr uint32_t kOptionColourOcean = 0x10;  // sea classes take the band colours

// applySettings flag: the colours or shading options changed.
constexpr uint32_t kApplyColours = 0x4;

struct TerrainSettings {
    // COLORREF values (0x00BBGGRR). Slots 0..9 land, 9000 m down to -500 m;
    // slots 10..17 sea, 0 m down to -11000 m.
    std::array<uint32_t, 18> bandColours{};
    int landOpacity = 255;       // 0..255
    int oceanOpacity = 255;      // 0..255
    uint32_t options = kOptionShadeLand;
    int altitudeExaggeration = 1;  // "Amplyfy Altitude", 1..100
    // Percentages (0..200): saturation, brightness, red, green, blue.
    int saturation = 120;
    int brightness = 120;
    int red = 100;
    int green = 100;
    int blue = 100;
    // Lifts the dark end of the lighting (0..255 per channel).
    uint8_t baseRed = 0, baseGreen = 0, baseBlue = 0;

    // Scene units per metre.
    float exaggeration() const { return float(altitudeExaggeration) * 0.00001f; }
};

}  // namespace tnx::globe
