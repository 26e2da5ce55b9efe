// Sees every window message before anything else handles it and keeps the
// pointer's position, deltas, velocity and button state, so the HUD can tell
// a drag from a click and the camera knows when the user did something.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace tnx::camera {

class MouseStateTracker {
public:
    // Button flags.
    static constexpr int32_t kLeftMoved = 0x01;   // moved while the left button was down
    static constexpr int32_t kRightMoved = 0x02;  // moved while the right button was down
    static constexpr int32_t kLeftDown = 0x04;
    static constexpr int32_t kRightDown = 0x10;

    // Records one message, timing moves with the frame timer's millisecond clock.
    void record(const win::Message& msg);
    // The same with an explicit clock reading (milliseconds).
    void record(const win::Message& msg, int32_t nowMs);

    int32_t x() const { return x_; }
    int32_t y() const { return y_; }
    int32_t dx() const { return dx_; }
    int32_t dy() const { return dy_; }
    int32_t buttons() const { return buttons_; }
    float velocityX() const { return vx_; }
    float velocityY() const { return vy_; }
    float speed() const { return speed_; }  // pixels per second
    // Something happened since the viewer core last cleared this (after a draw).
    bool newInput() const { return newInput_; }
    void clearNewInput() { newInput_ = false; }
    void reset() { *this = MouseStateTracker{}; }

private:
    int32_t x_ = 0, y_ = 0;
    int32_t dx_ = 0, dy_ = 0;
    int32_t buttons_ = 0;
    int32_t lastMoveMs_ = 0;
    float vx_ = 0, vy_ = 0, speed_ = 0;
    bool newInput_ = false;
};

// The process-wide tracker.
MouseStateTracker& mouseState();

}  // namespace tnx::camera
