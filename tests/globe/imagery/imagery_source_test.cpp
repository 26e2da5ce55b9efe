// Tile grids, URL templates, days and what a server's answer means.
#include <gtest/gtest.h>

#include <tuple>

#include "globe/image/test_jpeg.h"
#include "globe/imagery/imagery_source.h"
#include "globe/imagery/tile_response.h"

namespace tnx::globe {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ImageryTileGrid, FollowsThe288DegreeRuleAcrossTheDateLineAndThePoles) {
    const ImageryTileGrid g = ImageryTileGrid::wmts288(8);
    // Level sizes of the service's 250 m matrix set.
    const int sizes[][3] = {{0, 2, 1}, {1, 3, 2}, {2, 5, 3}, {3, 10, 5}, {6, 80, 40}, {8, 320, 160}};
    for (auto [level, cols, rows] : sizes) EXPECT_EQ(std::pair(g.columns(level), g.rows(level)), std::pair(cols, rows));
    struct Case {
        double lon, lat;
        int level, row, column;
    } cases[] = {
        {2.35, 48.85, 8, 36, 162},    // Paris: (90 - 48.85) 256 / 288 = 36.6, (180 + 2.35) 256 / 288 = 162.1
        {-18.0, 31.5, 6, 13, 36},     // the service's own example tile 6/13/36
        {179.99, 0, 0, 0, 1},         // east of 108 E lies in the second, partly empty, column
        {180.0, 0, 3, 2, 0},          // the date line wraps to the first column
        {-180.0, 0, 3, 2, 0},
        {-190.0, 10, 2, 1, 4},        // 170 E
        {0, 90, 5, 0, 20},            // north pole: first row
        {0, -90, 3, 4, 5},            // south pole: 180 * 8 / 288 = 5 rows exactly, held to the last
        {0, -90, 0, 0, 0},
        {0, -95, 1, 1, 1},            // beyond the pole: held there
    };
    for (const Case& c : cases) {
        const ImageryTileKey k = g.tileAt(c.lon, c.lat, c.level);
        EXPECT_EQ(k, (ImageryTileKey{c.level, c.row, c.column})) << c.lon << "," << c.lat << " L" << c.level;
        EXPECT_TRUE(g.valid(k));
    }
    // The last column and row are cut at the world's edge.
    const GeoBox b = g.bounds({0, 0, 1});
    EXPECT_EQ(std::tuple(b.west, b.east, b.south, b.north), std::tuple(108.0, 180.0, -90.0, 90.0));
    EXPECT_FALSE(g.valid({9, 0, 0}) || g.valid({3, 5, 0}));

    // A box over the date line takes columns from both ends; over a pole,
    // the first rows.
    auto covering = g.tilesCovering({170, 80, -170, 90}, 3);
    EXPECT_EQ(covering, (std::vector<ImageryTileKey>{{3, 0, 9}, {3, 0, 0}}));
    EXPECT_EQ(g.tilesCovering({-180, -90, 180, 90}, 1).size(), 6u);
    EXPECT_EQ(g.tilesCovering({-180, -90, 180, 90}, 8, 100).size(), 100u);
    // Texels about a pixel: 0.0022 degrees a pixel is level 8, 0.5625 level 0.
    // (0.04 lies between level 4's 0.035 and level 3's 0.070.)
    EXPECT_EQ(std::tuple(g.levelFor(288.0 / 512 / 256), g.levelFor(0.5), g.levelFor(0.04), g.levelFor(1e-9)),
              std::tuple(8, 0, 4, 8));

    const ImageryTileGrid plain = ImageryTileGrid::geodetic(16);
    EXPECT_EQ(std::pair(plain.columns(0), plain.rows(0)), std::pair(2, 1));
    EXPECT_EQ(plain.tileAt(100, -44.9, 2), (ImageryTileKey{2, 2, 6}));  // 45 degree tiles, 4 rows
}

