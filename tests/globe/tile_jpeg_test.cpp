#include "globe/tile_jpeg.h"

#include <gtest/gtest.h>

#include <cmath>

#include "globe/test_jpeg.h"

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

TEST(TileJpegTest, QualityIsNinety) {
    // Same bytes as libjpeg's own encoder at quality 90 with default settings.
    auto tile = test::smoothRgb(kTileJpegSide, kTileJpegSide);
    std::vector<uint8_t> jpeg;
    ASSERT_GT(encodeTileJpeg(tile, jpeg), 0u);
    EXPECT_EQ(jpeg, test::makeJpeg(tile, kTileJpegSide, kTileJpegSide, 3, 90));
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
