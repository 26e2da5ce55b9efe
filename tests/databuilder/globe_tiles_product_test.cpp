#include "globe_tiles_product.h"

#include "elevation_grid.h"
#include "globe_sources.h"
#include "land_mask.h"
#include "netcdf_classic.h"

#include "globe/terrain/tile_file.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

namespace fs = std::filesystem;

// A 12 x 7 grid (30-degree steps): metres = 100 x column + row.
std::vector<float> smallGrid() {
    std::vector<float> m(12 * 7);
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 12; ++c) m[size_t(r * 12 + c)] = float(100 * c + r);
    return m;
}

TEST(NetcdfClassic, ReadsTheGridVariable) {
    auto bytes = test::netcdfGrid(12, 7, smallGrid());
    NetcdfClassic file;
    ASSERT_TRUE(file.parse(bytes)) << file.error();
    const auto* v = file.variable("ROSE");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(file.shape(*v), (std::vector<uint64_t>{7, 12}));
    std::vector<float> values;
    ASSERT_TRUE(file.readFloats(*v, values));
    EXPECT_EQ(values, smallGrid());
    EXPECT_EQ(file.variable("NONE"), nullptr);
}

TEST(NetcdfClassic, DamagedFilesAreRefused) {
    const auto good = test::netcdfGrid(12, 7, smallGrid());
    NetcdfClassic file;
    // Not netCDF; an unknown version.
    EXPECT_FALSE(file.parse(std::vector<uint8_t>{'C', 'D', 'F'}));
    auto bad = good;
    bad[3] = 5;
    EXPECT_FALSE(file.parse(bad));
    // Cut inside the header.
    for (size_t cut : {size_t(10), size_t(40), size_t(90)}) {
        std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        EXPECT_FALSE(file.parse(part)) << cut;
    }
    // Cut inside the data: the header parses, the variable does not read.
    std::vector<uint8_t> shortData(good.begin(), good.end() - 4);
    ASSERT_TRUE(file.parse(shortData));
    std::vector<float> values;
    EXPECT_FALSE(file.readFloats(*file.variable("ROSE"), values));
    // A huge name length or a dimension id that does not exist.
    bad = good;
    bad[16] = 0x7F;
    EXPECT_FALSE(file.parse(bad));
    bad = good;
    size_t at = 0;
    for (size_t i = 0; i + 4 < bad.size(); ++i)
        if (std::memcmp(&bad[i], "ROSE", 4) == 0) at = i;
    ASSERT_GT(at, 0u);
    bad[at + 11] = 9;  // its first dimension id
    EXPECT_FALSE(file.parse(bad));
}

TEST(ElevationGrid, ResamplesFromMinus180AndRowsFromTheSouth) {
    ElevationGrid grid;
    std::string error;
    ASSERT_TRUE(grid.load(test::netcdfGrid(12, 7, smallGrid()), error)) << error;
    EXPECT_EQ(grid.columns(), 12);
    EXPECT_EQ(grid.rows(), 7);
    // Longitude 0 is source column 0, longitude -180 source column 6.
    EXPECT_NEAR(grid.sample(0, -90), 0, 1e-3);
    EXPECT_NEAR(grid.sample(-180, -90), 600, 1e-3);
    EXPECT_NEAR(grid.sample(45, 15), 150 + 3.5, 1e-3);
    EXPECT_NEAR(grid.sample(345, 0), 1100 * 0.5 + 0 * 0.5 + 3, 1e-3);  // wraps to column 0
    std::vector<float> fine = grid.resample(513);
    ASSERT_EQ(fine.size(), size_t(513) * 257);
    EXPECT_NEAR(fine[0], 600, 1e-3);             // -180, south pole
    EXPECT_NEAR(fine[256], 0, 1e-3);             // longitude 0
    EXPECT_EQ(fine[512], fine[0]);               // the wrap column
    EXPECT_NEAR(fine[size_t(256) * 513 + 256], 6, 1e-3);  // north pole row
    // Fill values and damage become sea level.
    auto m = smallGrid();
    m[5] = -1e34f;
    ASSERT_TRUE(grid.load(test::netcdfGrid(12, 7, m), error));
    EXPECT_EQ(grid.at(5, 0), 0.0f);
}