TEST(ImagerySource, ExpandsTemplatesAndRefusesBadOnes) {
    std::string error;
    const int day = daysFromCivil(2024, 2, 29);
    EXPECT_EQ(std::tuple(isoDate(day), isoDate(day + 1), isoDate(0), daysFromCivil(2000, 1, 1)),
              std::tuple("2024-02-29", "2024-03-01", "1970-01-01", 10957));

    auto nasa = ImagerySource::make("", settings::ImageryLayer::Daily, error);
    ASSERT_TRUE(nasa);
    EXPECT_TRUE(nasa->daily() && nasa->nasa() && nasa->credit() == std::string("NASA EOSDIS GIBS"));
    EXPECT_EQ(nasa->url({6, 13, 36}, day),
              "https://gibs.earthdata.nasa.gov/wmts/epsg4326/best/VIIRS_SNPP_CorrectedReflectance_TrueColor/default/"
              "2024-02-29/250m/6/13/36.jpg");
    auto relief = ImagerySource::make("", settings::ImageryLayer::CloudFree, error);
    ASSERT_TRUE(relief);
    EXPECT_TRUE(!relief->daily() && relief->grid().maxLevel() == 7);
    EXPECT_EQ(relief->url({1, 0, 2}, day),
              "https://gibs.earthdata.nasa.gov/wmts/epsg4326/best/BlueMarble_ShadedRelief_Bathymetry/default/default/"
              "500m/1/0/2.jpg");
    EXPECT_NE(relief->cacheFolder(), nasa->cacheFolder());

    auto plain = ImagerySource::make("HTTP://127.0.0.1:8000/t/{z}/{x}/{y}.jpg", settings::ImageryLayer::Daily, error);
    ASSERT_TRUE(plain);
    // No {Time}: the same tiles every day.
    EXPECT_TRUE(plain->grid().kind() == ImageryTileGrid::Kind::Geodetic && !plain->daily() && !plain->nasa());
    EXPECT_EQ(plain->url({3, 5, 9}, day), "HTTP://127.0.0.1:8000/t/3/9/5.jpg");

    const char* bad[] = {
        "ftp://host/{z}/{x}/{y}.jpg",  "https:///{z}/{x}/{y}",         "http://h/{z}/{x}.jpg",
        "http://h/{z}/{x}/{y}/{q}",    "http://h/{TileMatrix}/{y}/{TileCol}", "http://h/{z/{x}/{y}",
        "http://h/a b/{z}/{x}/{y}",
    };
    for (const char* t : bad) {
        error.clear();
        EXPECT_TRUE(!ImagerySource::make(t, settings::ImageryLayer::Daily, error) && !error.empty()) << t;
    }
    EXPECT_FALSE(ImagerySource::make("", settings::ImageryLayer::Off, error));
}

std::vector<uint8_t> tileJpeg(int size, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> px(size_t(size) * size * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = i % 3 == 0 ? r : i % 3 == 1 ? g : b;
    return test::makeJpeg(px, size, size, 3, 90);
}

TEST(TileResponse, OnlyWholeJpegTilesOfTheGridSizeAreTiles) {
    const std::vector<uint8_t> good = tileJpeg(512, 40, 120, 200);
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 2));
    const std::string html = "<!DOCTYPE html><html><body>Service Unavailable</body></html>";
    const std::vector<uint8_t> page(html.begin(), html.end());
    const std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    struct Case {
        int status;
        std::vector<uint8_t> body;
        TileOutcome outcome;
    } cases[] = {
        {200, good, TileOutcome::Tile},
        {200, cut, TileOutcome::Rejected},
        {200, page, TileOutcome::Rejected},
        {200, png, TileOutcome::Rejected},
        {200, tileJpeg(256, 40, 120, 200), TileOutcome::Rejected},
        {200, tileJpeg(512, 3, 2, 4), TileOutcome::Missing},  // a day without data
        {200, {}, TileOutcome::Missing},
        {404, page, TileOutcome::Missing},
        {503, {}, TileOutcome::Retry},
        {429, {}, TileOutcome::Retry},
        {0, {}, TileOutcome::Retry},
        {403, page, TileOutcome::Rejected},
    };
    for (const Case& c : cases) {
        const TileAnswer a = classifyTileResponse(c.status, c.body, 512);
        EXPECT_EQ(a.outcome, c.outcome) << c.status << " " << c.body.size() << " " << a.reason;
        EXPECT_EQ(a.image.texels.empty(), c.outcome != TileOutcome::Tile);
        if (c.outcome != TileOutcome::Tile) EXPECT_FALSE(a.reason.empty());
    }
    EXPECT_EQ(classifyTileResponse(200, page, 512).reason, "a web page instead of a tile");
    const TileAnswer a = decodeTileBody(good, 512);
    ASSERT_EQ(a.image.size, 512);
    ASSERT_EQ(a.image.levels(), 10);
    EXPECT_EQ(a.image.texels.size(), 349525u);  // 512^2 + 256^2 + ... + 1
    for (int level : {0, 4, 9})
        EXPECT_TRUE(a.image.at(0, 0, level) >> 24 == 0xFF && std::abs(int(a.image.at(0, 0, level) >> 8 & 0xFF) - 120) <= 3);
    EXPECT_TRUE(a.image.opaque);
    // Black has no data: see-through. A mip texel is the mean of the four
    // above it, alpha too.
    std::vector<uint8_t> halves(4 * 4 * 3, 0);
    for (size_t i = 0; i < halves.size(); i += 3) halves[i] = (i / 3) % 4 < 2 ? 250 : 0;
    const TileAnswer split = decodeTileBody(test::makeJpeg(halves, 4, 4, 3, 100, false, true), 4);
    ASSERT_EQ(split.outcome, TileOutcome::Tile) << split.reason;
    EXPECT_EQ(std::tuple(split.image.opaque, split.image.at(0, 0) >> 24, split.image.at(3, 0) >> 24),
              std::tuple(false, 0xFFu, 0u));
    EXPECT_NEAR(int(split.image.at(0, 0, 2) >> 16 & 0xFF), 125, 4);
    EXPECT_NEAR(int(split.image.at(0, 0, 2) >> 24), 127, 1);
    EXPECT_FALSE(decodeTileBody(test::makeJpeg(Bytes(6 * 6 * 3, 90), 6, 6, 3), 6).image.size);  // not a power of two
}

}  // namespace
}  // namespace tnx::globe
