#include "globe/terrain/texture_cache.h"

#include <gtest/gtest.h>

#include <set>

#include "core/process_state.h"
#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/terrain_sources.h"
#include "globe/terrain/terrain_fakes.h"
#include "platform/gfx/recording_device.h"
#include "platform/io/byte_io.h"

namespace tnx::globe {
namespace {

using testing::CountingColour;
using testing::FakeElevation;

constexpr int kWidth = 4097;  // two cache levels, eight patch levels
constexpr uint32_t kPlenty = 256u << 20;

class StagingDevice : public gfx::RecordingDevice {
public:
    gfx::Result updateTexture(gfx::Texture& source, gfx::Texture& destination) override {
        ++updates;
        sources.push_back(source.pool());
        return RecordingDevice::updateTexture(source, destination);
    }
    std::unique_ptr<gfx::Texture> createTexture(uint32_t w, uint32_t h, uint32_t levels, gfx::Format format,
                                                gfx::Pool pool) override {
        if (refuse) return nullptr;
        return RecordingDevice::createTexture(w, h, levels, format, pool);
    }
    int updates = 0;
    bool refuse = false;
    std::vector<gfx::Pool> sources;
};

std::array<uint32_t, 18> greyBands() {
    std::array<uint32_t, 18> c{};
    for (auto& v : c) v = 0x404040;
    c[7] = 0x0000FF;    // 0 m land: red
    c[10] = 0xFF0000;   // 0 m sea: blue
    return c;
}

struct Fixture {
    explicit Fixture(FakeElevation::Height height = nullptr, uint32_t memory = kPlenty)
        : elevation(kWidth, 5, std::move(height)), table(kWidth), decimation(table, 8) {
        TextureCacheLayout layout;
        layout.levels = elevation.levelCount();
        layout.ringSide = 5;
        layout.fileShift = 1;
        layout.centreColumn = 1000;
        layout.centreRow = 1000;
        elevation.recentre(1000, 1000);
        cache = std::make_unique<TextureCache>(elevation, &colour, decimation, layout, memory);
    }
    FakeElevation elevation;
    RowShiftTable table;
    RowDecimation decimation;
    CountingColour colour;
    std::unique_ptr<TextureCache> cache;
};

uint32_t rgbOf(uint32_t texel) { return texel & 0xFFFFFF; }

TEST(TextureCache, BothColourOptionsOnNeverReadTheTextureFile) {
    Fixture f;
    StagingDevice device;
    f.cache->restore(device);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
    f.cache->beginFrame();
    BoundTexture t = f.cache->textureFor(0, 1000, 1000);
    ASSERT_NE(t.texture, nullptr);
    EXPECT_EQ(t.level, 0);
    EXPECT_EQ(f.colour.reads, 0);

    // With the sea option off the photographic tile is needed again.
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand);
    f.cache->beginFrame();
    f.cache->textureFor(0, 1000, 1000);
    EXPECT_GT(f.colour.reads, 0);
}

TEST(TextureCache, PhotographicTilesComeFromTheFileLevelAndPlace) {
    Fixture f;
    std::vector<uint32_t> texels;
    f.cache->setColours(greyBands(), 255, 255, 0);
    // Cache level 1 is file level 0 at half the coordinates: tile (3, 2) of
    // level 1 starts at grid (768, 512), file sample (384, 256).
    ASSERT_TRUE(f.cache->buildTexels(1, 3, 2, texels));
    EXPECT_EQ(f.colour.lastLevel, 0);
    EXPECT_EQ(f.colour.lastX, 384);
    EXPECT_EQ(f.colour.lastY, 256);
    // Level 0 is finer than the file: level 0 magnified, read once.
    f.colour.reads = 0;
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(f.colour.reads, 1);
    EXPECT_EQ(f.colour.lastLevel, 0);
    EXPECT_EQ(f.colour.lastX, 384);
    // Flat land with shading off: the adjusted photo colour, land opacity as alpha.
    TextureAdjustments neutral{1, 1, 1, 1, 1};
    f.cache->setAdjustments(neutral);
    f.cache->setColours(greyBands(), 200, 255, 0);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[0], texels::pack(gfx::Format::A8R8G8B8, 200, 200, 100, 50));
}

