#include "globe/terrain/elevation_cache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <numbers>

#include "core/process_state.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/tile_file.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

using SampleFn = std::function<uint16_t(int column, int row)>;

// A terrain file of level-0 tiles cut from fn the way the installer cuts
// them (decimated polar rows).
void writeTerrain(const std::filesystem::path& p, int width, const SampleFn& fn) {
    if (std::FILE* h = std::fopen(p.c_str(), "wb")) std::fclose(h);
    TileFile f;
    ASSERT_EQ(f.open(p, "r+b"), kTileFileKind2);
    const int height = (width - 1) / 2 + 1;
    f.setGrid(width, height);
    RowShiftTable shifts(width);
    std::vector<uint8_t> tile(kTerrainTileBytes);
    for (int y = 0; y < height - 1; y += 128) {
        int step = 1 << shifts.tileRowShift(y, 128);
        for (int x = 0; x < width - 1; x += 128 * step) {
            for (int j = 0; j < 129; ++j)
                for (int i = 0; i < 129; ++i)
                    io::storeU16(&tile[size_t(j * 129 + i) * 2], fn((x + i * step) % (width - 1), y + j));
            ASSERT_TRUE(f.writeTile(x, y, 0, tile.data(), tile.size(), true));
        }
    }
    ASSERT_TRUE(f.writeHeader());
}

int metres(uint32_t word) { return int(word & 0x7FFF) - 16384; }
int wordClassOf(uint32_t word) { return int((word >> 15) & 3); }

constexpr double kPi = std::numbers::pi;
float lonOf(double column, int width) { return float(column * 2 * kPi / (width - 1) - kPi); }
float latOf(double row, int width) { return float(row * 2 * kPi / (width - 1) - kPi / 2); }

TEST(ElevationCacheSizes, LevelsAndRingSide) {
    EXPECT_EQ(ElevationCache::levelCountFor(2049), 1);
    EXPECT_EQ(ElevationCache::levelCountFor(4097), 2);
    EXPECT_EQ(ElevationCache::levelCountFor(131073), 7);
    EXPECT_EQ(ElevationCache::levelCountFor(1025), 0);
    EXPECT_EQ(ElevationCache::levelCountFor(4000), 0);
    EXPECT_EQ(ElevationCache::ringSideForMemory(152000001), 13);
    EXPECT_EQ(ElevationCache::ringSideForMemory(152000000), 9);
    EXPECT_EQ(ElevationCache::ringSideForMemory(64000001), 9);
    EXPECT_EQ(ElevationCache::ringSideForMemory(64000000), 7);
    EXPECT_EQ(ElevationCache::ringSideForMemory(32000001), 7);
    EXPECT_EQ(ElevationCache::ringSideForMemory(32000000), 5);
    EXPECT_EQ(ElevationCache::ringSideForMemory(0), 5);
    app::processState().availableTextureMemory = 100000000;
    ElevationCache cache(nullptr, 1, 4097, 2049, 0, 0);
    EXPECT_EQ(cache.ringSide(), 9);
    app::processState().availableTextureMemory = 0;
    // A grid that is not 2^k + 1 gives an empty cache that still answers.
    ElevationCache bad(nullptr, 1, 4000, 2000, 0, 0);
    EXPECT_EQ(bad.levelCount(), 0);
    EXPECT_EQ(bad.tileAt(0, 0, 0), nullptr);
    EXPECT_EQ(bad.elevationAt(0.3f, 0.2f), 0.0f);
    bad.recentre(10, 10);
}

TEST(ElevationCacheSizes, NoTerrainFileMeansSeaLevelEverywhere) {
    ElevationCache cache(nullptr, 1, 4097, 2049, 2048, 1024, 5);
    EXPECT_EQ(cache.elevationAt(0.5f, 0.5f), 0.0f);
    EXPECT_EQ(cache.elevationAt(-3.0f, -1.5f), 0.0f);
    const CacheTile* t = cache.tileAt(1, 100, 100);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(metres(t->word(5, 5)), 0);
    const CacheTile* fine = cache.tileAt(0, 2048, 1024);
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(metres(fine->word(64, 64)), 0);
}

// A terrain of 2049 x 1025 whose class-0 elevation rises linearly: the
// cache (grid 4097) must reproduce it exactly at every level.
class ElevationCacheTest : public ::testing::Test {
protected:
    static int linear(int column, int row) { return 4 * row + 2 * (column % 512); }
    void SetUp() override {
        writeTerrain(home.file("globe11c.tem"), 2049,
                     [](int c, int r) { return makeSample(linear(c, r) - 3000, 0); });
        ASSERT_EQ(file.open(home.file("globe11c.tem"), "rb"), kTileFileKind2);
    }
    // Expected metres at a cache-grid sample.
    static int expected(int column, int row) { return 2 * row + (column % 1024) - 3000; }
    test::TestHome home;
    TileFile file;
};

