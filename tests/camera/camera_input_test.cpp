// Drags, clicks, keys and commands as the camera sees them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/process_state.h"
#include "camera/camera.h"
#include "camera/globe_pick.h"
#include "camera_fakes.h"
#include "platform/win/popup_menu.h"
#include "settings/preferences_store.h"

namespace tnx::camera {
namespace {

using math::Vec3;
using test::FakeHost;
using test::FakeScene;
using test::mouse;

win::Message wheel(int delta, int x, int y) { return {0, win::kWmMouseWheel, win::makeWParam(0, delta), win::makeLParam(x, y)}; }
win::Message keyDown(uint32_t key) { return {0, win::kWmKeyDown, key, 0}; }

constexpr int kWidth = 800, kHeight = 600;

CameraFrame frameAt(const Vec3& position) {
    CameraFrame f;
    f.position = position;
    f.direction = math::normalize(-position);
    f.up = math::normalize(Vec3{0, 1, 0} - f.direction * f.direction.y);
    return f;
}

class CameraInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        app::processState() = {};
        app::processState().saverMode = app::SaverMode::InteractiveViewer;
        cam = std::make_unique<Camera>(CameraSettings{}, kWidth, kHeight, 1.0f, host, projection, &scene, &store,
                                       &tracker);
        cam->setFrame(frameAt({0, 0, -300}));
    }
    void TearDown() override { app::processState() = {}; }

    // Sends a message the way the viewer does: tracker first, then the camera.
    int send(const win::Message& m, int32_t ms = 0) {
        clock += ms;
        tracker.record(m, clock);
        return cam->handleMessage(m);
    }
    // Press at (x, y), move in `steps` steps by (dx, dy) each, release.
    void drag(win::WParam keys, int x, int y, int dx, int dy, int steps) {
        send(mouse(win::kWmMouseMove, x, y), 20);
        if (keys & win::kMkLButton) send(mouse(win::kWmLButtonDown, x, y, keys));
        if (keys & win::kMkRButton) send(mouse(win::kWmRButtonDown, x, y, keys));
        for (int i = 1; i <= steps; ++i) send(mouse(win::kWmMouseMove, x + dx * i, y + dy * i, keys), 20);
        if (keys & win::kMkLButton) send(mouse(win::kWmLButtonUp, x + dx * steps, y + dy * steps));
        if (keys & win::kMkRButton) send(mouse(win::kWmRButtonUp, x + dx * steps, y + dy * steps));
    }

    FakeHost host;
    FakeScene scene;
    SingleViewProjection projection{kWidth, kHeight};
    settings::PreferencesStore store;
    MouseStateTracker tracker;
    std::unique_ptr<Camera> cam;
    int32_t clock = 1000;
};

void expectSameFrame(const CameraFrame& a, const CameraFrame& b, float tol = 1e-5f) {
    for (auto [u, v] : {std::pair{a.position, b.position}, {a.direction, b.direction}, {a.up, b.up}}) {
        EXPECT_NEAR(u.x, v.x, tol);
        EXPECT_NEAR(u.y, v.y, tol);
        EXPECT_NEAR(u.z, v.z, tol);
    }
}

TEST_F(CameraInputTest, WithoutAToolOnlyRightAndBothButtonsDrag) {
    host.tool = PointerTool::None;
    CameraFrame start = cam->current();
    drag(win::kMkLButton, 400, 300, 5, 3, 10);
    expectSameFrame(cam->current(), start);

    // Right: turn in place.
    drag(win::kMkRButton, 400, 300, 5, 0, 10);
    EXPECT_NEAR(math::length(cam->current().position - start.position), 0, 1e-4);
    EXPECT_LT(math::dot(cam->current().direction, start.direction), 0.9999f);

    // Both: zoom.
    float before = cam->distance();
    drag(win::kMkLButton | win::kMkRButton, 400, 300, 0, -5, 10);
    EXPECT_GT(cam->distance(), before + 1);
}

