// A whole viewer frame over Europe at 50 km, with the online imagery on
// screen, without it, and online with the network down and nothing cached
// (what a viewer without network pays), on the OpenGL device at the X screen's size (run
// under e.g. xvfb-run -s '-screen 0 1280x720x24'). The imagery comes from a
// disk cache filled beforehand (the source itself cannot be reached), so
// both runs draw the same view without waiting for anything. Every frame
// is drawn in full. "CPU" is the whole process (llvmpipe's threads too).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/application.h"
#include "app/globe_view.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "core/process_state.h"
#include "globe/image/jpeg_encoder.h"
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

constexpr const char* kUnreachable = "http://127.0.0.1:1/wmts/{TileMatrix}/{TileRow}/{TileCol}.jpg";

// Tiles of levels 5 to 8 round 10 E, 50 N with a land-like pattern.
void fillCache(const fs::path& cache) {
    std::string error;
    const auto source = globe::ImagerySource::make(kUnreachable, settings::ImageryLayer::Daily, error);
    globe::ImageryDiskCache disk(cache, uint64_t(1) << 30);
    std::vector<uint8_t> px(512 * 512 * 3);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            uint8_t* p = &px[(size_t(y) * 512 + x) * 3];
            p[0] = uint8_t(90 + ((x * 7 + y * 3) & 63));
            p[1] = uint8_t(110 + ((x * 5 + y * 11) & 31));
            p[2] = uint8_t(70 + ((x ^ y) & 31));
        }
    std::vector<uint8_t> jpeg;
    globe::encodeJpeg(px, 512, 512, 3, 85, jpeg);
    const globe::ImageryTileGrid& grid = source->grid();
    for (int level = 5; level <= 8; ++level)
        for (const auto& k : grid.tilesCovering({6, 46, 14, 54}, level, 400))
            disk.store(source->cacheFolder() + "/static/" + std::to_string(k.level) + "/" + std::to_string(k.row) + "/" +
                           std::to_string(k.column) + ".jpg",
                       jpeg);
}

void BM_ViewerFrameOverEurope(benchmark::State& state) {
    if (!QApplication::instance()) {
        state.SkipWithError("needs an X display");
        return;
    }
    const fs::path data = bench::dataFolder();
    if (!fs::exists(data / "globe11c.tem")) {
        state.SkipWithError("tile files not built (scripts/build-data.sh)");
        return;
    }
    const bool online = state.range(0) != 0, cached = state.range(0) == 1;
    home::setExecutableDir(data);
    const fs::path dir = fs::temp_directory_path() / "terranox-imagery-bench";
    fs::remove_all(dir / "cache" / "terranox");
    bench::BenchDesktop desktop(dir);
    clock::FakeClock& clk = desktop.clk;
    win::QtWindowSystem& ws = desktop.ws;
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    setenv("TERRANOX_OFFLINE", "1", 1);
    if (cached) fillCache(dir / "cache" / "terranox" / "imagery");
    {
        app::LaunchOptions launch;
        launch.time = "2026-06-21T10:00:00Z";
        launch.lookAt = app::LookAt{10, 50, 50};
        launch.online = online;
        launch.imagery = kUnreachable;
        app::Application viewer("terranox /t", launch);
        viewer.create();
        app::appClock(app::ClockCommand::Start);
        auto frame = [&] {
            clk.advanceMillis(25);
            clk.clearSleeps();
            ws.pumpEvents();
            win::messageQueue().clear();
            app::processState().forceRedraw = true;  // every frame drawn in full
            viewer.runFramesForTest(1);
        };
        frame();
        app::GlobeView* view = nullptr;
        if (auto* core = viewer.viewerCore()) view = dynamic_cast<app::GlobeView*>(core->scene());
        // The window shows, the textures are built and the tiles are in.
        for (int i = 0; i < 600; ++i) {
            frame();
            const globe::ImageryOverlay* overlay = view ? view->scene().imagery() : nullptr;
            if (i > 60 && (!cached || (overlay && overlay->complete() && !overlay->fading()))) break;
        }
        const globe::ImageryOverlay* overlay = view ? view->scene().imagery() : nullptr;
        if (cached && !(overlay && overlay->onScreen())) state.SkipWithError("no imagery on screen");
        int64_t own = 0, over = 0;
        for (auto _ : state) {
            frame();
            if (overlay) {
                own += overlay->counters().ownTriangles;
                over += overlay->counters().overTriangles;
            }
        }
        const double frames = double(std::max<int64_t>(state.iterations(), 1));
        if (overlay) {
            state.counters["imageryTriangles"] = double(own) / frames;
            state.counters["blendedTriangles"] = double(over) / frames;
            state.counters["textures"] = double(overlay->texturesHeld());
        }
        if (view && view->scene().terrain()) state.counters["builtInTriangles"] = view->scene().terrain()->counters().triangles;
        state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    }
}
BENCHMARK(BM_ViewerFrameOverEurope)
    ->ArgName("online")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

TERRANOX_QT_BENCHMARK_MAIN()
