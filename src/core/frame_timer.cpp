#include "core/frame_timer.h"

#include "platform/clock/clock_source.h"

namespace tnx::app {

namespace {
// count x unitsPerSecond / frequency without the 64-bit overflow of the plain
// product: a nanosecond counter times 1000 overflows after 106 days.
int64_t counterToUnits(int64_t count, int64_t frequency, int64_t unitsPerSecond) {
    return count / frequency * unitsPerSecond + count % frequency * unitsPerSecond / frequency;
}
}  // namespace

void FrameTimer::start() {
    auto& src = clock::clockSource();
    int64_t now;
    int64_t freq = 0;
    hasCounter_ = src.queryFrequency(freq) && freq > 0;
    if (hasCounter_) {
        frequency_ = freq;
        unitsPerSecond_ = 1'000'000;
        now = currentCounter_ = src.queryCounter();
        microsecondsPerTick_ = 1'000'000.0 / double(freq);
        millisecondClock_ = int32_t(counterToUnits(now, freq, 1000));
    } else {
        unitsPerSecond_ = 1000;
        now = int64_t(src.milliseconds());
    }
    startTime_ = sampleStart_ = lastFrameTime_ = now;
}

double FrameTimer::tick() {
    auto& src = clock::clockSource();
    int64_t now, sinceSample;
    if (hasCounter_) {
        now = currentCounter_ = src.queryCounter();
        frameUnits_ = int64_t(double(now - lastFrameTime_) * microsecondsPerTick_);
        millisecondClock_ = int32_t(counterToUnits(now, frequency_, 1000));
        sinceSample = int64_t(double(now - sampleStart_) * microsecondsPerTick_);
    } else {
        now = int64_t(src.milliseconds());
        frameUnits_ = now - lastFrameTime_;
        millisecondClock_ = int32_t(now);
        sinceSample = now - sampleStart_;
    }
    ++framesInSample_;
    lastFrameTime_ = now;
    frameSeconds_ = double(frameUnits_) / unitsPerSecond_;
    totalSeconds_ += frameSeconds_;
    if (sinceSample >= unitsPerSecond_) {
        sampleStart_ = now;
        framesPerSecond_ = double(framesInSample_) * unitsPerSecond_ / double(sinceSample);
        framesInSample_ = 0;
    }
    return frameSeconds_;
}

uint32_t FrameTimer::microseconds() {
    auto& src = clock::clockSource();
    if (hasCounter_) {
        currentCounter_ = src.queryCounter();
        return uint32_t(counterToUnits(currentCounter_, frequency_, 1'000'000));
    }
    return src.milliseconds() * 1000u;
}

FrameTimer& frameTimer() {
    static FrameTimer timer = [] {
        FrameTimer t;
        t.start();
        return t;
    }();
    return timer;
}

}  // namespace tnx::app
