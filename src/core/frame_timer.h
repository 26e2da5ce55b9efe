// The frame timer: real duration of each frame for all animation, frames per
// second, and the millisecond and microsecond clocks other parts read.
#pragma once

#include <cstdint>

namespace tnx::app {

class FrameTimer {
public:
    FrameTimer() = default;
    // Probes the counter and sets every time field to now.
    void start();
    // Advances one frame; returns its duration in seconds.
    double tick();
    // Now in microseconds, truncated to 32 bits.
    uint32_t microseconds();

    double frameSeconds() const { return frameSeconds_; }
    double framesPerSecond() const { return framesPerSecond_; }
    double totalSeconds() const { return totalSeconds_; }
    int32_t millisecondClock() const { return millisecondClock_; }
    bool hasHighResolutionCounter() const { return hasCounter_; }

private:
    bool hasCounter_ = false;
    int32_t framesInSample_ = 0;
    int32_t unitsPerSecond_ = 1000;
    double frameSeconds_ = 0.1;
    double framesPerSecond_ = 0;
    double microsecondsPerTick_ = 0;
    double totalSeconds_ = 0;
    int64_t startTime_ = 0;
    int64_t sampleStart_ = 0;
    int64_t lastFrameTime_ = 0;
    int64_t frameUnits_ = 100;
    int32_t millisecondClock_ = 0;
    int64_t frequency_ = 0;
    int64_t currentCounter_ = 0;
};

// The process-wide timer, started before anything else runs.
FrameTimer& frameTimer();

}  // namespace tnx::app
