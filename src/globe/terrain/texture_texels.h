// The per-texel steps of building a terrain texture: hill shade from the
// elevations, the photographic adjustments, lighting with the base colour,
// and packing into the 16- and 32-bit texture formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/gfx_types.h"

namespace tnx::globe {

// Saturation, brightness and channel factors (configuration percentages x 0.01).
struct TextureAdjustments {
    float saturation = 1.2f;
    float brightness = 1.2f;
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    bool operator==(const TextureAdjustments&) const = default;
};

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

namespace texels {

// The hill-shade spacing for a texture of cache level `level`:
// shadingScale x max(0.99 - exaggeration x 1200, 0.3) x sqrt(2^level).
float shadeSpacing(float shadingScale, float exaggeration, int level);

// Shade byte of a cell from its height and its right and lower neighbours
// (metres), the horizontal spacing in the same units: the normal dotted with
// the fixed sun direction, clamped to 0..1 and scaled to 0..255.
uint8_t hillShade(float z, float zRight, float zDown, float spacing);

// Photographic colour after saturation, brightness and channel factors.
Rgb8 adjust(Rgb8 in, const TextureAdjustments& a);

// adjust() looked up: every channel's result for every mean of the three
// channels and every value, made once per set of adjustments (192 KB).
class AdjustTable {
public:
    void build(const TextureAdjustments& a);
    const TextureAdjustments& builtFor() const { return for_; }
    bool empty() const { return red_.empty(); }
    Rgb8 apply(Rgb8 in) const {
        const size_t mean = size_t((int(in.r) + int(in.g) + int(in.b)) / 3) << 8;
        return {red_[mean + in.r], green_[mean + in.g], blue_[mean + in.b]};
    }

private:
    TextureAdjustments for_;
    std::vector<uint8_t> red_, green_, blue_;  // [mean x 256 + value]
};

// base + (255 - base) x shade/255 x colour/255, clamped to 255.
uint8_t light(uint8_t base, uint8_t shade, uint8_t colour);

// Packs one texel: each channel times its mask over 256, masked. R5G6B5
// ignores alpha. Formats other than R5G6B5, A4R4G4B4 and A8R8G8B8 give 0.
uint32_t pack(gfx::Format format, uint8_t a, uint8_t r, uint8_t g, uint8_t b);

}  // namespace texels
}  // namespace tnx::globe
