#include "globe/image/image_texture.h"

#include <algorithm>

#include "platform/io/byte_io.h"

namespace tnx::globe {

using gfx::Format;

namespace {

// Mean of four packed texels, channel by channel; channels are `bits` wide.
uint32_t average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int bits) {
    const uint32_t mask = (1u << bits) - 1;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += bits) {
        uint32_t sum = ((a >> shift) & mask) + ((b >> shift) & mask) + ((c >> shift) & mask) + ((d >> shift) & mask);
        out |= ((sum >> 2) & mask) << shift;
    }
    return out;
}

}  // namespace

std::unique_ptr<gfx::Texture> ImageTexture::build(uint32_t width, uint32_t height, uint32_t levels, Format format,
                                                  const Fill& fill) const {
    std::unique_ptr<gfx::Texture> texture = device_.createTexture(width, height, levels, format, gfx::Pool::Default);
    if (!texture) return nullptr;
    std::unique_ptr<gfx::Texture> staging =
        device_.createTexture(width, height, levels, format, gfx::Pool::SystemMem);
    if (!staging) return nullptr;
    gfx::LockedRect rect;
    if (gfx::failed(staging->lock(0, rect))) return nullptr;
    fill(*staging, rect.bits, rect.pitch);
    staging->unlock(0);
    if (staging->levelCount() > 1) buildMipLevels(*staging);
    if (gfx::failed(device_.updateTexture(*staging, *texture))) return nullptr;
    return texture;
}

std::unique_ptr<gfx::Texture> ImageTexture::colourTexture(const RgbImage& image, uint32_t levels,
                                                          Format format) const {
    if (image.empty()) return nullptr;
    return build(uint32_t(image.width), uint32_t(image.height), levels, format,
                 [&](gfx::Texture&, uint8_t* bits, int pitch) {
                     for (int y = 0; y < image.height; ++y) {
                         const uint8_t* src = image.pixels.data() + size_t(y) * image.width * 3;
                         uint8_t* row = bits + size_t(y) * pitch;
                         if (format == Format::R5G6B5) {
                             for (int x = 0; x < image.width; ++x, src += 3)
                                 io::storeU16(row + 2 * x, toR5G6B5(src[0], src[1], src[2]));
                         } else if (format == Format::A8R8G8B8) {
                             for (int x = 0; x < image.width; ++x, src += 3)
                                 io::storeU32(row + 4 * x, toA8R8G8B8(src[0], src[1], src[2]));
                         }
                     }
                 });
}

std::unique_ptr<gfx::Texture> ImageTexture::alphaTexture(const RgbImage& image, uint32_t levels, Format format,
                                                         bool invert) const {
    if (image.empty()) return nullptr;
    return build(uint32_t(image.width), uint32_t(image.height), levels, format,
                 [&](gfx::Texture&, uint8_t* bits, int pitch) {
                     if (format != Format::A4R4G4B4) return;
                     for (int y = 0; y < image.height; ++y) {
                         const uint8_t* src = image.pixels.data() + size_t(y) * image.width * 3;
                         uint8_t* row = bits + size_t(y) * pitch;
                         for (int x = 0; x < image.width; ++x, src += 3)
                             io::storeU16(row + 2 * x, maskTexel(src[0], invert));
                     }
                 });
}

std::unique_ptr<gfx::Texture> ImageTexture::loadColourTexture(std::string_view name, uint32_t levels,
                                                              Format format) const {
    return colourTexture(decodeImage(name), levels, format);
}

std::unique_ptr<gfx::Texture> ImageTexture::loadAlphaTexture(std::string_view name, uint32_t levels, Format format,
                                                             bool invert) const {
    return alphaTexture(decodeImage(name), levels, format, invert);
}

std::unique_ptr<gfx::Texture> ImageTexture::makeBandTexture(uint32_t size, uint32_t levels) const {
    return build(size, size, levels, Format::A4R4G4B4, [&](gfx::Texture&, uint8_t* bits, int pitch) {
        const uint32_t quarter = size / 4;
        for (uint32_t y = 0; y < size; ++y) {
            const uint16_t texel = (y < quarter || y >= size - quarter) ? kBandClear : kBandOpaque;
            uint8_t* row = bits + size_t(y) * pitch;
            for (uint32_t x = 0; x < size; ++x) io::storeU16(row + 2 * x, texel);
        }
    });
}

std::unique_ptr<gfx::Texture> ImageTexture::createEmptyTexture(uint32_t width, uint32_t height, uint32_t levels,
                                                               Format format, gfx::Pool pool) const {
    return device_.createTexture(width, height, levels, format, pool);
}

void ImageTexture::buildMipLevels(gfx::Texture& texture) {
    const Format format = texture.format();
    if (format != Format::A4R4G4B4 && format != Format::A8R8G8B8) return;
    const bool wide = format == Format::A8R8G8B8;
    const int bytes = wide ? 4 : 2;
    const int bits = wide ? 8 : 4;
    auto load = [&](const uint8_t* p) -> uint32_t { return wide ? io::loadU32(p) : io::loadU16(p); };

    for (uint32_t level = 0; level + 1 < texture.levelCount(); ++level) {
        gfx::LockedRect src, dst;
        if (gfx::failed(texture.lock(level, src))) return;
        if (gfx::failed(texture.lock(level + 1, dst))) {
            texture.unlock(level);
            return;
        }
        const uint32_t w = texture.width(level), h = texture.height(level);
        const uint32_t w2 = texture.width(level + 1), h2 = texture.height(level + 1);
        for (uint32_t y = 0; y < h2; ++y) {
            const uint8_t* top = src.bits + size_t(std::min(2 * y, h - 1)) * src.pitch;
            const uint8_t* bottom = src.bits + size_t(std::min(2 * y + 1, h - 1)) * src.pitch;
            uint8_t* out = dst.bits + size_t(y) * dst.pitch;
            for (uint32_t x = 0; x < w2; ++x) {
                const size_t left = size_t(std::min(2 * x, w - 1)) * bytes;
                const size_t right = size_t(std::min(2 * x + 1, w - 1)) * bytes;
                uint32_t mean = average4(load(top + left), load(top + right), load(bottom + left),
                                         load(bottom + right), bits);
                if (wide) io::storeU32(out + size_t(x) * 4, mean);
                else io::storeU16(out + size_t(x) * 2, uint16_t(mean));
            }
        }
        texture.unlock(level + 1);
        texture.unlock(level);
    }
}

}  // namespace tnx::globe
