// A series of pictures from the command line (--frames N with --snapshot
// PATTERN and --fps F): the program's clock stands still while the first
// picture's view settles, then moves by exactly 1/F s per picture, so the
// sky, the automatic flight and every animation advance by the picture's
// step however long a picture takes to draw; the frame loop's pauses take
// no time meanwhile. Between pictures a few frames of no time let the
// textures of a moving view come in.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tnx::app {

class SnapshotSeries {
public:
    // Frames before the first picture, and at most before any picture,
    // while textures are still being built.
    static constexpr int kSettleFrames = 6;
    static constexpr int kMaxFirstFrames = 400;
    static constexpr int kMaxSettleFrames = 8;
    // Progress is told on stderr once the series has run this long.
    static constexpr double kQuietSeconds = 3.0;

    // Installs the series' clock as the program's clock (until destroyed).
    SnapshotSeries(std::string pattern, int frames, double fps);
    ~SnapshotSeries();
    SnapshotSeries(const SnapshotSeries&) = delete;
    SnapshotSeries& operator=(const SnapshotSeries&) = delete;

    using SaveFrame = std::function<bool(const std::string& path)>;
    // After each frame: `moreToBuild` when the frame still lacked textures;
    // `save` writes the frame just drawn. True when the series is over
    // (every picture written, or one could not be).
    bool afterFrame(bool moreToBuild, const SaveFrame& save);

    bool complete() const { return written_ == frames_ && !failed_; }
    int written() const { return written_; }
    // Seconds of the program's clock so far.
    double programSeconds() const;

private:
    class StepClock;
    void progress(bool last);

    std::string pattern_;
    int frames_;
    double fps_;
    std::unique_ptr<StepClock> clock_;
    int framesSeen_ = 0;
    int settling_ = 0;
    int written_ = 0;
    bool failed_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastTold_;
    bool told_ = false;
};

}  // namespace tnx::app
