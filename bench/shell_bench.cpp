// The shell's own costs: start-up to the first presented frame, and the frame
// loop's overhead per frame with nothing to draw.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "core/app_clock.h"
#include "app/application.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"

using namespace tnx;

namespace {

void useTempHome() {
    auto dir = std::filesystem::temp_directory_path() / "terranox-bench";
    std::filesystem::create_directories(dir);
    setenv("TERRANOX_HOME", dir.c_str(), 1);
    setenv("TERRANOX_REGISTRY", (dir / "registry.ini").c_str(), 1);
}

// A clock whose sleeps cost nothing, so only the loop's own work is timed.
class NoSleepClock : public clock::FakeClock {
public:
    void sleepMilliseconds(uint32_t ms) override { advanceMillis(ms); }
};

void BM_FrameLoopOverheadEmptyScene(benchmark::State& state) {
    useTempHome();
    NoSleepClock clk;
    clock::setClockSource(&clk);
    app::resetAppClockForTest();
    app::frameTimer().start();
    win::HeadlessWindowSystem ws;
    win::setWindowSystem(&ws);
    {
        app::Application application("terranox /t", {});
        application.create();
        application.runFramesForTest(1);
        for (auto _ : state) {
            clk.advanceMicros(16'000);
            application.runFramesForTest(1);
        }
    }
    win::setWindowSystem(nullptr);
    clock::setClockSource(nullptr);
}
BENCHMARK(BM_FrameLoopOverheadEmptyScene);

void BM_StartupToFirstPresentedFrame(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (run under xvfb-run)");
        return;
    }
    useTempHome();
    static int argc = 1;
    static char name[] = "shell_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* qapp = new QApplication(argc, argv);
    (void)qapp;
    for (auto _ : state) {
        win::QtWindowSystem ws;
        ws.setOffscreen(true);
        win::setWindowSystem(&ws);
        win::messageQueue().clear();
        {
            app::LaunchOptions launch;
            launch.width = 1280;
            launch.height = 720;
            app::Application application("terranox /t", launch);
            application.create();
            app::appClock(app::ClockCommand::Start);
            application.runFramesForTest(1);
            benchmark::DoNotOptimize(application.renderUnits().size());
        }
        win::setWindowSystem(nullptr);
    }
}
BENCHMARK(BM_StartupToFirstPresentedFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
