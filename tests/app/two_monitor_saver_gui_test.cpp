// The saver on two monitors: a private X server split into two RandR
// monitors, one topmost window on each, and a click that ends it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/app_clock.h"
#include "app/application.h"
#include "platform/win/host_window.h"
#include "platform/win/message_queue.h"
#include "platform/win/qt_window_system.h"
#include "support/test_home.h"

using namespace tnx;

namespace {

class TwoMonitors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A display number nobody uses: try a few.
        for (int n = 77; n < 97 && server_ <= 0; ++n) {
            std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            if (access(lock.c_str(), F_OK) == 0) continue;
            pid_t pid = fork();
            if (pid == 0) {
                std::string disp = ":" + std::to_string(n);
                execlp("Xvfb", "Xvfb", disp.c_str(), "-noreset", "-screen", "0", "2048x768x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 100 && access(lock.c_str(), F_OK) != 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            server_ = pid;
            display_ = ":" + std::to_string(n);
        }
        ASSERT_GT(server_, 0);
        setenv("DISPLAY", display_.c_str(), 1);
        std::system("xrandr --setmonitor LEFT 1024/270x768/203+0+0 screen >/dev/null 2>&1");
        std::system("xrandr --setmonitor RIGHT 1024/270x768/203+1024+0 none >/dev/null 2>&1");
        static int argc = 1;
        static char name[] = "two_monitor_saver_gui_test";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
    }
    static inline pid_t server_ = 0;
    static inline std::string display_;
    static inline QApplication* app_ = nullptr;
};

TEST_F(TwoMonitors, SaverOpensOneWindowPerMonitorAndAClickEndsIt) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "RandR monitors were not set up";
    test::TestHome home;
    win::QtWindowSystem ws;
    win::setWindowSystem(&ws);
    win::messageQueue().clear();
    {
        app::Application saver("terranox /s", {});
        ASSERT_EQ(saver.create(), 0);
        std::vector<win::HostWindow*> windows;
        for (const auto& m : saver.monitors())
            if (m.window) windows.push_back(ws.host(m.window));
        ASSERT_EQ(windows.size(), 2u);
        EXPECT_EQ(windows[0]->geometry(), QRect(0, 0, 1024, 768));
        EXPECT_EQ(windows[1]->geometry(), QRect(1024, 0, 1024, 768));
        app::appClock(app::ClockCommand::Start);
        saver.createEnvironmentForTest();
        EXPECT_EQ(saver.renderUnits().size(), 1u);  // the other monitor stays black
        ASSERT_TRUE(QTest::qWaitForWindowExposed(windows[1], 5000));
        for (int i = 0; i < 5; ++i) saver.loopOnce();
        QTest::mouseClick(windows[1], Qt::LeftButton, {}, QPoint(100, 100));
        int passes = 0;
        while (passes < 500 && saver.loopOnce()) ++passes;
        EXPECT_LT(passes, 500) << "the click did not end the saver";
    }
    win::setWindowSystem(nullptr);
}

}  // namespace