TEST_F(CameraInputTest, DragStateFollowsButtonsAndTool) {
    host.tool = PointerTool::Rotate;
    send(mouse(win::kWmLButtonDown, 100, 100, win::kMkLButton));
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 105, 100, win::kMkLButton)), Camera::kDragRotate);
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 110, 100, win::kMkLButton | win::kMkRButton)), Camera::kDragZoom);
    EXPECT_EQ(send(mouse(win::kWmLButtonUp, 110, 100)), 1);
    EXPECT_EQ(cam->dragState(), Camera::kDragMove);  // right still held
    EXPECT_EQ(send(mouse(win::kWmRButtonUp, 110, 100)), 1);
    EXPECT_EQ(cam->dragState(), 0);
    EXPECT_EQ(scene.clicks, 0);
    EXPECT_EQ(scene.menus, 0);
    host.tool = PointerTool::Move;
    send(mouse(win::kWmLButtonDown, 110, 100, win::kMkLButton));
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 111, 100, win::kMkLButton)), Camera::kDragMove);
    host.tool = PointerTool::Zoom;
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 112, 100, win::kMkLButton)), Camera::kDragZoom);
    // An unchanged position only reports whether a button is down.
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 112, 100, win::kMkLButton)), 1);
    EXPECT_EQ(send(mouse(win::kWmMouseMove, 112, 100, 0)), 0);
}

TEST_F(CameraInputTest, ClickWithoutMovementReachesTheScene) {
    for (PointerTool tool : {PointerTool::Rotate, PointerTool::None}) {
        host.tool = tool;
        scene.clicks = 0;
        send(mouse(win::kWmMouseMove, 200, 200));
        send(mouse(win::kWmLButtonDown, 200, 200, win::kMkLButton));
        send(mouse(win::kWmLButtonUp, 200, 200));
        EXPECT_EQ(scene.clicks, 1);
        EXPECT_TRUE(cam->lastReleaseWasClick());

        // A drag, even one that moves nothing (no tool), is not a click.
        drag(win::kMkLButton, 200, 200, 4, 0, 3);
        EXPECT_EQ(scene.clicks, 1);
        EXPECT_FALSE(cam->lastReleaseWasClick());
    }
    // Moving with one button and then pressing the other is still no click.
    host.tool = PointerTool::None;
    send(mouse(win::kWmLButtonDown, 300, 300, win::kMkLButton));
    send(mouse(win::kWmMouseMove, 305, 300, win::kMkLButton));
    send(mouse(win::kWmRButtonDown, 305, 300, win::kMkLButton | win::kMkRButton));
    send(mouse(win::kWmLButtonUp, 305, 300, win::kMkRButton));
    send(mouse(win::kWmRButtonUp, 305, 300));
    EXPECT_EQ(scene.clicks, 1);
    EXPECT_EQ(scene.menus, 0);

    // The right button: a click opens the context menu, a drag does not.
    send(mouse(win::kWmRButtonDown, 50, 50, win::kMkRButton));
    send(mouse(win::kWmRButtonUp, 50, 50));
    EXPECT_EQ(scene.menus, 1);
    drag(win::kMkRButton, 50, 50, 3, 3, 3);
    EXPECT_EQ(scene.menus, 1);
}

TEST_F(CameraInputTest, ZoomSlowsNearTheSurfaceAndStopsAtTheLimit) {
    host.tool = PointerTool::Zoom;
    // Far out the factor is capped at 20: one pixel is 20 * 0.02 * 10.1 units.
    cam->setFrame(frameAt({0, 0, -5000}));
    send(mouse(win::kWmLButtonDown, 300, 300, win::kMkLButton));
    send(mouse(win::kWmMouseMove, 300, 301, win::kMkLButton));
    EXPECT_NEAR(cam->distance(), 5000 - 20 * 0.02f * 10.1f, 1e-2);
    send(mouse(win::kWmLButtonUp, 300, 301));

    // Just above the surface the floor 0.02 applies.
    cam->setFrame(frameAt({0, 0, -64}));
    send(mouse(win::kWmLButtonDown, 300, 300, win::kMkLButton));
    send(mouse(win::kWmMouseMove, 300, 301, win::kMkLButton));
    EXPECT_NEAR(cam->distance(), 64 - 0.02f * 0.02f * 10.1f, 1e-4);
    send(mouse(win::kWmLButtonUp, 300, 301));

    // Zooming on and on stops 63.8 from the centre.
    cam->setFrame(frameAt({0, 0, -300}));
    for (int i = 0; i < 4; ++i) drag(win::kMkLButton, 300, 10, 0, 5, 120);
    EXPECT_NEAR(cam->distance(), Camera::kSurfaceLimit, 1e-3);
    EXPECT_NEAR(math::length(cam->target().position), Camera::kSurfaceLimit, 1e-3);
    for (int i = 0; i < 100; ++i) cam->update(0.1f, 0);
    EXPECT_GE(cam->distance(), Camera::kSurfaceLimit - 1e-4f);
}