TEST(ElevationGrid, CoarserTargetsAverageTheCells) {
    // A checkerboard averages to its mean instead of aliasing.
    std::vector<float> m(64 * 33);
    for (int r = 0; r < 33; ++r)
        for (int c = 0; c < 64; ++c) m[size_t(r * 64 + c)] = ((r + c) % 2) ? 1000.0f : 0.0f;
    ElevationGrid grid;
    grid.assign(64, 33, m);
    std::vector<float> coarse = grid.resample(17);  // 4 source cells per target cell
    for (int r = 2; r < 7; ++r)
        for (int c = 0; c < 16; ++c) EXPECT_NEAR(coarse[size_t(r * 17 + c)], 500, 120) << c << "," << r;
}

TEST(ElevationGrid, LongDropoutsAlongARowAreMendedFjordsStay) {
    // 360 columns: one per degree, so a run of 2 columns is 2 degrees.
    const int columns = 360, rows = 20;
    std::vector<float> m(size_t(columns) * rows, 2700.0f);
    auto at = [&](int c, int r) -> float& { return m[size_t(r) * columns + size_t(c)]; };
    for (int c = 350; c < 360; ++c) at(c, 5) = 0.0f;  // a dropout across longitude 0...
    for (int c = 0; c < 30; ++c) at(c, 5) = 122.0f;   // ...continuing east of it
    at(100, 5) = 0.0f;                                  // a single low sample: a fjord
    for (int c = 200; c < 220; ++c) at(c, 10) = 2000.0f;  // only 700 m lower: real relief
    for (int c = 0; c < columns; ++c) at(c, 0) = 2810.0f;  // the pole row is left alone
    ElevationGrid grid;
    grid.assign(columns, rows, m);
    EXPECT_EQ(grid.repairDropouts(), 40);
    for (int c : {350, 359, 0, 29}) EXPECT_FLOAT_EQ(grid.at(c, 5), 2700.0f) << c;
    EXPECT_FLOAT_EQ(grid.at(100, 5), 0.0f);
    EXPECT_FLOAT_EQ(grid.at(210, 10), 2000.0f);
    EXPECT_FLOAT_EQ(grid.at(5, 0), 2810.0f);
    EXPECT_EQ(grid.repairDropouts(), 0);
}

TEST(LandMask, FillsRingsAcrossTheDateLineAndRoundThePole) {
    // A square in the Atlantic, an island across the date line, and a ring
    // round the south pole closed along it.
    auto json = test::topojson({
        {{-40, 10}, {-20, 10}, {-20, 30}, {-40, 30}, {-40, 10}},
        {{170, -20}, {180, -20}, {-170, -20}, {-170, -10}, {180, -10}, {170, -10}, {170, -20}},
        {{-180, -70}, {-90, -65}, {0, -70}, {90, -65}, {180, -70}, {-180, -70}},
    });
    LandMask mask;
    std::string error;
    ASSERT_TRUE(mask.build(std::vector<uint8_t>(json.begin(), json.end()), 1025, error)) << error;
    ASSERT_EQ(mask.height(), 513);
    auto land = [&](double lon, double lat) {
        int c = int(std::lround((lon + 180) / 360 * 1024)) % 1024, r = int(std::lround((lat + 90) / 180 * 512));
        return mask.land(c, r);
    };
    EXPECT_TRUE(land(-30, 20));
    EXPECT_FALSE(land(-50, 20));
    EXPECT_FALSE(land(-30, 35));
    EXPECT_TRUE(land(175, -15));
    EXPECT_TRUE(land(-175, -15));
    EXPECT_TRUE(land(180, -15));
    EXPECT_FALSE(land(0, -15));  // no band across the map
    EXPECT_FALSE(land(160, -15));
    EXPECT_TRUE(land(0, -80));
    EXPECT_TRUE(land(120, -89));
    EXPECT_TRUE(mask.land(300, 0));   // the south pole
    EXPECT_FALSE(land(0, -60));
    EXPECT_FALSE(mask.land(300, 512));  // the north pole
    for (int r = 0; r < 513; ++r) ASSERT_EQ(mask.land(0, r), mask.land(1024, r));
    EXPECT_FALSE(mask.build(std::vector<uint8_t>{'{', '}'}, 1025, error));
}

