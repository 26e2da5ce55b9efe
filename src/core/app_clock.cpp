#include "core/app_clock.h"

#include <cstdint>

#include "platform/clock/clock_source.h"

namespace tnx::app {

namespace {
// Times in seconds: counter ticks / frequency with a performance counter,
// else the millisecond clock x 0.001.
struct AppClockState {
    bool probed = false;
    bool hasCounter = false;
    int64_t frequency = 0;
    double baseTime = 0, stopTime = 0, lastElapsed = 0;
};
AppClockState g;

double nowSeconds() {
    auto& src = clock::clockSource();
    if (g.hasCounter) return double(src.queryCounter()) / double(g.frequency);
    return double(src.milliseconds()) * 0.001;
}
}  // namespace

void resetAppClockForTest() { g = AppClockState{}; }

double appClock(int command) {
    if (command < 0 || command > 6) return -1.0;
    if (!g.probed) {
        g.probed = true;
        int64_t f = 0;
        g.hasCounter = clock::clockSource().queryFrequency(f) && f > 0;
        g.frequency = f;
    }
    // While stopped, "now" is the stop time, except for start and absolute.
    double now = (g.stopTime != 0 && command != 1 && command != 4) ? g.stopTime : nowSeconds();
    switch (command) {
        case 0:
            g.baseTime = now;
            g.lastElapsed = now;
            return 0.0;
        case 1:
            g.baseTime += now - g.stopTime;
            g.stopTime = 0;
            g.lastElapsed = now;
            return 0.0;
        case 2: g.stopTime = now; return 0.0;
        case 3: g.stopTime += 0.1; return 0.0;
        case 4: return now;
        case 5: return now - g.baseTime;
        case 6: {
            double e = now - g.lastElapsed;
            g.lastElapsed = now;
            return e;
        }
    }
    return -1.0;
}

}  // namespace tnx::app
