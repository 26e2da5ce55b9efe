#include "globe/terrain/tile_installer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "globe/terrain/row_shift_table.h"
#include "globe/image/test_jpeg.h"
#include "globe/terrain/tile_file.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

void putBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

using PixelFn = std::function<void(int x, int y, uint8_t* rgb)>;

std::vector<uint8_t> image(int width, int height, const PixelFn& fn) {
    std::vector<uint8_t> p(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) fn(x, y, &p[(size_t(y) * width + x) * 3]);
    return test::makeJpeg(p, width, height, 3, 95);
}

struct Texel {
    int r, g, b;
};
Texel texel(const std::vector<uint8_t>& tile, int i, int j) {
    const uint8_t* p = &tile[(size_t(j) * 129 + i) * 3];
    return {p[0], p[1], p[2]};
}

class TextureInstallTest : public ::testing::Test {
protected:
    test::TestHome home;
    std::filesystem::path tex = home.file("globetex11j90.tex");

    // Reads a colour tile of the installed file; empty when it is not there.
    std::vector<uint8_t> colourTile(int x, int y, int level) {
        TileFile f;
        if (f.open(tex, "rb") != kTileFileKind2) return {};
        std::vector<uint8_t> t(kTextureTileBytes);
        return f.readTile(x, y, level, t.data(), t.size()) == kTileDelivered ? t : std::vector<uint8_t>{};
    }
};

TEST(InstallerNames, JobsTitlesAndImageNames) {
    EXPECT_EQ(installKindFor("globetex11j90.tex"), InstallKind::Texture);
    EXPECT_EQ(installKindFor("globe11c.tem"), InstallKind::Terrain);
    EXPECT_EQ(installKindFor("globe.tem.bak"), InstallKind::None);  // after the first "."
    EXPECT_EQ(installKindFor("some.dir/globe11c"), InstallKind::None);
    EXPECT_EQ(installKindFor("nodot"), InstallKind::None);
    EXPECT_EQ(installTitle(InstallKind::Texture), "Install Globe Texture");
    EXPECT_EQ(installTitle(InstallKind::Terrain), "Install Globe Topography");
    EXPECT_EQ(installTitle(InstallKind::None), "");
    EXPECT_EQ(textureImagePath("/a.b/globetex11j90.tex"), std::filesystem::path("/a.b/globetex11j90.jpg"));
    EXPECT_EQ(textureImagePath("x.tex.old"), std::filesystem::path("x.jpg"));
    EXPECT_EQ(installerArgumentFile("InstallTemAndTexture globe11c.tem"), "globe11c.tem");
    EXPECT_EQ(installerArgumentFile("InstallTemAndTexture my file.tex"), "my file.tex");
    EXPECT_EQ(installerArgumentFile("InstallTemAndTexture"), "");
}

TEST_F(TextureInstallTest, WorldImageBecomesThePyramidSouthUpAndWrapped) {
    // Columns 0..63 green, the northern half red, the southern half blue.
    putBytes(tex, image(1024, 512, [](int x, int y, uint8_t* p) {
                 p[0] = x >= 64 && y < 256 ? 200 : 0;
                 p[1] = x < 64 ? 200 : 0;
                 p[2] = x >= 64 && y >= 256 ? 200 : 0;
             }));
    ASSERT_EQ(installTexture(tex), InstallOutcome::Installed);
    EXPECT_FALSE(std::filesystem::exists(home.file("globetex11j90.jpg")));
    TileFile f;
    ASSERT_EQ(f.open(tex, "rb"), kTileFileKind2);
    EXPECT_EQ(f.gridWidth(), 1025);
    EXPECT_EQ(f.gridHeight(), 513);
    EXPECT_EQ(f.header().formatWord, 0x20100u);
    f.close();

    auto south = colourTile(0, 0, 0);
    ASSERT_FALSE(south.empty());
    EXPECT_GT(texel(south, 70, 10).b, 180);   // grid row 10: the south
    EXPECT_GT(texel(south, 10, 10).g, 180);
    auto north = colourTile(896, 384, 0);
    ASSERT_FALSE(north.empty());
    EXPECT_GT(texel(north, 0, 64).r, 180);
    EXPECT_GT(texel(north, 0, 128).r, 180);   // the pole row repeats the top row
    Texel wrapped = texel(north, 128, 64);  // the last column repeats column 0 (one texel: blurred)
    EXPECT_GT(wrapped.g, 120);
    EXPECT_GT(wrapped.g, wrapped.r);
    for (int level = 1; level <= 6; ++level) EXPECT_FALSE(colourTile(0, 0, level).empty()) << level;
    EXPECT_TRUE(colourTile(0, 0, 7).empty());
}

