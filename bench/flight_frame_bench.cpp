// A whole frame (advance, terrain, sky, draw, present) during the saver's
// automatic flight, on the OpenGL device. Run under an X server whose screen
// is the size to measure, e.g. xvfb-run -s '-screen 0 1920x1080x24'.
//
// The flight runs on a simulated clock that moves 25 ms per frame: each
// frame has the work of a saver running at 40 frames a second, however fast
// the machine draws, and the loop's pacing sleeps take no real time. Runs:
// /11 with the class 11 tile files alone, /13 with the finer ones the viewer
// prefers (class 12 terrain, class 13 texture; skipped when they are not
// built), and /0, the floor: the same window cleared and presented with no
// scene, what every frame pays before it draws anything. The second
// argument switches the city lights off (0) or on (1), counting the share of
// terrain triangles drawn again with them ("lit"). The data comes from
// TERRANOX_APP_DIR, else build/app. The Sun
// and the globe's turn are those of TERRANOX_BENCH_TIME (default
// 2026-03-20T12:00Z). With TERRANOX_BENCH_PRESENT=0 the desktop's events are
// left alone, so the window never shows and nothing is presented: the
// frame's drawing alone.
// "CPU" is the whole process (llvmpipe rasterises on threads of its own):
// on a machine shared with other work it tells a frame's own cost better
// than the wall time does. Counters per frame: the share of frames drawn
// (the camera skips frames that change too little to see), texture tiles
// built, elevation tiles read, terrain patches and triangles drawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/globe_view.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "core/process_state.h"
#include "settings/option_block.h"
#include "globe/terrain/elevation_cache.h"
#include "platform/clock/clock_source.h"
#include "platform/home/program_home.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "bench_desktop.h"
#include "qt_benchmark_main.h"

using namespace tnx;

namespace {

namespace fs = std::filesystem;

constexpr int kFrameMillis = 25;

// A folder holding the data with only the class 11 tile files (links).
fs::path class11Folder(const fs::path& data) {
    const fs::path dir = fs::temp_directory_path() / "terranox-bench" / "class11";
    fs::create_directories(dir);
    for (const char* name : {"pack.dat", "globe11c.tem", "globetex11j90.tex", "globenight11j90.tex", "zoom.cur", "distance.cur"}) {
        std::error_code ec;
        fs::remove(dir / name, ec);
        fs::create_symlink(fs::absolute(data / name), dir / name, ec);
    }
    return dir;
}

void BM_SaverFlightFrame(benchmark::State& state) {
    if (!QApplication::instance()) {
        state.SkipWithError("needs an X display");
        return;
    }
    const fs::path data = bench::dataFolder();
    const bool fine = state.range(0) == 13, floor = state.range(0) == 0;
    settings::optionBlock().set(settings::OptionBlock::kCityLightsOff, state.range(1) ? 0 : 1);
    if (!fs::exists(data / "globe11c.tem") || (fine && !fs::exists(data / "globetex13j90.tex"))) {
        state.SkipWithError("tile files not built (scripts/build-data.sh)");
        return;
    }
    home::setExecutableDir(fine ? data : class11Folder(data));
    bench::BenchDesktop desktop(fs::temp_directory_path() / "terranox-bench");
    clock::FakeClock& clk = desktop.clk;
    win::QtWindowSystem& ws = desktop.ws;
    {
        app::LaunchOptions launch;
        const char* at = std::getenv("TERRANOX_BENCH_TIME");
        launch.time = at ? at : "2026-03-20T12:00:00Z";
        app::Application saver("terranox /s", launch);
        saver.create();
        app::appClock(app::ClockCommand::Start);
        // Events are taken from the desktop each frame, as the saver's own
        // loop does (frames are presented only once its window shows); the
        // messages they make are not needed here.
        const char* presentSetting = std::getenv("TERRANOX_BENCH_PRESENT");
        const bool present = !presentSetting || std::string(presentSetting) != "0";
        auto frame = [&](int millis) {
            clk.advanceMillis(millis);
            clk.clearSleeps();
            if (present) ws.pumpEvents();
            win::messageQueue().clear();
            saver.runFramesForTest(1);
        };
        auto emptyFrame = [&] {
            if (present) ws.pumpEvents();
            for (const auto& u : saver.renderUnits()) {
                u.device->clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000, 1.0f, 0);
                u.device->beginScene();
                u.device->endScene();
                u.device->present();
            }
        };
        frame(kFrameMillis);  // the first frame builds the devices and the scene
        globe::TerrainRenderer* terrain = nullptr;
        const camera::Camera* camera = nullptr;
        if (auto* core = saver.viewerCore())
            if (auto* view = dynamic_cast<app::GlobeView*>(core->scene())) {
                terrain = view->scene().terrain();
                camera = &view->scene().camera();
            }
        // A second of flight gets the tiles in and the window shown.
        bool shown = !present;
        for (int i = 0; i < 400 && !(shown && i >= 40); ++i) {
            frame(kFrameMillis);
            for (const auto& u : saver.renderUnits())
                if (win::HostWindow* w = ws.host(u.window)) shown = shown || w->isExposed();
        }
        state.counters["presented"] = present ? 1 : 0;
        if (!shown) state.SkipWithError("the saver's window never showed");
        const int builtBefore = terrain ? terrain->textureCache().tilesBuilt() : 0;
        const uint64_t filledBefore = terrain && terrain->elevationCache() ? terrain->elevationCache()->tilesFilled() : 0;
        int64_t patches = 0, triangles = 0, lit = 0, drawn = 0;
        for (auto _ : state) {  // not entered after an error
            if (floor) {
                emptyFrame();
                continue;
            }
            frame(kFrameMillis);
            drawn += app::processState().renderEnabled ? 1 : 0;
            if (terrain) {
                patches += terrain->counters().patchesDrawn;
                triangles += terrain->counters().triangles;
                lit += terrain->counters().lightTriangles;
            }
        }
        if (!saver.renderUnits().empty()) {
            const auto& p = saver.renderUnits()[0].params;
            state.counters["width"] = p.backBufferWidth;
            state.counters["height"] = p.backBufferHeight;
        }
        const double frames = double(std::max<int64_t>(state.iterations(), 1));
        if (camera) state.counters["km"] = (camera->distance() - camera::Camera::kGlobeRadius) * 100.0;
        if (terrain) {
            state.counters["grid"] = terrain->gridWidth();
            state.counters["textures"] = double(terrain->textureCache().tilesBuilt() - builtBefore) / frames;
            if (terrain->elevationCache())
                state.counters["elevations"] = double(terrain->elevationCache()->tilesFilled() - filledBefore) / frames;
            state.counters["patches"] = double(patches) / frames;
            state.counters["triangles"] = double(triangles) / frames;
            state.counters["lit"] = triangles ? double(lit) / double(triangles) : 0.0;
        }
        state.counters["drawn"] = double(drawn) / frames;
        state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    }
}
BENCHMARK(BM_SaverFlightFrame)
    ->ArgNames({"class", "lights"})
    ->Args({0, 0})
    ->Args({11, 0})
    ->Args({11, 1})
    ->Args({13, 0})
    ->Args({13, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

TERRANOX_QT_BENCHMARK_MAIN()
