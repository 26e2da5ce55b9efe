// The windowed viewer under a window manager that draws decorations: the
// placement it remembers brings the window back exactly where and as large
// as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "core/app_clock.h"
#include "app/application.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "support/private_display.h"
#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;

// Readable geometry in failure messages.
void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
}
void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << "x" << s.height(); }

namespace {

struct Geometry {
    QRect frame;
    QSize client;
};

class WindowPlacement : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display_ = new test::PrivateDisplay("1280x1024x24");
        static int argc = 1;
        static char name[] = "window_placement_gui_test";
        static char* argv[] = {name, nullptr};
        if (display_->ok()) app_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        delete display_;
    }

    // One viewer run: optionally switches to the windowed mode, waits until
    // the window manager has framed the window and the viewer has remembered
    // its placement, and returns the window's geometry.
    static Geometry runViewer(bool switchToWindowed) {
        win::QtWindowSystem ws;
        win::setWindowSystem(&ws);
        win::messageQueue().clear();
        Geometry g;
        {
            app::Application viewer("terranox /t", {});
            EXPECT_EQ(viewer.create(), 0);
            app::appClock(app::ClockCommand::Start);
            viewer.createEnvironmentForTest();
            win::HostWindow* w = ws.host(viewer.mainWindow());
            EXPECT_TRUE(w && QTest::qWaitForWindowExposed(w, 5000));
            if (switchToWindowed)
                win::messageQueue().post({viewer.mainWindow(), win::kWmCommand, app::kCmdWindowed, 0});
            auto settled = [&] {
                const app::Placement& p = app::windowOptions()->windowed();
                QRect f = w->frameGeometry();
                return app::windowOptions()->mode() == app::kWindowed && w->frameMargins().top() > 0 &&
                       p.x == f.x() && p.y == f.y() && p.width == f.width() && p.height == f.height() &&
                       p.clientWidth == w->width() && p.clientHeight == w->height();
            };
            for (int i = 0; w && i < 600 && !settled(); ++i) {
                viewer.loopOnce();
                QTest::qWait(5);
            }
            EXPECT_TRUE(w && settled()) << "the window did not settle";
            if (w) g = {w->frameGeometry(), w->size()};
        }
        win::setWindowSystem(nullptr);
        return g;
    }

    static inline test::PrivateDisplay* display_ = nullptr;
    static inline QApplication* app_ = nullptr;
};

TEST_F(WindowPlacement, WindowedPlacementSurvivesARestartUnderAWindowManager) {
    TNX_NEED_TOOL(test::PrivateDisplay::windowManagerInstalled(), "openbox");
    ASSERT_TRUE(display_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(display_->startWindowManager()) << "openbox did not start";
    test::TestHome home;
    Geometry first = runViewer(true);
    ASSERT_GT(first.frame.height(), first.client.height()) << "no decorations drawn";
    Geometry second = runViewer(false);
    EXPECT_EQ(second.frame, first.frame);
    EXPECT_EQ(second.client, first.client);
}

}  // namespace
