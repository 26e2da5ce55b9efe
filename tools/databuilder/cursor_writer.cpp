#include "cursor_writer.h"

#include "platform/io/byte_io.h"

#include <algorithm>

namespace tnx::databuilder {

std::vector<uint8_t> CursorWriter::encode(const CursorBitmap& c) {
    if (c.width < 1 || c.height < 1 || c.width > kMaxSize || c.height > kMaxSize) return {};
    if (c.argb.size() != size_t(c.width) * size_t(c.height)) return {};
    if (c.hotspotX < 0 || c.hotspotY < 0 || c.hotspotX >= c.width || c.hotspotY >= c.height) return {};

    const size_t xorStride = size_t(c.width) * 4;
    const size_t andStride = (size_t(c.width) + 31) / 32 * 4;
    const size_t imageBytes = kInfoHeaderBytes + (xorStride + andStride) * size_t(c.height);

    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + imageBytes);
    io::ByteWriter w(out);
    w.u16(0);  // reserved
    w.u16(2);  // cursor
    w.u16(1);  // one image
    w.u8(uint8_t(c.width == 256 ? 0 : c.width));
    w.u8(uint8_t(c.height == 256 ? 0 : c.height));
    w.u8(0);  // no palette
    w.u8(0);
    w.u16(uint16_t(c.hotspotX));
    w.u16(uint16_t(c.hotspotY));
    w.u32(uint32_t(imageBytes));
    w.u32(uint32_t(kHeaderBytes));

    w.u32(uint32_t(kInfoHeaderBytes));
    w.i32(c.width);
    w.i32(c.height * 2);  // colour rows and mask rows
    w.u16(1);             // planes
    w.u16(32);            // bits per pixel
    w.u32(0);             // uncompressed
    w.u32(uint32_t((xorStride + andStride) * size_t(c.height)));
    w.i32(0);
    w.i32(0);
    w.u32(0);
    w.u32(0);

    for (int y = c.height - 1; y >= 0; --y)
        for (int x = 0; x < c.width; ++x) {
            const uint32_t p = c.argb[size_t(y) * size_t(c.width) + size_t(x)];
            w.u8(uint8_t(p));        // blue
            w.u8(uint8_t(p >> 8));   // green
            w.u8(uint8_t(p >> 16));  // red
            w.u8(uint8_t(p >> 24));  // alpha
        }
    // Only fully transparent pixels are masked, so readers that honour the
    // mask keep the soft edges of the alpha channel.
    std::vector<uint8_t> row(andStride);
    for (int y = c.height - 1; y >= 0; --y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < c.width; ++x)
            if ((c.argb[size_t(y) * size_t(c.width) + size_t(x)] >> 24) == 0)
                row[size_t(x) / 8] |= uint8_t(0x80u >> (x % 8));
        w.bytes(row.data(), row.size());
    }
    return out;
}

}  // namespace tnx::databuilder
