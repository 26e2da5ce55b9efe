// The globe's look: band colours, opacities, graticule and atmosphere
// colours, exaggeration, the saver camera and the texture adjustments. These
// are the built-in defaults until the configuration dialogs edit them.
#pragma once

#include <array>
#include <cstdint>

namespace tnx::globe {

struct GlobeConfiguration {
    enum Option : int32_t {
        kShadeLand = 0x01,
        kShadeOcean = 0x02,
        kHighResolutionLandMask = 0x04,
        kColorLand = 0x08,
        kColorOcean = 0x10,
    };
    int32_t options = kShadeLand;
    std::array<uint32_t, 18> bandColors{};  // 0x00BBGGRR, land 9000 m down, then sea
    int32_t landOpacity = 255;
    int32_t oceanOpacity = 255;
    uint32_t graticuleColor = 0xFFFFFF;     // 0x00BBGGRR
    int32_t graticuleOpacity = 0;
    int32_t exaggeration = 1;               // "Amplyfy Altitude", 1..100
    uint32_t atmosphereColor = 0x557799;    // 0x00BBGGRR
    int32_t atmosphereOpacity = 128;
    int32_t cameraNearKm = 8000;
    int32_t cameraFarKm = 25600;
    int32_t cameraProgram = 1;
    int32_t cameraSpeed = 10;
    int32_t saturation = 120, brightness = 120, red = 100, green = 100, blue = 100;

    // The defaults with random band colours, as a fresh configuration has.
    static GlobeConfiguration defaults();
    // Vertical exaggeration in scene units per metre.
    float unitsPerMetre() const { return float(exaggeration) * 0.00001f; }
};

// 0x00BBGGRR with an alpha byte to 0xAARRGGBB.
constexpr uint32_t colorRefToArgb(uint32_t colorRef, uint32_t alpha) {
    return (alpha << 24) | ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

}  // namespace tnx::globe
