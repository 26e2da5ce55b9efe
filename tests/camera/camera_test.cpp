// The camera model: start-up, glide, surface limit, idle logic, automatic
// flight, center / north up / look at, and the render decision.
#include "camera/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/process_state.h"
#include "camera/globe_pick.h"
#include "camera/globe_silhouette.h"
#include "camera_fakes.h"
#include "platform/io/byte_io.h"
#include "settings/preferences_store.h"

namespace tnx::camera {
namespace {

using math::Vec3;
using test::FakeHost;
using test::FakeScene;

constexpr int kWidth = 800, kHeight = 600;
constexpr float kFov = 1.0f;

void expectNear(const Vec3& a, const Vec3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

CameraFrame lookingAtCentreFrom(const Vec3& position) {
    CameraFrame f;
    f.position = position;
    f.direction = math::normalize(-position);
    Vec3 up = Vec3{0, 1, 0} - f.direction * f.direction.y;
    f.up = math::normalize(up);
    return f;
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::processState() = {};
        app::processState().saverMode = app::SaverMode::InteractiveViewer;
    }
    void TearDown() override { app::processState() = {}; }

    std::unique_ptr<Camera> make(CameraSettings settings = {}) {
        return std::make_unique<Camera>(settings, kWidth, kHeight, kFov, host, projection, &scene, &store, &tracker);
    }

    FakeHost host;
    FakeScene scene;
    SingleViewProjection projection{kWidth, kHeight};
    settings::PreferencesStore store;
    MouseStateTracker tracker;
};

TEST_F(CameraTest, StartsAtTheDefaultViewWithViewerCountdown) {
    auto cam = make();
    expectNear(cam->current().position, {0, 1200, -355});
    expectNear(cam->current().direction, math::normalize(Vec3{0, -1200, 355}));
    EXPECT_NEAR(math::dot(cam->current().up, cam->current().direction), 0, 1e-6);
    EXPECT_GT(cam->current().up.y, 0);
    EXPECT_FLOAT_EQ(cam->countdown(), Camera::kViewerCountdown);
    EXPECT_EQ(cam->locations().count(), 0u);
    // The view matrix is the camera matrix's inverse.
    Vec3 p = math::transformCoord(cam->current().position + cam->current().direction * 5, cam->viewMatrix());
    expectNear(p, {0, 0, 5}, 1e-3f);
    expectNear(viewTranslation(), {cam->viewMatrix().m[3][0], cam->viewMatrix().m[3][1], cam->viewMatrix().m[3][2]});
}

TEST_F(CameraTest, StoredCountdownIsReadInTheViewerOnly) {
    uint8_t bytes[4];
    io::storeF32(bytes, 12.5f);
    store.setBinary(Camera::kCountdownKey, bytes, 4);
    EXPECT_FLOAT_EQ(make()->countdown(), 12.5f);

    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    EXPECT_FLOAT_EQ(make()->countdown(), 0.0f);
}

TEST_F(CameraTest, WrongSizedCountdownKeepsDefault) {
    uint8_t bytes[6] = {0, 0, 0x48, 0x41, 0, 0};
    store.setBinary(Camera::kCountdownKey, bytes, 6);
    EXPECT_FLOAT_EQ(make()->countdown(), Camera::kViewerCountdown);
}

TEST_F(CameraTest, GlideAdvancesAtMostPointTwoSecondsPerFrame) {
    auto a = make();
    auto b = make();
    for (Camera* cam : {a.get(), b.get()}) {
        cam->setFrame(lookingAtCentreFrom({0, 0, -300}));
        cam->setTarget(lookingAtCentreFrom({300, 0, 0}));
    }
    a->update(0.2f, 0);
    b->update(3.0f, 0);
    expectNear(a->current().position, b->current().position, 1e-3f);
    expectNear(a->current().direction, b->current().direction, 1e-5f);
    // It did move, by 0.2 s worth of turning (at most 1 rad/s).
    float turned = std::acos(math::dot(math::normalize(a->current().position), Vec3{0, 0, -1}));
    EXPECT_GT(turned, 0.1f);
    EXPECT_LE(turned, 0.2f + 1e-4f);
}

TEST_F(CameraTest, GlideSettlesOnTheTargetWithoutOvershoot) {
    auto cam = make();
    cam->setFrame(lookingAtCentreFrom({0, 0, -300}));
    CameraFrame target = lookingAtCentreFrom({0, 100, -100});
    cam->setTarget(target);
    float previous = cam->distance();
    float goal = math::length(target.position);
    for (int i = 0; i < 3000; ++i) {
        cam->update(0.05f, 0);
        float d = cam->distance();
        EXPECT_GE(d, goal - 1e-3f);  // approaches from above, never past
        EXPECT_LE(d, previous + 1e-3f);
        previous = d;
    }
    // At rest the idle turn takes over, so compare in the globe's frame only
    // roughly: the turn is one revolution a day.
    EXPECT_NEAR(cam->distance(), goal, 0.05f);
    EXPECT_NEAR(math::dot(math::normalize(cam->current().position), math::normalize(target.position)), 1, 1e-4);
}

TEST_F(CameraTest, SurfaceLimitHoldsForTargetsInsideTheGlobe) {
    auto cam = make();
    cam->setFrame(lookingAtCentreFrom({0, 0, -70}));
    cam->setTarget(lookingAtCentreFrom({0, 0, -10}));
    for (int i = 0; i < 500; ++i) {
        cam->update(0.1f, 0);
        ASSERT_GE(cam->distance(), Camera::kSurfaceLimit - 1e-4f);
    }
}

TEST_F(CameraTest, SaverFlightStartsOnTheFirstFrame) {
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    CameraSettings s;
    s.program = 2;  // flight on the equatorial plane looking at the centre
    auto cam = make(s);
    cam->update(0.02f, 0);
    EXPECT_NEAR(cam->current().position.y, 0, 1e-4);
    EXPECT_NEAR(cam->distance(), s.farKm * 0.01f, 0.01f);  // theta 0: the far point
    expectNear(cam->current().direction, math::normalize(-cam->current().position), 1e-5f);
    expectNear(cam->target().position, cam->current().position);
}

TEST_F(CameraTest, ViewerFlightWaitsForTheCountdownOrG) {
    CameraSettings s;
    s.program = 2;
    auto cam = make(s);
    cam->update(0.02f, 0);
    EXPECT_NEAR(cam->current().position.y, 1200, 0.01f);  // the slow turn keeps the height

    cam->handleMessage(test::keyUp('G'));
    EXPECT_FLOAT_EQ(cam->countdown(), 0.0f);
    cam->update(0.02f, 0);
    EXPECT_NEAR(cam->current().position.y, 0, 1e-4);

    // A stored countdown runs out by itself.
    uint8_t bytes[4];
    io::storeF32(bytes, 0.5f);
    store.setBinary(Camera::kCountdownKey, bytes, 4);
    auto later = make(s);
    later->update(0.3f, 0);
    EXPECT_GT(later->current().position.y, 1000);
    later->update(0.3f, 0);
    EXPECT_NEAR(later->current().position.y, 0, 1e-4);
}

TEST_F(CameraTest, GTwiceRestoresTheDefaultCountdown) {
    auto cam = make();
    EXPECT_EQ(cam->handleMessage(test::keyUp('G')), 1);
    EXPECT_FLOAT_EQ(cam->countdown(), 0.0f);
    cam->handleMessage(test::keyUp('G'));
    EXPECT_FLOAT_EQ(cam->countdown(), Camera::kViewerCountdown);
}

TEST_F(CameraTest, ProgramsOutsideOneToThreeTurnSlowly) {
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    for (int program : {0, 4, -1, 99}) {
        CameraSettings s;
        s.program = program;
        auto cam = make(s);
        Vec3 before = cam->current().position;
        for (int i = 0; i < 20; ++i) cam->update(0.1f, 0);
        Vec3 after = cam->current().position;
        // A turn about the polar axis: height and distance kept, position moved.
        EXPECT_NEAR(after.y, before.y, 1e-2) << program;
        EXPECT_NEAR(math::length(after), math::length(before), 1e-2) << program;
        EXPECT_GT(math::length(after - before), 0.1f) << program;
    }
}

TEST_F(CameraTest, AutoFlightNeverGoesBelowTheSurface) {
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    CameraSettings s;
    s.program = 3;
    s.nearKm = 1;  // a near point inside the globe
    s.farKm = 7000;
    s.speed = 100;
    auto cam = make(s);
    for (int i = 0; i < 2000; ++i) {
        cam->update(0.1f, 0);
        ASSERT_GE(cam->distance(), Camera::kSurfaceLimit - 1e-3f);
    }
}

TEST_F(CameraTest, IdleNoChangingDrawsEveryTenSecondsWhileActive) {
    host.noChangingIdle = true;
    auto cam = make();
    const float idleRate = -Camera::kIdleRotationRate;
    std::vector<float> drawnAt;
    float t = 0;
    for (int i = 0; i < 300; ++i) {  // 30 s of 0.1 s frames, the globe turning
        t += 0.1f;
        if (cam->update(0.1f, idleRate * t)) drawnAt.push_back(t);
        EXPECT_EQ(app::processState().renderEnabled, !drawnAt.empty() && drawnAt.back() == t);
    }
    ASSERT_GE(drawnAt.size(), 3u);
    ASSERT_LE(drawnAt.size(), 5u);
    for (size_t i = 1; i < drawnAt.size(); ++i) EXPECT_NEAR(drawnAt[i] - drawnAt[i - 1], 10.0f, 0.25f);

    // Input brings a frame at once.
    tracker.record(test::mouse(win::kWmMouseMove, 10, 10), 0);
    EXPECT_TRUE(cam->update(0.1f, idleRate * (t + 0.1f)));
}

// A terminator that moves on the screen is a change; one that moves less
// than a pixel is not. The idle turn keeps the camera over the same ground
// however fast the globe turns.
TEST_F(CameraTest, IdleNoChangingDrawsAMovingTerminator) {
    host.noChangingIdle = true;
    auto cam = make();
    cam->setSunInGlobe({1, 0, 0});
    cam->update(0.1f, 0);
    EXPECT_FALSE(cam->update(0.1f, 0));
    // Radians of the Sun's move that make one pixel at the ground below.
    const float perPixel = (cam->distance() - Camera::kGlobeRadius) / (Camera::kGlobeRadius * cam->focalLength());
    float angle = 0.4f * perPixel;
    cam->setSunInGlobe({std::cos(angle), 0, std::sin(angle)});
    EXPECT_FALSE(cam->update(0.1f, 0));
    angle = 1.2f * perPixel;  // from the frame last drawn, not the last update
    cam->setSunInGlobe({std::cos(angle), 0, std::sin(angle)});
    EXPECT_TRUE(cam->update(0.1f, 0));
    EXPECT_FALSE(cam->update(0.1f, 0));

    // An hour of turn in a tenth of a second: the view of the ground stays.
    const Vec3 seen = math::transformNormal(math::normalize(cam->current().position), math::matrixRotationY(0.0f));
    cam->update(0.1f, 0.2618f);
    const Vec3 now = math::transformNormal(math::normalize(cam->current().position), math::matrixRotationY(0.2618f));
    EXPECT_NEAR(math::dot(seen, now), 1.0f, 1e-6f);
}

TEST_F(CameraTest, IdleNoChangingOffDrawsEveryFrame) {
    auto cam = make();
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(cam->update(0.1f, 0));
}

TEST_F(CameraTest, ForceRedrawFlagIsConsumed) {
    host.noChangingIdle = true;
    auto cam = make();
    cam->update(0.1f, 0);
    EXPECT_FALSE(cam->update(0.1f, 0));
    app::processState().forceRedraw = true;
    EXPECT_TRUE(cam->update(0.1f, 0));
    EXPECT_FALSE(app::processState().forceRedraw);
    EXPECT_FALSE(cam->update(0.1f, 0));
    // Update Frame does the same.
    cam->handleMessage(test::command(40051));
    EXPECT_TRUE(cam->update(0.1f, 0));
}

TEST_F(CameraTest, IdleInactiveStopsMotionAndDrawing) {
    host.inactiveIdle = true;
    host.active = false;
    auto cam = make();
    cam->setTarget(lookingAtCentreFrom({0, 0, -300}));
    Vec3 before = cam->current().position;
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(cam->update(0.1f, 0));
    expectNear(cam->current().position, before);
    host.active = true;
    EXPECT_TRUE(cam->update(0.1f, 0));
    EXPECT_GT(math::length(cam->current().position - before), 1e-3f);
}

TEST_F(CameraTest, InactiveApplicationWaitsLongBetweenForcedFrames) {
    host.noChangingIdle = true;
    host.active = false;
    auto cam = make();
    EXPECT_TRUE(cam->update(0.1f, 0));
    EXPECT_LT(cam->idleTimer(), -55000.0f);
}

TEST_F(CameraTest, PointerRayPassesThroughThePointerPixel) {
    auto cam = make();
    cam->setFrame(lookingAtCentreFrom({0, 0, -200}));
    cam->handleMessage(test::mouse(win::kWmMouseMove, kWidth / 2, kHeight / 2));
    cam->update(0.01f, 0);
    expectNear(cam->pointerRay(), {0, 0, 1}, 1e-5f);

    // The right edge of the view lies half the field of view off the axis.
    cam->handleMessage(test::mouse(win::kWmMouseMove, kWidth, kHeight / 2));
    cam->handleMessage(test::command(40051));
    cam->update(0.01f, 0);
    EXPECT_NEAR(std::acos(cam->pointerRay().z), kFov / 2, 1e-3);
    EXPECT_GT(cam->pointerRay().x, 0);
    // And the top edge is up.
    cam->handleMessage(test::mouse(win::kWmMouseMove, kWidth / 2, 0));
    cam->handleMessage(test::command(40051));
    cam->update(0.01f, 0);
    EXPECT_GT(cam->pointerRay().y, 0);
}

TEST_F(CameraTest, PointerGoesStaleAfterFiveIdleSeconds) {
    host.noChangingIdle = true;
    auto cam = make();
    cam->handleMessage(test::mouse(win::kWmMouseMove, 100, 100));
    tracker.record(test::mouse(win::kWmMouseMove, 100, 100), 0);
    cam->update(0.1f, 0);
    EXPECT_EQ(cam->lastPointerX(), 100);
    tracker.clearNewInput();
    for (int i = 0; i < 40; ++i) cam->update(0.1f, 0);
    EXPECT_EQ(cam->lastPointerX(), 100);
    for (int i = 0; i < 20; ++i) cam->update(0.1f, 0);
    EXPECT_EQ(cam->lastPointerX(), -1);
}

TEST_F(CameraTest, CenterLooksAtTheGlobeWithNorthUp) {
    auto cam = make();
    CameraFrame f = lookingAtCentreFrom({100, 20, -50});
    // Look away and roll.
    f.direction = math::normalize(Vec3{0, 0, 1});
    f.up = math::normalize(Vec3{1, 1, 0});
    cam->setFrame(f);
    cam->center(Camera::kApplyNow);
    expectNear(cam->current().direction, math::normalize(-f.position));
    EXPECT_NEAR(math::dot(cam->current().up, cam->current().direction), 0, 1e-5);
    EXPECT_NEAR(cam->current().up.x * cam->current().direction.z - cam->current().up.z * cam->current().direction.x,
                0, 1e-5);  // up lies in the vertical plane of the view
    EXPECT_GT(cam->current().up.y, 0);
    EXPECT_TRUE(cam->northUpApplied());

    // Above a pole the view is nudged so north-up still means something.
    cam->setFrame(lookingAtCentreFrom({0.0f, 200, 0.001f}));
    cam->center(Camera::kApplyNow);
    EXPECT_TRUE(std::isfinite(cam->current().up.x));
    EXPECT_NEAR(math::length(cam->current().up), 1, 1e-5);
}

TEST_F(CameraTest, NorthUpRollsAboutTheViewDirection) {
    auto cam = make();
    CameraFrame f = lookingAtCentreFrom({0, 0, -200});
    for (float roll : {0.5f, -1.0f, 3.0f}) {
        CameraFrame r = f;
        r.up = math::transformNormal(f.up, math::matrixRotationAxis(f.direction, roll));
        cam->setFrame(r);
        cam->northUp(Camera::kApplyNow);
        expectNear(cam->current().up, {0, 1, 0}, 1e-4f);
        expectNear(cam->current().direction, f.direction, 1e-5f);
        expectNear(cam->current().position, f.position, 1e-3f);
    }
    // Gliding: only the target changes now.
    CameraFrame r = f;
    r.up = math::transformNormal(f.up, math::matrixRotationAxis(f.direction, 0.7f));
    cam->setFrame(r);
    cam->northUp(Camera::kGlide);
    expectNear(cam->target().up, {0, 1, 0}, 1e-4f);
    expectNear(cam->current().up, r.up, 1e-6f);
}

TEST_F(CameraTest, NorthUpLockStartsAnAnimatedNorthUp) {
    host.lock = true;
    auto cam = make();
    CameraFrame f = lookingAtCentreFrom({0, 0, -200});
    f.up = math::transformNormal(f.up, math::matrixRotationAxis(f.direction, 0.8f));
    cam->setFrame(f);
    cam->update(0.05f, 0);
    EXPECT_TRUE(cam->northUpApplied());
    expectNear(cam->target().up, {0, 1, 0}, 1e-4f);
    for (int i = 0; i < 400; ++i) cam->update(0.05f, 0);
    EXPECT_GT(cam->current().up.y, 0.999f);
    host.lock = false;
    cam->update(0.05f, 0);
    EXPECT_FALSE(cam->northUpApplied());
}

TEST_F(CameraTest, LookAtPlacesTheTargetAboveThePointKeepingDistance) {
    auto cam = make();
    cam->setFrame(lookingAtCentreFrom({0, 0, -300}));
    cam->update(0.01f, 0.3f);  // globe turned by 0.3
    cam->setCountdown(5);
    const float lon = 1.0f, lat = 0.6f;
    cam->lookAt(lon, lat);
    EXPECT_FLOAT_EQ(cam->countdown(), Camera::kViewerCountdown);
    Vec3 p = cam->target().position;
    EXPECT_NEAR(math::length(p), 300, 1e-2);
    EXPECT_NEAR(std::asin(p.y / math::length(p)), lat, 1e-4);
    EXPECT_NEAR(std::atan2(p.z, p.x), lon + 0.3f, 1e-4);
    // Still looking at the centre, north up.
    expectNear(cam->target().direction, math::normalize(-p), 1e-4f);
    Vec3 north = Vec3{0, 1, 0} - cam->target().direction * cam->target().direction.y;
    expectNear(cam->target().up, math::normalize(north), 1e-4f);
    // The pick under the centre pixel of the new view is that place.
    GlobePick pick = pickGlobe(p, cam->target().direction, Camera::kGlobeRadius, 0.3f);
    ASSERT_TRUE(pick.hit);
    EXPECT_NEAR(pick.longitude, lon, 1e-3);
    EXPECT_NEAR(pick.latitude, lat, 1e-3);

    // Latitudes are clamped to 1.5 rad.
    cam->lookAt(0, 1.57f);
    p = cam->target().position;
    EXPECT_NEAR(std::asin(p.y / math::length(p)), 1.5f, 1e-3);
}

TEST_F(CameraTest, LookAtBringsAViewTurnedAwayBackToTheGlobe) {
    auto cam = make();
    CameraFrame f = lookingAtCentreFrom({0, 0, -300});
    f.direction = math::normalize(Vec3{1, 0, 0.2f});  // looking off into space
    f.up = {0, 1, 0};
    cam->setFrame(f);
    cam->lookAt(0.5f, 0.2f);
    Vec3 c = math::normalize(-cam->target().position);
    float angle = std::acos(math::dot(cam->target().direction, c));
    EXPECT_NEAR(angle, 0.19625f, 1e-3);
    EXPECT_NEAR(math::dot(cam->target().up, cam->target().direction), 0, 1e-5);
}

TEST_F(CameraTest, LookAtWithNorthUpLockFacesTheCentre) {
    host.lock = true;
    auto cam = make();
    CameraFrame f = lookingAtCentreFrom({0, 0, -300});
    f.direction = math::normalize(Vec3{0.2f, 0.1f, 1});
    cam->setFrame(f);
    cam->lookAt(-2.0f, -0.4f);
    expectNear(cam->target().direction, math::normalize(-cam->target().position), 1e-4f);
}

TEST_F(CameraTest, PlaceAboveGoesStraightThere) {
    auto cam = make();
    cam->update(0.01f, 0.25f);
    cam->placeAbove(10.0, 50.0, 1000.0);
    Vec3 p = cam->current().position;
    EXPECT_NEAR(math::length(p), 63.71f + 10.0f, 1e-3);
    EXPECT_NEAR(std::asin(p.y / math::length(p)), 50 * math::kPi / 180, 1e-4);
    EXPECT_NEAR(std::atan2(p.z, p.x), 10 * math::kPi / 180 + 0.25f, 1e-4);
    expectNear(cam->current().direction, math::normalize(-p), 1e-5f);
    EXPECT_GT(cam->current().up.y, 0);
    expectNear(cam->target().position, p);

    cam->placeAbove(0, 0, -500);  // below ground: held at the surface limit
    EXPECT_NEAR(cam->distance(), Camera::kSurfaceLimit, 1e-4);
    cam->placeAbove(0, 90, 100);  // the pole
    EXPECT_NEAR(math::length(cam->current().up), 1, 1e-5);
    EXPECT_GT(math::dot(cam->current().direction, math::normalize(-cam->current().position)), 0.999f);
}

TEST_F(CameraTest, TransparentModeShapesTheWindowToTheGlobe) {
    host.mode = WindowMode::Transparent;
    auto cam = make();
    cam->setFrame(lookingAtCentreFrom({0, 0, -300}));
    cam->update(0.01f, 0);
    ASSERT_EQ(host.regionCalls, 1);
    ASSERT_FALSE(host.region.empty());
    // Centred and round: the globe's apparent radius in pixels.
    float radiusPx = cam->focalLength() * std::tan(std::asin(Camera::kGlobeRadius / 300));
    int top = host.region.front().top, bottom = host.region.back().bottom;
    EXPECT_NEAR((top + bottom) / 2.0, kHeight / 2.0, 1.0);
    EXPECT_NEAR((bottom - top) / 2.0, radiusPx, 2.0);
    for (const RegionRect& r : host.region) EXPECT_NEAR((r.left + r.right) / 2.0, kWidth / 2.0, 1.0);

    // A globe that moves by less than half a pixel does not reshape it.
    cam->update(0.01f, 0);
    EXPECT_EQ(host.regionCalls, 1);

    // Inside the globe everything is globe.
    std::vector<RegionRect> strips;
    silhouetteRegion(cam->viewMatrix(), cam->projectionMatrix(), {0, 0, -10}, Camera::kGlobeRadius,
                     kWidth / 2.0f, kHeight / 2.0f, strips);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0], (RegionRect{0, 0, kWidth, kHeight}));
}

