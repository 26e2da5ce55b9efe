// The saver on two monitors: a private X server split into two RandR
// monitors, one topmost window on each; only the user's input ends it, with
// or without a window manager moving the focus between its windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <functional>

#include "core/app_clock.h"
#include "app/application.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "support/private_display.h"
#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;

namespace {

class TwoMonitors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display_ = new test::PrivateDisplay("2048x768x24");
        ASSERT_TRUE(display_->ok()) << "Xvfb did not start";
        std::system("xrandr --setmonitor LEFT 1024/270x768/203+0+0 screen >/dev/null 2>&1");
        std::system("xrandr --setmonitor RIGHT 1024/270x768/203+1024+0 none >/dev/null 2>&1");
        static int argc = 1;
        static char name[] = "two_monitor_saver_gui_test";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        delete display_;
    }

    // Runs the saver until the loop ends or `passes` are done; returns the
    // message that ended it (0: still running). After 20 passes `event`
    // happens, given the right monitor's black window.
    uint32_t runSaver(int passes, const std::function<void(win::HostWindow*)>& event = {}) {
        EXPECT_EQ(QGuiApplication::screens().size(), 2) << "RandR monitors were not set up";
        test::TestHome home;
        win::QtWindowSystem ws;
        win::setWindowSystem(&ws);
        win::messageQueue().clear();
        uint32_t cause = 0;
        {
            app::Application saver("terranox /s", {});
            EXPECT_EQ(saver.create(), 0);
            std::vector<win::HostWindow*> windows;
            for (const auto& m : saver.monitors())
                if (m.window) windows.push_back(ws.host(m.window));
            EXPECT_EQ(windows.size(), 2u);
            if (windows.size() == 2) {
                app::appClock(app::ClockCommand::Start);
                saver.createEnvironmentForTest();
                // Placed on its monitor exactly: a pixel more and frames
                // could no longer go straight into the window.
                EXPECT_EQ(windows[0]->geometry(), QRect(0, 0, 1024, 768));
                EXPECT_EQ(windows[1]->geometry(), QRect(1024, 0, 1024, 768));
                EXPECT_EQ(saver.renderUnits().size(), 1u);  // the other monitor stays black
                EXPECT_TRUE(QTest::qWaitForWindowExposed(windows[1], 5000));
                for (int i = 0; i < passes; ++i) {
                    if (i == 20 && event) event(windows[1]);
                    if (!saver.loopOnce()) break;
                    QTest::qWait(2);
                }
            }
            cause = saver.interruptedBy();
        }
        win::setWindowSystem(nullptr);
        return cause;
    }

    static inline test::PrivateDisplay* display_ = nullptr;
    static inline QApplication* app_ = nullptr;
};

void click(win::HostWindow* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(100, 100)); }

TEST_F(TwoMonitors, SaverOpensOneWindowPerMonitorAndAClickEndsIt) {
    EXPECT_EQ(runSaver(100), 0u) << "the saver ended by itself";
    EXPECT_EQ(runSaver(500, click), uint32_t(win::kWmLButtonDown));
}

// The window manager focuses each saver window as it appears: focus passing
// between the saver's own windows is no deactivation of the saver.
TEST_F(TwoMonitors, UnderAWindowManagerInputOrAnotherProgramEndsIt) {
    TNX_NEED_TOOL(test::PrivateDisplay::windowManagerInstalled(), "openbox");
    ASSERT_TRUE(display_->startWindowManager()) << "openbox did not start";
    EXPECT_EQ(runSaver(100), 0u) << "the saver ended by itself";
    EXPECT_EQ(runSaver(500, click), uint32_t(win::kWmLButtonDown));
    // Another program taking the focus deactivates the saver as a whole.
    QProcess other;
    EXPECT_EQ(runSaver(500, [&](win::HostWindow*) { other.start("xmessage", {"another program"}); }),
              uint32_t(win::kWmActivateApp))
        << "xmessage (x11-utils) did not take the focus from the saver";
    other.kill();
    other.waitForFinished();
    display_->stopWindowManager();
}

}  // namespace
