#include "camera/mouse_state_tracker.h"

#include <algorithm>
#include <cmath>

#include "core/frame_timer.h"

namespace tnx::camera {

void MouseStateTracker::record(const win::Message& msg) {
    if (msg.id == win::kWmMouseMove)
        record(msg, app::frameTimer().millisecondClock());
    else
        record(msg, lastMoveMs_);
}

void MouseStateTracker::record(const win::Message& msg, int32_t nowMs) {
    switch (msg.id) {
    case win::kWmMouseMove: {
        int32_t nx = win::xFromLParam(msg.lParam);
        int32_t ny = win::yFromLParam(msg.lParam);
        dx_ = nx - x_;
        dy_ = ny - y_;
        x_ = nx;
        y_ = ny;
        bool moved = dx_ != 0 || dy_ != 0;
        if (moved && (buttons_ & kLeftDown)) buttons_ |= kLeftMoved;
        if (moved && (buttons_ & kRightDown)) buttons_ |= kRightMoved;
        // Unsigned difference survives the clock wrapping around.
        float dt = float(uint32_t(nowMs) - uint32_t(lastMoveMs_)) * 0.001f;
        dt = std::max(dt, 0.02f);
        lastMoveMs_ = nowMs;
        vx_ = float(dx_) / dt;
        vy_ = float(dy_) / dt;
        speed_ = std::sqrt(vx_ * vx_ + vy_ * vy_);
        if (moved) newInput_ = true;
        break;
    }
    case win::kWmLButtonDown:
        buttons_ |= kLeftDown;
        newInput_ = true;
        break;
    case win::kWmLButtonUp:
        buttons_ &= ~(kLeftDown | kLeftMoved);
        newInput_ = true;
        break;
    case win::kWmRButtonDown:
        buttons_ |= kRightDown;
        newInput_ = true;
        break;
    case win::kWmRButtonUp:
        buttons_ &= ~(kRightDown | kRightMoved);
        newInput_ = true;
        break;
    default:
        break;
    }
}

MouseStateTracker& mouseState() {
    static MouseStateTracker tracker;
    return tracker;
}

}  // namespace tnx::camera
