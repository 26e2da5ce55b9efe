// The viewer's camera around the globe. It keeps a current frame and a target
// frame it glides toward, turns slowly with the Earth or flies the screen
// saver's programs when left alone, decides each frame whether anything
// changed enough to draw, computes the ray under the pointer, and turns
// mouse drags, keys and menu commands into motion. Units: 100 km; the globe's
// centre is the origin and +y points to the north pole.
#pragma once

#include <cstdint>
#include <vector>

#include "camera/camera_host.h"
#include "camera/mouse_state_tracker.h"
#include "camera/projection_provider.h"
#include "camera/saved_locations.h"
#include "platform/math/d3d_math.h"
#include "platform/win/messages.h"

namespace tnx::settings {
class PreferencesStore;
}
namespace tnx::win {
struct Menu;
}

namespace tnx::camera {

struct CameraFrame {
    math::Vec3 position;
    math::Vec3 direction;  // unit
    math::Vec3 up;         // unit
    bool operator==(const CameraFrame&) const = default;
};

// The four camera values of the globe configuration.
struct CameraSettings {
    float nearKm = 8000;    // automatic flight, nearest distance from the centre
    float farKm = 25600;    // and farthest
    int32_t program = 1;    // "Cam1".."Cam3"
    float speed = 10;       // 0..100
};

class Camera {
public:
    static constexpr float kPi = 3.1415925f;
    static constexpr float kTwoPi = 2 * kPi;
    static constexpr float kGlobeRadius = 63.71f;
    static constexpr float kSurfaceLimit = 63.8f;     // never closer to the centre than this
    static constexpr float kViewerCountdown = 99999.9f;
    static constexpr float kMaxGlideStep = 0.2f;      // seconds of glide per frame at most
    static constexpr float kGlideThreshold = 0.0002f;
    static constexpr float kIdleRotationRate = -kTwoPi / 86400.0f;  // one turn a day
    static constexpr const char* kCountdownKey = "saveccamera_m_fMcontrol";
    static constexpr const char* kCurrentLocationName = "current";
    // One wheel notch (and one + or - key press) zooms as far as a zoom drag
    // over this many pixels.
    static constexpr float kWheelNotchPixels = 50;
    // The wheel and the keys zoom out no farther than this from the centre.
    static constexpr float kWheelFarLimit = 20 * kGlobeRadius;
    // An arrow key turns the globe by this share of the altitude (in globe
    // radii), at most kArrowTurnMax rad: about a tenth of the view.
    static constexpr float kArrowTurn = 0.12f;
    static constexpr float kArrowTurnMax = 0.1f;

    // How center / north up take effect.
    enum Apply : int { kApplyNow = 1, kGlide = 2 };
    // Drag state bits.
    enum DragBits : int32_t { kDragRotate = 1, kDragMove = 2, kDragZoom = 3 };

    // Reads the countdown and the saved locations from the store (not in the
    // full-screen saver). The host, projection, store and tracker must
    // outlive the camera; scene may be null.
    Camera(const CameraSettings& settings, int viewportWidth, int viewportHeight, float fov, CameraHost& host,
           const ProjectionProvider& projection, CameraSceneHooks* scene = nullptr,
           settings::PreferencesStore* store = nullptr, MouseStateTracker* tracker = nullptr);
    // Saves the current view as "current" and writes the locations and the
    // countdown to the store.
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // New viewport: half sizes, focal length and the camera's own projection
    // (near 1, far 10000); the viewport's pixels per pixel of an unscaled
    // desktop, by which drags are measured.
    void resize(int viewportWidth, int viewportHeight, float fov, float pixelRatio = 1);

    // Once per frame with the frame's duration and the globe's spin angle;
    // returns (and publishes in the process state) whether to draw.
    bool update(float frameSeconds, float rho);

    // Navigation input the scene passes on. Returns the drag state for
    // pointer moves and unhandled messages, 1 for consumed buttons and keys.
    int handleMessage(const win::Message& msg);

    // Look at the centre with north up / roll north up; kApplyNow or kGlide.
    void center(int mode);
    void northUp(int mode);
    // Glide to above a geographic point (radians), keeping the distance.
    void lookAt(float longitude, float latitude);
    // Straight to `km` above a point given in degrees (east and north
    // positive), looking at the centre with north up.
    void placeAbove(double longitudeDeg, double latitudeDeg, double km);

    // Saved locations.
    SavedLocations& locations() { return locations_; }
    const SavedLocations& locations() const { return locations_; }
    // Target := the entry, re-attached to the globe's current rotation.
    void goTo(const LocationEntry& entry);
    // Goes to entry i if it exists; returns whether it did.
    bool goToLocation(size_t index);
    // Glides to the last entry and removes it (the previous run's "current").
    void resumeLastLocation();
    // Appends the current view under `name`; returns the new count.
    size_t saveCurrentLocation(std::string_view name);
    // Locations sub-menu items "%d  %s", ids 3000 + i.
    void fillLocationsMenu(win::Menu& menu) const { locations_.fillMenu(menu); }
    // What the destructor writes; callable earlier, does nothing the second time.
    void storeToPreferences();

