#include "drawn_images.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

int grey(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)); }

int borderMax(const QImage& img) {
    int m = 0;
    for (int i = 0; i < img.width(); ++i) {
        m = std::max({m, grey(img, i, 0), grey(img, i, img.height() - 1)});
        m = std::max({m, grey(img, 0, i), grey(img, img.width() - 1, i)});
    }
    return m;
}

TEST(StarSprite, BrightMiddleFallingToABlackBorder) {
    const QImage s = DrawnImages::starSprite();
    ASSERT_EQ(s.size(), QSize(64, 64));
    EXPECT_GE(grey(s, 31, 31), 240);
    // Wrapped texture coordinates outside the square must show nothing.
    EXPECT_EQ(borderMax(s), 0);
    for (int x = 32; x < 63; ++x) ASSERT_LE(grey(s, x + 1, 32), grey(s, x, 32)) << x;
    // A sprite three pixels wide samples about a sixth of the size off the
    // middle; it must still be clearly lit there.
    EXPECT_GE(grey(s, 32 + 64 / 6, 32), 100);
}

TEST(PlaceMarker, WhiteDiscInsideTheInscribedCircle) {
    const QImage p = DrawnImages::placeMarker();
    ASSERT_EQ(p.size(), QSize(64, 64));
    EXPECT_EQ(grey(p, 32, 32), 255);
    EXPECT_EQ(grey(p, 32 + 18, 32), 255);  // r = 0.29
    EXPECT_EQ(borderMax(p), 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (std::hypot((x + 0.5) / 64 - 0.5, (y + 0.5) / 64 - 0.5) >= 0.45) {
                ASSERT_EQ(grey(p, x, y), 0) << x << "," << y;
            }
}

struct TileInk {
    int dark = 0;       // pixels below mid grey
    bool edge = false;  // any ink on the tile's outer ring of pixels
};

TileInk ink(const QImage& atlas, int col, int row) {
    TileInk t;
    const int x0 = col * DrawnImages::kTileWidth, y0 = row * DrawnImages::kTileHeight;
    for (int y = 0; y < DrawnImages::kTileHeight; ++y)
        for (int x = 0; x < DrawnImages::kTileWidth; ++x) {
            const int g = grey(atlas, x0 + x, y0 + y);
            if (g < 128) ++t.dark;
            const bool ring = x < 4 || y < 4 || x >= DrawnImages::kTileWidth - 4 || y >= DrawnImages::kTileHeight - 4;
            if (ring && g < 250) t.edge = true;
        }
    return t;
}

TEST(ButtonAtlas, SixIconsInTheirTilesAndTheRestBlank) {
    const QImage atlas = DrawnImages::buttonAtlas();
    ASSERT_EQ(atlas.size(), QSize(512, 256));
    ASSERT_EQ(atlas.format(), QImage::Format_Grayscale8);
    const std::pair<int, int> used[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}};
    std::vector<int> counts;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            const bool isUsed = std::find(std::begin(used), std::end(used), std::make_pair(col, row)) != std::end(used);
            const TileInk t = ink(atlas, col, row);
            EXPECT_FALSE(t.edge) << "tile " << col << "," << row << " bleeds into its neighbours";
            if (isUsed) {
                EXPECT_GT(t.dark, 400) << "tile " << col << "," << row;
                counts.push_back(t.dark);
            } else {
                EXPECT_EQ(t.dark, 0) << "tile " << col << "," << row;
            }
        }
    // Previous and next are mirror images: the same amount of ink.
    EXPECT_NEAR(counts[0], counts[4], 20);
}

TEST(ButtonAtlas, ArrowsPointTheRightWay) {
    const QImage atlas = DrawnImages::buttonAtlas();
    auto tile = [&](int col, int row) {
        return atlas.copy(col * DrawnImages::kTileWidth, row * DrawnImages::kTileHeight, DrawnImages::kTileWidth,
                          DrawnImages::kTileHeight);
    };
    auto difference = [](const QImage& a, const QImage& b) {
        double sum = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        return sum / (a.width() * a.height());
    };
    // "Next" is "previous" mirrored, and neither is its own mirror image.
    const QImage previous = tile(0, 0), next = tile(0, 1);
    EXPECT_LT(difference(previous.mirrored(true, false), next), 2.0);
    EXPECT_GT(difference(previous, next), 10.0);
    // "Play" points right: its triangle is tall on the left, narrow on the right.
    auto columnInk = [&](const QImage& t, int dx) {
        int n = 0;
        for (int y = 0; y < t.height(); ++y) n += qGray(t.pixel(t.width() / 2 + dx, y)) < 128;
        return n;
    };
    const QImage play = tile(1, 0);
    EXPECT_GT(columnInk(play, -10), 2 * columnInk(play, 12));
    EXPECT_GT(columnInk(play, 12), 0);
    // "Previous" has its bar on the left, with the point of its triangle next to it.
    EXPECT_GT(columnInk(previous, -17), 30);
    EXPECT_GT(columnInk(previous, 18), 2 * columnInk(previous, -8));
}

TEST(Cursors, DrawnAroundTheirHotSpotsWithClearCorners) {
    for (const CursorBitmap& c : {DrawnImages::zoomCursor(), DrawnImages::distanceCursor()}) {
        ASSERT_EQ(c.width, 32);
        ASSERT_EQ(c.height, 32);
        ASSERT_EQ(c.argb.size(), 32u * 32u);
        EXPECT_GE(c.hotspotX, 0);
        EXPECT_LT(c.hotspotX, 32);
        auto alpha = [&](int x, int y) { return c.argb[size_t(y) * 32 + size_t(x)] >> 24; };
        EXPECT_EQ(alpha(31, 0), 0u);
        EXPECT_EQ(alpha(0, 31), 0u);
        int opaque = 0;
        for (uint32_t p : c.argb) opaque += (p >> 24) == 255;
        EXPECT_GT(opaque, 60);
        // Something is drawn within three pixels of the hot spot.
        int near = 0;
        for (int y = c.hotspotY - 3; y <= c.hotspotY + 3; ++y)
            for (int x = c.hotspotX - 3; x <= c.hotspotX + 3; ++x) near += alpha(x, y) > 0;
        EXPECT_GT(near, 0);
    }
}

}  // namespace
}  // namespace tnx::databuilder
