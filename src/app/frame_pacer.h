// The frame loop's adaptive pause: after each draw the loop sleeps 10 to 25
// ms, nudged so the time between draws stays about 5 ms above the pause.
#pragma once

#include <cstdint>

namespace tnx::app {

class FramePacer {
public:
    // Call with the microsecond clock before drawing; returns the gap since
    // the end of the previous draw in milliseconds.
    uint32_t beginDraw(uint32_t nowMicros) {
        gapMs_ = (nowMicros - lastDrawEnd_) / 1000u;
        return gapMs_;
    }
    // Call after drawing; returns the pause to sleep, in milliseconds.
    uint32_t endDraw(uint32_t nowMicros) {
        lastDrawEnd_ = nowMicros;
        uint32_t diff = gapMs_ - uint32_t(pause_);
        if (diff > 5) ++pause_;
        else if (diff < 5) --pause_;
        if (pause_ < 10) pause_ = 10;
        if (pause_ > 25) pause_ = 25;
        return uint32_t(pause_);
    }
    int32_t pause() const { return pause_; }

private:
    int32_t pause_ = 0;
    uint32_t lastDrawEnd_ = 0;
    uint32_t gapMs_ = 0;
};

}  // namespace tnx::app