TEST_F(CameraInputTest, TransparentZoomMovesAlongTheLineToTheCentre) {
    host.mode = WindowMode::Transparent;
    host.tool = PointerTool::Zoom;
    CameraFrame f = frameAt({0, 0, -300});
    f.direction = math::normalize(Vec3{0.3f, 0, 1});  // looking off-centre
    f.up = {0, 1, 0};
    cam->setFrame(f);
    drag(win::kMkLButton, 300, 300, 0, 10, 1);
    EXPECT_LT(cam->distance(), 300);
    EXPECT_NEAR(cam->current().position.x, 0, 1e-4);  // still on the same line
}

TEST_F(CameraInputTest, RotateDragMakesTheGlobeFollowThePointer) {
    host.tool = PointerTool::Rotate;
    drag(win::kMkLButton, 400, 300, 5, 0, 4);
    // Dragging right takes the camera to the left, so the globe moves right.
    EXPECT_LT(cam->current().position.x, -0.1f);
    EXPECT_NEAR(math::dot(cam->current().direction, math::normalize(-cam->current().position)), 1, 1e-5);
    EXPECT_NEAR(cam->distance(), 300, 1e-2);

    cam->setFrame(frameAt({0, 0, -300}));
    drag(win::kMkLButton, 400, 300, 0, 5, 4);
    EXPECT_GT(cam->current().position.y, 0.1f);  // dragging down: the camera goes up
}

TEST_F(CameraInputTest, FastFlicksAreCappedAtFiftyPixels) {
    host.tool = PointerTool::Rotate;
    // Same speed (500 px/s), different distances: 50 px in 100 ms and 500 px in 1 s.
    auto flick = [&](int dx, int ms) {
        cam->setFrame(frameAt({0, 0, -300}));
        send(mouse(win::kWmMouseMove, 100, 300), 1000);
        send(mouse(win::kWmLButtonDown, 100, 300, win::kMkLButton));
        send(mouse(win::kWmMouseMove, 100 + dx, 300, win::kMkLButton), ms);
        send(mouse(win::kWmLButtonUp, 100 + dx, 300));
        return cam->current().position;
    };
    Vec3 a = flick(50, 100);
    Vec3 b = flick(500, 1000);
    EXPECT_NEAR(a.x, b.x, 1e-3);
    EXPECT_NEAR(a.z, b.z, 1e-3);
    Vec3 slow = flick(50, 1000);  // slower flick, same distance: less turn
    EXPECT_LT(std::fabs(slow.x), std::fabs(a.x));
}

TEST_F(CameraInputTest, MoveDragTurnsInPlace) {
    host.tool = PointerTool::Move;
    drag(win::kMkLButton, 400, 300, 10, 0, 5);
    EXPECT_NEAR(cam->current().position.z, -300, 1e-4);
    EXPECT_LT(cam->current().direction.x, -0.01f);  // turned left: the globe moves right
    EXPECT_NEAR(std::acos(cam->current().direction.z), 0.05f, 1e-3);

    // In the transparent window the move drag leaves the view alone.
    host.mode = WindowMode::Transparent;
    CameraFrame before = cam->current();
    drag(win::kMkLButton, 400, 300, 10, 10, 5);
    expectSameFrame(cam->current(), before);
}