    // The cursor for the globe in the present state.
    PointerCursor pointerCursor() const;

    // Read by other parts.
    const CameraFrame& current() const { return current_; }
    const CameraFrame& target() const { return target_; }
    const math::Matrix& viewMatrix() const { return view_; }
    const math::Matrix& cameraMatrix() const { return camera_; }
    const math::Matrix& projectionMatrix() const { return projection_; }
    float focalLength() const { return focal_; }
    float pixelRatio() const { return pixelRatio_; }
    float halfWidth() const { return halfWidth_; }
    float halfHeight() const { return halfHeight_; }
    float fieldOfView() const { return fov_; }
    const math::Vec3& pointerRay() const { return pointerRay_; }
    // x is -1 when there is no valid pointer.
    int32_t lastPointerX() const { return pointerValid_ ? lastX_ : -1; }
    int32_t lastPointerY() const { return lastY_; }
    int32_t dragState() const { return drag_; }
    float rho() const { return rho_; }
    float distance() const { return math::length(current_.position); }

    float countdown() const { return countdown_; }
    float defaultCountdown() const { return defaultCountdown_; }
    void setCountdown(float seconds) { countdown_ = seconds; }

    // Where the Sun stands seen from the globe's centre, in the globe's own
    // frame: a terminator that moves on the screen is a change to draw.
    void setSunInGlobe(const math::Vec3& direction) { sunInGlobe_ = direction; }
    // Screen pixels a terminator must move before it is drawn again.
    static constexpr float kTerminatorPixels = 1.0f;
    float idleTimer() const { return idleTimer_; }
    // Whether the last left release was a click (no drag, no movement).
    bool lastReleaseWasClick() const { return lastReleaseWasClick_; }
    bool northUpApplied() const { return northUpApplied_; }

    // Direct placement of both frames (tools, tests).
    void setFrame(const CameraFrame& frame);
    void setTarget(const CameraFrame& frame) { target_ = frame; }

private:
    bool glide(float frameSeconds);
    void autoMotion(int program, float rate, float frameSeconds, bool idle);
    void rebuildMatrices();
    bool silhouetteChanged();
    bool viewChanged();
    bool terminatorMoved() const;
    void applySurfaceLimit();
    void keepInView();
    static void orthonormalize(CameraFrame& f);
    static math::Vec3 northUpFor(const math::Vec3& direction);

    // Input.
    int onMouseMove(const win::Message& msg);
    int onKeyUp(uint32_t key);
    int onKeyDown(uint32_t key);
    int onWheel(const win::Message& msg);
    // Moves the target toward (notches > 0) or away from the globe point under
    // client pixel (x, y), so that the point stays under it.
    void zoomToward(float x, float y, float notches);
    // Turns the target about the centre like a rotate drag by (dx, dy) steps.
    void turnGlobe(int dx, int dy);
    int onCommand(uint32_t id);
    void zoomDrag(int32_t y);
    void rotateDrag();
    void moveDrag(int32_t x, int32_t y);

    CameraHost& host_;
    const ProjectionProvider& projectionProvider_;
    CameraSceneHooks* scene_;
    settings::PreferencesStore* store_;
    MouseStateTracker& tracker_;

    float near_ = 80, far_ = 256;
    int32_t program_ = 1;
    bool northUpApplied_ = false;
    float autoSpeed_ = 0;

    CameraFrame current_;
    CameraFrame target_;
    math::Matrix view_;
    math::Matrix camera_;
    math::Matrix projection_;
    math::Matrix lastChangeMatrix_;
    bool haveRho_ = false;  // rho_ holds the globe's turn of the previous update
    math::Vec3 sunInGlobe_{0, 0, 0};
    math::Vec3 drawnSun_{0, 0, 0};  // at the last frame drawn

    int32_t lastX_ = -1, lastY_ = 0;
    bool pointerValid_ = false;   // for the pointer ray; lapses when the pointer rests
    bool anchorKnown_ = false;    // lastX_/lastY_ hold a real position (drag deltas)
    bool movedSincePress_ = false;
    bool lastReleaseWasClick_ = false;
    int32_t drag_ = 0;
    float countdown_ = kViewerCountdown;
    float defaultCountdown_ = kViewerCountdown;
    float idleTimer_ = 0;
    float rho_ = 0;
    math::Vec3 pointerRay_{0, 0, 1};
    float halfWidth_ = 1, halfHeight_ = 1, focal_ = 1, fov_ = 0.785f, pixelRatio_ = 1;

    // Automatic flight.
    float theta_ = 0;
    float phase_[4] = {0, 0, 0, 0};
    float smoothedFrame_ = 0.1f;

    // Globe on screen at the last change.
    bool haveScreenCentre_ = false;
    float screenX_ = 0, screenY_ = 0, screenDistance_ = 0;
    std::vector<RegionRect> region_;

    SavedLocations locations_;
    bool stored_ = false;
};

// The fourth row of the last view matrix, for parts that need the camera's
// translation without the camera.
const math::Vec3& viewTranslation();

}  // namespace tnx::camera
