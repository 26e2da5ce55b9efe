// Text on elements: centring, compression, the break into two half-height
// lines, NUL-separated lines, the glyph capacity; the clock; image tiles.
#include <gtest/gtest.h>

#include <algorithm>

#include "hud/hud_clock.h"
#include "hud_fixture.h"

namespace tnx::hud::test {
namespace {

using Text = HudFixture;

struct Extent {
    float left = 1e9f, right = -1e9f, top = -1e9f, bottom = 1e9f;
};
Extent extentOf(std::span<const HudVertex> v, int firstGlyph, int glyphs) {
    Extent e;
    for (int i = 4 * firstGlyph; i < 4 * (firstGlyph + glyphs); ++i) {
        e.left = std::min(e.left, v[size_t(i)].x);
        e.right = std::max(e.right, v[size_t(i)].x);
        e.top = std::max(e.top, v[size_t(i)].y);
        e.bottom = std::min(e.bottom, v[size_t(i)].y);
    }
    return e;
}

TEST_F(Text, ANarrowLineIsCentredAndAWideOneCompressedToTheWidth) {
    HudElement& e = addElement(1, 0, 0, 10, 2.0f, 0.5f);
    e.setText("ab", 0);
    const float tw = font_->textWidth(0.5f, "ab");
    Extent x = extentOf(e.glyphVertices(), 0, 2);
    EXPECT_FLOAT_EQ(x.left, (2.0f - tw) / 2);
    EXPECT_FLOAT_EQ(x.right, (2.0f + tw) / 2);
    EXPECT_FLOAT_EQ(x.top, 0.0f);
    EXPECT_FLOAT_EQ(x.bottom, -0.5f);
    EXPECT_EQ(e.glyphVertices()[0].diffuse, e.textColour());

    const std::string wide = "abcdefghij";  // about 1.1 element widths at this height
    const float ww = font_->textWidth(0.5f, wide);
    ASSERT_GT(ww, 2.0f);
    ASSERT_LT(ww, 3.6f);
    e.setText(wide, 0);
    x = extentOf(e.glyphVertices(), 0, 10);
    EXPECT_FLOAT_EQ(x.left, 0.0f);
    EXPECT_NEAR(x.right, 2.0f, 1e-5);
    EXPECT_FLOAT_EQ(x.bottom, -0.5f);
}

TEST_F(Text, ALineTwiceAsWideBecomesTwoLinesOfHalfHeight) {
    const std::string text = "abcdefghijklmnop";
    const float tw = font_->textWidth(0.5f, text);
    HudElement& e = addElement(1, 0, 0, 10, tw / 2, 0.5f);
    e.setText(text, 0);
    ASSERT_EQ(e.glyphVertexCount(), 4 * 16);
    // The break: glyph i is the first to end past 1.8 widths; the line
    // breaks before glyph i - 1.
    int i = 0;
    while (font_->textWidth(0.5f, text.substr(0, size_t(i) + 1)) <= 1.8f * e.width()) ++i;
    const int split = i - 1;
    Extent first = extentOf(e.glyphVertices(), 0, split);
    Extent second = extentOf(e.glyphVertices(), split, 16 - split);
    EXPECT_FLOAT_EQ(first.top, 0.0f);
    EXPECT_FLOAT_EQ(first.bottom, -0.25f);
    EXPECT_FLOAT_EQ(second.top, -0.25f);
    EXPECT_FLOAT_EQ(second.bottom, -0.5f);
    EXPECT_FLOAT_EQ(first.left, 0.0f);
    EXPECT_FLOAT_EQ(second.left, 0.0f);
    EXPECT_LE(first.right, e.width());
    EXPECT_NEAR(first.right, font_->textWidth(0.5f, text.substr(0, size_t(split))) / 1.8f, 1e-5);
}

TEST_F(Text, SeparateLinesTakeTheirShareOfTheHeightAndCentreOnlyWhenAsked) {
    HudElement& e = addElement(1, 0, 0, 10, 2.0f, 0.6f);
    const std::string text("ab\0abcdefghijklmnopqrstuvwxyz\0c", 31);
    e.setText(text, 3);
    ASSERT_EQ(e.glyphVertexCount(), 4 * (2 + 26 + 1));
    Extent l0 = extentOf(e.glyphVertices(), 0, 2), l1 = extentOf(e.glyphVertices(), 2, 26),
           l2 = extentOf(e.glyphVertices(), 28, 1);
    EXPECT_FLOAT_EQ(l0.left, 0.0f);  // not centred without 0x200
    EXPECT_FLOAT_EQ(l0.top, 0.0f);
    EXPECT_FLOAT_EQ(l0.bottom, -0.2f);
    EXPECT_FLOAT_EQ(l1.top, -0.2f);
    EXPECT_NEAR(l1.right, 2.0f, 1e-5);  // compressed to the width
    EXPECT_FLOAT_EQ(l2.top, -0.4f);
    EXPECT_FLOAT_EQ(l2.bottom, -0.6f);
    e.setText(text, 3 | HudElement::kCentreLines);
    l0 = extentOf(e.glyphVertices(), 0, 2);
    EXPECT_FLOAT_EQ(l0.left, (2.0f - font_->textWidth(0.2f, "ab")) / 2);
}

TEST_F(Text, TheGlyphCapacityCutsTheText) {
    auto e = std::make_unique<HudElement>(1);
    e->init(HudElement::kFontTexture, 20.0f, 0.25f, 0, 4, 0, 0, 0xFFFFFFFF);
    HudElement& ref = *e;
    root_->add(std::move(e));
    ref.setText("abcdefgh", 0);
    EXPECT_EQ(ref.glyphVertexCount(), 16);
    ref.setText(std::string("abc\0defg", 8), 2);
    EXPECT_EQ(ref.glyphVertexCount(), 16);  // three of the first line, one of the second
    EXPECT_FLOAT_EQ(ref.glyphVertices()[12].y, -0.125f);
}

TEST_F(Text, AnImageTileIsOneQuadOfAQuarterOfTheAtlas) {
    auto e = std::make_unique<HudElement>(0x202);
    e->init(HudElement::kButtonImage, 0.5f, 0.25f, 0, 50, 0x90808080, 0xFFA0A0A0, 0xFF80FFFF);
    HudElement& ref = *e;
    const int index = root_->add(std::move(e));
    root_->setTile(index, 2, 1);
    ASSERT_EQ(ref.glyphVertexCount(), 4);
    auto v = ref.glyphVertices();
    EXPECT_FLOAT_EQ(v[0].u, 0.5f);
    EXPECT_FLOAT_EQ(v[0].v, 0.25f);
    EXPECT_FLOAT_EQ(v[3].u, 0.75f);
    EXPECT_FLOAT_EQ(v[3].v, 0.5f);
    EXPECT_FLOAT_EQ(v[3].x, 0.5f);
    EXPECT_FLOAT_EQ(v[3].y, -0.25f);
    EXPECT_EQ(v[0].diffuse, 0xFF80FFFFu);
}

TEST(HudClockText, TheTimeIsFormattedWithoutPaddingAndTheWeekdayName) {
    std::tm t{};
    t.tm_hour = 9, t.tm_min = 5, t.tm_sec = 7, t.tm_wday = 2, t.tm_year = 124, t.tm_mon = 2, t.tm_mday = 5;
    EXPECT_EQ(HudClock::format(t), "9:5:7 Tue,2024-3-5");
    t.tm_wday = 9;  // out of range: no name rather than a read past the table
    EXPECT_EQ(HudClock::format(t), "9:5:7 ,2024-3-5");
}

TEST_F(Text, TheClockShowsTheTimeWhileToggledAndRewritesItOnlyWhenTheSecondChanges) {
    std::tm now{};
    now.tm_hour = 23, now.tm_min = 59, now.tm_sec = 58, now.tm_wday = 3, now.tm_year = 125, now.tm_mon = 11;
    now.tm_mday = 31;
    auto clock = std::make_unique<HudClock>(0x103, "Clock", [&] { return now; });
    clock->init(HudElement::kFontTexture, 2.15f, 0.25f, 0, 32, 0, 0, 0xFFFFFFFF);
    HudClock& c = *clock;
    root_->add(std::move(clock));
    EXPECT_TRUE(c.tick());
    EXPECT_EQ(c.glyphVertexCount(), 4 * 5);  // "Clock"
    c.setFlags(c.flags() | HudElement::kToggled);
    EXPECT_TRUE(c.tick());
    const std::string shown = "23:59:58 Wed,2025-12-31";
    EXPECT_EQ(c.glyphVertexCount(), int(4 * shown.size()));
    EXPECT_FALSE(c.tick());  // same second
    c.setText("x", 0);
    EXPECT_EQ(c.glyphVertexCount(), int(4 * shown.size()));
    now.tm_sec = 59;
    EXPECT_TRUE(c.tick());
    // Toggled off, the label is back.
    c.setFlags(c.flags() & ~HudElement::kToggled);
    EXPECT_TRUE(c.tick());
    EXPECT_EQ(c.glyphVertexCount(), 4 * 5);
    EXPECT_FALSE(c.tick());
}

TEST_F(Text, TheRootAsksForFramesOnlyWhileSomethingChangesAndOnlyWhereItChanges) {
    HudElement& e = addElement(1, 0, 0, 10);
    app::OverlayArea& redraw = app::processState().overlayRedraw;
    redraw = {};
    root_->update(0.02f);
    EXPECT_TRUE(redraw.empty());
    root_->draw(device_, 0.02f);  // where it was drawn
    e.setTarget(1, 0, 10);
    root_->update(0.02f);
    // Where it is and where it glides to, and not the whole picture.
    ASSERT_FALSE(redraw.whole);
    EXPECT_LE(redraw.left, pixelX(0, 10));
    EXPECT_GE(redraw.right, pixelX(3, 10));
    EXPECT_LE(redraw.top, pixelY(0, 10));
    EXPECT_GE(redraw.bottom, pixelY(-0.5f, 10));
    EXPECT_LT(redraw.right - redraw.left, 2 * (pixelX(3, 10) - pixelX(0, 10)));
    EXPECT_FALSE(app::processState().forceRedraw);
    redraw = {};
}

}  // namespace
}  // namespace tnx::hud::test

