// The pointer and the keys over the globe in a real window: a left drag
// turns the globe; the wheel zooms toward the point under the pointer, + and
// - at the view's centre, and the arrows turn the globe.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "app/application.h"
#include "app/globe_view.h"
#include "camera/globe_pick.h"
#include "core/app_clock.h"
#include "platform/gfx/gl_device.h"
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

// The interactive viewer at a fixed time, 20,000 km above 0°, 0°, shown and
// a few frames run.
class GlobePointerGui : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "globe_pointer_gui_test";
        static char* argv[] = {name, nullptr};
        qapp_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete qapp_;
        qapp_ = nullptr;
    }

    void SetUp() override {
        win::setWindowSystem(&ws_);
        win::messageQueue().clear();
        app::LaunchOptions launch;
        launch.lookAt = app::LookAt{0, 0, 20000};
        launch.time = "2026-03-20T12:00:00Z";
        application_ = std::make_unique<app::Application>("terranox /t", launch);
        ASSERT_EQ(application_->create(), 0);
        app::appClock(app::ClockCommand::Start);
        application_->createEnvironmentForTest();
        window_ = ws_.host(application_->mainWindow());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_, 5000));
        // Somewhere else than the desktop's corner, so that screen and client
        // coordinates differ.
        window_->setPosition(37, 53);
        frames(10);
        view_ = dynamic_cast<app::GlobeView*>(application_->viewerCore()->scene());
        ASSERT_NE(view_, nullptr);
    }
    void TearDown() override {
        if (application_) application_->shutdown();
        application_.reset();
        win::setWindowSystem(nullptr);
    }

    void frames(int n) {
        for (int i = 0; i < n; ++i) application_->loopOnce();
    }
    const camera::Camera& camera() const { return view_->scene().camera(); }

    static inline QApplication* qapp_ = nullptr;
    test::TestHome home_;
    win::QtWindowSystem ws_;
    std::unique_ptr<app::Application> application_;
    win::HostWindow* window_ = nullptr;
    app::GlobeView* view_ = nullptr;
};

}  // namespace

TEST_F(GlobePointerGui, LeftDragTurnsTheGlobe) {
    auto* gl = dynamic_cast<gfx::GlDevice*>(application_->renderUnits()[0].device.get());
    ASSERT_NE(gl, nullptr);
    QImage before = gl->readBack();
    math::Vec3 p0 = camera().current().position;
    QPoint centre(window_->width() / 2, window_->height() / 2);
    QTest::mouseMove(window_, centre);
    frames(3);
    QTest::mousePress(window_, Qt::LeftButton, {}, centre);
    frames(3);
    for (int step = 1; step <= 10; ++step) {
        QTest::mouseMove(window_, centre + QPoint(step * 20, 0));
        frames(3);
    }
    QTest::mouseRelease(window_, Qt::LeftButton, {}, centre + QPoint(200, 0));
    frames(40);

    math::Vec3 p1 = camera().current().position;
    EXPECT_GT(math::length(p1 - p0), 1.0f) << "the camera did not move around the globe";
    EXPECT_NEAR(math::length(p1), math::length(p0), 0.05f * math::length(p0)) << "a turn keeps the distance";
    QImage after = gl->readBack();
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (int y = 0; y < after.height(); y += 8)
        for (int x = 0; x < after.width(); x += 8) changed += before.pixel(x, y) != after.pixel(x, y);
    EXPECT_GT(changed, 50) << "the picture did not change";
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS")) {
        before.save(QString(keep) + "/drag_before.png");
        after.save(QString(keep) + "/drag_after.png");
    }
}

TEST_F(GlobePointerGui, TheWindowAndTheOffscreenTargetShowTheSamePicture) {
    auto* gl = dynamic_cast<gfx::GlDevice*>(application_->renderUnits()[0].device.get());
    ASSERT_NE(gl, nullptr);
    app::ViewerCore& core = *application_->viewerCore();
    // The same frame twice, nothing advanced in between: straight into the
    // window's back buffer, then into the off-screen target.
    ASSERT_TRUE(gl->drawsToWindow());
    core.draw(*gl);
    const QImage direct = gl->readBack();
    gl->present();
    gl->setAlwaysOffscreen(true);
    core.draw(*gl);
    const QImage offscreen = gl->readBack();
    gl->present();
    gl->setAlwaysOffscreen(false);
    ASSERT_EQ(direct.size(), offscreen.size());
    if (const char* keep = std::getenv("TERRANOX_KEEP_SHOTS")) {
        direct.save(QString(keep) + "/path_direct.png");
        offscreen.save(QString(keep) + "/path_offscreen.png");
    }
    int worst = 0, globe = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x) {
            const QRgb a = direct.pixel(x, y), b = offscreen.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
            globe += qBlue(a) > 40;
        }
    EXPECT_LE(worst, 2);
    EXPECT_GT(globe, direct.width() * direct.height() / 20) << "no globe in the picture";
}

TEST_F(GlobePointerGui, WheelZoomsTowardThePointerKeysZoomAndTurn) {
    const camera::Camera& cam = camera();
    ASSERT_GT(cam.halfWidth(), 100);
    // Off the centre but on the globe.
    const QPoint at(int(cam.halfWidth() + cam.halfHeight() * 0.25f), int(cam.halfHeight() * 0.8f));
    QTest::mouseMove(window_, at);
    frames(3);
    const camera::GlobePick before = targetPointUnder(cam, at);
    ASSERT_TRUE(before.hit);
    const float d0 = math::length(cam.target().position);
    turnWheel(window_, at, 120);
    turnWheel(window_, at, 120);
    frames(3);
    const float d1 = math::length(cam.target().position);
    EXPECT_LT(d1, d0 - 10) << "the wheel did not zoom in";
    const camera::GlobePick after = targetPointUnder(cam, at);
    ASSERT_TRUE(after.hit);
    EXPECT_LT(math::length(after.point - before.point), 0.05f) << "the point under the pointer moved";

    QTest::keyClick(window_, Qt::Key_Minus);
    frames(3);
    const float d2 = math::length(cam.target().position);
    EXPECT_GT(d2, d1 + 10) << "- did not zoom out";
    QTest::keyClick(window_, Qt::Key_Plus);
    frames(3);
    EXPECT_LT(math::length(cam.target().position), d2 - 10) << "+ did not zoom in";

    const math::Vec3 p = math::normalize(cam.target().position);
    QTest::keyClick(window_, Qt::Key_Right);
    frames(3);
    EXPECT_LT(math::dot(p, math::normalize(cam.target().position)), 0.9999f) << "the right arrow did not turn";
}