TEST(TextureCache, MissingPhotographicTileGivesBlackTransparentTexels) {
    Fixture f;
    f.colour.fail = true;
    std::vector<uint32_t> texels;
    f.cache->setColours(greyBands(), 255, 255, 0);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    for (uint32_t t : texels) ASSERT_EQ(t, 0u);
    // Palette-coloured land still shows.
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[5], texels::pack(gfx::Format::A8R8G8B8, 255, 255, 0, 0));
}

TEST(TextureCache, WhiteBaseMakesEveryTexelWhite) {
    Fixture f(testing::roughLand);
    f.cache->setColours(greyBands(), 255, 255, kOptionShadeLand | kOptionShadeOcean | kOptionColourLand);
    f.cache->setBase(255, 255, 255);
    std::vector<uint32_t> texels;
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    for (uint32_t t : texels) ASSERT_EQ(rgbOf(t), 0xFEFEFEu);
}

TEST(TextureCache, ShadingOffLeavesThePaletteColourShadingOnDarkensFlatGround) {
    Fixture f;  // flat land at 0 m: palette red
    std::vector<uint32_t> texels;
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[100], texels::pack(gfx::Format::A8R8G8B8, 255, 255, 0, 0));
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionShadeLand);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[100], texels::pack(gfx::Format::A8R8G8B8, 255, texels::light(0, 220, 255), 0, 0));
    // Shading the sea classes does not touch land.
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionShadeOcean);
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[100], texels::pack(gfx::Format::A8R8G8B8, 255, 255, 0, 0));
}

TEST(TextureCache, NeighbouringTilesShowTheSameColoursAlongTheirSharedEdge) {
    Fixture f(testing::roughLand);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionShadeLand);
    std::vector<uint32_t> a, east, north;
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, a));
    ASSERT_TRUE(f.cache->buildTexels(0, 8, 7, east));
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 8, north));
    const int n = TextureCache::kTexels;
    int differentInside = 0;
    for (int k = 0; k < n; ++k) {
        // The last texel column (row) holds the shared edge sample, which is
        // the neighbour's first.
        ASSERT_EQ(a[size_t(k * n + n - 1)], east[size_t(k * n)]) << "row " << k;
        ASSERT_EQ(a[size_t((n - 1) * n + k)], north[size_t(k)]) << "column " << k;
        if (a[size_t(k * n + n - 2)] != a[size_t(k * n + n - 1)]) ++differentInside;
    }
    // The ground is rough: the edge is not trivially uniform.
    EXPECT_GT(differentInside, n / 2);
}

TEST(TextureCache, FormatFollowsTextureMemory) {
    // a = 5, two levels: (25 + 128) x 81920 at construction, x 917504 / 10 when restoring.
    EXPECT_EQ(TextureCache::chooseFormat(12533759, 5, 2, false), gfx::Format::A4R4G4B4);
    EXPECT_EQ(TextureCache::chooseFormat(12533760, 5, 2, false), gfx::Format::A8R8G8B8);
    EXPECT_EQ(TextureCache::chooseFormat(14037810, 5, 2, true), gfx::Format::A4R4G4B4);
    EXPECT_EQ(TextureCache::chooseFormat(14037811, 5, 2, true), gfx::Format::A8R8G8B8);

    Fixture f(nullptr, 1000);
    EXPECT_EQ(f.cache->format(), gfx::Format::A4R4G4B4);
    StagingDevice device;
    device.setAvailableTextureMemory(kPlenty);
    f.cache->restore(device);
    EXPECT_EQ(f.cache->format(), gfx::Format::A8R8G8B8);
}