TEST_F(TextureInstallTest, SecondRunLeavesTheInstalledFileAlone) {
    putBytes(tex, image(1024, 512, [](int, int, uint8_t* p) { p[0] = 10, p[1] = 120, p[2] = 30; }));
    ASSERT_EQ(installTexture(tex), InstallOutcome::Installed);
    auto first = io::readWholeFile(tex);
    EXPECT_EQ(installTexture(tex), InstallOutcome::AlreadyInstalled);
    EXPECT_EQ(io::readWholeFile(tex), first);
    EXPECT_EQ(installTexture(home.file("globetex13j90.tex")), InstallOutcome::NotApplicable);
}

TEST_F(TextureInstallTest, ImagesOfTheWrongShapeLeaveAnEmptyTileFile) {
    struct Case {
        int width, height;
    };
    for (Case c : {Case{512, 256}, Case{1024, 500}, Case{1024, 513}}) {
        putBytes(tex, image(c.width, c.height, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = 90; }));
        EXPECT_EQ(installTexture(tex), InstallOutcome::BadImage) << c.width << "x" << c.height;
        TileFile f;
        ASSERT_EQ(f.open(tex, "rb"), kTileFileKind2);
        EXPECT_EQ(f.gridWidth(), 0);
        EXPECT_EQ(std::filesystem::file_size(tex), 87440u);
        EXPECT_TRUE(std::filesystem::exists(home.file("globetex11j90.jpg")));  // the image is kept
        // Nothing more happens on a second run.
        EXPECT_EQ(installTexture(tex), InstallOutcome::AlreadyInstalled);
        std::filesystem::remove(tex);
    }
    // Not an image at all.
    putBytes(tex, std::vector<uint8_t>(5000, 0x41));
    EXPECT_EQ(installTexture(tex), InstallOutcome::BadImage);
    TileFile f;
    EXPECT_EQ(f.open(tex, "rb"), kTileFileKind2);
}

TEST_F(TextureInstallTest, CoarserLevelsAverageTwoByTwoTexels) {
    // One-pixel stripes: a mean gives mid grey, picking samples would not.
    putBytes(tex, image(1024, 512, [](int x, int, uint8_t* p) { p[0] = p[1] = p[2] = x % 2 ? 255 : 0; }));
    ASSERT_EQ(installTexture(tex), InstallOutcome::Installed);
    auto level1 = colourTile(256, 256, 1);
    ASSERT_FALSE(level1.empty());
    for (int j = 5; j < 128; j += 17)
        for (int i = 5; i < 128; i += 13) EXPECT_NEAR(texel(level1, i, j).g, 128, 10) << i << "," << j;
}

TEST_F(TextureInstallTest, PolarRowsAreDecimatedAndMissingChildrenLeaveBlack) {
    // Red follows the image column, so each texel tells where it came from.
    putBytes(tex, image(2048, 1024, [](int x, int, uint8_t* p) { p[0] = uint8_t(x / 8), p[1] = 100, p[2] = 100; }));
    ASSERT_EQ(installTexture(tex), InstallOutcome::Installed);
    EXPECT_EQ(RowShiftTable(2049).tileRowShift(0, 128), 1);
    auto polar = colourTile(256, 0, 0);
    ASSERT_FALSE(polar.empty());
    EXPECT_NEAR(texel(polar, 10, 64).r, (256 + 20) / 8, 3);
    EXPECT_NEAR(texel(polar, 100, 64).r, (256 + 200) / 8, 3);
    EXPECT_TRUE(colourTile(128, 0, 0).empty());  // columns every 256 in this row
    EXPECT_FALSE(colourTile(128, 128, 0).empty());
    // Level 1 row 0 takes its southern half from the decimated row.
    auto level1 = colourTile(256, 0, 1);
    ASSERT_FALSE(level1.empty());
    EXPECT_NEAR(texel(level1, 10, 32).r, (256 + 20) / 8, 3);
    EXPECT_NEAR(texel(level1, 10, 96).r, (256 + 20) / 8, 3);
    // Level 4 spans 2048 rows: its northern half lies beyond the grid.
    auto level4 = colourTile(0, 0, 4);
    ASSERT_FALSE(level4.empty());
    EXPECT_NEAR(texel(level4, 10, 30).g, 100, 4);
    Texel beyond = texel(level4, 10, 100);
    EXPECT_LE(beyond.r + beyond.g + beyond.b, 12);
}

