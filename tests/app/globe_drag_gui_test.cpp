// Dragging the mouse over the globe in a real window turns it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "core/app_clock.h"
#include "app/application.h"
#include "app/globe_view.h"
#include "platform/gfx/gl_device.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "support/test_home.h"

using namespace tnx;

TEST(GlobeDragGui, LeftDragTurnsTheGlobe) {
    static int argc = 1;
    static char name[] = "globe_drag_gui_test";
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
        for (int i = 0; i < 10; ++i) application.loopOnce();
        auto* view = dynamic_cast<app::GlobeView*>(application.viewerCore()->scene());
        ASSERT_NE(view, nullptr);
        auto* gl = dynamic_cast<gfx::GlDevice*>(application.renderUnits()[0].device.get());
        ASSERT_NE(gl, nullptr);
        QImage before = gl->readBack();
        math::Vec3 p0 = view->scene().camera().current().position;

        QPoint centre(w->width() / 2, w->height() / 2);
        QTest::mouseMove(w, centre);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        QTest::mousePress(w, Qt::LeftButton, {}, centre);
        for (int i = 0; i < 3; ++i) application.loopOnce();
        for (int step = 1; step <= 10; ++step) {
            QTest::mouseMove(w, centre + QPoint(step * 20, 0));
            for (int i = 0; i < 3; ++i) application.loopOnce();
        }
        QTest::mouseRelease(w, Qt::LeftButton, {}, centre + QPoint(200, 0));
        for (int i = 0; i < 40; ++i) application.loopOnce();

        math::Vec3 p1 = view->scene().camera().current().position;
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
        application.shutdown();
    }
    win::setWindowSystem(nullptr);
}