TEST_F(CameraTest, SilhouetteIsClippedToTheViewAndBehindTheCamera) {
    auto cam = make();
    // Low over the surface looking at the horizon: the outline fills the
    // lower part of the view and wraps behind the camera.
    CameraFrame f;
    f.position = {0, 0, -66};
    f.direction = {1, 0, 0};
    f.up = {0, 0, -1};
    cam->setFrame(f);
    std::vector<RegionRect> strips;
    silhouetteRegion(cam->viewMatrix(), cam->projectionMatrix(), f.position, Camera::kGlobeRadius, kWidth / 2.0f,
                     kHeight / 2.0f, strips);
    ASSERT_FALSE(strips.empty());
    for (const RegionRect& r : strips) {
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, kWidth);
        EXPECT_LT(r.left, r.right);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, kHeight);
    }
    EXPECT_EQ(strips.back().bottom, kHeight);  // reaches the bottom edge
    EXPECT_GT(strips.front().top, 0);          // but not the top: sky above
    EXPECT_EQ(strips.back().left, 0);
    EXPECT_EQ(strips.back().right, kWidth);

    // Looking straight away from the globe: nothing of it on screen.
    f.direction = {0, 0, -1};
    f.up = {0, 1, 0};
    cam->setFrame(f);
    silhouetteRegion(cam->viewMatrix(), cam->projectionMatrix(), f.position, Camera::kGlobeRadius, kWidth / 2.0f,
                     kHeight / 2.0f, strips);
    EXPECT_TRUE(strips.empty());
}

TEST_F(CameraTest, OtherWindowModesAndTheSaverNeverTouchTheRegion) {
    host.mode = WindowMode::FullScreen;
    auto cam = make();
    cam->update(0.01f, 0);
    host.mode = WindowMode::Transparent;
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    auto saver = make();
    saver->update(0.01f, 0);
    EXPECT_EQ(host.regionCalls, 0);
}

}  // namespace
}  // namespace tnx::camera