TEST_F(CameraInputTest, DraggingTakesControlFromTheFlight) {
    cam->handleMessage(test::keyUp('G'));
    ASSERT_FLOAT_EQ(cam->countdown(), 0);
    drag(win::kMkRButton, 400, 300, 1, 0, 1);
    EXPECT_FLOAT_EQ(cam->countdown(), Camera::kViewerCountdown);
}

TEST_F(CameraInputTest, NorthUpIsKeptDuringDragsWhileApplied) {
    host.tool = PointerTool::Rotate;
    cam->center(Camera::kApplyNow);
    ASSERT_TRUE(cam->northUpApplied());
    drag(win::kMkLButton, 400, 300, 7, 9, 6);
    Vec3 d = cam->current().direction;
    Vec3 north = math::normalize(Vec3{0, 1, 0} - d * d.y);
    EXPECT_NEAR(math::dot(cam->current().up, north), 1, 1e-4);
}

TEST_F(CameraInputTest, KeysGoToSavedLocationsZeroBeingTheTenth) {
    for (int i = 0; i < 10; ++i)
        cam->locations().saveAs("p" + std::to_string(i), 0, {0, float(100 + i), -200}, {0, 0, 1}, {0, 1, 0});
    EXPECT_EQ(cam->handleMessage(test::keyUp('0')), 1);
    EXPECT_FLOAT_EQ(cam->target().position.y, 109);
    cam->handleMessage(test::keyUp('1'));
    EXPECT_FLOAT_EQ(cam->target().position.y, 100);
    cam->handleMessage(test::keyUp('9'));
    EXPECT_FLOAT_EQ(cam->target().position.y, 108);

    // Beyond the list nothing happens.
    cam->locations().remove(9);
    cam->locations().remove(8);
    cam->handleMessage(test::keyUp('1'));
    CameraFrame before = cam->target();
    cam->handleMessage(test::keyUp('0'));
    cam->handleMessage(test::keyUp('9'));
    cam->handleMessage(test::command(3000 + 8));
    expectSameFrame(cam->target(), before);
    // The menu commands address entries from 0.
    cam->handleMessage(test::command(3000 + 7));
    EXPECT_FLOAT_EQ(cam->target().position.y, 107);
}

TEST_F(CameraInputTest, LocationsFollowTheGlobesRotation) {
    cam->update(0.01f, 0.5f);
    cam->setFrame(frameAt({200, 0, 0}));
    cam->saveCurrentLocation("here");
    cam->update(0.01f, 1.0f);  // the globe turned a further 0.5
    cam->handleMessage(test::keyUp('1'));
    Vec3 p = cam->target().position;
    EXPECT_NEAR(std::atan2(p.z, p.x), 0.5f, 1e-4);
    EXPECT_NEAR(math::length(p), 200, 1e-3);
    EXPECT_NEAR(math::dot(cam->target().direction, math::normalize(-p)), 1, 1e-5);
}

TEST_F(CameraInputTest, CommandsSetToolsAndCursors) {
    cam->handleMessage(test::command(40042));
    EXPECT_EQ(host.tool, PointerTool::Move);
    EXPECT_EQ(host.cursor, PointerCursor::FourWayMove);
    cam->handleMessage(test::command(40044));
    EXPECT_EQ(host.tool, PointerTool::Zoom);
    EXPECT_EQ(host.cursor, PointerCursor::Zoom);
    cam->handleMessage(test::command(40043));
    EXPECT_EQ(host.tool, PointerTool::Rotate);
    EXPECT_EQ(host.cursor, PointerCursor::Arrow);
    host.distance = true;
    send(mouse(win::kWmMouseMove, 5, 5));
    EXPECT_EQ(host.cursor, PointerCursor::Distance);
    app::processState().saverMode = app::SaverMode::FullScreenSaver;
    send(mouse(win::kWmMouseMove, 6, 5));
    EXPECT_EQ(host.cursor, PointerCursor::None);
}

