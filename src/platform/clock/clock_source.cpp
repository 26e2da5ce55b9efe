#include "platform/clock/clock_source.h"

#include <chrono>
#include <thread>

namespace tnx::clock {

bool SteadyClock::queryFrequency(int64_t& f) {
    f = 1'000'000'000;
    return true;
}

int64_t SteadyClock::queryCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint32_t SteadyClock::milliseconds() { return uint32_t(queryCounter() / 1'000'000); }

void SteadyClock::sleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

namespace {
SteadyClock g_steady;
ClockSource* g_source = &g_steady;
}  // namespace

ClockSource& clockSource() { return *g_source; }
void setClockSource(ClockSource* source) { g_source = source ? source : &g_steady; }

}  // namespace tnx::clock
