#include "camera/camera.h"

#include <algorithm>
#include <cmath>

#include "core/process_state.h"
#include "camera/globe_silhouette.h"
#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"

namespace tnx::camera {

using math::Matrix;
using math::Vec3;

namespace {

const Vec3 kYAxis{0, 1, 0};
Vec3 g_viewTranslation{0, 0, 0};

Vec3 rotated(const Vec3& v, const Matrix& m) { return math::transformNormal(v, m); }

void rotateFrame(CameraFrame& f, const Matrix& m) {
    f.position = rotated(f.position, m);
    f.direction = math::normalize(rotated(f.direction, m));
    f.up = math::normalize(rotated(f.up, m));
}

// Rotates `from` toward `to` about their common normal by `angle`; `fallback`
// is the axis when the two are parallel.
Vec3 turnToward(const Vec3& from, const Vec3& to, const Vec3& fallback, float angle) {
    Vec3 axis = math::cross(from, to);
    if (math::lengthSq(axis) < 1e-14f) axis = fallback;
    return rotated(from, math::matrixRotationAxis(axis, angle));
}

// acos with the ends pinned, as the north-up operations use it.
float clampedAngle(float cosine) {
    if (cosine > 0.99999f) return 0;
    if (cosine < -0.99999f) return -Camera::kPi;
    return std::acos(cosine);
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

const Vec3& viewTranslation() { return g_viewTranslation; }

Camera::Camera(const CameraSettings& settings, int viewportWidth, int viewportHeight, float fov, CameraHost& host,
               const ProjectionProvider& projection, CameraSceneHooks* scene, settings::PreferencesStore* store,
               MouseStateTracker* tracker)
    : host_(host),
      projectionProvider_(projection),
      scene_(scene),
      store_(store ? store : settings::preferences()),
      tracker_(tracker ? *tracker : mouseState()) {
    near_ = settings.nearKm * 0.01f;
    far_ = settings.farKm * 0.01f;
    program_ = settings.program;
    autoSpeed_ = (settings.speed - 0.1f) * kTwoPi / 8640.0f;

    // The saver flies at once; the viewer waits (practically) for G.
    const bool saver = app::isFullScreenSaver();
    defaultCountdown_ = saver ? 0.0f : kViewerCountdown;
    countdown_ = defaultCountdown_;
    if (!saver && store_) {
        uint8_t bytes[4];
        uint32_t length = sizeof bytes;
        if (store_->getBinary(kCountdownKey, bytes, &length) == settings::PreferencesStore::kOk && length == 4) {
            float stored = io::loadF32(bytes);
            if (std::isfinite(stored)) countdown_ = stored;
        }
    }

    current_.position = {0, 1200, -355};
    current_.direction = math::normalize(-current_.position);
    current_.up = northUpFor(current_.direction);
    target_ = current_;

    if (!saver && store_) locations_.load(*store_);

    for (auto& row : lastChangeMatrix_.m)
        for (float& v : row) v = 0;
    resize(viewportWidth, viewportHeight, fov);
    rebuildMatrices();
}

Camera::~Camera() { storeToPreferences(); }

void Camera::storeToPreferences() {
    if (stored_) return;
    stored_ = true;
    if (!store_) return;
    saveCurrentLocation(kCurrentLocationName);
    locations_.store(*store_);
    uint8_t bytes[4];
    io::storeF32(bytes, countdown_);
    store_->setBinary(kCountdownKey, bytes, sizeof bytes);
}

void Camera::resize(int viewportWidth, int viewportHeight, float fov, float pixelRatio) {
    pixelRatio_ = std::max(pixelRatio, 0.01f);
    halfWidth_ = float(std::max(viewportWidth, 1)) / 2;
    halfHeight_ = float(std::max(viewportHeight, 1)) / 2;
    fov_ = fov;
    focal_ = halfWidth_ / std::tan(fov / 2);
    projection_ = projectionProvider_.projection(1.0f, 10000.0f, fov);
    haveScreenCentre_ = false;  // the globe's place on screen must be re-recorded
}

void Camera::setFrame(const CameraFrame& frame) {
    current_ = frame;
    orthonormalize(current_);
    target_ = current_;
    rebuildMatrices();
}

// --- frame maths ---------------------------------------------------------

Vec3 Camera::northUpFor(const Vec3& direction) {
    Vec3 up = kYAxis - direction * math::dot(kYAxis, direction);
    if (math::lengthSq(up) < 1e-12f) up = Vec3{0, 0, 1} - direction * direction.z;
    return math::normalize(up);
}

void Camera::orthonormalize(CameraFrame& f) {
    f.direction = math::normalize(f.direction);
    Vec3 right = math::cross(f.up, f.direction);
    if (math::lengthSq(right) < 1e-12f) right = math::cross(northUpFor(f.direction), f.direction);
    f.up = math::normalize(math::cross(f.direction, right));
}

void Camera::applySurfaceLimit() {
    float d = math::length(current_.position);
    if (d >= kSurfaceLimit) return;
    Vec3 out = d > 0 ? current_.position / d : -current_.direction;
    float push = kSurfaceLimit - d;
    current_.position += out * push;
    target_.position += out * push;
}

void Camera::rebuildMatrices() {
    const CameraFrame& f = current_;
    Vec3 right = math::cross(f.up, f.direction);
    Matrix& c = camera_;
    c.m[0][0] = right.x; c.m[0][1] = right.y; c.m[0][2] = right.z; c.m[0][3] = 0;
    c.m[1][0] = f.up.x; c.m[1][1] = f.up.y; c.m[1][2] = f.up.z; c.m[1][3] = 0;
    c.m[2][0] = f.direction.x; c.m[2][1] = f.direction.y; c.m[2][2] = f.direction.z; c.m[2][3] = 0;
    c.m[3][0] = f.position.x; c.m[3][1] = f.position.y; c.m[3][2] = f.position.z; c.m[3][3] = 1;
    if (auto inv = math::matrixInverse(camera_)) view_ = *inv;
    g_viewTranslation = {view_.m[3][0], view_.m[3][1], view_.m[3][2]};
}

// --- glide -----------------------------------------------------------------

bool Camera::glide(float frameSeconds) {
    const float dt = std::min(frameSeconds, kMaxGlideStep);
    bool moved = false;

    // Up vector.
    float g = math::length(target_.up - current_.up);
    if (g >= kGlideThreshold) {
        current_.up = turnToward(current_.up, target_.up, current_.direction, std::min(std::min(g, 1.0f) * dt, g));
        moved = true;
    }

    float curLen = math::length(current_.position);
    float tgtLen = math::length(target_.position);
    float gap = tgtLen - curLen;
    bool distanceSettled = curLen <= 0 || std::fabs(gap) / curLen < kGlideThreshold;

    // Direction of the position.
    float q = math::length(math::normalize(target_.position) - math::normalize(current_.position));
    if (q > kGlideThreshold) {
        current_.position = turnToward(current_.position, target_.position, current_.up,
                                       std::min(std::min(0.9f * q, 1.0f) * dt, q));
        moved = true;
    } else if (distanceSettled) {
        current_.position = target_.position;
    }

    // Distance.
    if (!distanceSettled) {
        float step = std::clamp(0.01f * gap, -1.0f, 1.0f) * dt * 200;
        if (std::fabs(step) > std::fabs(gap)) step = gap;
        current_.position = math::normalize(current_.position) * (curLen + step);
        moved = true;
    }

    // View direction.
    float k = math::length(target_.direction - current_.direction);
    if (k >= kGlideThreshold) {
        current_.direction =
            turnToward(current_.direction, target_.direction, current_.up, std::min(std::min(k, 1.0f) * dt, k));
        moved = true;
    } else {
        current_.direction = target_.direction;
    }

    if (moved) {
        orthonormalize(current_);
        orthonormalize(target_);
        applySurfaceLimit();
    }
    return moved;
}

// --- idle turn and automatic flight ------------------------------------------

void Camera::autoMotion(int program, float rate, float frameSeconds, bool idle) {
    if (idle) {
        // The idle turn went with the globe's own turn (update).
        target_ = current_;
        applySurfaceLimit();
        return;
    }
    if (program < 0 || program > 2) program = 0;
    smoothedFrame_ = 0.9f * smoothedFrame_ + 0.1f * frameSeconds;
    float step = rate * smoothedFrame_;
    if (frameSeconds > 1) {
        // After a stall, move by the real time at the slow rate rather than leap.
        step = frameSeconds * kIdleRotationRate;
        smoothedFrame_ = 0;
    }

    const float mid = (near_ + far_) / 2;
    const float u = mid + std::cos(theta_) * (far_ - near_) / 2;
    theta_ += (program == 0 || u <= 0) ? step : step * mid / u;
    theta_ = std::fmod(theta_, kTwoPi);
    if (program != 0) current_.position = {u * std::cos(theta_), 0, u * std::sin(theta_)};

    static constexpr float kRates[4] = {0.373f, 0.566f, 0.929f, 1.867f};
    for (int i = 0; i < 4; ++i) phase_[i] = std::fmod(phase_[i] + step * kRates[i], kTwoPi);

    if (program == 0) {
        rotateFrame(current_, math::matrixRotationY(step));
    } else if (program == 1) {
        current_.direction = math::normalize(-current_.position);
    } else {
        float h = u / 2;
        Vec3 wander{h * std::sin(phase_[1]) * std::cos(phase_[2]), h * std::sin(phase_[3]),
                    h * std::sin(phase_[1]) * std::sin(phase_[2])};
        current_.direction = math::normalize(wander - current_.position);
    }
    orthonormalize(current_);
    target_ = current_;
    // A near point set inside the globe must not take the camera under the surface.
    applySurfaceLimit();
}

// --- per-frame update ----------------------------------------------------------

bool Camera::silhouetteChanged() {
    Matrix vp = view_ * projection_;
    math::Vec4 c = math::transform(Vec3{0, 0, 0}, vp);
    float x = -1e6f, y = -1e6f;
    if (std::fabs(c.w) > 1e-6f) {
        x = (c.x / c.w + 1) * halfWidth_ + 0.5f;
        y = halfHeight_ - (c.y / c.w) * halfHeight_ + 0.5f;
    }
    float d = math::length(current_.position);
    bool changed = !haveScreenCentre_ || std::fabs(x - screenX_) >= 0.5f || std::fabs(y - screenY_) >= 0.5f ||
                   std::fabs(d - screenDistance_) >= 0.001f * screenDistance_;
    if (!changed) return false;
    haveScreenCentre_ = true;
    screenX_ = x;
    screenY_ = y;
    screenDistance_ = d;
    if (host_.windowMode() == WindowMode::Transparent && !app::isFullScreenSaver()) {
        silhouetteRegion(view_, projection_, current_.position, kGlobeRadius, halfWidth_, halfHeight_, region_);
        host_.setWindowRegion(region_);
    }
    return true;
}

bool Camera::viewChanged() {
    if (!host_.idleNoChanging()) return true;
    // Seen from the turning globe, the idle turn is no change.
    Matrix m = camera_ * math::matrixRotationY(rho_);
    auto rowMoved = [&](int row) {
        Vec3 a{m.m[row][0], m.m[row][1], m.m[row][2]};
        Vec3 b{lastChangeMatrix_.m[row][0], lastChangeMatrix_.m[row][1], lastChangeMatrix_.m[row][2]};
        return math::length(a - b);
    };
    float t = 0.25f / halfWidth_;
    float altitude = math::length(current_.position) - kGlobeRadius;
    bool changed = rowMoved(0) >= t || rowMoved(1) >= t || rowMoved(3) >= t * std::max(altitude, 10.1f);
    if (changed) lastChangeMatrix_ = m;
    return changed;
}

bool Camera::terminatorMoved() const {
    // The terminator's move on the ground straight below, as the screen shows it.
    const float angle = math::length(sunInGlobe_ - drawnSun_);
    const float altitude = std::max(math::length(current_.position) - kGlobeRadius, 0.09f);
    return angle * kGlobeRadius * focal_ / altitude >= kTerminatorPixels;
}

bool Camera::update(float frameSeconds, float rho) {
    if (!std::isfinite(frameSeconds) || frameSeconds < 0) frameSeconds = 0;

    // 1. Who is in control.
    countdown_ -= frameSeconds;
    // The globe's turn since the last update, whatever the sky's rate.
    float turn = haveRho_ ? std::remainder(rho - rho_, kTwoPi) : 0.0f;
    if (!std::isfinite(turn)) turn = 0;
    haveRho_ = true;
    rho_ = rho;
    int program = 0;
    float rate = kIdleRotationRate;
    const bool idle = countdown_ > 0;
    if (!idle) {
        program = program_ - 1;
        rate = 10 * autoSpeed_;
    }

    // 2.-4. Glide, or once at rest, the idle turn or the flight.
    const bool active = host_.applicationActive();
    const bool suspended = host_.idleInactive() && !active;
    // The idle turn keeps the camera over the same ground, gliding or not.
    if (idle && !suspended && turn != 0) {
        const Matrix m = math::matrixRotationY(-turn);
        rotateFrame(current_, m);
        rotateFrame(target_, m);
    }
    if (!suspended && !glide(frameSeconds)) autoMotion(program, rate, frameSeconds, idle);

    // 5.
    rebuildMatrices();

    // 6. North-up lock.
    if (host_.northUpLock()) {
        if (!northUpApplied_) {
            northUpApplied_ = true;
            northUp(kGlide);
        }
    } else {
        northUpApplied_ = false;
    }

    // 7., 8.
    bool silhouette = silhouetteChanged();
    bool view = viewChanged();

    // 9. Idle timer: a frame at least every 10 s while active.
    app::ProcessState& ps = app::processState();
    if (tracker_.newInput()) idleTimer_ = 0;
    idleTimer_ += frameSeconds;
    bool forced = false;
    if (idleTimer_ > 0 || ps.forceRedraw) {
        forced = true;
        ps.forceRedraw = false;
        idleTimer_ = active ? -10.0f : -55555.0f;
    }

    // 10. Render flag and the ray under the pointer.
    bool render = silhouette || view || forced || terminatorMoved();
    if (render) drawnSun_ = sunInGlobe_;
    if (render && pointerValid_) {
        Vec3 p{float(lastX_) - halfWidth_, halfHeight_ - float(lastY_), focal_};
        pointerRay_ = math::normalize(math::transformCoord(p, camera_) - current_.position);
    }

    // 11. A pointer left alone for a while no longer counts.
    if (idleTimer_ > -5.0f) pointerValid_ = false;

    // 12.
    if (suspended) render = false;
    ps.renderEnabled = render;
    return render;
}

// --- center, north up, look at -------------------------------------------------

void Camera::center(int mode) {
    Vec3 d = math::normalize(-target_.position);
    if (d.x * d.x + d.z * d.z < 2e-6f) {
        // Straight down a pole: nudge so north-up has a meaning.
        d.x = 0.001f;
        d.z = 0.001f;
        d = math::normalize(d);
    }
    target_.direction = d;
    target_.up = northUpFor(d);
    northUpApplied_ = true;
    if (mode == kApplyNow) current_ = target_;
}

void Camera::northUp(int mode) {
    const Vec3 d = target_.direction;
    const Vec3 north = northUpFor(d);
    float angle = clampedAngle(math::dot(target_.up, north));
    if (math::dot(math::cross(target_.up, north), d) < 0) angle = -angle;
    if (angle != 0) rotateFrame(target_, math::matrixRotationAxis(d, angle));
    if (mode == kApplyNow) current_ = target_;
}

void Camera::lookAt(float longitude, float latitude) {
    if (!std::isfinite(longitude) || !std::isfinite(latitude)) return;
    latitude = std::clamp(latitude, -1.5f, 1.5f);
    countdown_ = defaultCountdown_;

    const Vec3 old = target_.position;
    const float r = std::sqrt(old.x * old.x + old.y * old.y + old.z * old.z + 1e-8f);
    const float oldLatitude = std::asin(std::clamp(old.y / r, -1.0f, 1.0f));
    const float oldAzimuth = std::atan2(old.z, old.x);
    const float azimuth = longitude + rho_;
    target_.position = Vec3{std::cos(latitude) * std::cos(azimuth), std::sin(latitude),
                            std::cos(latitude) * std::sin(azimuth)} * r;

    // Carry the view along: tilt along the old meridian, then turn about the axis.
    // (0,1,0) x unit(-old), written so it stays defined above a pole.
    Vec3 horizontal{-std::sin(oldAzimuth), 0, std::cos(oldAzimuth)};
    Matrix m = math::matrixRotationAxis(horizontal, latitude - oldLatitude) *
               math::matrixRotationY(oldAzimuth - azimuth);
    target_.direction = math::normalize(rotated(target_.direction, m));
    target_.up = math::normalize(rotated(target_.up, m));

    if (host_.northUpLock()) {
        target_.direction = math::normalize(-target_.position);
        target_.up = northUpFor(target_.direction);
    }

    // Roll about the line to the centre so that north is up.
    Vec3 c = math::normalize(-target_.position);
    Vec3 a = math::cross(target_.up, c);
    Vec3 b = math::cross(kYAxis, c);
    float la = math::length(a), lb = math::length(b);
    if (la > 1e-6f && lb > 1e-6f) {
        float angle = clampedAngle(math::dot(a, b) / (la * lb));
        if (math::dot(target_.up + c, b) < 0) angle = -angle;
        if (angle != 0) {
            Matrix roll = math::matrixRotationAxis(c, angle);
            target_.direction = math::normalize(rotated(target_.direction, roll));
            target_.up = math::normalize(rotated(target_.up, roll));
        }
    }
    keepInView();
    orthonormalize(target_);
}

// When the view was turned away from the globe, bring the chosen place back
// to within 0.19625 rad of the view's centre.
void Camera::keepInView() {
    float dist = math::length(target_.position);
    if (dist <= 0) return;
    Vec3 c = -target_.position / dist;
    float angle = std::acos(std::clamp(math::dot(target_.direction, c), -0.99999f, 0.99999f));
    float angularRadius = std::asin(std::min(kGlobeRadius / dist, 1.0f));
    if (angle <= angularRadius || angle <= 0.3925f) return;
    Vec3 axis = math::cross(target_.direction, c);
    if (math::lengthSq(axis) < 1e-12f) axis = target_.up;
    Matrix turn = math::matrixRotationAxis(axis, angle - 0.19625f);
    target_.direction = math::normalize(rotated(target_.direction, turn));
    target_.up = math::normalize(rotated(target_.up, turn));
}

void Camera::placeAbove(double longitudeDeg, double latitudeDeg, double km) {
    if (!std::isfinite(longitudeDeg) || !std::isfinite(latitudeDeg) || !std::isfinite(km)) return;
    constexpr double kDegree = 3.14159265358979323846 / 180.0;
    double lat = std::clamp(latitudeDeg, -90.0, 90.0) * kDegree;
    double az = longitudeDeg * kDegree + double(rho_);
    Vec3 u{float(std::cos(lat) * std::cos(az)), float(std::sin(lat)), float(std::cos(lat) * std::sin(az))};
    float dist = std::max(float(kGlobeRadius + km / 100.0), kSurfaceLimit);
    CameraFrame f;
    f.position = u * dist;
    f.direction = -u;
    if (f.direction.x * f.direction.x + f.direction.z * f.direction.z < 2e-6f) {
        f.direction.x = 0.001f;
        f.direction.z = 0.001f;
        f.direction = math::normalize(f.direction);
    }
    f.up = northUpFor(f.direction);
    current_ = target_ = f;
    countdown_ = defaultCountdown_;
    rebuildMatrices();
}

// --- saved locations --------------------------------------------------------------

void Camera::goTo(const LocationEntry& entry) {
    // Saved against the globe as it was turned then; re-attach to the globe now.
    Matrix m = math::matrixRotationY(entry.rho - rho_);
    CameraFrame f;
    f.position = rotated(entry.position, m);
    f.direction = math::normalize(rotated(entry.direction, m));
    f.up = math::normalize(rotated(entry.up, m));
    if (!finite(f.position) || !finite(f.direction) || !finite(f.up)) return;
    target_ = f;
}

bool Camera::goToLocation(size_t index) {
    if (index >= locations_.count()) return false;
    goTo(locations_.at(index));
    return true;
}

void Camera::resumeLastLocation() {
    if (locations_.empty()) return;
    size_t last = locations_.count() - 1;
    goTo(locations_.at(last));
    locations_.remove(last);
}

size_t Camera::saveCurrentLocation(std::string_view name) {
    return locations_.saveAs(name, rho_, current_.position, current_.direction, current_.up);
}

PointerCursor Camera::pointerCursor() const {
    if (app::isFullScreenSaver()) return PointerCursor::None;
    if (host_.distanceToolActive()) return PointerCursor::Distance;
    switch (host_.pointerTool()) {
    case PointerTool::Move: return PointerCursor::FourWayMove;
    case PointerTool::Zoom: return PointerCursor::Zoom;
    default: return PointerCursor::Arrow;
    }
}

}  // namespace tnx::camera
