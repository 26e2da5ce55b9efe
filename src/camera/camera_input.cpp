// The camera's share of the input: drags, key releases and menu commands.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/process_state.h"
#include "camera/camera.h"
#include "camera/globe_pick.h"

namespace tnx::camera {

using math::Matrix;
using math::Vec3;

namespace {

enum Command : uint32_t {
    kCmdSaveLocation = 40040,
    kCmdDeleteLocation = 40041,
    kCmdMoveTool = 40042,
    kCmdRotateTool = 40043,
    kCmdZoomTool = 40044,
    kCmdCenter = 40046,
    kCmdNorthUp = 40047,
    kCmdUpdateFrame = 40051,
};

void rotateFrame(CameraFrame& f, const Matrix& m) {
    f.position = math::transformNormal(f.position, m);
    f.direction = math::normalize(math::transformNormal(f.direction, m));
    f.up = math::normalize(math::transformNormal(f.up, m));
}

}  // namespace

int Camera::handleMessage(const win::Message& msg) {
    switch (msg.id) {
    case win::kWmMouseMove:
        return onMouseMove(msg);
    case win::kWmLButtonDown:
    case win::kWmRButtonDown: {
        lastX_ = win::xFromLParam(msg.lParam);
        lastY_ = win::yFromLParam(msg.lParam);
        anchorKnown_ = true;
        pointerValid_ = true;
        // A second button joining a gesture does not make it a fresh click.
        win::WParam other = msg.id == win::kWmLButtonDown ? win::kMkRButton : win::kMkLButton;
        if (!(msg.wParam & other)) movedSincePress_ = false;
        return 1;
    }
    case win::kWmLButtonUp: {
        // A release with no drag and no movement since the press is a click.
        lastReleaseWasClick_ = drag_ == 0 && !movedSincePress_;
        if (lastReleaseWasClick_ && scene_) scene_->onGlobeClick();
        drag_ &= ~kDragRotate;
        return 1;
    }
    case win::kWmRButtonUp:
        if (drag_ == 0 && !movedSincePress_ && scene_) scene_->onGlobeContextMenu();
        drag_ &= ~kDragMove;
        return 1;
    case win::kWmKeyUp:
        return onKeyUp(uint32_t(msg.wParam));
    case win::kWmKeyDown:
        return onKeyDown(uint32_t(msg.wParam));
    case win::kWmMouseWheel:
        return onWheel(msg);
    case win::kWmCommand:
        return onCommand(win::loWord(msg.wParam));
    default:
        return drag_;
    }
}

int Camera::onKeyUp(uint32_t key) {
    if (key >= '1' && key <= '9') {
        goToLocation(key - '1');
        return 1;
    }
    switch (key) {
    case '0':
        goToLocation(9);
        return 1;
    case 'C':
        center(kGlide);
        return 1;
    case 'U':
        northUp(kGlide);
        return 1;
    case 'G':
        // Start the flight now, or hand control back to the user.
        countdown_ = countdown_ > 0 ? 0.0f : defaultCountdown_;
        return 1;
    default:
        return drag_;
    }
}

// Zoom and turn keys act on presses, so that holding one repeats.
int Camera::onKeyDown(uint32_t key) {
    switch (key) {
    case win::kVkAdd:
    case win::kVkOemPlus:
        zoomToward(halfWidth_, halfHeight_, 1);
        return 1;
    case win::kVkSubtract:
    case win::kVkOemMinus:
        zoomToward(halfWidth_, halfHeight_, -1);
        return 1;
    case win::kVkLeft: turnGlobe(-1, 0); return 1;
    case win::kVkRight: turnGlobe(1, 0); return 1;
    case win::kVkUp: turnGlobe(0, -1); return 1;
    case win::kVkDown: turnGlobe(0, 1); return 1;
    default: return drag_;
    }
}

// The wheel's point arrives in client coordinates (the viewer core converts
// the message's screen point); a point off the view zooms at its centre.
int Camera::onWheel(const win::Message& msg) {
    const float notches = float(win::wheelDelta(msg.wParam)) / float(win::kWheelDelta);
    float x = float(win::xFromLParam(msg.lParam)), y = float(win::yFromLParam(msg.lParam));
    if (x < 0 || y < 0 || x >= 2 * halfWidth_ || y >= 2 * halfHeight_) {
        x = halfWidth_;
        y = halfHeight_;
    }
    zoomToward(x, y, notches);
    return drag_;
}

void Camera::zoomToward(float x, float y, float notches) {
    if (!std::isfinite(notches) || notches == 0) return;
    // From the target, so that notches given during a glide add up.
    CameraFrame& t = target_;
    const float dist = math::length(t.position);
    if (!(dist > 0)) return;
    const float f = std::clamp(std::fabs((dist - kGlobeRadius) / kGlobeRadius), 0.02f, 20.0f);
    float step = notches * kWheelNotchPixels * f * 0.02f * 10.1f;
    Vec3 line = -t.position / dist;
    if (host_.windowMode() != WindowMode::Transparent) {
        // Along the ray through the pixel: whatever lies on it stays under
        // the pixel. Off the globe, along the view as the zoom drag does.
        Vec3 right = math::cross(t.up, t.direction);
        Vec3 ray = math::normalize(right * (x - halfWidth_) + t.up * (halfHeight_ - y) + t.direction * focal_);
        line = pickGlobe(t.position, ray, kGlobeRadius, 0).hit ? ray : math::normalize(t.direction);
    }
    // Stop on the surface limit, or on the far limit, where the line meets it.
    const float b = math::dot(t.position, line);
    if (step > 0) {
        const float c = dist * dist - kSurfaceLimit * kSurfaceLimit;
        const float disc = b * b - c;
        if (c <= 0 && b < 0) step = 0;
        else if (disc >= 0 && -b - std::sqrt(disc) >= 0) step = std::min(step, -b - std::sqrt(disc));
    } else {
        const float c = dist * dist - kWheelFarLimit * kWheelFarLimit;
        if (c >= 0) step = 0;
        else step = std::max(step, -b - std::sqrt(b * b - c));
    }
    t.position += line * step;
    countdown_ = defaultCountdown_;
}

void Camera::turnGlobe(int dx, int dy) {
    CameraFrame& t = target_;
    const float altitude = std::max(math::length(t.position) - kGlobeRadius, 0.01f);
    const float angle = std::min(kArrowTurn * altitude / kGlobeRadius, kArrowTurnMax);
    // As the rotate drag: the globe moves the way the arrow points.
    Vec3 up = t.up;
    Vec3 right = math::cross(up, math::normalize(t.direction));
    rotateFrame(t, math::matrixRotationAxis(up, float(dx) * angle) * math::matrixRotationAxis(right, float(dy) * angle));
    countdown_ = defaultCountdown_;
}

int Camera::onCommand(uint32_t id) {
    switch (id) {
    case kCmdSaveLocation: {
        std::string name;
        if (host_.askLocationName(name)) saveCurrentLocation(name);
        break;
    }
    case kCmdDeleteLocation:
        host_.editLocations(locations_);
        break;
    case kCmdMoveTool:
    case kCmdRotateTool:
    case kCmdZoomTool:
        host_.setPointerTool(id == kCmdMoveTool     ? PointerTool::Move
                             : id == kCmdRotateTool ? PointerTool::Rotate
                                                    : PointerTool::Zoom);
        host_.setPointerCursor(pointerCursor());
        break;
    case kCmdCenter:
        center(kGlide);
        break;
    case kCmdNorthUp:
        northUp(kGlide);
        break;
    case kCmdUpdateFrame:
        idleTimer_ = 0;
        break;
    default:
        if (id >= SavedLocations::kMenuIdBase && id - SavedLocations::kMenuIdBase < locations_.count())
            goToLocation(id - SavedLocations::kMenuIdBase);
        break;
    }
    return drag_;
}

int Camera::onMouseMove(const win::Message& msg) {
    const int32_t x = win::xFromLParam(msg.lParam);
    const int32_t y = win::yFromLParam(msg.lParam);
    const bool left = (msg.wParam & win::kMkLButton) != 0;
    const bool right = (msg.wParam & win::kMkRButton) != 0;
    host_.setPointerCursor(pointerCursor());

    if (anchorKnown_ && pointerValid_ && x == lastX_ && y == lastY_) return (left || right) ? 1 : 0;

    if (left && right) {
        drag_ = kDragZoom;
    } else if (right) {
        drag_ = kDragMove;
    } else if (left) {
        switch (host_.pointerTool()) {
        case PointerTool::Rotate: drag_ = kDragRotate; break;
        case PointerTool::Move: drag_ = kDragMove; break;
        case PointerTool::Zoom: drag_ = kDragZoom; break;
        default: drag_ = 0; break;
        }
    } else {
        drag_ = 0;
    }

    const bool moved = !anchorKnown_ || x != lastX_ || y != lastY_;
    if ((left || right) && moved) movedSincePress_ = true;

    if (anchorKnown_ && moved) {
        if (drag_ == kDragZoom)
            zoomDrag(y);
        else if (drag_ == kDragRotate)
            rotateDrag();
        else if (drag_ == kDragMove)
            moveDrag(x, y);
    }

    if (northUpApplied_ && drag_ != 0) northUp(kApplyNow);
    // The user takes control back from the automatic flight.
    if (moved && drag_ != 0) countdown_ = defaultCountdown_;

    lastX_ = x;
    lastY_ = y;
    anchorKnown_ = true;
    pointerValid_ = true;
    return drag_;
}

void Camera::zoomDrag(int32_t y) {
    float dist = math::length(current_.position);
    // Slower near the surface, capped far out.
    float f = std::clamp(std::fabs((dist - kGlobeRadius) / kGlobeRadius), 0.02f, 20.0f);
    float amount = float(y - lastY_) / pixelRatio_ * f * -0.02f;
    if (host_.windowMode() == WindowMode::Transparent) {
        // Along the line to the centre, so the globe stays where the window is.
        current_.position -= math::normalize(current_.position) * (-10.01f * amount);
    } else {
        current_.position -= math::normalize(current_.direction) * (10.1f * amount);
    }
    applySurfaceLimit();
    target_ = current_;
}

void Camera::rotateDrag() {
    float g = std::clamp(std::fabs((math::length(current_.position) - kSurfaceLimit) * 0.015673982f), 0.01f, 1.0f);
    // In pixels of an unscaled desktop: on a scaled one the same stretch of
    // the screen, which holds as much more of the globe, turns it as far.
    float dx = std::clamp(float(tracker_.dx()) / pixelRatio_, -50.0f, 50.0f);
    float dy = std::clamp(float(tracker_.dy()) / pixelRatio_, -50.0f, 50.0f);
    float sx = std::sqrt(std::fabs(tracker_.velocityX()) / pixelRatio_ + 1e-9f);
    float sy = std::sqrt(std::fabs(tracker_.velocityY()) / pixelRatio_ + 1e-9f);
    // Both axes from the frame before this move.
    Vec3 up = current_.up;
    Vec3 right = math::cross(up, math::normalize(current_.direction));
    Matrix m = math::matrixRotationAxis(up, dx * sx * 0.1f * g * 0.002f) *
               math::matrixRotationAxis(right, dy * sy * 0.1f * g * 0.002f);
    rotateFrame(current_, m);
    target_ = current_;
}

void Camera::moveDrag(int32_t x, int32_t y) {
    if (host_.windowMode() == WindowMode::Transparent) {
        // The transparent window stays put around the globe: no turning in place.
        applySurfaceLimit();
        target_ = current_;
        return;
    }
    // Turn in place: yaw about up, then pitch about the right vector.
    Vec3 right = math::cross(current_.up, current_.direction);
    current_.up = math::normalize(math::cross(current_.direction, right));
    current_.direction =
        math::normalize(math::transformNormal(current_.direction,
                                              math::matrixRotationAxis(current_.up, float(x - lastX_) / pixelRatio_ * -0.001f)));
    Matrix pitch = math::matrixRotationAxis(right, float(y - lastY_) / pixelRatio_ * -0.001f);
    current_.direction = math::normalize(math::transformNormal(current_.direction, pitch));
    current_.up = math::normalize(math::transformNormal(current_.up, pitch));
    target_ = current_;
}

}  // namespace tnx::camera
