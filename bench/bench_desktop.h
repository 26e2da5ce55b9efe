// What benchmarks that run the live program share: the built data, and a
// desktop for the run (a private home in the temporary folder, a fake clock
// that moves only when told, so each frame does the work of a real-time run
// however long it takes and pacing sleeps take no time, and the Qt desktop
// as the window system), undone when it goes.
#pragma once

#include <cstdlib>
#include <filesystem>

#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"

namespace tnx::bench {

// TERRANOX_APP_DIR, else the build's app folder beside bench/.
inline std::filesystem::path dataFolder() {
    if (const char* dir = std::getenv("TERRANOX_APP_DIR")) return dir;
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "app";
}

struct BenchDesktop {
    explicit BenchDesktop(const std::filesystem::path& home) {
        std::filesystem::create_directories(home);
        setenv("TERRANOX_HOME", home.c_str(), 1);
        setenv("TERRANOX_REGISTRY", (home / "registry.ini").c_str(), 1);
        clock::setClockSource(&clk);
        app::resetAppClockForTest();
        app::frameTimer().start();
        win::setWindowSystem(&ws);
        win::messageQueue().clear();
    }
    ~BenchDesktop() {
        win::setWindowSystem(nullptr);
        clock::setClockSource(nullptr);
    }
    BenchDesktop(const BenchDesktop&) = delete;
    BenchDesktop& operator=(const BenchDesktop&) = delete;

    clock::FakeClock clk;
    win::QtWindowSystem ws;
};

}  // namespace tnx::bench