// ---------------------------------------------------------------- terrain

uint16_t terrainSample(int c, int r) { return uint16_t(((c * 7 + r * 3) & 0x1FFF) + 4096); }

class TerrainInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::FILE* h = std::fopen(tem.c_str(), "wb")) std::fclose(h);
        TileFile f;
        ASSERT_EQ(f.open(tem, "r+b"), kTileFileKind2);
        f.setGrid(2049, 1025);
        RowShiftTable shifts(2049);
        std::vector<uint8_t> tile(kTerrainTileBytes);
        for (int y = 0; y < 1024; y += 128) {
            int step = 1 << shifts.tileRowShift(y, 128);
            for (int x = 0; x < 2048; x += 128 * step) {
                if (x == 512 && y == 512) continue;  // one tile never delivered
                for (int j = 0; j < 129; ++j)
                    for (int i = 0; i < 129; ++i) {
                        uint16_t s = terrainSample((x + i * step) % 2048, y + j);
                        if (x == 896 && y == 512 && i == 0) s = kMissingSample;  // its west edge unknown
                        io::storeU16(&tile[size_t(j * 129 + i) * 2], s);
                    }
                ASSERT_TRUE(f.writeTile(x, y, 0, tile.data(), tile.size(), true));
            }
        }
        ASSERT_TRUE(f.writeHeader());
    }
    std::vector<uint16_t> samples(int x, int y, int level) {
        TileFile f;
        EXPECT_EQ(f.open(tem, "rb"), kTileFileKind2);
        std::vector<uint8_t> t(kTerrainTileBytes);
        if (f.readTile(x, y, level, t.data(), t.size()) != kTileDelivered) return {};
        std::vector<uint16_t> s(kTileSampleCount);
        for (int i = 0; i < kTileSampleCount; ++i) s[size_t(i)] = io::loadU16(&t[size_t(i) * 2]);
        return s;
    }
    test::TestHome home;
    std::filesystem::path tem = home.file("globe11c.tem");
};

TEST_F(TerrainInstallTest, CoarserLevelsTakeEverySecondSample) {
    ASSERT_EQ(installTerrain(tem), InstallOutcome::Installed);
    auto l1 = samples(768, 256, 1);
    ASSERT_EQ(l1.size(), size_t(kTileSampleCount));
    for (int j = 0; j <= 128; j += 5)
        for (int i = 0; i <= 128; i += 3) ASSERT_EQ(l1[size_t(j * 129 + i)], terrainSample(768 + 2 * i, 256 + 2 * j));
    for (int level = 2; level <= 4; ++level) {
        auto t = samples(0, 0, level);
        ASSERT_FALSE(t.empty()) << level;
        EXPECT_EQ(t[size_t(10 * 129 + 20)], terrainSample(20 << level, 10 << level)) << level;
    }
    EXPECT_TRUE(samples(0, 0, 5).empty());
}

TEST_F(TerrainInstallTest, DecimatedChildRowsGiveEverySample) {
    ASSERT_EQ(installTerrain(tem), InstallOutcome::Installed);
    // Level-1 row 0 (not decimated) over level-0 row 0 (every second column).
    auto t = samples(256, 0, 1);
    ASSERT_FALSE(t.empty());
    for (int j = 0; j <= 64; j += 4)
        for (int i = 0; i <= 128; ++i) ASSERT_EQ(t[size_t(j * 129 + i)], terrainSample(256 + 2 * i, 2 * j)) << i << "," << j;
}

