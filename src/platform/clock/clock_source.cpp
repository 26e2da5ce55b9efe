#include "platform/clock/clock_source.h"

#include <chrono>
#include <thread>

namespace tnx::clock {

namespace {
class SteadyClock : public ClockSource {
public:
    bool queryFrequency(int64_t& f) override {
        f = 1'000'000'000;
        return true;
    }
    int64_t queryCounter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    uint32_t milliseconds() override {
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    }
    void sleepMilliseconds(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SteadyClock g_steady;
ClockSource* g_source = &g_steady;
}  // namespace

ClockSource& clockSource() { return *g_source; }
void setClockSource(ClockSource* source) { g_source = source ? source : &g_steady; }

}  // namespace tnx::clock
