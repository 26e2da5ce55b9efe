// The saver inside a screen-saver manager's window, driven without a display:
// one window of ours in the manager's, input left to the manager, the
// device following the window's size, the end when the window goes away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "platform/clock/clock_source.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"
#include "support/headless_shell_test.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;

namespace {

class ManagedSaver : public test::HeadlessShellTest {
protected:
    void SetUp() override {
        HeadlessShellTest::SetUp();
        win::MonitorInfo a, b;
        a.rect = {0, 0, 1024, 768};
        a.primary = true;
        a.handle = 1;
        b.rect = {1024, 0, 2048, 768};
        b.handle = 2;
        ws_.setMonitors({a, b});
        launch_.saverWindow = LaunchOptions::SaverWindow{false, 0x2a00007};
    }

    LaunchOptions launch_;
};

TEST_F(ManagedSaver, OneWindowInTheManagersWindowAndNoInputEndsIt) {
    Application app("terranox", launch_);  // no switch: the manager's window makes it the saver
    ASSERT_EQ(app.create(), 0);
    EXPECT_EQ(app.saverMode(), SaverMode::FullScreenSaver);
    EXPECT_EQ(app.managerWindow(), 0x2a00007u);
    ASSERT_EQ(ws_.windows().size(), 1u);  // not one per monitor
    const auto& w = ws_.windows().begin()->second;
    EXPECT_EQ(w.request.parent, 0x2a00007u);
    EXPECT_NE(w.cursor, win::CursorShape::None);  // the manager's pointer rules
    appClock(ClockCommand::Start);
    app.createEnvironmentForTest();
    ASSERT_EQ(app.renderUnits().size(), 1u);
    EXPECT_TRUE(app.renderUnits()[0].params.windowed);
    win::WindowId id = app.mainWindow();
    for (uint32_t msg : {uint32_t(win::kWmKeyDown), uint32_t(win::kWmLButtonDown), uint32_t(win::kWmRButtonDown),
                         uint32_t(win::kWmMButtonDown), uint32_t(win::kWmSysKeyDown)})
        post(id, msg);
    post(id, win::kWmActivateApp, 0);
    for (int i = 0; i < 8; ++i) post(id, win::kWmMouseMove, 0, win::makeLParam(10 * i, 5 * i));
    EXPECT_EQ(runLoop(app, 40), 40);
    EXPECT_EQ(app.interruptedBy(), 0u);
    EXPECT_GT(ws_.devices()[0]->presentCount(), 0);
    // The manager's window went away: the close message ends the saver.
    post(id, win::kWmClose);
    EXPECT_LT(runLoop(app, 20), 20);
    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
    EXPECT_FALSE(std::filesystem::exists(home_.file("3dvis.ini")));
}

TEST_F(ManagedSaver, DeviceFollowsTheWindowsSizeOnlyWhenItChanged) {
    Application app("terranox", launch_);
    ASSERT_EQ(app.create(), 0);
    appClock(ClockCommand::Start);
    app.createEnvironmentForTest();
    win::WindowId id = app.mainWindow();
    auto* dev = ws_.devices()[0];
    // A settled size that did not change resets nothing.
    post(id, win::kWmExitSizeMove);
    runLoop(app, 3);
    EXPECT_EQ(dev->resetCount(), 0);
    ws_.setWindowRect(id, {0, 0, 333, 201});
    post(id, win::kWmExitSizeMove);
    runLoop(app, 3);
    EXPECT_EQ(dev->resetCount(), 1);
    EXPECT_EQ(dev->presentParameters().backBufferWidth, 333u);
    EXPECT_EQ(dev->presentParameters().backBufferHeight, 201u);
    EXPECT_EQ(app.renderUnits()[0].params.backBufferWidth, 333u);
    // A window shrunk to nothing keeps a one-pixel device.
    ws_.setWindowRect(id, {0, 0, 0, 0});
    post(id, win::kWmExitSizeMove);
    runLoop(app, 3);
    EXPECT_EQ(dev->presentParameters().backBufferWidth, 1u);
    EXPECT_FALSE(app.inErrorState());
}

TEST_F(ManagedSaver, ReadOnlyStateFolderWarnsOnceAndTheViewerKeepsRunning) {
    // A state folder below a plain file can never be made.
    std::filesystem::path plain = home_.file("plain");
    { std::FILE* f = std::fopen(plain.c_str(), "w"); std::fclose(f); }
    setenv("TERRANOX_HOME", (plain / "Terranox").c_str(), 1);
    testing::internal::CaptureStderr();
    {
        Application viewer("terranox /t", {});
        ASSERT_EQ(viewer.create(), 0);
        appClock(ClockCommand::Start);
        EXPECT_EQ(viewer.runFramesForTest(3), 3);
        EXPECT_FALSE(processState().stateWritable);
    }
    std::string err = testing::internal::GetCapturedStderr();
    setenv("TERRANOX_HOME", home_.path().c_str(), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find((plain / "Terranox").string()), std::string::npos) << err;
    EXPECT_NE(err.find("warning"), std::string::npos) << err;
}

using LaunchModes = ManagedSaver;

TEST_F(LaunchModes, SnapshotWithoutASwitchPicturesTheViewerNotTheSettingsDialog) {
    LaunchOptions snap;
    snap.snapshotPath = (home_.path() / "x.png").string();
    EXPECT_EQ(Application("terranox", snap).saverMode(), SaverMode::InteractiveViewer);
    EXPECT_EQ(Application("terranox /s", snap).saverMode(), SaverMode::FullScreenSaver);
    EXPECT_EQ(Application("terranox", {}).saverMode(), SaverMode::Configuration);
}

}  // namespace
