// Terrain work of one frame (recentre, refine, vertex generation and draw
// submission to a recording device) with the camera over the Himalaya at four
// heights, on a class-11 grid and a class-14 grid of synthetic relief. The
// first frames fill the caches and build the textures; they are not timed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "camera/view_frustum.h"
#include "globe/terrain/row_shift_table.h"
#include "globe/terrain/terrain_fakes.h"
#include "globe/terrain/terrain_palette.h"
#include "globe/terrain/terrain_renderer.h"
#include "globe/terrain/texture_cache.h"
#include "platform/gfx/recording_device.h"

namespace {

using namespace tnx;
using namespace tnx::globe;

constexpr double kTwoPi = 6.283185307179586;

// Mountain ranges and roughness, the same relief on every grid; tiles are
// made when the renderer first asks.
testing::FakeElevation::Height mountains(int gridWidth) {
    const double scale = 4096.0 / (gridWidth - 1);
    return [scale](int x, int y) {
        const double fx = x * scale, fy = y * scale;
        uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        const double e = 3000.0 + 2500.0 * std::sin(fx * 0.05) * std::cos(fy * 0.07) +
                         1200.0 * std::sin(fx * 0.31 + fy * 0.17) + double(h % 400);
        return makeWord(e < 0 ? 3 : 0, int(e));
    };
}

void terrainFrame(benchmark::State& state) {
    const int gridWidth = state.range(0) == 11 ? 4097 : 32769;  // renderer grids of classes 11 and 14
    const float altitude = float(state.range(1)) / 100.0f;    // km -> scene units
    testing::FakeElevation terrain(gridWidth, 9, mountains(gridWidth));
    TerrainRenderer renderer(terrain, nullptr, 1, 1, 128u << 20, 9);
    TerrainSettings settings;
    settings.options = kOptionShadeLand | kOptionShadeOcean | kOptionColourLand | kOptionColourOcean;
    renderer.applySettings(settings, kApplyColours);
    gfx::RecordingDevice device(1280, 720);
    renderer.restore(device);

    // Above 87 E, 28 N.
    const double lon = 87.0 * kTwoPi / 360.0, lat = 28.0 * kTwoPi / 360.0;
    const double column = (gridWidth - 1) / kTwoPi * (lon + kTwoPi / 2);
    const double row = (gridWidth - 1) / kTwoPi * (lat + kTwoPi / 4);
    const double lambda = kTwoPi * column / (gridWidth - 1), theta = kTwoPi * row / (gridWidth - 1);
    const math::Vec3 dir{float(std::sin(theta) * std::cos(lambda)), float(-std::cos(theta)),
                         float(std::sin(theta) * std::sin(lambda))};
    TerrainFrame frame;
    frame.cameraPosition = dir * (TerrainRenderer::kGlobeRadius + altitude);
    camera::ViewFrustum frustum(1280, 720, 0.9f);
    const math::Vec3 up = math::normalize(math::cross(math::cross(dir, math::Vec3{0, 1, 0}), dir));
    frustum.setView(math::matrixLookAtLH(frame.cameraPosition, dir * TerrainRenderer::kGlobeRadius, up));
    frame.frustum = &frustum;
    frame.detailStartLevel =
        TerrainRenderer::detailStartLevel(renderer.patchLevelCount(), math::length(frame.cameraPosition));

    for (int i = 0; i < 40; ++i) {  // fill the caches and the textures
        renderer.draw(device, frame);
        device.clearRecord();
    }
    for (auto _ : state) {
        renderer.draw(device, frame);
        benchmark::DoNotOptimize(device.draws().data());
        device.clearRecord();
    }
    const TerrainCounters& c = renderer.counters();
    state.counters["draws"] = c.patchesDrawn;
    state.counters["triangles"] = c.triangles;
    state.counters["vertices"] = c.vertices;
}

// A photographic tile source: a colour pattern, the same for every tile.
class PatternPhotos : public ColourTileSource {
public:
    int readTile(int, int, int, uint8_t* rgb) override {
        for (size_t i = 0; i < kColourTileBytes; ++i) rgb[i] = uint8_t(i * 7 + i / 387);
        return 1;
    }
};

// Building one texture tile's texels (elevation words, hill shade, colour,
// lighting, resampling to 128 x 128 and packing), without the upload.
// Range 0: 1 = photographic colour (magnified from the file level), 0 = palette.
void textureTileBuild(benchmark::State& state) {
    testing::FakeElevation terrain(4097, 5, mountains(4097));
    terrain.recentre(2000, 1000);
    RowShiftTable rows(4097);
    RowDecimation decimation(rows, 8);
    PatternPhotos photos;
    TextureCacheLayout layout;
    layout.levels = terrain.levelCount();
    layout.ringSide = 5;
    layout.centreColumn = 2000;
    layout.centreRow = 1000;
    TextureCache cache(terrain, &photos, decimation, layout, 128u << 20);
    std::array<uint32_t, 18> bands{};
    for (size_t i = 0; i < bands.size(); ++i) bands[i] = uint32_t(0x101010 * i);
    cache.setColours(bands, 255, 255,
                     kOptionShadeLand | kOptionShadeOcean |
                         (state.range(0) ? 0u : kOptionColourLand | kOptionColourOcean));
    std::vector<uint32_t> texels;
    int column = 14;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache.buildTexels(0, column, 7, texels));
        column = column == 17 ? 14 : column + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(textureTileBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(terrainFrame)
    ->ArgNames({"class", "km"})
    ->ArgsProduct({{11, 14}, {20000, 2000, 200, 20}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