TEST(TextureCache, SixteenBitTexturesColourClassTwoWithTheLand) {
    auto ice = [](int, int) { return makeWord(2, -300); };
    std::vector<uint32_t> texels;
    // 32-bit: class 2 follows the (off) sea option, so the photo shows.
    Fixture wide(ice);
    wide.cache->setAdjustments({1, 1, 1, 1, 1});
    wide.cache->setColours(greyBands(), 255, 255, kOptionColourLand);
    ASSERT_TRUE(wide.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(rgbOf(texels[0]), rgbOf(texels::pack(gfx::Format::A8R8G8B8, 0, 200, 100, 50)));
    // 16-bit: class 2 follows the land option: palette white, ocean alpha.
    Fixture narrow(ice, 1000);
    narrow.cache->setColours(greyBands(), 255, 128, kOptionColourLand);
    ASSERT_TRUE(narrow.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(texels[0], texels::pack(gfx::Format::A4R4G4B4, 128, 255, 255, 255));
    EXPECT_EQ(texels::pack(gfx::Format::A4R4G4B4, 255, 255, 255, 255), 0xEEEEu);
}

TEST(TextureCache, UploadsThroughAStagingCopyWithMips) {
    Fixture f;
    StagingDevice device;
    f.cache->restore(device);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
    app::processState().forceRedraw = false;
    f.cache->beginFrame();
    BoundTexture t = f.cache->textureFor(0, 1000, 1000);
    ASSERT_NE(t.texture, nullptr);
    EXPECT_TRUE(app::processState().forceRedraw);
    EXPECT_EQ(device.updates, 1);
    EXPECT_EQ(device.sources.at(0), gfx::Pool::SystemMem);
    EXPECT_EQ(t.texture->levelCount(), 8u);
    EXPECT_EQ(t.originX, 896);
    EXPECT_EQ(t.originY, 896);
    std::vector<uint32_t> texels;
    ASSERT_TRUE(f.cache->buildTexels(0, 7, 7, texels));
    EXPECT_EQ(io::loadU32(t.texture->levelData(0).data() + 4 * 130), texels[130]);
    EXPECT_EQ(io::loadU32(t.texture->levelData(7).data()), texels[0]);  // uniform colour: same at 1 x 1
    // Asking again builds nothing.
    f.cache->textureFor(0, 1001, 1001);
    EXPECT_EQ(device.updates, 1);
}

TEST(TextureCache, TheViewerBuildsTwelveTilesAFrameASnapshotEveryTileAtOnce) {
    // Tiles built so far and tiles put off, after each of two frames asking
    // for the 25 tiles of level 0's ring round (1000, 1000). The viewer
    // shows the last level's 5 tiles where level 0 waits.
    const struct {
        bool snapshot;
        int built[2], deferred[2];
    } cases[] = {{false, {12 + 5, 24 + 5}, {13, 1}}, {true, {25, 25}, {0, 0}}};
    for (const auto& c : cases) {
        Fixture f;
        StagingDevice device;
        f.cache->restore(device);
        f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
        app::processState().snapshotRun = c.snapshot;
        for (int frame = 0; frame < 2; ++frame) {
            f.cache->beginFrame();
            for (int ty = 5; ty <= 9; ++ty)
                for (int tx = 5; tx <= 9; ++tx) f.cache->textureFor(0, tx * 128 + 64, ty * 128 + 64);
            EXPECT_EQ(f.cache->tilesBuilt(), c.built[frame]) << c.snapshot << " frame " << frame;
            EXPECT_EQ(f.cache->deferred(), c.deferred[frame]) << c.snapshot << " frame " << frame;
        }
    }
    app::processState().snapshotRun = false;
}

TEST(TextureCache, FallsBackToACoarserLevelWhenTheFinerHasNothing) {
    Fixture f;
    StagingDevice device;
    f.cache->restore(device);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
    f.elevation.firstLevel = 1;  // no level-0 elevations anywhere
    f.cache->beginFrame();
    BoundTexture t = f.cache->textureFor(0, 1000, 1000);
    EXPECT_EQ(t.level, 1);
    EXPECT_NE(t.texture, nullptr);
    // Outside the level-0 ring the last level answers too.
    f.elevation.firstLevel = 0;
    t = f.cache->textureFor(0, 3500, 300);
    EXPECT_EQ(t.level, 1);
    // A texture that cannot be created leaves the slot not ready.
    StagingDevice refusing;
    refusing.refuse = true;
    f.cache->release();
    f.cache->restore(refusing);
    f.cache->beginFrame();
    t = f.cache->textureFor(0, 1000, 1000);
    EXPECT_EQ(t.texture, nullptr);
    EXPECT_EQ(t.level, 1);
}

TEST(TextureCache, ReleaseDropsTexturesAndRestoreRebuildsThem) {
    Fixture f;
    StagingDevice device;
    f.cache->restore(device);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
    f.cache->beginFrame();
    ASSERT_NE(f.cache->textureFor(0, 1000, 1000).texture, nullptr);
    f.cache->release();
    f.cache->beginFrame();
    EXPECT_EQ(f.cache->textureFor(0, 1000, 1000).texture, nullptr);
    f.cache->restore(device);
    f.cache->beginFrame();
    EXPECT_NE(f.cache->textureFor(0, 1000, 1000).texture, nullptr);
    EXPECT_EQ(device.updates, 2);
}

// Asks every tile of tile row `row` in columns [first, first + count) of
// level 0 for its texture, as the renderer does in one frame.
void askRow(TextureCache& cache, int firstColumn, int count, int y) {
    for (int c = firstColumn; c < firstColumn + count; ++c) cache.textureFor(0, ((c + 32) % 32) * 128 + 64, y);
}

TEST(TextureCacheRing, ScrollsAcrossTheDateLineWithoutRebuildingTilesItKeeps) {
    Fixture f;
    StagingDevice device;
    f.cache->restore(device);
    f.cache->setColours(greyBands(), 255, 255, kOptionColourLand | kOptionColourOcean);
    // Level 0 of a 4097 grid has 32 tiles round the equator; the ring of 5
    // follows the centre from tile 27 eastwards over the date line to tile 4.
    std::set<int> seen;
    for (int centreTile = 27; centreTile <= 32 + 4; ++centreTile) {
        const int column = (centreTile % 32) * 128 + 10;
        f.elevation.recentre(column, 1000);
        f.cache->recentre(column, 1000);
        for (int frame = 0; frame < 3; ++frame) {
            app::processState().forceRedraw = false;
            f.cache->beginFrame();
            const int built = f.cache->tilesBuilt();
            askRow(*f.cache, centreTile - 2, 5, 1000);
            if (frame > 0) {
                // A steady view builds nothing and lets the viewer idle.
                EXPECT_EQ(f.cache->tilesBuilt(), built) << "centre tile " << centreTile;
                EXPECT_FALSE(app::processState().forceRedraw) << "centre tile " << centreTile;
            }
        }
        for (int c = centreTile - 2; c <= centreTile + 2; ++c) seen.insert((c + 32) % 32);
        // Every tile the ring ever held was built exactly once.
        EXPECT_EQ(f.cache->tilesBuilt(), int(seen.size())) << "centre tile " << centreTile;
    }
}

TEST(TextureCacheRing, TexturesWaitForNoRowTheElevationCacheHolds) {
    constexpr int kRing = 5;
    ElevationCache elevations(nullptr, 1, kWidth, (kWidth - 1) / 2 + 1, 2048, 1024, kRing);
    CacheElevationSource source(elevations);
    RowShiftTable table(kWidth);
    RowDecimation decimation(table, 8);
    TextureCacheLayout layout;
    layout.levels = elevations.levelCount();
    layout.ringSide = kRing;
    layout.centreColumn = 2048;
    layout.centreRow = 1024;
    TextureCache textures(source, nullptr, decimation, layout, kPlenty);
    const int last = elevations.levelCount() - 1;
    for (int row = 0; row <= 2048; row += 37) {
        for (int column : {0, 60, 2048, 4030}) {
            elevations.recentre(column, row);
            textures.recentre(column, row);
            for (int level = 0; level < last; ++level) {
                for (int y = 0; y <= 2048; y += 32) {
                    // The rings have the same rows...
                    EXPECT_EQ(textures.covers(level, column, y), elevations.holds(level, column, y))
                        << "centre " << column << "," << row << " level " << level << " row " << y;
                    // ...and a texture never lies where its elevations are missing.
                    for (int x = 0; x < 4096; x += 64)
                        if (textures.covers(level, x, y)) {
                            ASSERT_TRUE(elevations.holds(level, x, y))
                                << "centre " << column << "," << row << " level " << level << " at " << x << "," << y;
                        }
                }
            }
        }
    }
}

TEST(TextureCacheRing, ForgetsRememberedElevationsWhenTheRingsMove) {
    Fixture f;
    std::vector<uint32_t> texels;
    // The ring of level 0 around (1000, 1000) holds tiles 5..9 both ways.
    for (int ty = 5; ty <= 9; ++ty)
        for (int tx = 5; tx <= 9; ++tx) ASSERT_TRUE(f.cache->buildTexels(0, tx, ty, texels));
    // Around (3000, 1000) none of them has level-0 elevations any more.
    f.elevation.recentre(3000, 1000);
    f.cache->recentre(3000, 1000);
    ElevationTile probe;
    for (int ty = 5; ty <= 9; ++ty)
        for (int tx = 5; tx <= 9; ++tx) {
            ASSERT_FALSE(f.elevation.tileAt(0, tx * 128 + 64, ty * 128 + 64, probe));
            EXPECT_FALSE(f.cache->buildTexels(0, tx, ty, texels)) << tx << "," << ty;
        }
}

}  // namespace
}  // namespace tnx::globe