TEST_F(TerrainInstallTest, MissingSamplesNeverOverwrite) {
    ASSERT_EQ(installTerrain(tem), InstallOutcome::Installed);
    auto t = samples(512, 512, 1);
    ASSERT_FALSE(t.empty());
    // The never-delivered child leaves its quarter missing...
    EXPECT_EQ(t[size_t(10 * 129 + 10)], kMissingSample);
    EXPECT_EQ(t[size_t(10 * 129 + 80)], terrainSample(512 + 160, 512 + 20));
    // ...and the unknown west edge of (896, 512) keeps its neighbour's samples.
    auto u = samples(768, 512, 1);
    ASSERT_FALSE(u.empty());
    EXPECT_EQ(u[size_t(10 * 129 + 64)], terrainSample(896, 532));
    // Installing again changes nothing.
    auto before = io::readWholeFile(tem);
    ASSERT_EQ(installTerrain(tem), InstallOutcome::Installed);
    EXPECT_EQ(samples(768, 512, 1), u);
    EXPECT_EQ(io::readWholeFile(tem)->size(), before->size());
}

TEST_F(TerrainInstallTest, OtherKindsAndMissingFilesAreLeftAlone) {
    auto bytes = *io::readWholeFile(tem);
    io::storeU32(&bytes[28], 0x10100);
    putBytes(tem, bytes);
    EXPECT_EQ(installTerrain(tem), InstallOutcome::NotApplicable);
    EXPECT_EQ(io::readWholeFile(tem), bytes);
    EXPECT_EQ(installTerrain(home.file("globe12c.tem")), InstallOutcome::NotApplicable);
    EXPECT_FALSE(std::filesystem::exists(home.file("globe12c.tem")));
}

// ---------------------------------------------------------------- running jobs

TEST(TileInstallerJob, WorkerSetsTheFinishedFlag) {
    test::TestHome home;
    putBytes(home.file("globetex11j90.tex"), image(1024, 512, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = 50; }));
    TileInstaller job(home.file("globetex11j90.tex"));
    EXPECT_EQ(job.title(), "Install Globe Texture");
    EXPECT_FALSE(job.finished());
    job.start();
    job.wait();
    EXPECT_TRUE(job.finished());
    EXPECT_EQ(job.outcome(), InstallOutcome::Installed);

    TileInstaller none(home.file("readme.txt.bak"));
    EXPECT_EQ(none.kind(), InstallKind::None);
    none.start();
    for (int i = 0; i < 500 && !none.finished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(none.finished());
    EXPECT_EQ(none.outcome(), InstallOutcome::NotApplicable);
}

TEST(TileInstallerJob, HeadlessEntryInstallsInTheProgramHome) {
    test::TestHome home;
    putBytes(home.file("globetex11j90.tex"), image(1024, 512, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = 70; }));
    EXPECT_EQ(runInstaller("InstallTemAndTexture globetex11j90.tex", false), 0);
    TileFile f;
    ASSERT_EQ(f.open(home.file("globetex11j90.tex"), "rb"), kTileFileKind2);
    EXPECT_EQ(f.gridWidth(), 1025);
    f.close();
    // InitTemAndTexture completes the terrain file too (and leaves the texture).
    {
        TileFile t;
        if (std::FILE* h = std::fopen(home.file("globe11c.tem").c_str(), "wb")) std::fclose(h);
        ASSERT_EQ(t.open(home.file("globe11c.tem"), "r+b"), kTileFileKind2);
        t.setGrid(2049, 1025);
        std::vector<uint8_t> tile(kTerrainTileBytes, 0x10);
        ASSERT_TRUE(t.writeTile(0, 512, 0, tile.data(), tile.size(), true));
        ASSERT_TRUE(t.writeHeader());
    }
    EXPECT_EQ(runInstaller("InitTemAndTexture", false), 0);
    TileFile t;
    ASSERT_EQ(t.open(home.file("globe11c.tem"), "rb"), kTileFileKind2);
    std::vector<uint8_t> out(kTerrainTileBytes);
    EXPECT_EQ(t.readTile(0, 512, 1, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(io::loadU16(&out[0]), 0x1010);
    // A name without "." or an unknown extension starts no job.
    EXPECT_EQ(runInstaller("InstallTemAndTexture nothing", false), 0);
    EXPECT_EQ(runInstaller("InstallTemAndTexture x.doc", false), 0);
}

}  // namespace
}  // namespace tnx::globe