TEST_F(ElevationCacheTest, CoarseLevelHoldsTheFileSamples) {
    ElevationCache cache(&file, 1, 4097, 2049, 2048, 1024, 5);
    ASSERT_EQ(cache.levelCount(), 2);
    const CacheTile* t = cache.tileAt(1, 1000, 700);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->originX, 768);
    EXPECT_EQ(t->originY, 512);
    EXPECT_EQ(t->dataLevel(), 1);
    EXPECT_TRUE(t->flags & kCacheTileLoaded);
    EXPECT_EQ(t->columnStep(), 2);
    for (int j = 0; j <= 128; j += 16)
        for (int i = 0; i <= 128; i += 8)
            ASSERT_EQ(metres(t->word(i, j)), expected(768 + 2 * i, 512 + 2 * j)) << i << "," << j;
    EXPECT_EQ(wordClassOf(t->word(3, 3)), 0);
}

TEST_F(ElevationCacheTest, FinerLevelIsInterpolatedFromTheCoarser) {
    ElevationCache cache(&file, 1, 4097, 2049, 2048, 1024, 5);
    const CacheTile* t = cache.tileAt(0, 2048, 1024);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->level, 0);
    EXPECT_EQ(t->dataLevel(), 1);  // interpolated from level 1
    EXPECT_EQ(t->columnStep(), 1);
    for (int j = 0; j <= 128; j += 7)
        for (int i = 0; i <= 128; i += 5)
            ASSERT_EQ(metres(t->word(i, j)), expected(2048 + i, 1024 + j)) << i << "," << j;
    // The coarser tile it came from was read on the way.
    EXPECT_EQ(cache.tilesFilled(), 2u);
}

TEST_F(ElevationCacheTest, PolarRowsUseDecimatedColumnsAndTransitionFlags) {
    ElevationCache cache(&file, 1, 4097, 2049, 3000, 0, 5);
    const CacheTile* polar = cache.tileAt(0, 3000, 10);
    ASSERT_NE(polar, nullptr);
    EXPECT_EQ(polar->rowShift, 2);
    EXPECT_EQ(polar->columnStep(), 4);
    EXPECT_EQ(polar->originX % 512, 0);
    for (int i = 0; i <= 128; i += 9)
        ASSERT_EQ(metres(polar->word(i, 64)), expected(polar->originX + 4 * i, 64)) << i;
    const CacheTile* next = cache.tileAt(0, 3000, 200);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->rowShift, 1);
    EXPECT_TRUE(next->flags & kRowBelowCoarser);
    EXPECT_FALSE(next->flags & kRowAboveCoarser);
    EXPECT_FALSE(polar->flags & (kRowBelowCoarser | kRowAboveCoarser));
    ElevationCache north(&file, 1, 4097, 2049, 3000, 2048, 5);
    const CacheTile* n = north.tileAt(0, 3000, 1800);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->rowShift, 1);
    EXPECT_TRUE(n->flags & kRowAboveCoarser);
    // The pole row itself belongs to the last tile row.
    EXPECT_TRUE(north.holds(0, 3000, 2048));
}

TEST_F(ElevationCacheTest, RingsFollowTheCentreAndWrapAtTheDateLine) {
    ElevationCache cache(&file, 1, 4097, 2049, 2048, 1024, 5);
    EXPECT_TRUE(cache.holds(0, 2048, 1024));
    EXPECT_TRUE(cache.holds(0, 2048 + 2 * 128 + 127, 1024));
    EXPECT_FALSE(cache.holds(0, 2048 + 3 * 128, 1024));
    EXPECT_FALSE(cache.holds(0, 0, 1024));
    EXPECT_FALSE(cache.holds(0, 2048, 0));
    EXPECT_TRUE(cache.holds(1, 0, 0));  // the whole globe
    EXPECT_EQ(cache.tileAt(0, 0, 1024), nullptr);

    ASSERT_NE(cache.tileAt(0, 2048, 1024), nullptr);
    uint64_t filled = cache.tilesFilled();
    // Moving within the tile changes nothing; one tile east keeps the tile.
    cache.recentre(2100, 1050);
    cache.recentre(2048 + 128, 1024);
    const CacheTile* same = cache.tileAt(0, 2048, 1024);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(cache.tilesFilled(), filled);
    EXPECT_EQ(metres(same->word(10, 10)), expected(2058, 1034));

    // Across the date line the ring holds both ends of the grid.
    cache.recentre(10, 1024);
    EXPECT_TRUE(cache.holds(0, 0, 1024));
    EXPECT_TRUE(cache.holds(0, 4095, 1024));
    EXPECT_TRUE(cache.holds(0, -5, 1024));
    EXPECT_FALSE(cache.holds(0, 2048, 1024));
    const CacheTile* west = cache.tileAt(0, 4000, 1024);
    ASSERT_NE(west, nullptr);
    EXPECT_EQ(west->originX, 3968);
    EXPECT_EQ(metres(west->word(100, 0)), expected(4068, 1024));
    const CacheTile* seam = cache.tileAt(0, 3968 + 128, 1024);  // column 4096 is column 0
    ASSERT_NE(seam, nullptr);
    EXPECT_EQ(seam->originX, 0);
    // Rows are clamped at the poles.
    cache.recentre(10, 0);
    EXPECT_TRUE(cache.holds(0, 0, 0));
    EXPECT_TRUE(cache.holds(0, 0, 5 * 128 - 1));
    EXPECT_FALSE(cache.holds(0, 0, 5 * 128));
}

