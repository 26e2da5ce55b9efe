#include "globe/terrain/texture_texels.h"

#include <algorithm>
#include <cmath>

namespace tnx::globe::texels {

namespace {

// Direction towards the sun that lights the relief: 60 degrees high.
constexpr double kSunElevation = 1.0466667;
constexpr double kSunAzimuth = 0.5233334;
const float kSunX = float(std::cos(kSunElevation) * std::cos(kSunAzimuth));
const float kSunY = float(std::sin(kSunElevation));
const float kSunZ = float(-std::cos(kSunElevation) * std::sin(kSunAzimuth));

uint8_t clampByte(float v) { return uint8_t(std::clamp(int(v), 0, 255)); }

uint32_t channel(uint8_t value, uint64_t mask) { return uint32_t((uint64_t(value) * mask / 256) & mask); }

}  // namespace

float shadeSpacing(float shadingScale, float exaggeration, int level) {
    return shadingScale * std::max(0.99f - exaggeration * 1200.0f, 0.3f) *
           std::sqrt(float(uint32_t(1) << std::clamp(level, 0, 30)));
}

uint8_t hillShade(float z, float zRight, float zDown, float spacing) {
    // Normal of the cell's plane with x along the columns, y up, z along rows.
    const float nx = z - zRight, ny = spacing, nz = z - zDown;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0)) return 255;
    const float d = (nx * kSunX + ny * kSunY + nz * kSunZ) / len;
    return uint8_t(std::clamp(d, 0.0f, 1.0f) * 255.01f);
}

namespace {
uint8_t adjustChannel(int c, int mean, float factor, const TextureAdjustments& a) {
    const float s = a.saturation - 1.0f;
    return clampByte(a.brightness * (s * float(c - mean) + factor * float(c)));
}
}  // namespace

Rgb8 adjust(Rgb8 in, const TextureAdjustments& a) {
    const int m = (int(in.r) + int(in.g) + int(in.b)) / 3;
    return {adjustChannel(in.r, m, a.red, a), adjustChannel(in.g, m, a.green, a), adjustChannel(in.b, m, a.blue, a)};
}

void AdjustTable::build(const TextureAdjustments& a) {
    for_ = a;
    red_.resize(256 * 256);
    green_.resize(256 * 256);
    blue_.resize(256 * 256);
    for (int mean = 0; mean < 256; ++mean)
        for (int c = 0; c < 256; ++c) {
            const size_t at = size_t(mean) * 256 + size_t(c);
            red_[at] = adjustChannel(c, mean, a.red, a);
            green_[at] = adjustChannel(c, mean, a.green, a);
            blue_[at] = adjustChannel(c, mean, a.blue, a);
        }
}

uint8_t light(uint8_t base, uint8_t shade, uint8_t colour) {
    const float v = float(base) + float(255 - base) * (float(shade) / 255.0f) * (float(colour) / 255.0f);
    return uint8_t(std::min(int(v + 0.0001f), 255));
}

uint32_t pack(gfx::Format format, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    switch (format) {
        case gfx::Format::R5G6B5: return channel(r, 0xF800) | channel(g, 0x07E0) | channel(b, 0x001F);
        case gfx::Format::A4R4G4B4:
            return channel(a, 0xF000) | channel(r, 0x0F00) | channel(g, 0x00F0) | channel(b, 0x000F);
        case gfx::Format::A8R8G8B8:
            return channel(a, 0xFF000000u) | channel(r, 0xFF0000) | channel(g, 0xFF00) | channel(b, 0xFF);
        default: return 0;
    }
}

}  // namespace tnx::globe::texels
