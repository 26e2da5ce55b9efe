#include "globe/image/tile_jpeg.h"

#include <gtest/gtest.h>

#include <cmath>

#include "globe/image/test_jpeg.h"

namespace tnx::globe {
namespace {

TEST(TileJpegTest, RoundTripStaysWithinJpegTolerance) {
    auto tile = test::smoothRgb(kTileJpegSide, kTileJpegSide);
    // Some texture on top of the gradient, like real terrain colour.
    for (size_t i = 0; i < tile.size(); ++i) tile[i] = uint8_t(tile[i] + int(8 * std::sin(double(i) * 0.01)));
    std::vector<uint8_t> jpeg;
    size_t bytes = encodeTileJpeg(tile, jpeg);
    ASSERT_GT(bytes, 0u);
    EXPECT_EQ(bytes, jpeg.size());
    EXPECT_LT(bytes, kTileRgbBytes);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);

    std::vector<uint8_t> back(kTileRgbBytes);
    ASSERT_TRUE(decodeTileJpeg(jpeg, back));
    double sum = 0;
    int worst = 0;
    for (size_t i = 0; i < tile.size(); ++i) {
        int d = std::abs(int(tile[i]) - int(back[i]));
        sum += d;
        worst = std::max(worst, d);
    }
    EXPECT_LT(sum / double(tile.size()), 2.0);
    EXPECT_LE(worst, 20);

    // Encoding is deterministic and a reused destination holds only the new tile.
    std::vector<uint8_t> again(100000, 0xCC);
    EXPECT_EQ(encodeTileJpeg(tile, again), bytes);
    EXPECT_EQ(again, jpeg);
}

TEST(TileJpegTest, QualityNinetyWithFullColourResolution) {
    // Same bytes as libjpeg's own encoder at quality 90 with colour sampled
    // at every pixel.
    auto tile = test::smoothRgb(kTileJpegSide, kTileJpegSide);
    std::vector<uint8_t> jpeg;
    ASSERT_GT(encodeTileJpeg(tile, jpeg), 0u);
    EXPECT_EQ(jpeg, test::makeJpeg(tile, kTileJpegSide, kTileJpegSide, 3, 90, false, true));
}

TEST(TileJpegTest, SharedEdgeKeepsItsColourInBothNeighbours) {
    // Two tiles share their edge row; below it one is green, the other red.
    // Both copies of the blue edge row must come back alike, or the globe
    // shows a coloured seam where the tiles meet.
    std::vector<uint8_t> south(kTileRgbBytes), north(kTileRgbBytes);
    auto fill = [](std::vector<uint8_t>& t, int row, uint8_t r, uint8_t g, uint8_t b) {
        for (int j = 0; j < kTileJpegSide; ++j) {
            uint8_t* p = &t[(size_t(row) * kTileJpegSide + size_t(j)) * 3];
            p[0] = r, p[1] = g, p[2] = b;
        }
    };
    for (int i = 0; i < kTileJpegSide; ++i) {
        fill(south, i, 30, 160, 40);
        fill(north, i, 200, 40, 30);
    }
    fill(south, kTileJpegSide - 1, 20, 40, 200);  // the south tile's last row
    fill(north, 0, 20, 40, 200);                   // is the north tile's first
    std::vector<uint8_t> a, b, backA(kTileRgbBytes), backB(kTileRgbBytes);
    ASSERT_GT(encodeTileJpeg(south, a), 0u);
    ASSERT_GT(encodeTileJpeg(north, b), 0u);
    ASSERT_TRUE(decodeTileJpeg(a, backA));
    ASSERT_TRUE(decodeTileJpeg(b, backB));
    int worst = 0;
    for (int j = 0; j < kTileJpegSide; ++j)
        for (int c = 0; c < 3; ++c) {
            const int sa = backA[(size_t(kTileJpegSide - 1) * kTileJpegSide + size_t(j)) * 3 + size_t(c)];
            const int sb = backB[size_t(j) * 3 + size_t(c)];
            worst = std::max(worst, std::abs(sa - sb));
        }
    EXPECT_LE(worst, 12);
}

TEST(TileJpegTest, RejectsShortInputsAndForeignImages) {
    std::vector<uint8_t> jpeg = {1, 2, 3};
    EXPECT_EQ(encodeTileJpeg(std::vector<uint8_t>(kTileRgbBytes - 1), jpeg), 0u);
    EXPECT_TRUE(jpeg.empty());

    auto tile = test::smoothRgb(kTileJpegSide, kTileJpegSide);
    ASSERT_GT(encodeTileJpeg(tile, jpeg), 0u);
    std::vector<uint8_t> out(kTileRgbBytes);
    EXPECT_FALSE(decodeTileJpeg(jpeg, std::span(out).first(kTileRgbBytes - 1)));
    EXPECT_FALSE(decodeTileJpeg(std::span(jpeg).first(jpeg.size() / 2), out));
    EXPECT_FALSE(decodeTileJpeg(std::span(jpeg).first(10), out));
    EXPECT_FALSE(decodeTileJpeg({}, out));
    EXPECT_FALSE(decodeTileJpeg(std::vector<uint8_t>(3000, 0x00), out));

    auto small = test::makeJpeg(test::smoothRgb(128, 128), 128, 128, 3, 90);
    EXPECT_FALSE(decodeTileJpeg(small, out));
    auto wide = test::makeJpeg(test::smoothRgb(130, 129), 130, 129, 3, 90);
    EXPECT_FALSE(decodeTileJpeg(wide, out));
}

}  // namespace
}  // namespace tnx::globe