namespace tnx::hud::test {
namespace {

TEST_F(Text, TheClockFitsItsTextAndKeepsItsRightEdge) {
    std::tm now{};
    now.tm_hour = 23, now.tm_min = 59, now.tm_sec = 58, now.tm_wday = 5, now.tm_year = 126, now.tm_mon = 11;
    now.tm_mday = 18;
    std::string note = "\xD7" "3600";
    auto clock = std::make_unique<HudClock>(0x103);
    clock->init(HudElement::kFontTexture, 1.0f, 0.25f, 0, 40, 0, 0, 0xFFFFFFFF);
    clock->placeAt(2.0f, 1.0f, 10.0f);
    clock->setTimeSource([&] { return now; }, [&] { return note; });
    clock->setFlags(clock->flags() | HudElement::kToggled);
    HudClock& c = *clock;
    root_->add(std::move(clock));
    ASSERT_TRUE(c.tick());
    const std::string shown = "23:59:58 Fri,2026-12-18 \xD7" "3600";
    EXPECT_EQ(c.shownText(), shown);
    EXPECT_EQ(c.glyphVertexCount(), int(4 * shown.size()));
    const float pad = HudClock::kPadding * c.height();
    EXPECT_NEAR(c.x() + c.width(), 3.0f, 1e-5f);  // the right edge stays
    // Uncompressed, inside the face with room on both sides.
    const Extent x = extentOf(c.glyphVertices(), 0, int(shown.size()));
    EXPECT_NEAR(x.right - x.left, font_->textWidth(0.25f, shown), 1e-4f);
    EXPECT_GE(x.left, pad - 1e-4f);
    EXPECT_LE(x.right, c.width() - pad + 1e-4f);
    // Another second leaves the size; the rate's note going narrows it.
    const float width = c.width();
    now.tm_sec = 59;
    EXPECT_TRUE(c.tick() && c.width() == width);
    note.clear();
    EXPECT_TRUE(c.tick() && c.width() < width);
}

}  // namespace
}  // namespace tnx::hud::test