TEST_F(CameraInputTest, CenterAndNorthUpCommandsAndKeysGlide) {
    CameraFrame f = frameAt({0, 0, -300});
    f.direction = math::normalize(Vec3{0.3f, 0, 1});
    f.up = {0, 1, 0};
    cam->setFrame(f);
    cam->handleMessage(test::command(40046));
    EXPECT_NEAR(cam->target().direction.z, 1, 1e-5);
    EXPECT_NEAR(cam->current().direction.x, f.direction.x, 1e-6);  // not yet there
    cam->setFrame(f);
    cam->handleMessage(test::keyUp('C'));
    EXPECT_NEAR(cam->target().direction.z, 1, 1e-5);

    CameraFrame rolled = frameAt({0, 0, -300});
    rolled.up = math::normalize(Vec3{1, 1, 0});
    for (const win::Message& m : {test::command(40047), test::keyUp('U')}) {
        cam->setFrame(rolled);
        cam->handleMessage(m);
        EXPECT_NEAR(cam->target().up.y, 1, 1e-4);
    }
}

TEST_F(CameraInputTest, SaveAndDeleteLocationDialogs) {
    host.nameToEnter = std::nullopt;  // Cancel
    cam->handleMessage(test::command(40040));
    EXPECT_EQ(cam->locations().count(), 0u);
    host.nameToEnter = "";  // an empty name is accepted
    cam->handleMessage(test::command(40040));
    host.nameToEnter = "Alps";
    cam->handleMessage(test::command(40040));
    ASSERT_EQ(cam->locations().count(), 2u);
    EXPECT_EQ(cam->locations().at(1).name, "Alps");

    host.deleteIndex = 0;
    cam->handleMessage(test::command(40041));
    EXPECT_EQ(host.editCalls, 1);
    ASSERT_EQ(cam->locations().count(), 1u);
    win::Menu menu;
    cam->fillLocationsMenu(menu);
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].text, "1  Alps");
    EXPECT_EQ(menu.items[0].id, 3000u);

    // Deleting the only entry empties the menu; keys then do nothing.
    cam->handleMessage(test::command(40041));
    win::Menu empty;
    cam->fillLocationsMenu(empty);
    EXPECT_TRUE(empty.items.empty());
    CameraFrame before = cam->target();
    cam->handleMessage(test::keyUp('1'));
    expectSameFrame(cam->target(), before);
}

TEST_F(CameraInputTest, OtherMessagesReturnTheDragState) {
    host.tool = PointerTool::Rotate;
    EXPECT_EQ(cam->handleMessage({0, win::kWmChar, 'a', 0}), 0);
    send(mouse(win::kWmLButtonDown, 10, 10, win::kMkLButton));
    send(mouse(win::kWmMouseMove, 12, 10, win::kMkLButton));
    EXPECT_EQ(cam->handleMessage({0, win::kWmChar, 'a', 0}), Camera::kDragRotate);
    // The wheel zooms but starts no drag.
    EXPECT_EQ(cam->handleMessage(wheel(120, 400, 300)), Camera::kDragRotate);
    EXPECT_EQ(cam->handleMessage(test::keyUp('Q')), Camera::kDragRotate);
}

// The globe point seen through client pixel (x, y) from a frame.
math::Vec3 pointUnder(const Camera& cam, const CameraFrame& f, float x, float y) {
    Vec3 right = math::cross(f.up, f.direction);
    Vec3 ray = math::normalize(right * (x - cam.halfWidth()) + f.up * (cam.halfHeight() - y) +
                               f.direction * cam.focalLength());
    GlobePick pick = pickGlobe(f.position, ray, Camera::kGlobeRadius, 0);
    EXPECT_TRUE(pick.hit);
    return pick.point;
}

// Updates until the glide has brought the camera to its target.
void settle(Camera& cam) {
    for (int i = 0; i < 4000 && math::length(cam.current().position - cam.target().position) > 0; ++i)
        cam.update(0.05f, 0);
}