TEST_F(ElevationCacheTest, PendingTilesAreReadOnlyWhenAskedFor) {
    ElevationCache cache(&file, 1, 4097, 2049, 2048, 1024, 5);
    EXPECT_EQ(cache.tilesFilled(), 0u);
    size_t pending = cache.pendingCount();
    EXPECT_GE(pending, 25u + 100u);
    ASSERT_NE(cache.tileAt(0, 2048, 1024), nullptr);
    EXPECT_EQ(cache.pendingCount(), pending - 2);
    // Scrolling far brings in a whole new ring.
    cache.recentre(0, 1024);
    EXPECT_GE(cache.pendingCount(), pending - 2);
    for (int round = 0; round < 50; ++round) cache.recentre((round * 300) % 4096, 1024);
    EXPECT_LE(cache.pendingCount(), 25u + 128u);
}

TEST_F(ElevationCacheTest, QueriesUseTheFinestLevelReady) {
    ElevationCache cache(&file, 1, 4097, 2049, 2048, 1024, 5);
    cache.setExaggeration(0.001f);
    // Nothing of level 0 is ready: the whole-globe level answers.
    float a = cache.elevationAt(lonOf(2050, 4097), latOf(1030, 4097));
    EXPECT_NEAR(a, expected(2050, 1030), 1.0f);
    EXPECT_EQ(cache.tilesFilled(), 1u);
    ASSERT_NE(cache.tileAt(0, 2050, 1030), nullptr);
    EXPECT_NEAR(cache.elevationAt(lonOf(2050.5, 4097), latOf(1030.25, 4097)), expected(2050, 1030) + 1.5f, 0.6f);
    EXPECT_NEAR(cache.scaledElevationAt(lonOf(2050, 4097), latOf(1030, 4097)), expected(2050, 1030) * 0.001f, 0.002f);
    // Far from the ring the last level still answers.
    EXPECT_NEAR(cache.elevationAt(lonOf(300, 4097), latOf(400, 4097)), expected(300, 400), 1.0f);
}

TEST(ElevationCacheQuery, CellsSplitAlongACheckerboardOfDiagonals) {
    test::TestHome home;
    // One raised sample at file (c, r); each of its cells is flat elsewhere.
    auto raised = [](int c, int r) { return (c == 1001 && r == 501) || (c == 1201 && r == 500) ? 400 : 0; };
    writeTerrain(home.file("globe11c.tem"), 2049, [&](int c, int r) { return makeSample(raised(c, r), 0); });
    TileFile file;
    ASSERT_EQ(file.open(home.file("globe11c.tem"), "rb"), kTileFileKind2);
    ElevationCache cache(&file, 1, 4097, 2049, 0, 1024, 5);
    // Cell (1000, 500): even parity, diagonal through the raised corner.
    EXPECT_NEAR(cache.elevationAt(lonOf(2001, 4097), latOf(1001, 4097)), 200.0f, 0.5f);
    // Cell (1200, 499): odd parity, the diagonal misses the raised corner.
    EXPECT_NEAR(cache.elevationAt(lonOf(2401, 4097), latOf(999, 4097)), 0.0f, 0.5f);
    // Past the diagonal the raised corner's triangle takes over.
    EXPECT_NEAR(cache.elevationAt(lonOf(2401.5, 4097), latOf(999.5, 4097)), 200.0f, 0.5f);
}

