// The built tile files in the program folder (TERRANOX_APP_DIR, made by
// scripts/build-data.sh and completed by the program's own installer): the
// relief and the colours land where the real Earth has them.
#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"
#include "platform/io/byte_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <cstdlib>
#include <numbers>

namespace tnx::globe {
namespace {

std::filesystem::path appDir() {
    const char* dir = std::getenv("TERRANOX_APP_DIR");
    return dir ? dir : "build/app";
}

constexpr double kDegree = std::numbers::pi / 180.0;

class TileFilesData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(terrain.open(appDir() / "globe11c.tem", "rb"), kTileFileKind2)
            << "no completed globe11c.tem in " << appDir() << " (run scripts/build-data.sh)";
        ASSERT_EQ(texture.open(appDir() / "globetex11j90.tex", "rb"), kTileFileKind2);
        tileLevelRelation(terrain.gridWidth(), texture.gridWidth(), shift, offset);
        cache = std::make_unique<ElevationCache>(&terrain, shift, ((terrain.gridWidth() - 1) << shift) + 1,
                                                 ((terrain.gridHeight() - 1) << shift) + 1, 0, 0, 5);
    }

    // Metres and surface class at a place (degrees), straight from the
    // level-0 tiles of the file.
    struct Sample {
        int metres = 0, surfaceClass = -1;
    };
    Sample at(double lonDeg, double latDeg) {
        const int w = terrain.gridWidth();
        int col = int(std::lround((lonDeg + 180.0) / 360.0 * (w - 1))) % (w - 1);
        int row = int(std::lround((latDeg + 90.0) / 180.0 * (w - 1) / 2));
        int y = std::min(row / 128 * 128, (w - 1) / 2 - 128);  // the pole row ends the last tile row
        int step = 1 << RowShiftTable(w).tileRowShift(y, 128);
        int x = col / (128 * step) * 128 * step;
        std::vector<uint8_t> tile(kTerrainTileBytes);
        if (terrain.readTile(x, y, 0, tile.data(), tile.size()) != kTileDelivered) return {};
        uint16_t s = io::loadU16(&tile[size_t((row - y) * 129 + (col - x) / step) * 2]);
        return {sampleElevation(s), sampleClass(s)};
    }

    // Mean colour of a texture tile region around a place.
    std::array<int, 3> colour(double lonDeg, double latDeg) {
        const int w = texture.gridWidth();
        int col = int(std::lround((lonDeg + 180.0) / 360.0 * (w - 1))) % (w - 1);
        int row = int(std::lround((latDeg + 90.0) / 180.0 * (w - 1) / 2));
        int y = std::min(row / 128 * 128, (w - 1) / 2 - 128);
        int step = 1 << RowShiftTable(w).tileRowShift(y, 128);
        int x = col / (128 * step) * 128 * step;
        std::vector<uint8_t> tile(kTextureTileBytes);
        if (texture.readTile(x, y, 0, tile.data(), tile.size()) != kTileDelivered) return {-1, -1, -1};
        int i0 = (col - x) / step, j0 = row - y;
        std::array<int, 3> sum{};
        int n = 0;
        for (int j = std::max(0, j0 - 2); j <= std::min(128, j0 + 2); ++j)
            for (int i = std::max(0, i0 - 2); i <= std::min(128, i0 + 2); ++i, ++n)
                for (int c = 0; c < 3; ++c) sum[size_t(c)] += tile[(size_t(j) * 129 + size_t(i)) * 3 + size_t(c)];
        for (int& s : sum) s /= n;
        return sum;
    }

    TileFile terrain, texture;
    int shift = 1, offset = 0;
    std::unique_ptr<ElevationCache> cache;
};

TEST_F(TileFilesData, GridsAndPyramidsAreComplete) {
    EXPECT_EQ(terrain.gridWidth(), 2049);
    EXPECT_EQ(terrain.gridHeight(), 1025);
    EXPECT_EQ(texture.gridWidth(), 2049);
    EXPECT_EQ(texture.gridHeight(), 1025);
    EXPECT_FALSE(std::filesystem::exists(appDir() / "globetex11j90.jpg"));
    std::vector<uint8_t> t(kTerrainTileBytes), c(kTextureTileBytes);
    for (int level = 0; level <= 4; ++level) EXPECT_EQ(terrain.readTile(1024, 512, level, t.data(), t.size()), kTileDelivered) << level;
    for (int level = 0; level <= 6; ++level) EXPECT_EQ(texture.readTile(0, 0, level, c.data(), c.size()), kTileDelivered) << level;
    // Every level-0 tile of both files is there.
    RowShiftTable shifts(2049);
    for (int y = 0; y < 1024; y += 128) {
        int step = 1 << shifts.tileRowShift(y, 128);
        for (int x = 0; x < 2048; x += 128 * step) {
            ASSERT_EQ(terrain.readTile(x, y, 0, t.data(), t.size()), kTileDelivered) << x << "," << y;
            ASSERT_EQ(texture.readTile(x, y, 0, c.data(), c.size()), kTileDelivered) << x << "," << y;
        }
    }
}

TEST_F(TileFilesData, ReliefAndSurfaceClassesMatchTheEarth) {
    Sample everest = at(86.925, 27.988);
    EXPECT_GT(everest.metres, 5000);
    EXPECT_EQ(everest.surfaceClass, 0);
    Sample mariana = at(142.2, 11.35);
    EXPECT_LT(mariana.metres, -6000);
    EXPECT_EQ(mariana.surfaceClass, 3);
    Sample sahara = at(10.0, 23.0);
    EXPECT_EQ(sahara.surfaceClass, 0);
    EXPECT_GT(sahara.metres, 100);
    EXPECT_LT(sahara.metres, 1500);
    Sample pacific = at(-150.0, 0.0);
    EXPECT_EQ(pacific.surfaceClass, 3);
    EXPECT_LT(pacific.metres, -3000);
    Sample antarctica = at(0.0, -80.0);
    EXPECT_EQ(antarctica.surfaceClass, 0);
    EXPECT_GT(antarctica.metres, 1500);
    EXPECT_EQ(at(0.0, -90.0).surfaceClass, 0);
    EXPECT_EQ(at(0.0, 90.0).surfaceClass, 3);
    EXPECT_EQ(at(50.5, 41.5).surfaceClass, 3);  // the Caspian Sea is no land
    EXPECT_EQ(at(5.5, 52.5).surfaceClass, 0);   // polders stay land
}

TEST_F(TileFilesData, ElevationQueriesSeeTheRelief) {
    EXPECT_GT(cache->elevationAt(float(86.925 * kDegree), float(27.988 * kDegree)), 4000.0f);
    EXPECT_LT(cache->elevationAt(float(-150 * kDegree), 0.0f), -3000.0f);
    float andes = cache->elevationAt(float(-68.0 * kDegree), float(-20.0 * kDegree));
    EXPECT_GT(andes, 3000.0f);
}

TEST_F(TileFilesData, ColoursLandWhereTheImageHasThem) {
    auto sahara = colour(10.0, 23.0);
    EXPECT_GT(sahara[0], sahara[2] + 20);  // sand: more red than blue
    auto pacific = colour(-150.0, 0.0);
    EXPECT_GT(pacific[2], pacific[0] + 20);  // sea: blue
    auto antarctica = colour(0.0, -85.0);
    EXPECT_GT(antarctica[0] + antarctica[1] + antarctica[2], 3 * 180);  // ice
}

}  // namespace
}  // namespace tnx::globe
