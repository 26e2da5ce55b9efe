// Images of the data turned into device textures, the procedural band
// texture of the graticule, and mip level generation. Textures are always
// filled in a system-memory staging copy and then copied to the device
// texture. Every loader answers null on any failure (missing or damaged
// image, texture creation refused); callers then draw untextured.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "globe/image/image_decoder.h"
#include "platform/gfx/device.h"

namespace tnx::globe {

class ImageTexture {
public:
    explicit ImageTexture(gfx::Device& device) : device_(device) {}

    // A colour image ("pack\\moon.jpg") as an R5G6B5 or A8R8G8B8 texture;
    // other formats get the texture with its texels left unwritten. With
    // more than one level the mips are built from level 0 (A8R8G8B8 only,
    // see buildMipLevels). levels = 0 asks for the full chain.
    std::unique_ptr<gfx::Texture> loadColourTexture(std::string_view name, uint32_t levels,
                                                    gfx::Format format) const;
    // A mask image as an A4R4G4B4 texture: white, with alpha taken from the
    // image's red channel (inverted when `invert`). Other formats get the
    // texture with its texels left unwritten.
    std::unique_ptr<gfx::Texture> loadAlphaTexture(std::string_view name, uint32_t levels, gfx::Format format,
                                                   bool invert) const;

    // The same from an image already in memory.
    std::unique_ptr<gfx::Texture> colourTexture(const RgbImage& image, uint32_t levels, gfx::Format format) const;
    std::unique_ptr<gfx::Texture> alphaTexture(const RgbImage& image, uint32_t levels, gfx::Format format,
                                               bool invert) const;

    // An n x n A4R4G4B4 texture, opaque white with its top and bottom
    // quarters of rows transparent white (the graticule's line profile).
    std::unique_ptr<gfx::Texture> makeBandTexture(uint32_t size, uint32_t levels = 1) const;

    // A device texture with nothing written (the texture cache fills it).
    std::unique_ptr<gfx::Texture> createEmptyTexture(uint32_t width, uint32_t height, uint32_t levels,
                                                     gfx::Format format, gfx::Pool pool) const;

    // Fills levels 1.. from level 0 by a 2 x 2 box filter per channel (alpha
    // included, sum shifted right by 2) for A4R4G4B4 and A8R8G8B8; other
    // formats are left alone. Where a level is one texel wide or high its
    // neighbour along that side is the texel itself, so every level of the
    // chain is filled.
    static void buildMipLevels(gfx::Texture& texture);

    // Texel conversions.
    static uint16_t toR5G6B5(uint8_t red, uint8_t green, uint8_t blue) {
        return uint16_t(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
    }
    static uint32_t toA8R8G8B8(uint8_t red, uint8_t green, uint8_t blue) {
        return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
    }
    // White with the mask value's high nibble as alpha.
    static uint16_t maskTexel(uint8_t value, bool invert) {
        uint8_t g = invert ? uint8_t(255 - value) : value;
        return uint16_t(((g & 0xF0) << 8) | 0x0FFF);
    }
    static constexpr uint16_t kBandClear = 0x0FFF;
    static constexpr uint16_t kBandOpaque = 0xFFFF;

private:
    using Fill = std::function<void(gfx::Texture& staging, uint8_t* bits, int pitch)>;
    // Creates the device texture and its staging copy, lets `fill` write
    // level 0 of the copy, builds mips when asked and uploads.
    std::unique_ptr<gfx::Texture> build(uint32_t width, uint32_t height, uint32_t levels, gfx::Format format,
                                        const Fill& fill) const;

    gfx::Device& device_;
};

}  // namespace tnx::globe