TEST_F(CameraInputTest, WheelNotchStepsLikeAFiftyPixelZoomDrag) {
    // A zoom drag of 50 pixels in one move...
    host.tool = PointerTool::Zoom;
    cam->setFrame(frameAt({0, 0, -150}));
    send(mouse(win::kWmMouseMove, 400, 250), 20);
    send(mouse(win::kWmLButtonDown, 400, 250, win::kMkLButton));
    send(mouse(win::kWmMouseMove, 400, 300, win::kMkLButton), 20);
    send(mouse(win::kWmLButtonUp, 400, 300));
    const float dragged = cam->distance();
    ASSERT_LT(dragged, 150 - 1);
    // ...goes as far as one notch at the view's centre, which glides there.
    cam->setFrame(frameAt({0, 0, -150}));
    cam->handleMessage(wheel(120, 400, 300));
    EXPECT_NEAR(cam->distance(), 150, 1e-4);
    EXPECT_NEAR(math::length(cam->target().position), dragged, 1e-3);
    settle(*cam);
    EXPECT_NEAR(cam->distance(), dragged, 1e-2);
    // Fine-grained wheels send parts of a notch; notches given during the
    // glide add up; turning the other way zooms out.
    cam->setFrame(frameAt({0, 0, -150}));
    cam->handleMessage(wheel(60, 400, 300));
    EXPECT_NEAR(math::length(cam->target().position), 150 - (150 - dragged) / 2, 1e-3);
    cam->handleMessage(wheel(60, 400, 300));
    // The second half starts lower, so it steps a little less.
    const float two = 150 - math::length(cam->target().position);
    EXPECT_LT(two, 150 - dragged);
    EXPECT_GT(two, 0.9f * (150 - dragged));
    cam->setFrame(frameAt({0, 0, -150}));
    cam->handleMessage(wheel(-120, 400, 300));
    EXPECT_NEAR(math::length(cam->target().position), 150 + (150 - dragged), 1e-3);
}

TEST_F(CameraInputTest, WheelStopsAtTheSurfaceLimitAndFarOut) {
    cam->setFrame(frameAt({0, 0, -66}));
    for (int i = 0; i < 20; ++i) cam->handleMessage(wheel(120, 400, 300));
    EXPECT_NEAR(math::length(cam->target().position), Camera::kSurfaceLimit, 1e-4);
    // At the limit a further notch, even toward a point off the view's
    // centre, goes no deeper.
    cam->handleMessage(wheel(120, 500, 350));
    EXPECT_GE(math::length(cam->target().position), Camera::kSurfaceLimit - 1e-4f);
    settle(*cam);
    EXPECT_GE(cam->distance(), Camera::kSurfaceLimit - 1e-4f);
    EXPECT_NEAR(cam->distance(), Camera::kSurfaceLimit, 1e-3);

    cam->setFrame(frameAt({0, 0, -1200}));
    for (int i = 0; i < 5; ++i) cam->handleMessage(wheel(-120, 400, 300));
    EXPECT_NEAR(math::length(cam->target().position), Camera::kWheelFarLimit, 1e-2);
}

TEST_F(CameraInputTest, WheelKeepsThePointUnderThePointer) {
    cam->setFrame(frameAt({0, 0, -200}));
    const float x = 610, y = 180;  // well off the centre, still on the globe
    const Vec3 before = pointUnder(*cam, cam->target(), x, y);
    for (int i = 0; i < 3; ++i) cam->handleMessage(wheel(120, int(x), int(y)));
    // The target looks at the same point through the same pixel, from closer.
    const Vec3 aimed = pointUnder(*cam, cam->target(), x, y);
    EXPECT_LT(math::length(aimed - before), 1e-3f);
    EXPECT_LT(math::length(cam->target().position - before), math::length(cam->current().position - before) - 50);
    // The camera's view direction is untouched: the view slides toward the point.
    EXPECT_NEAR(math::dot(cam->target().direction, cam->current().direction), 1, 1e-6);
    settle(*cam);
    EXPECT_LT(math::length(pointUnder(*cam, cam->current(), x, y) - before), 0.01f);

    // Zooming out keeps it there too.
    const Vec3 near = pointUnder(*cam, cam->target(), 100, 500);
    cam->handleMessage(wheel(-240, 100, 500));
    EXPECT_LT(math::length(pointUnder(*cam, cam->target(), 100, 500) - near), 1e-3f);
}

