// The geography's costs with the built data: loading and building every
// table at start-up, the pointer's hover test each frame, the city markers
// of a frame at three heights, and the overlay's whole draw.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "geodata/boundary_store.h"
#include "geodata/geo_overlay.h"
#include "geodata/pack_archive.h"
#include "geodata/zone_tree.h"
#include "globe/terrain/elevation_cache.h"
#include "globe/terrain/terrain_renderer.h"
#include "globe/terrain/tile_file.h"
#include "platform/gfx/recording_device.h"
#include "platform/home/program_home.h"

using namespace tnx;

namespace {

constexpr float kRadius = 63.71f;
constexpr float kDeg = math::kPi / 180;
// The camera's focal length in pixels for a 1280 x 720 view.
constexpr float kFocal720 = 869.0f;
constexpr float kExaggeration = 0.00001f;

// The archive of the built program folder, opened once.
bool openData() {
    static bool ok = [] {
        const char* dir = std::getenv("TERRANOX_APP_DIR");
        std::filesystem::path app = dir ? dir : "../app";
        home::setExecutableDir(app);
        static geodata::PackArchive pack;
        if (pack.open(app / "pack.dat") <= 0) return false;
        geodata::setPackArchive(&pack);
        return true;
    }();
    return ok;
}

// Everything the scene loads, as it loads it.
struct Geography {
    geodata::GeoOverlay overlay{kExaggeration};
    geodata::BoundaryStore boundaries;
    geodata::ZoneTree zones;
    explicit Geography(const geodata::ElevationLookup& elevation) {
        boundaries.loadFile(elevation);
        zones.loadFile(overlay.countries(), boundaries);
        overlay.setGeography(&boundaries, &zones);
    }
};

math::Vec3 above(float lonDeg, float latDeg, float km) {
    float r = kRadius + km / 100, lon = lonDeg * kDeg, lat = latDeg * kDeg;
    return {std::cos(lon) * r * std::cos(lat), r * std::sin(lat), std::sin(lon) * r * std::cos(lat)};
}

void BM_GeographyStartupFlat(benchmark::State& state) {
    if (!openData()) return state.SkipWithError("pack.dat is not built");
    for (auto _ : state) {
        Geography g({});
        benchmark::DoNotOptimize(g.zones.blockCount());
    }
}
BENCHMARK(BM_GeographyStartupFlat)->Unit(benchmark::kMillisecond);

// With the boundaries raised on the terrain's elevations, each run with a
// fresh elevation cache (its whole-globe tiles read on demand, as at start).
void BM_GeographyStartupOnTerrain(benchmark::State& state) {
    if (!openData()) return state.SkipWithError("pack.dat is not built");
    globe::TileFileSet files;
    globe::openTileFiles(files);
    for (auto _ : state) {
        state.PauseTiming();
        auto terrain = std::make_unique<globe::TerrainRenderer>(files, 256u << 20);
        globe::TerrainSettings settings;
        settings.altitudeExaggeration = 1;
        terrain->applySettings(settings, 0);
        globe::ElevationCache* cache = terrain->elevationCache();
        state.ResumeTiming();
        Geography g([cache](float lon, float lat) { return cache ? cache->scaledElevationAt(lon, lat) : 0.0f; });
        benchmark::DoNotOptimize(g.boundaries.totalPoints());
    }
    state.counters["tile_files"] = files.terrainPath.empty() ? 0 : 1;
}
BENCHMARK(BM_GeographyStartupOnTerrain)->Unit(benchmark::kMillisecond);

// The hover of one frame at random points of the globe (cities, zones).
void BM_HoverHitTest(benchmark::State& state) {
    if (!openData()) return state.SkipWithError("pack.dat is not built");
    Geography g({});
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> lon(-math::kPi, math::kPi), z(-1, 1);
    std::vector<std::pair<float, float>> points(20000);
    for (auto& p : points) p = {lon(rng), std::asin(z(rng))};
    std::vector<double> micros;
    micros.reserve(points.size());
    size_t i = 0;
    for (auto _ : state) {
        auto [a, b] = points[i++ % points.size()];
        auto t0 = std::chrono::steady_clock::now();
        g.overlay.hover(true, a, b, float(state.range(0)) / 100);
        auto t1 = std::chrono::steady_clock::now();
        if (micros.size() < points.size()) micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        benchmark::DoNotOptimize(g.overlay.selection().hoveredCountry);
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
        state.counters["max_us"] = micros.back();
    }
}
BENCHMARK(BM_HoverHitTest)->Arg(2000)->Arg(200)->Unit(benchmark::kMicrosecond);

// The markers of one frame above central Europe at 20000, 2000 and 200 km.
void BM_MarkerBuild(benchmark::State& state) {
    if (!openData()) return state.SkipWithError("pack.dat is not built");
    Geography g({});
    geodata::CityMarkers markers;
    math::Vec3 camera = above(10, 50, float(state.range(0)));
    for (auto _ : state) {
        markers.build(g.overlay.cities(), g.overlay.grid(), camera, kFocal720);
        benchmark::DoNotOptimize(markers.vertices().data());
    }
    state.counters["triangles"] = double(markers.triangleCount());
    state.counters["cells"] = double(markers.batches().size());
}
BENCHMARK(BM_MarkerBuild)->Arg(20000)->Arg(2000)->Arg(200)->Unit(benchmark::kMicrosecond);

// The overlay's frame on the recording device: hover, the selected
// country's outline, markers, five spinning stars and the pulsing city; and
// the boundaries' three draws.
void BM_OverlayDraw(benchmark::State& state) {
    if (!openData()) return state.SkipWithError("pack.dat is not built");
    Geography g({});
    auto& sel = g.overlay.selection();
    for (int k = 1; k <= 5 && k < g.overlay.cities().count(); ++k) {
        sel.hoveredCity = k * 97 % g.overlay.cities().count();
        g.overlay.click();
    }
    sel.selectedCity = 1;
    sel.selectedCountry = g.overlay.countries().find("France");
    gfx::RecordingDevice device(1280, 720);
    geodata::OverlayFrame f;
    f.cameraPosition = above(10, 50, float(state.range(0)));
    f.focalLength = kFocal720;
    f.frameSeconds = 0.02f;
    f.pointerOnGlobe = true;
    f.pointerLongitude = 2.35f * kDeg;
    f.pointerLatitude = 48.85f * kDeg;
    for (auto _ : state) {
        device.clearRecord();
        g.boundaries.drawOverlay(device, true, true);
        g.overlay.draw(device, f);
        benchmark::DoNotOptimize(device.draws().size());
    }
    state.counters["draws"] = double(device.draws().size());
}
BENCHMARK(BM_OverlayDraw)->Arg(2000)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
