// The viewer on a desktop scaled to 150 % (QT_SCALE_FACTOR, as a HiDPI
// laptop has it): the frame covers the window's device pixels, straight in
// its back buffer, and the pointer arrives in those same pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "app/application.h"
#include "camera/mouse_state_tracker.h"
#include "core/app_clock.h"
#include "platform/gfx/gl_device.h"
#include "platform/win/host_window.h"
#include "platform/win/qt_window_system.h"
#include "support/private_display.h"
#include "support/test_home.h"

using namespace tnx;

TEST(ScaledDesktopGui, TheFrameFillsTheWindowAndThePointerMeetsItsPixels) {
    setenv("QT_SCALE_FACTOR", "1.5", 1);
    test::PrivateDisplay display("1280x1024x24");
    static int argc = 1;
    static char name[] = "scaled_desktop_gui_test";
    static char* argv[] = {name, nullptr};
    QApplication qapp(argc, argv);
    test::TestHome home;
    win::QtWindowSystem ws;
    win::setWindowSystem(&ws);
    {
        app::Application viewer("terranox /t", {});  // full screen on a fresh home
        ASSERT_EQ(viewer.create(), 0);
        app::appClock(app::ClockCommand::Start);
        viewer.createEnvironmentForTest();
        win::HostWindow* window = ws.host(viewer.mainWindow());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 5000));
        auto run = [&] {
            for (int i = 0; i < 10; ++i) {
                viewer.loopOnce();
                QTest::qWait(5);
            }
        };
        run();
        EXPECT_EQ(ws.monitors().at(0).rect, (win::Rect{0, 0, 1280, 1024}));
        // 1024 / 1.5 is no whole number of Qt's pixels: the window may pass
        // the screen's edge by a device pixel, never fall short of it.
        const gfx::PresentParameters& p = viewer.currentDevice()->presentParameters();
        const win::Rect client = ws.clientRect(viewer.mainWindow());
        EXPECT_EQ(p.backBufferWidth, uint32_t(client.width()));
        EXPECT_EQ(p.backBufferHeight, uint32_t(client.height()));
        EXPECT_GE(client.width(), 1280);
        EXPECT_GE(client.height(), 1024);
        EXPECT_LE(client.height(), 1025);
        EXPECT_FLOAT_EQ(p.pixelRatio, 1.5f);
        EXPECT_TRUE(dynamic_cast<gfx::GlDevice*>(viewer.currentDevice())->drawsToWindow());

        QTest::mouseMove(window, QPoint(600, 400));  // Qt's pixels
        run();
        EXPECT_EQ(camera::mouseState().x(), 900);
        EXPECT_EQ(camera::mouseState().y(), 600);
        viewer.shutdown();
    }
    win::setWindowSystem(nullptr);
}
