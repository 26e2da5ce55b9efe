// Writes Windows cursor files (.cur): one image with its hot spot, stored as
// a 32-bit BMP with alpha plus the 1-bit AND mask that older readers use.
//
// Layout: ICONDIR (reserved 0, type 2, count 1); one 16-byte entry (width,
// height, 0, 0, hot spot x and y, image size, image offset 22); then the
// 40-byte BITMAPINFOHEADER (height doubled for the mask), the pixels as BGRA
// rows bottom-up, and the AND mask rows bottom-up (bit set = transparent).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tnx::databuilder {

struct CursorBitmap {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    std::vector<uint32_t> argb;  // 0xAARRGGBB, not premultiplied, top row first
};

class CursorWriter {
public:
    static constexpr int kMaxSize = 256;
    static constexpr size_t kHeaderBytes = 6 + 16;
    static constexpr size_t kInfoHeaderBytes = 40;

    // The file bytes; empty when the size is outside 1 .. 256, the pixel
    // count does not match or the hot spot lies outside the image.
    static std::vector<uint8_t> encode(const CursorBitmap& cursor);
};

}  // namespace tnx::databuilder
