// The wheel and the zoom and arrow keys in a real window: the wheel zooms
// toward the point under the pointer, + and - at the view's centre, the
// arrows turn the globe.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "core/app_clock.h"
#include "app/application.h"
#include "app/globe_view.h"
#include "camera/globe_pick.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "support/test_home.h"

using namespace tnx;

namespace {

// The globe point seen through a client pixel from the camera's target frame.
camera::GlobePick targetPointUnder(const camera::Camera& cam, QPoint pixel) {
    const camera::CameraFrame& f = cam.target();
    math::Vec3 right = math::cross(f.up, f.direction);
    math::Vec3 ray = math::normalize(right * (float(pixel.x()) - cam.halfWidth()) +
                                     f.up * (cam.halfHeight() - float(pixel.y())) + f.direction * cam.focalLength());
    return camera::pickGlobe(f.position, ray, camera::Camera::kGlobeRadius, 0);
}

void turnWheel(QWindow* w, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

TEST(GlobeWheelGui, WheelZoomsTowardThePointerKeysZoomAndTurn) {
    static int argc = 1;
    static char name[] = "globe_wheel_gui_test";
    static char* argv[] = {name, nullptr};
    QApplication qapp(argc, argv);
    test::TestHome home;
    win::QtWindowSystem ws;
    win::setWindowSystem(&ws);
    win::messageQueue().clear();
    {
        app::LaunchOptions launch;
        launch.lookAt = app::LookAt{0, 0, 20000};
        launch.time = "2026-03-20T12:00:00Z";
        app::Application application("terranox /t", launch);
        ASSERT_EQ(application.create(), 0);
        app::appClock(app::ClockCommand::Start);
        application.createEnvironmentForTest();
        win::HostWindow* w = ws.host(application.mainWindow());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w, 5000));
        // Somewhere else than the desktop's corner, so that screen and client
        // coordinates differ.
        w->setPosition(37, 53);
        for (int i = 0; i < 10; ++i) application.loopOnce();
        auto* view = dynamic_cast<app::GlobeView*>(application.viewerCore()->scene());
        ASSERT_NE(view, nullptr);
        const camera::Camera& cam = view->scene().camera();
        ASSERT_GT(cam.halfWidth(), 100);

        // Off the centre but on the globe.
        const QPoint at(int(cam.halfWidth() + cam.halfHeight() * 0.25f), int(cam.halfHeight() * 0.8f));
        QTest::mouseMove(w, at);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        const camera::GlobePick before = targetPointUnder(cam, at);
        ASSERT_TRUE(before.hit);
        const float d0 = math::length(cam.target().position);
        turnWheel(w, at, 120);
        turnWheel(w, at, 120);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        const float d1 = math::length(cam.target().position);
        EXPECT_LT(d1, d0 - 10) << "the wheel did not zoom in";
        const camera::GlobePick after = targetPointUnder(cam, at);
        ASSERT_TRUE(after.hit);
        EXPECT_LT(math::length(after.point - before.point), 0.05f) << "the point under the pointer moved";

        QTest::keyClick(w, Qt::Key_Minus);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        const float d2 = math::length(cam.target().position);
        EXPECT_GT(d2, d1 + 10) << "- did not zoom out";
        QTest::keyClick(w, Qt::Key_Plus);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        EXPECT_LT(math::length(cam.target().position), d2 - 10) << "+ did not zoom in";

        const math::Vec3 p = math::normalize(cam.target().position);
        QTest::keyClick(w, Qt::Key_Right);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        EXPECT_LT(math::dot(p, math::normalize(cam.target().position)), 0.9999f) << "the right arrow did not turn";
        application.shutdown();
    }
    win::setWindowSystem(nullptr);
}
