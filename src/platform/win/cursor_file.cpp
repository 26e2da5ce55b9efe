#include "platform/win/cursor_file.h"

#include "platform/io/byte_io.h"

namespace tnx::win {

std::optional<CursorImage> parseCursorFile(std::span<const uint8_t> data) {
    io::ByteReader r(data);
    uint16_t reserved = r.u16(), type = r.u16(), count = r.u16();
    if (!r.ok() || reserved != 0 || type != 2 || count == 0) return std::nullopt;
    uint8_t w8 = r.u8(), h8 = r.u8();
    r.skip(2);
    CursorImage img;
    img.hotspotX = r.u16();
    img.hotspotY = r.u16();
    uint32_t bytes = r.u32(), offset = r.u32();
    if (!r.ok() || offset > data.size() || bytes > data.size() - offset) return std::nullopt;

    io::ByteReader b(data.subspan(offset, bytes));
    uint32_t headerSize = b.u32();
    int32_t width = b.i32(), doubledHeight = b.i32();
    uint16_t planes = b.u16(), bpp = b.u16();
    uint32_t compression = b.u32();
    b.skip(12);
    uint32_t colorsUsed = b.u32();
    if (!b.ok() || headerSize < 40 || planes != 1 || compression != 0) return std::nullopt;
    int height = doubledHeight / 2;
    if (width <= 0 || height <= 0 || width > 256 || height > 256) return std::nullopt;
    if (w8 != 0 && w8 != width) return std::nullopt;
    if (h8 != 0 && h8 != height) return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return std::nullopt;
    b.seek(headerSize);

    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        uint32_t n = colorsUsed ? colorsUsed : (1u << bpp);
        if (n > 256) return std::nullopt;
        for (uint32_t i = 0; i < n; ++i) palette.push_back(b.u32() | 0xFF000000u);
    }
    size_t xorStride = ((size_t(width) * bpp + 31) / 32) * 4;
    size_t andStride = ((size_t(width) + 31) / 32) * 4;
    if (!b.has(xorStride * height)) return std::nullopt;
    const uint8_t* xorBits = b.cursor();
    b.skip(xorStride * height);
    const uint8_t* andBits = b.has(andStride * height) ? b.cursor() : nullptr;

    // A 32-bit image whose alpha is all zero uses the AND mask alone.
    bool hasAlpha = false;
    if (bpp == 32)
        for (int y = 0; y < height && !hasAlpha; ++y)
            for (int x = 0; x < width; ++x)
                if (xorBits[size_t(y) * xorStride + x * 4 + 3] != 0) { hasAlpha = true; break; }

    img.width = width;
    img.height = height;
    img.pixels.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = xorBits + size_t(height - 1 - y) * xorStride;  // bottom-up
        const uint8_t* mask = andBits ? andBits + size_t(height - 1 - y) * andStride : nullptr;
        for (int x = 0; x < width; ++x) {
            uint32_t px = 0;
            switch (bpp) {
                case 32: px = io::loadU32(row + x * 4); break;
                case 24: px = 0xFF000000u | row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16); break;
                default: {
                    int bit = x * bpp;
                    uint32_t idx = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                    px = idx < palette.size() ? palette[idx] : 0xFF000000u;
                }
            }
            bool transparent = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
            if (bpp == 32 && !hasAlpha) px |= 0xFF000000u;
            if (transparent) px = 0;
            img.pixels[size_t(y) * width + x] = px;
        }
    }
    return img;
}

}  // namespace tnx::win