TEST_F(CameraInputTest, WheelOffTheGlobeZoomsAlongTheView) {
    cam->setFrame(frameAt({0, 0, -200}));
    cam->handleMessage(wheel(120, 5, 5));  // space in the corner
    EXPECT_NEAR(cam->target().position.x, 0, 1e-4);
    EXPECT_NEAR(cam->target().position.y, 0, 1e-4);
    EXPECT_LT(math::length(cam->target().position), 200 - 1);
    // In the transparent window the globe stays centred in its window.
    host.mode = WindowMode::Transparent;
    cam->setFrame(frameAt({0, 0, -200}));
    cam->handleMessage(wheel(120, 610, 180));
    EXPECT_NEAR(cam->target().position.x, 0, 1e-4);
    EXPECT_NEAR(cam->target().position.y, 0, 1e-4);
}

TEST_F(CameraInputTest, PlusAndMinusZoomAtTheViewCentre) {
    cam->setFrame(frameAt({0, 0, -150}));
    cam->handleMessage(wheel(120, 400, 300));
    const float notch = math::length(cam->target().position);
    for (uint32_t key : {win::kVkOemPlus, win::kVkAdd}) {
        cam->setFrame(frameAt({0, 0, -150}));
        EXPECT_EQ(cam->handleMessage(keyDown(key)), 1);
        EXPECT_NEAR(math::length(cam->target().position), notch, 1e-4);
    }
    for (uint32_t key : {win::kVkOemMinus, win::kVkSubtract}) {
        cam->setFrame(frameAt({0, 0, -150}));
        EXPECT_EQ(cam->handleMessage(keyDown(key)), 1);
        EXPECT_NEAR(math::length(cam->target().position), 150 + (150 - notch), 1e-4);
    }
    // Releases do nothing more.
    cam->setFrame(frameAt({0, 0, -150}));
    cam->handleMessage(test::keyUp(win::kVkOemPlus));
    EXPECT_NEAR(math::length(cam->target().position), 150, 1e-4);
}

TEST_F(CameraInputTest, ArrowKeysTurnTheGlobeTheWayTheyPoint) {
    auto turned = [&](uint32_t key, float distance) {
        cam->setFrame(frameAt({0, 0, -distance}));
        EXPECT_EQ(cam->handleMessage(keyDown(key)), 1);
        settle(*cam);
        EXPECT_NEAR(cam->distance(), distance, 1e-2 * distance);
        // Still looking at the centre.
        EXPECT_NEAR(math::dot(cam->current().direction, math::normalize(-cam->current().position)), 1, 1e-4);
        return cam->current().position / distance;
    };
    // As a rotate drag: right takes the camera left, down takes it up.
    EXPECT_LT(turned(win::kVkRight, 300).x, -0.01f);
    EXPECT_GT(turned(win::kVkLeft, 300).x, 0.01f);
    EXPECT_GT(turned(win::kVkDown, 300).y, 0.01f);
    EXPECT_LT(turned(win::kVkUp, 300).y, -0.01f);
    // Near the ground a press turns in proportion to the altitude; far out
    // the turn is capped.
    const float low = std::asin(std::fabs(turned(win::kVkRight, Camera::kGlobeRadius + 2).x));
    const float lower = std::asin(std::fabs(turned(win::kVkRight, Camera::kGlobeRadius + 1).x));
    EXPECT_NEAR(low / lower, 2, 0.05);
    const float far = std::asin(std::fabs(turned(win::kVkRight, 1000).x));
    EXPECT_NEAR(far, std::asin(std::fabs(turned(win::kVkRight, 600).x)), 1e-3);
    // Taking control back from the flight, like a drag.
    cam->handleMessage(test::keyUp('G'));
    ASSERT_FLOAT_EQ(cam->countdown(), 0);
    cam->handleMessage(keyDown(win::kVkLeft));
    EXPECT_FLOAT_EQ(cam->countdown(), Camera::kViewerCountdown);
}

}  // namespace
}  // namespace tnx::camera
