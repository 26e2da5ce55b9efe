#include "cursor_writer.h"

#include "platform/io/byte_io.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

CursorBitmap bitmap(int w, int h, int hx, int hy) {
    CursorBitmap c;
    c.width = w;
    c.height = h;
    c.hotspotX = hx;
    c.hotspotY = hy;
    c.argb.assign(size_t(w) * size_t(h), 0);
    return c;
}

TEST(CursorWriter, WritesTheDirectoryAndBitmapHeader) {
    CursorBitmap c = bitmap(32, 32, 12, 7);
    const std::vector<uint8_t> f = CursorWriter::encode(c);
    ASSERT_EQ(f.size(), 22u + 40u + 32u * 32u * 4u + 32u * 4u);
    io::ByteReader r(f);
    EXPECT_EQ(r.u16(), 0);   // reserved
    EXPECT_EQ(r.u16(), 2);   // cursor, not icon
    EXPECT_EQ(r.u16(), 1);   // one image
    EXPECT_EQ(r.u8(), 32);   // width
    EXPECT_EQ(r.u8(), 32);   // height
    EXPECT_EQ(r.u8(), 0);    // no palette
    EXPECT_EQ(r.u8(), 0);
    EXPECT_EQ(r.u16(), 12);  // hot spot
    EXPECT_EQ(r.u16(), 7);
    EXPECT_EQ(r.u32(), f.size() - 22u);  // image bytes
    EXPECT_EQ(r.u32(), 22u);             // image offset
    EXPECT_EQ(r.u32(), 40u);             // BITMAPINFOHEADER
    EXPECT_EQ(r.i32(), 32);
    EXPECT_EQ(r.i32(), 64);  // colour and mask rows
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u16(), 32);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u32(), 32u * 32u * 4u + 32u * 4u);
}

TEST(CursorWriter, StoresRowsBottomUpAsBgraAndMasksOnlyClearPixels) {
    CursorBitmap c = bitmap(3, 2, 0, 0);
    c.argb = {0xFF112233, 0x80445566, 0x00000000,   // top row
              0x00FFFFFF, 0xFF000000, 0x01ABCDEF};  // bottom row
    const std::vector<uint8_t> f = CursorWriter::encode(c);
    const size_t pixels = 22 + 40;
    ASSERT_EQ(f.size(), pixels + 3 * 2 * 4 + 2 * 4);
    // Bottom row first.
    const std::vector<uint8_t> bottom(f.begin() + pixels, f.begin() + pixels + 12);
    EXPECT_EQ(bottom, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0xFF, 0xEF, 0xCD, 0xAB, 0x01}));
    const std::vector<uint8_t> top(f.begin() + pixels + 12, f.begin() + pixels + 24);
    EXPECT_EQ(top, (std::vector<uint8_t>{0x33, 0x22, 0x11, 0xFF, 0x66, 0x55, 0x44, 0x80, 0, 0, 0, 0}));
    // Mask rows of 4 bytes, bottom first, leftmost pixel in the high bit.
    const size_t mask = pixels + 24;
    EXPECT_EQ(f[mask], 0x80);      // bottom: only the first pixel is fully clear
    EXPECT_EQ(f[mask + 1], 0);
    EXPECT_EQ(f[mask + 4], 0x20);  // top: only the third pixel
}

TEST(CursorWriter, PadsMaskRowsToFourBytes) {
    const std::vector<uint8_t> f = CursorWriter::encode(bitmap(33, 1, 32, 0));
    // 33 mask bits need 5 bytes, padded to 8; every pixel is clear.
    ASSERT_EQ(f.size(), 22u + 40u + 33u * 4u + 8u);
    const size_t mask = 22 + 40 + 33 * 4;
    EXPECT_EQ(f[mask], 0xFF);
    EXPECT_EQ(f[mask + 4], 0x80);
    EXPECT_EQ(f[mask + 5], 0);
}

TEST(CursorWriter, StoresSize256AsZero) {
    const std::vector<uint8_t> f = CursorWriter::encode(bitmap(256, 256, 255, 255));
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[6], 0);
    EXPECT_EQ(f[7], 0);
}

TEST(CursorWriter, RefusesBitmapsItCannotDescribe) {
    EXPECT_TRUE(CursorWriter::encode(bitmap(0, 32, 0, 0)).empty());
    EXPECT_TRUE(CursorWriter::encode(bitmap(257, 32, 0, 0)).empty());
    EXPECT_TRUE(CursorWriter::encode(bitmap(32, 32, 32, 0)).empty());   // hot spot outside
    EXPECT_TRUE(CursorWriter::encode(bitmap(32, 32, 0, -1)).empty());
    CursorBitmap shortPixels = bitmap(32, 32, 0, 0);
    shortPixels.argb.pop_back();
    EXPECT_TRUE(CursorWriter::encode(shortPixels).empty());
}

}  // namespace
}  // namespace tnx::databuilder
