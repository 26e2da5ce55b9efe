// A whole frame (advance, terrain, sky, draw, present) during the saver's
// automatic flight, on the OpenGL device. Run under an X server whose screen
// is the size to measure, e.g. xvfb-run -s '-screen 0 1280x720x24'. The
// loop's pacing sleeps are skipped, so the time is the frame's own work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "core/app_clock.h"
#include "app/application.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"
#include "platform/home/program_home.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"

using namespace tnx;

namespace {

class NoSleepSteadyClock : public clock::SteadyClock {
public:
    void sleepMilliseconds(uint32_t) override {}
};

void BM_SaverFlightFrame(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display");
        return;
    }
    const char* appDir = std::getenv("TERRANOX_APP_DIR");
    if (appDir) home::setExecutableDir(appDir);
    auto dir = std::filesystem::temp_directory_path() / "terranox-bench";
    std::filesystem::create_directories(dir);
    setenv("TERRANOX_HOME", dir.c_str(), 1);
    setenv("TERRANOX_REGISTRY", (dir / "registry.ini").c_str(), 1);
    static int argc = 1;
    static char name[] = "flight_frame_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* qapp = new QApplication(argc, argv);
    (void)qapp;
    NoSleepSteadyClock clk;
    clock::setClockSource(&clk);
    app::resetAppClockForTest();
    app::frameTimer().start();
    win::QtWindowSystem ws;
    win::setWindowSystem(&ws);
    {
        app::Application saver("terranox /s", {});
        saver.create();
        app::appClock(app::ClockCommand::Start);
        saver.runFramesForTest(30);  // warm up: textures in
        for (auto _ : state) saver.runFramesForTest(1);
        if (!saver.renderUnits().empty()) {
            const auto& p = saver.renderUnits()[0].params;
            state.counters["width"] = p.backBufferWidth;
            state.counters["height"] = p.backBufferHeight;
        }
        state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    }
    win::setWindowSystem(nullptr);
    clock::setClockSource(nullptr);
}
BENCHMARK(BM_SaverFlightFrame)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

}  // namespace
