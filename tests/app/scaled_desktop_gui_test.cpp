// The viewer on a desktop scaled to 150 %: the frame covers the window's
// device pixels, straight in its back buffer, and the pointer meets them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

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
    int argc = 1;
    char* argv[] = {const_cast<char*>("scaled_desktop_gui_test"), nullptr};
    QApplication qapp(argc, argv);
    test::TestHome home;
    win::QtWindowSystem ws;
    win::setWindowSystem(&ws);
    auto viewer = std::make_unique<app::Application>("terranox /t", app::LaunchOptions{});  // full screen
    ASSERT_EQ(viewer->create(), 0);
    app::appClock(app::ClockCommand::Start);
    viewer->createEnvironmentForTest();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ws.host(viewer->mainWindow()), 5000));
    QTest::mouseMove(ws.host(viewer->mainWindow()), QPoint(600, 400));  // Qt's pixels
    for (int i = 0; i < 10; ++i, QTest::qWait(5)) viewer->loopOnce();
    EXPECT_EQ(std::make_pair(camera::mouseState().x(), camera::mouseState().y()), std::make_pair(900, 600));
    EXPECT_EQ(ws.monitors().at(0).rect, (win::Rect{0, 0, 1280, 1024}));
    // 1024 / 1.5 is no whole number of Qt's pixels: the window may pass the
    // screen's edge by a device pixel, never fall short of it.
    const gfx::PresentParameters& p = viewer->currentDevice()->presentParameters();
    EXPECT_EQ(ws.clientRect(viewer->mainWindow()), (win::Rect{0, 0, int(p.backBufferWidth), int(p.backBufferHeight)}));
    EXPECT_EQ(p.backBufferWidth, 1280u);
    EXPECT_TRUE(p.backBufferHeight == 1024 || p.backBufferHeight == 1025) << p.backBufferHeight;
    EXPECT_FLOAT_EQ(p.pixelRatio, 1.5f);
    EXPECT_TRUE(dynamic_cast<gfx::GlDevice*>(viewer->currentDevice())->drawsToWindow());
    viewer.reset();
    win::setWindowSystem(nullptr);
}
