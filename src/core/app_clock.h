// The application clock: a command-driven stopwatch giving the framework its
// application time and elapsed time.
#pragma once

namespace tnx::app {

enum class ClockCommand : int {
    Reset = 0,
    Start = 1,
    Stop = 2,
    Advance = 3,
    GetAbsoluteTime = 4,
    GetAppTime = 5,
    GetElapsedTime = 6,
};

// Runs one command; unknown commands return -1 and change nothing.
double appClock(int command);
inline double appClock(ClockCommand c) { return appClock(static_cast<int>(c)); }
// Forgets the probe and all times (tests switch clock sources between runs).
void resetAppClockForTest();

}  // namespace tnx::app
