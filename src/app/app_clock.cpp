#include "app/app_clock.h"

#include <cstdint>

#include "platform/clock/clock_source.h"

namespace tnx::app {

namespace {
struct AppClockState {
    bool probed = false;
    bool hasCounter = false;
    int64_t frequency = 0;
    // Counter path: raw counter values. Millisecond path: seconds as doubles.
    int64_t baseTime = 0, stopTime = 0, lastElapsed = 0;
    double baseSec = 0, stopSec = 0, lastElapsedSec = 0;
};
AppClockState g;

void probe() {
    if (g.probed) return;
    g.probed = true;
    int64_t f = 0;
    g.hasCounter = clock::clockSource().queryFrequency(f) && f > 0;
    g.frequency = f;
}
}  // namespace

void resetAppClockForTest() { g = AppClockState{}; }

double appClock(int command) {
    if (command < 0 || command > 6) return -1.0;
    probe();
    auto& src = clock::clockSource();
    if (g.hasCounter) {
        int64_t now;
        // While stopped, "now" is the stop time, except for start and absolute.
        if (g.stopTime != 0 && command != 1 && command != 4) now = g.stopTime;
        else now = src.queryCounter();
        double f = double(g.frequency);
        switch (command) {
            case 0: g.baseTime = now; g.lastElapsed = now; return 0.0;
            case 1:
                g.baseTime += now - g.stopTime;
                g.stopTime = 0;
                g.lastElapsed = now;
                return 0.0;
            case 2: g.stopTime = now; return 0.0;
            case 3: g.stopTime += g.frequency / 10; return 0.0;
            case 4: return double(now) / f;
            case 5: return double(now - g.baseTime) / f;
            case 6: {
                double e = double(now - g.lastElapsed) / f;
                g.lastElapsed = now;
                return e;
            }
        }
        return -1.0;
    }
    double now;
    if (g.stopSec != 0 && command != 1 && command != 4) now = g.stopSec;
    else now = double(src.milliseconds()) * 0.001;
    switch (command) {
        case 0: g.baseSec = now; g.lastElapsedSec = now; return 0.0;
        case 1:
            g.baseSec += now - g.stopSec;
            g.stopSec = 0;
            g.lastElapsedSec = now;
            return 0.0;
        case 2: g.stopSec = now; return 0.0;
        case 3: g.stopSec += 0.1; return 0.0;
        case 4: return now;
        case 5: return now - g.baseSec;
        case 6: {
            double e = now - g.lastElapsedSec;
            g.lastElapsedSec = now;
            return e;
        }
    }
    return -1.0;
}

}  // namespace tnx::app
