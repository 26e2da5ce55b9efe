// The two time sources the shell reads: a high-resolution counter (which a
// machine may lack) and a millisecond clock. Tests install a fake to drive
// time by hand, including the no-counter path.
#pragma once

#include <cstdint>
#include <vector>

namespace tnx::clock {

class ClockSource {
public:
    virtual ~ClockSource() = default;
    // Counter ticks per second, or false when there is no counter.
    virtual bool queryFrequency(int64_t& frequency) = 0;
    virtual int64_t queryCounter() = 0;
    // Milliseconds since some fixed start, wrapping in 32 bits.
    virtual uint32_t milliseconds() = 0;
    virtual void sleepMilliseconds(uint32_t ms) = 0;
};

// The system's steady clock, in nanoseconds.
class SteadyClock : public ClockSource {
public:
    bool queryFrequency(int64_t& frequency) override;
    int64_t queryCounter() override;
    uint32_t milliseconds() override;
    void sleepMilliseconds(uint32_t ms) override;
};

// The process-wide source: the steady clock unless a test installed another.
ClockSource& clockSource();
// Installs a source (not owned); nullptr restores the system clock.
void setClockSource(ClockSource* source);

// A hand-driven clock for tests.
class FakeClock : public ClockSource {
public:
    explicit FakeClock(bool hasCounter = true, int64_t frequency = 10'000'000)
        : hasCounter_(hasCounter), frequency_(frequency) {}
    bool queryFrequency(int64_t& f) override { f = hasCounter_ ? frequency_ : 0; return hasCounter_; }
    int64_t queryCounter() override {
        return nowMicros_ / 1'000'000 * frequency_ + nowMicros_ % 1'000'000 * frequency_ / 1'000'000;
    }
    uint32_t milliseconds() override { return uint32_t(nowMicros_ / 1000); }
    void sleepMilliseconds(uint32_t ms) override { sleeps_.push_back(ms); nowMicros_ += int64_t(ms) * 1000; }
    void advanceMicros(int64_t us) { nowMicros_ += us; }
    void advanceMillis(int64_t ms) { nowMicros_ += ms * 1000; }
    int64_t nowMicros() const { return nowMicros_; }
    const std::vector<uint32_t>& sleeps() const { return sleeps_; }
    void clearSleeps() { sleeps_.clear(); }

private:
    bool hasCounter_;
    int64_t frequency_;
    int64_t nowMicros_ = 1'000'000;
    std::vector<uint32_t> sleeps_;
};

}  // namespace tnx::clock