TEST(ElevationCacheClasses, CoastsAndLakesFollowTheCornerClasses) {
    test::TestHome home;
    // Sea (class 3, -100 m) west of file column 1000, land at 100 m east of
    // it; a lake (class 1, 200 m) in rows >= 600 east of column 1100 with a
    // 300 m bank in rows 560..599.
    auto sample = [](int c, int r) -> uint16_t {
        if (c < 1000) return makeSample(-100, 3);
        if (c >= 1100 && r >= 600) return makeSample(200, 1);
        if (c >= 1100 && r >= 560) return makeSample(300, 0);
        return makeSample(100, 0);
    };
    writeTerrain(home.file("globe11c.tem"), 2049, sample);
    TileFile file;
    ASSERT_EQ(file.open(home.file("globe11c.tem"), "rb"), kTileFileKind2);
    ElevationCache cache(&file, 1, 4097, 2049, 2000, 1100, 9);
    auto wordAt = [&](int x, int y) {
        const CacheTile* t = cache.tileAt(0, x, y);
        EXPECT_NE(t, nullptr);
        return t ? t->word(x - t->originX, y - t->originY) : 0u;
    };
    // Halfway between sea and land: 0 m is not below sea level, so land;
    // a quarter of the way from the sea it is sea.
    uint32_t mid = wordAt(1999, 1000);
    EXPECT_EQ(wordClassOf(mid), 0);
    EXPECT_EQ(metres(mid), 0);
    uint32_t sea = wordAt(1998, 1000);
    EXPECT_EQ(wordClassOf(sea), 3);
    EXPECT_EQ(metres(sea), -100);
    // Inside the lake every corner is class 1.
    uint32_t lake = wordAt(2301, 1301);
    EXPECT_EQ(wordClassOf(lake), 1);
    EXPECT_EQ(metres(lake), 200);
    // Land lower than the lake joins it; a higher bank stays land.
    uint32_t lowShore = wordAt(2199, 1400);
    EXPECT_EQ(wordClassOf(lowShore), 1);
    EXPECT_EQ(metres(lowShore), 150);
    uint32_t bank = wordAt(2400, 1199);
    EXPECT_EQ(wordClassOf(bank), 0);
    EXPECT_EQ(metres(bank), 250);
    uint32_t noLake = wordAt(2400, 1119);
    EXPECT_EQ(wordClassOf(noLake), 0);
    EXPECT_EQ(metres(noLake), 200);
}

}  // namespace
}  // namespace tnx::globe

namespace tnx::globe {
namespace {

// A level-0 tile missing from the file (damaged or never written) shows the
// next coarser level's relief, not flat ground.
TEST(ElevationCacheDamage, MissingFileTileFallsBackToTheCoarserLevel) {
    test::TestHome home;
    auto path = home.file("globe12c.tem");
    if (std::FILE* h = std::fopen(path.c_str(), "wb")) std::fclose(h);
    auto metresAt = [](int c, int r) { return 4 * r + 2 * (c % 512) - 3000; };
    {
        TileFile f;
        ASSERT_EQ(f.open(path, "r+b"), kTileFileKind2);
        f.setGrid(4097, 2049);
        std::vector<uint8_t> tile(kTerrainTileBytes);
        auto put = [&](int x, int y, int level) {
            int step = 1 << level;
            for (int j = 0; j < 129; ++j)
                for (int i = 0; i < 129; ++i)
                    io::storeU16(&tile[size_t(j * 129 + i) * 2], makeSample(metresAt(x + i * step, y + j * step), 0));
            ASSERT_TRUE(f.writeTile(x, y, level, tile.data(), tile.size(), true));
        };
        for (int x : {1792, 2048, 2304})
            for (int y : {768, 1024}) put(x, y, 1);
        put(1920, 1024, 0);  // a neighbour; the tile at (2048, 1024) is missing
        ASSERT_TRUE(f.writeHeader());
    }
    TileFile file;
    ASSERT_EQ(file.open(path, "rb"), kTileFileKind2);
    ElevationCache cache(&file, 0, 4097, 2049, 2048, 1024, 5);
    ASSERT_EQ(cache.levelCount(), 2);
    const CacheTile* present = cache.tileAt(0, 1920, 1024);
    ASSERT_NE(present, nullptr);
    EXPECT_EQ(present->dataLevel(), 0);
    const CacheTile* missing = cache.tileAt(0, 2048, 1024);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->dataLevel(), 1) << "taken from the coarser level";
    for (int j = 0; j <= 128; j += 16)
        for (int i = 0; i <= 128; i += 16)
            ASSERT_EQ(metres(missing->word(i, j)), metresAt(2048 + i, 1024 + j)) << i << "," << j;
}

}  // namespace
}  // namespace tnx::globe
