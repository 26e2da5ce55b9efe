// The globe's look: band colours, opacities, graticule and atmosphere
// colours, exaggeration, the screen saver's camera and the texture
// adjustments — one block of "saveconfigglobe", also the layout of every
// saved theme.
#pragma once

#include <array>
#include <cstdint>

namespace tnx::settings {

struct GlobeConfiguration {
    enum Option : int32_t {
        kShadeLand = 0x01,
        kShadeOcean = 0x02,
        kHighResolutionLandMask = 0x04,
        kColorLand = 0x08,
        kColorOcean = 0x10,
        kAllOptions = 0x1F,
    };
    static constexpr int kBands = 18;
    static constexpr int kLandBands = 10;  // bands 0..9 are land, 10..17 sea

    int32_t reservedOption = 0;             // cleared by the dialog's OK
    int32_t options = kShadeLand;
    std::array<uint32_t, kBands> bandColors{};  // 0x00BBGGRR, land 9000 m down, then sea
    int32_t landOpacity = 255;
    int32_t oceanOpacity = 255;
    int32_t reserved100 = 1;
    uint32_t graticuleColor = 0xFFFFFF;     // 0x00BBGGRR
    int32_t graticuleOpacity = 0;
    int32_t exaggeration = 1;               // "Amplyfy Altitude", 1..100
    uint32_t atmosphereColor = 0x557799;    // 0x00BBGGRR
    int32_t atmosphereOpacity = 128;
    // The screen saver's camera.
    int32_t cameraNearKm = 8000;
    int32_t cameraFarKm = 25600;
    int32_t cameraProgram = 1;
    int32_t cameraSpeed = 10;
    // Texture adjustments in percent.
    int32_t saturation = 120, brightness = 120, red = 100, green = 100, blue = 100;
    // The city lights' brightness in percent minus 100 (-100 .. 100): 0,
    // what files without it hold, shows the lights as the image has them.
    int32_t cityLights = 0;
    std::array<int32_t, 7> reserved{};

    bool operator==(const GlobeConfiguration&) const = default;

    // The built-in configuration: random band colours, which only show once
    // the user turns a colour option on.
    static GlobeConfiguration defaults();
    // Vertical exaggeration in scene units per metre.
    float unitsPerMetre() const { return float(exaggeration) * 0.00001f; }
    // The city lights' brightness as a factor, 0 .. 2.
    float cityLightsFactor() const { return float(100 + cityLights) * 0.01f; }
};

// 0x00BBGGRR with an alpha byte to 0xAARRGGBB.
constexpr uint32_t colorRefToArgb(uint32_t colorRef, uint32_t alpha) {
    return (alpha << 24) | ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

}  // namespace tnx::settings
