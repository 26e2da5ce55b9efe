// The texture font on a recording device with made-up glyph metrics: texture
// size rule, shrinking until the glyphs fit, the glyph image, quads.
#include "platform/text/texture_font.h"

#include <gtest/gtest.h>

#include "platform/gfx/recording_device.h"
#include "support/fake_glyph_rasteriser.h"

namespace tnx::text {
namespace {

using test::FakeGlyphRasteriser;
using test::fakeRasteriser;

bool allCellsInside(const TextureFont& f) {
    for (int c = TextureFont::kFirstCode; c < 256; ++c) {
        const GlyphCell& g = f.cell(uint8_t(c));
        if (g.left < 0 || g.top < 0 || g.right + 1 > int(f.textureWidth()) || g.bottom > int(f.textureHeight()))
            return false;
    }
    return true;
}

TEST(TextureFontTest, FortyPointsTakeA512TextureAndFortyOneA1024One) {
    gfx::RecordingDevice device;
    TextureFont f40("Arial", 40, 700, false, device, 0, fakeRasteriser(0.5f));
    TextureFont f41("Arial", 41, 700, false, device, 0, fakeRasteriser(0.5f));
    EXPECT_EQ(f40.textureWidth(), 512u);
    EXPECT_EQ(f40.textureHeight(), 512u);
    EXPECT_EQ(f40.pointSize(), 40);  // fits without shrinking
    EXPECT_EQ(f41.textureWidth(), 1024u);
    EXPECT_EQ(f41.textureHeight(), 1024u);
    EXPECT_EQ(f41.pointSize(), 41);
}

TEST(TextureFontTest, ShrinksOnePointAtATimeToTheLargestSizeThatFits) {
    gfx::RecordingDevice device;
    auto ras = fakeRasteriser(1.0f);
    FakeGlyphRasteriser* seen = ras.get();
    TextureFont big("Arial", 40, 700, false, device, 0, std::move(ras));
    ASSERT_TRUE(big.hasGlyphs());
    const int p = big.pointSize();
    EXPECT_LT(p, 40);
    EXPECT_EQ(seen->selections, 40 - p + 1);  // every size from 40 down was tried once
    EXPECT_TRUE(allCellsInside(big));
    EXPECT_EQ(big.textureWidth(), 512u);  // the texture stays the one asked for

    // One point more than where it stopped does not fit.
    TextureFont next("Arial", p + 1, 700, false, device, 0, fakeRasteriser(1.0f));
    EXPECT_EQ(next.pointSize(), p);
}

TEST(TextureFontTest, RowsWrapBeforeTheRightEdgeAndIGetsAWiderGap) {
    gfx::RecordingDevice device;
    TextureFont f("Arial", 25, 700, false, device, 0, fakeRasteriser());
    const int h = f.lineHeightPixels();
    EXPECT_EQ(h, 33 + 8);  // 25 points at 96 dpi is a 33 pixel em; cells 1.25 em
    EXPECT_EQ(f.cell('j').left, f.cell('i').right + 2);
    EXPECT_EQ(f.cell('i').left, f.cell('h').right + 1);
    int rows = 1;
    for (int c = 33; c < 256; ++c) {
        const GlyphCell& prev = f.cell(uint8_t(c - 1));
        const GlyphCell& cur = f.cell(uint8_t(c));
        if (cur.top != prev.top) {
            ++rows;
            EXPECT_EQ(cur.top, prev.top + h + 1);
            EXPECT_EQ(cur.left, 0);
            // It wrapped because it would have passed the edge.
            EXPECT_GT(prev.right + 1 + (cur.right - cur.left) + 1, int(f.textureWidth()));
        }
    }
    EXPECT_GT(rows, 1);
    EXPECT_FLOAT_EQ(f.lineHeight(), float(h) / 512.0f);
    EXPECT_FLOAT_EQ(f.cell('A').tu0, float(f.cell('A').left) / 512.0f);
    EXPECT_FLOAT_EQ(f.cell('A').tv1, float(f.cell('A').bottom) / 512.0f);
}

TEST(TextureFontTest, GlyphImageIsWhiteWithCoverageAsAlpha) {
    gfx::RecordingDevice device;
    TextureFont f("Arial", 25, 700, false, device, 0, fakeRasteriser());
    const auto& img = f.image();
    ASSERT_EQ(img.size(), 512u * 512u);
    auto at = [&](const GlyphCell& c) { return img[size_t(c.top) * 512 + size_t(c.left)]; };
    // The fake fills a cell with its code as the blue value.
    EXPECT_EQ(at(f.cell(0xFF)), 0xFFFF);
    EXPECT_EQ(at(f.cell(0x7F)), 0x7FFF);
    EXPECT_EQ(at(f.cell(0x2F)), 0x2FFF);
    EXPECT_EQ(at(f.cell(0x20)), 0x2FFF);
    EXPECT_EQ(img.back(), 0x0FFF);  // nothing drawn there: transparent white
    // The staging copy holds the same texels, little-endian.
    EXPECT_TRUE(f.hasStagingTexture());
}

TEST(TextureFontTest, SmallDeviceTexturesGetTheGlyphsLaidOutForTheirSize) {
    gfx::RecordingDevice device;
    gfx::Caps caps;
    caps.maxTextureWidth = caps.maxTextureHeight = 256;
    device.setCaps(caps);
    TextureFont f("Arial", 25, 700, false, device, 0, fakeRasteriser());
    ASSERT_TRUE(f.hasGlyphs());
    EXPECT_EQ(f.textureWidth(), 256u);
    EXPECT_FLOAT_EQ(f.scale(), 0.5f);
    EXPECT_LT(f.pointSize(), 25);
    EXPECT_TRUE(allCellsInside(f));
    f.restore(device);
    ASSERT_NE(f.texture(), nullptr);
    EXPECT_EQ(f.texture()->width(), 256u);
}

TEST(TextureFontTest, QuadsStopAtTheCountAndReportHowManyWereWritten) {
    gfx::RecordingDevice device;
    TextureFont f("Arial", 25, 700, false, device, 0, fakeRasteriser());
    TextVertex v[4 * 8];
    for (auto& x : v) x.z = -7, x.diffuse = 0xDEADBEEF, x.x = 99;
    int count = 3;
    f.makeQuads(1.0f, 2.0f, 0.5f, "Hello", count, v);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(v[12].x, 99);  // the fourth character was not written
    // z and colour are the caller's.
    EXPECT_EQ(v[0].z, -7);
    EXPECT_EQ(v[0].diffuse, 0xDEADBEEFu);
    // Height-proportional widths, edge to edge, hanging below y.
    const GlyphCell& H = f.cell('H');
    const float gw = 0.5f * float(H.right - H.left) / float(f.lineHeightPixels());
    EXPECT_FLOAT_EQ(v[0].x, 1.0f);
    EXPECT_FLOAT_EQ(v[1].y, 2.0f - 0.5f);
    EXPECT_FLOAT_EQ(v[3].x, 1.0f + gw);
    EXPECT_FLOAT_EQ(v[4].x, 1.0f + gw);
    EXPECT_FLOAT_EQ(v[0].u, H.tu0);
    EXPECT_FLOAT_EQ(v[3].v, H.tv1);

    count = 8;
    f.makeQuads(0, 0, 1, std::string_view("ab\0cd", 5), count, v);
    EXPECT_EQ(count, 2);  // the NUL ends the text
    count = -1;
    f.makeQuads(0, 0, 1, "ab", count, v);
    EXPECT_EQ(count, 0);
    // The measured width is where a third quad would end.
    count = 3;
    f.makeQuads(0, 0, 0.5f, "Hello", count, v);
    EXPECT_FLOAT_EQ(f.textWidth(0.5f, "Hel"), v[11].x);
}

TEST(TextureFontTest, RestoreMakesTheTextureFromTheKeptImageWithoutDrawingAgain) {
    gfx::RecordingDevice device(640, 480);
    auto ras = fakeRasteriser();
    FakeGlyphRasteriser* seen = ras.get();
    TextureFont f("Arial", 25, 700, false, device, 0, std::move(ras));
    f.restore(device);
    ASSERT_NE(f.texture(), nullptr);
    EXPECT_FALSE(f.hasStagingTexture());
    EXPECT_EQ(f.texture()->format(), gfx::Format::A4R4G4B4);
    EXPECT_EQ(f.texture()->pool(), gfx::Pool::Default);
    EXPECT_EQ(f.viewportWidth(), 640u);
    const auto& d = f.texture()->levelData(0);
    const GlyphCell& c = f.cell(0xFF);
    size_t at = (size_t(c.top) * 512 + size_t(c.left)) * 2;
    EXPECT_EQ(d[at], 0xFF);
    EXPECT_EQ(d[at + 1], 0xFF);

    const std::vector<uint8_t> first = d;
    f.invalidate();
    EXPECT_EQ(f.texture(), nullptr);
    f.restore(device);
    ASSERT_NE(f.texture(), nullptr);
    EXPECT_EQ(f.texture()->levelData(0), first);
    EXPECT_EQ(seen->draws, 1);
}

TEST(TextureFontTest, AFontThatCannotBeMadeHasNoGlyphsAndNoTexture) {
    gfx::RecordingDevice device;
    TextureFont f("Arial", 25, 700, false, device, 0, std::make_unique<FakeGlyphRasteriser>(1.0f, true));
    EXPECT_FALSE(f.hasGlyphs());
    f.restore(device);
    EXPECT_EQ(f.texture(), nullptr);
    TextVertex v[4];
    int count = 1;
    f.makeQuads(0, 0, 1, "a", count, v);
    EXPECT_EQ(count, 0);

    // A texture too small for even one point.
    gfx::Caps caps;
    caps.maxTextureWidth = caps.maxTextureHeight = 8;
    device.setCaps(caps);
    TextureFont tiny("Arial", 25, 700, false, device, 0, fakeRasteriser());
    EXPECT_FALSE(tiny.hasGlyphs());
    EXPECT_EQ(tiny.pointSize(), 0);
}

}  // namespace
}  // namespace tnx::text
