#include "app/snapshot_series.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "app/command_line.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"

namespace tnx::app {

// The program's clock during a series: microseconds that move only when the
// next picture is due; pauses return at once.
class SnapshotSeries::StepClock : public clock::ClockSource {
public:
    bool queryFrequency(int64_t& frequency) override {
        frequency = 1'000'000;
        return true;
    }
    int64_t queryCounter() override { return micros_; }
    uint32_t milliseconds() override { return uint32_t(micros_ / 1000); }
    void sleepMilliseconds(uint32_t) override {}
    void setMicros(int64_t micros) { micros_ = micros; }
    int64_t micros() const { return micros_; }

private:
    int64_t micros_ = 1'000'000;
};

SnapshotSeries::SnapshotSeries(std::string pattern, int frames, double fps)
    : pattern_(std::move(pattern)),
      frames_(std::max(frames, 1)),
      fps_(fps > 0 ? fps : 30.0),
      clock_(std::make_unique<StepClock>()),
      started_(std::chrono::steady_clock::now()),
      lastTold_(started_) {
    clock::setClockSource(clock_.get());
    frameTimer().start();
}

SnapshotSeries::~SnapshotSeries() {
    if (&clock::clockSource() == clock_.get()) clock::setClockSource(nullptr);
    frameTimer().start();
}

double SnapshotSeries::programSeconds() const { return double(clock_->micros() - 1'000'000) / 1e6; }

bool SnapshotSeries::afterFrame(bool moreToBuild, const SaveFrame& save) {
    if (failed_ || written_ >= frames_) return true;
    ++framesSeen_;
    if (written_ == 0) {
        if (framesSeen_ < kSettleFrames || (moreToBuild && framesSeen_ < kMaxFirstFrames)) return false;
    } else if (moreToBuild && ++settling_ <= kMaxSettleFrames) {
        return false;
    }
    settling_ = 0;
    const std::string path = seriesFileName(pattern_, written_);
    if (!save(path)) {
        if (told_) std::fputc('\n', stderr);
        std::fprintf(stderr, "terranox: could not write picture %d of the series, %s\n", written_, path.c_str());
        failed_ = true;
        return true;
    }
    ++written_;
    progress(written_ == frames_);
    if (written_ == frames_) return true;
    // The next picture's instant, counted from the first so steps never drift.
    clock_->setMicros(1'000'000 + std::llround(double(written_) * 1e6 / fps_));
    return false;
}

void SnapshotSeries::progress(bool last) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const double elapsed = duration<double>(now - started_).count();
    if (elapsed < kQuietSeconds || (!last && duration<double>(now - lastTold_).count() < 1.0)) return;
    lastTold_ = now;
    const bool terminal = isatty(STDERR_FILENO) != 0;
    if (last) {
        std::fprintf(stderr, "%sterranox: %d pictures written in %.0f s (%.2f s each)\n", terminal && told_ ? "\r" : "",
                     written_, elapsed, elapsed / written_);
    } else {
        std::fprintf(stderr, "%sterranox: %d of %d pictures (%d %%)%s", terminal ? "\r" : "", written_, frames_,
                     int(100.0 * written_ / frames_), terminal ? "" : "\n");
        std::fflush(stderr);
    }
    told_ = true;
}

}  // namespace tnx::app