TEST(GlobeTilesProduct, ClassesAndTheMissingMark) {
    std::vector<float> metres = {120, -300, 50, 8000, -20000, 20000};
    std::vector<uint8_t> land = {1, 1, 0, 0, 0, 1};
    TerrainSamples t = GlobeTilesProduct::classify(5, metres, land);
    ASSERT_EQ(t.samples.size(), 15u);
    EXPECT_EQ(t.samples[0], globe::makeSample(120, 0));
    EXPECT_EQ(t.samples[1], globe::makeSample(-300, 0));  // land below sea level stays land
    EXPECT_EQ(globe::sampleClass(t.samples[2]), 3);
    EXPECT_EQ(globe::sampleElevation(t.samples[2]), -2);   // never the 0xFFFF mark
    EXPECT_NE(t.samples[3], globe::kMissingSample);
    EXPECT_EQ(globe::sampleElevation(t.samples[4]), -16384);
    EXPECT_EQ(globe::sampleElevation(t.samples[5]), 12287);
}

// The whole product on small sources, completed by the installer.
TEST(GlobeTilesProduct, BuildsAndCompletesBothTileFiles) {
    test::TestHome home;
    const fs::path sources = home.file("sources"), out = home.file("out");
    auto put = [&](std::string_view rel, const std::vector<uint8_t>& bytes) {
        fs::create_directories((sources / rel).parent_path());
        ASSERT_TRUE(io::writeFileAtomically(sources / rel, bytes));
    };
    // Everything at 500 m except a deep sea west of longitude 0 (source
    // columns 6..11); land is a box over Africa.
    std::vector<float> m(12 * 7, 500.0f);
    for (int r = 0; r < 7; ++r)
        for (int c = 6; c < 12; ++c) m[size_t(r * 12 + c)] = -4000.0f;
    put(source::kElevation, test::netcdfGrid(12, 7, m));
    auto atlas = test::topojson({{{-10, -30}, {40, -30}, {40, 30}, {-10, 30}, {-10, -30}}});
    put(source::kCountries, std::vector<uint8_t>(atlas.begin(), atlas.end()));
    put(source::kEarthImage, test::worldImage(2048, 1024, 30, 60, 200));

    GlobeTilesProduct product;
    EXPECT_EQ(product.terrainName(), "globe11c.tem");
    EXPECT_EQ(product.textureName(), "globetex11j90.tex");
    ProductFiles files;
    std::string error;
    ASSERT_TRUE(product.build(SourceCache(sources), files, error)) << error;
    fs::create_directories(out);
    for (auto& [name, bytes] : files) ASSERT_TRUE(io::writeFileAtomically(out / name, bytes));
    ASSERT_TRUE(product.complete(out, error)) << error;

    globe::TileFile terrain;
    ASSERT_EQ(terrain.open(out / "globe11c.tem", "rb"), globe::kTileFileKind2);
    EXPECT_EQ(terrain.gridWidth(), 2049);
    std::vector<uint8_t> tile(globe::kTerrainTileBytes);
    // Africa (longitude 10, latitude 0): land at 500 m; west of it sea.
    ASSERT_EQ(terrain.readTile(1024, 512, 0, tile.data(), tile.size()), globe::kTileDelivered);
    uint16_t africa = io::loadU16(&tile[size_t(0 * 129 + 57) * 2]);
    EXPECT_EQ(globe::sampleClass(africa), 0);
    EXPECT_NEAR(globe::sampleElevation(africa), 500, 1);
    ASSERT_EQ(terrain.readTile(512, 512, 0, tile.data(), tile.size()), globe::kTileDelivered);
    uint16_t sea = io::loadU16(&tile[size_t(10 * 129 + 10) * 2]);
    EXPECT_EQ(globe::sampleClass(sea), 3);
    EXPECT_NEAR(globe::sampleElevation(sea), -4000, 1);
    EXPECT_EQ(terrain.readTile(0, 0, 4, tile.data(), tile.size()), globe::kTileDelivered);

    globe::TileFile texture;
    ASSERT_EQ(texture.open(out / "globetex11j90.tex", "rb"), globe::kTileFileKind2);
    EXPECT_EQ(texture.gridWidth(), 2049);
    std::vector<uint8_t> colour(globe::kTextureTileBytes);
    ASSERT_EQ(texture.readTile(0, 0, 6, colour.data(), colour.size()), globe::kTileDelivered);
    EXPECT_NEAR(colour[2], 200, 6);

    // A world image of another size is refused.
    put(source::kEarthImage, test::worldImage(1024, 512, 1, 2, 3));
    ProductFiles again;
    EXPECT_FALSE(product.build(SourceCache(sources), again, error));
    EXPECT_NE(error.find("2048 x 1024"), std::string::npos) << error;
}

}  // namespace
}  // namespace tnx::databuilder
