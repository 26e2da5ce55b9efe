// The shell driven without a display: headless windows, recording devices,
// a hand-driven clock and injected window messages.
#include <gtest/gtest.h>

#include "core/app_clock.h"
#include "app/application.h"
#include "app/globe_view.h"
#include "app/error_texts.h"
#include "core/frame_timer.h"
#include "app/screen_settings.h"
#include "platform/clock/clock_source.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"
#include "support/headless_shell_test.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;

namespace {

using Shell = test::HeadlessShellTest;

TEST(ErrorTexts, EveryCodeHasItsText) {
    EXPECT_EQ(errorText(kErrNoDirect3D),
              "Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.");
    EXPECT_EQ(errorText(kErrNoCompatibleDevices), "Could not find any compatible Direct3D devices.");
    EXPECT_EQ(errorText(kErrCreateDeviceFailed), "Could not create the Direct3D device.");
    EXPECT_EQ(errorText(kErrResetFailed), "Could not reset the Direct3D device.");
    EXPECT_EQ(errorText(kErrOutOfVideoMemory), "Not enough video memory.");
    EXPECT_EQ(errorText(kErrNoPreview), "No preview available");
    // Device objects failing has no text of its own, nor has an unknown code.
    EXPECT_EQ(errorText(kErrInitDeviceObjectsFailed), "There was an unspecified problem with this program.");
    EXPECT_EQ(errorText(0x12345), errorText(kErrFail));
}

TEST(ConfirmDevice, RefusesPureDevicesAndHardwareProcessingWithoutShaders) {
    gfx::Caps none;  // vertex shader version 0
    gfx::Caps vs11;
    vs11.vertexShaderVersion = 0xFFFE0101;
    EXPECT_FALSE(Application::confirmDeviceRule(vs11, kCreateHardwareVp | kCreatePureDevice));
    EXPECT_FALSE(Application::confirmDeviceRule(none, kCreateHardwareVp));
    EXPECT_FALSE(Application::confirmDeviceRule(none, kCreateMixedVp));
    EXPECT_TRUE(Application::confirmDeviceRule(none, kCreateSoftwareVp));
    EXPECT_TRUE(Application::confirmDeviceRule(vs11, kCreateHardwareVp));
    EXPECT_TRUE(Application::confirmDeviceRule(vs11, kCreateMixedVp));
    EXPECT_EQ(deviceDescription(DeviceType::Hardware, kCreateSoftwareVp, "GL"), "HAL (sw vp): GL");
}

TEST_F(Shell, ScreenSettingsOfAnotherAdapterKeepOnlyLeaveBlack) {
    std::array<uint8_t, 16> mine{}, other{};
    mine.fill(7);
    other.fill(9);
    ScreenSettings s{true, true, 800, 600, 22};
    ASSERT_TRUE(writeScreenSettings(1, other, s));
    ScreenSettings r = readScreenSettings(1, mine);
    EXPECT_TRUE(r.leaveBlack);
    EXPECT_FALSE(r.disableHardware);
    EXPECT_EQ(r.width, 0u);
    r = readScreenSettings(1, other);
    EXPECT_TRUE(r.disableHardware);
    EXPECT_EQ(r.width, 800u);
    EXPECT_EQ(r.format, 22u);
    // An all-zero identifier belongs to every adapter.
    writeScreenSettings(2, std::array<uint8_t, 16>{}, s);
    EXPECT_EQ(readScreenSettings(2, mine).height, 600u);
}

TEST_F(Shell, WindowOptionsRecordHasItsFieldsAtTheirOffsets) {
    WindowOptions w;
    EXPECT_EQ(w.mode(), kFullScreen);  // a fresh installation opens full screen
    auto rec = w.toRecord();
    EXPECT_EQ(io::loadI32(&rec[12]), 3);
    EXPECT_EQ(io::loadI32(&rec[44]), 50);
    EXPECT_EQ(io::loadI32(&rec[52]), 800);
    EXPECT_EQ(io::loadU32(&rec[68]), 0x90CF0000u);
    EXPECT_EQ(io::loadU32(&rec[132]), 0x3F490FD0u);
    std::vector<uint8_t> bytes(rec.begin(), rec.end());
    io::storeI32(&bytes[12], 1);
    io::storeI32(&bytes[44], 123);
    io::storeI32(&bytes[56], 456);
    io::storeI32(&bytes[128], 1);
    io::storeI32(&bytes[0], 777);  // ignored
    ASSERT_TRUE(w.fromRecord(bytes));
    EXPECT_EQ(w.mode(), kWindowed);
    EXPECT_EQ(w.windowed().x, 123);
    EXPECT_EQ(w.windowed().height, 456);
    EXPECT_TRUE(w.alwaysOnTop());
    EXPECT_EQ(w.windowed().clientWidth, 0);  // none stored
    io::storeI32(&bytes[60], 792);
    io::storeI32(&bytes[64], 457);  // taller than its window: not used
    ASSERT_TRUE(w.fromRecord(bytes));
    EXPECT_EQ(w.windowed().clientWidth, 0);
    io::storeI32(&bytes[64], 428);
    ASSERT_TRUE(w.fromRecord(bytes));
    EXPECT_EQ(w.windowed().clientHeight, 428);
    EXPECT_FALSE(w.fromRecord(std::vector<uint8_t>(199)));
    // Placement of the shaped window is one line short of the screen.
    EXPECT_TRUE(w.applyMode(0, kTransparent));
    EXPECT_FALSE(w.applyMode(0, kTransparent));
    EXPECT_EQ(w.placement(1920, 1080).height, 1079);
}

TEST_F(Shell, FreshInteractiveRunOpensFullScreenTitledTerranoxAndEscapeEnds) {
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    auto* w = ws_.window(app.mainWindow());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->request.title, "Terranox");
    EXPECT_EQ(w->rect, (win::Rect{0, 0, 1280, 1024}));
    EXPECT_EQ(w->style, kBorderlessStyle);
    appClock(ClockCommand::Start);
    post(app.mainWindow(), win::kWmKeyDown, win::kVkEscape);
    EXPECT_LT(runLoop(app, 50), 50);
}

TEST_F(Shell, InteractiveRunWritesPreferencesAndSnapshotRunDoesNot) {
    {
        Application app("terranox /t", {});
        ASSERT_EQ(app.create(), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(home_.file("pref.ini")));
    std::filesystem::remove(home_.file("pref.ini"));
    LaunchOptions snap;
    snap.snapshotPath = (home_.path() / "x.png").string();
    {
        Application app("terranox /t", snap);
        ASSERT_EQ(app.create(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
}

TEST_F(Shell, OnlyTheInteractiveViewerWritesTheSettingsFiles) {
    {
        Application saver("terranox /s", {});
        ASSERT_EQ(saver.create(), 0);
        saver.runFramesForTest(2);
    }
    EXPECT_FALSE(std::filesystem::exists(home_.file("3dvis.ini")));
    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
    {
        Application viewer("terranox /t", {});
        ASSERT_EQ(viewer.create(), 0);
        viewer.runFramesForTest(2);
    }
    auto bytes = io::readWholeFile(home_.file("3dvis.ini"));
    ASSERT_TRUE(bytes);
    ASSERT_GE(bytes->size(), 12u);
    EXPECT_EQ(io::loadU32(bytes->data() + 4), bytes->size());
    EXPECT_EQ(io::loadU32(bytes->data() + 8) + 8, bytes->size());  // root size + 8
    EXPECT_TRUE(std::filesystem::exists(home_.file("pref.ini")));
}

TEST_F(Shell, FramesClearColourAndDepthDrawAndPresent) {
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    ASSERT_EQ(app.runFramesForTest(3), 3);
    ASSERT_EQ(ws_.devices().size(), 1u);
    auto* dev = ws_.devices()[0];
    EXPECT_EQ(dev->sceneCount(), 3);
    EXPECT_EQ(dev->presentCount(), 3);
    for (const auto& c : dev->calls()) {
        if (c.kind == gfx::RecordedCall::Clear) {
            EXPECT_EQ(c.clearFlags, uint32_t(gfx::kClearZBuffer) | uint32_t(gfx::kClearTarget));
        }
    }
    // The fixed device state.
    EXPECT_EQ(dev->renderState(gfx::RenderState::CullMode), uint32_t(gfx::kCullCCW));
    EXPECT_EQ(dev->renderState(gfx::RenderState::DestBlend), uint32_t(gfx::kBlendInvSrcAlpha));
    EXPECT_EQ(dev->textureStageState(0, gfx::TextureStageState::AddressU), uint32_t(gfx::kTaddressClamp));
    // Every draw is followed by a 10..25 ms pause.
    for (uint32_t s : clock_.sleeps()) {
        EXPECT_GE(s, 10u);
        EXPECT_LE(s, 25u);
    }
}

TEST_F(Shell, LostDeviceNeitherDrawsNorPresentsAndSleeps100) {
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(1);
    auto* dev = ws_.devices()[0];
    dev->clearRecord();
    clock_.clearSleeps();
    dev->setCooperativeLevel(gfx::CooperativeLevel::Lost);
    app.runFramesForTest(5);
    EXPECT_EQ(dev->sceneCount(), 0);
    EXPECT_EQ(dev->presentCount(), 0);
    EXPECT_EQ(clock_.sleeps(), std::vector<uint32_t>(5, 100));
    // Once it can be reset, the device is reset and drawing resumes.
    dev->setCooperativeLevel(gfx::CooperativeLevel::NotReset);
    app.runFramesForTest(1);
    EXPECT_GE(dev->resetCount(), 1);
    EXPECT_EQ(dev->presentCount(), 1);
}

TEST_F(Shell, TwoFailedResetsOnlyEndTheFrame) {
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(1);
    auto* dev = ws_.devices()[0];
    dev->setCooperativeLevel(gfx::CooperativeLevel::NotReset);
    dev->failResets(2);
    app.runFramesForTest(1);
    EXPECT_FALSE(app.inErrorState());
    EXPECT_EQ(dev->resetCount(), 2);
}

TEST_F(Shell, RestoreFailingAfterAGoodResetEndsInTheErrorState) {
    struct RestoreFails : Application {
        using Application::Application;
        bool fail = false;
        int32_t restoreDeviceObjects() override { return fail ? kErrFail : Application::restoreDeviceObjects(); }
    };
    RestoreFails app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(1);
    ws_.devices()[0]->setCooperativeLevel(gfx::CooperativeLevel::NotReset);
    app.fail = true;
    app.runFramesForTest(1);
    EXPECT_TRUE(app.inErrorState());
    EXPECT_EQ(app.errorCode(), kErrInitDeviceObjectsFailed);
    ASSERT_EQ(ws_.messageBoxes().size(), 1u);
    EXPECT_EQ(ws_.messageBoxes()[0].text, "There was an unspecified problem with this program.");
}

TEST_F(Shell, ProjectionCameraAndFrustumKeepOneFieldOfViewAcrossAModeChange) {
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(1);  // full screen, 1280 x 1024
    auto* dev = ws_.devices()[0];
    int drawn = dev->sceneCount();
    post(app.mainWindow(), win::kWmCommand, kCmdWindowed);
    runLoop(app, 3);
    ASSERT_EQ(dev->viewport().width, 792u);
    ASSERT_GT(dev->sceneCount(), drawn);
    auto* view = dynamic_cast<GlobeView*>(app.viewerCore()->scene());
    ASSERT_NE(view, nullptr);
    float tanHalf = 1.0f / dev->transform(gfx::TransformType::Projection).m[0][0];
    const math::Plane& right = view->frustum().cameraSpacePlane(camera::ViewFrustum::kRight);
    EXPECT_NEAR(-right.c / right.a, tanHalf, 1e-5f);
    const camera::Camera& cam = view->scene().camera();
    EXPECT_NEAR(cam.halfWidth() / cam.focalLength(), tanHalf, 1e-5f);
}

TEST_F(Shell, IdleViewWithoutPaintNeitherDrawsNorPresents) {
    // Nothing changes and the view idles: the camera stops the drawing.
    settings::optionBlock().set(settings::OptionBlock::kIdleNoChanging, 1);
    Application app("terranox /t", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(30);  // the view settles
    auto* dev = ws_.devices()[0];
    dev->clearRecord();
    clock_.clearSleeps();
    app.runFramesForTest(4);
    EXPECT_FALSE(processState().renderEnabled);
    EXPECT_EQ(dev->sceneCount(), 0);
    EXPECT_EQ(dev->presentCount(), 0);
    EXPECT_EQ(clock_.sleeps(), std::vector<uint32_t>(4, 30));
    // A paint message presents the previous frame again without drawing.
    app.dispatch({app.mainWindow(), win::kWmPaint, 0, 0});
    EXPECT_EQ(dev->presentCount(), 1);
    EXPECT_EQ(dev->sceneCount(), 0);
}

TEST_F(Shell, SaverOnTwoMonitorsRendersOnTheBestAndTheSixthMoveEnds) {
    twoMonitors();
    Application app("terranox /s", {});
    ASSERT_EQ(app.create(), 0);
    EXPECT_EQ(ws_.windows().size(), 2u);
    for (auto& [id, w] : ws_.windows()) EXPECT_TRUE(w.topmost);
    appClock(ClockCommand::Start);
    app.createEnvironmentForTest();
    ASSERT_EQ(app.renderUnits().size(), 1u);  // one screen only: the other stays black
    EXPECT_EQ(app.renderUnits()[0].monitor, 0);
    win::WindowId w = app.mainWindow();
    for (int i = 1; i <= 5; ++i) post(w, win::kWmMouseMove, 0, win::makeLParam(10 + i, 10));
    post(w, win::kWmMouseMove, 0, win::makeLParam(15, 10));  // same place: not counted
    EXPECT_EQ(runLoop(app, 20), 20);
    EXPECT_EQ(app.mouseMoveCount(), 5);
    post(w, win::kWmMouseMove, 0, win::makeLParam(40, 40));
    EXPECT_LT(runLoop(app, 20), 20);
    EXPECT_EQ(app.mouseMoveCount(), 6);
}

TEST_F(Shell, SaverEndsOnAnyKeyButtonOrDeactivation) {
    for (uint32_t msg : {uint32_t(win::kWmKeyDown), uint32_t(win::kWmLButtonDown), uint32_t(win::kWmRButtonDown),
                         uint32_t(win::kWmActivateApp)}) {
        win::messageQueue().clear();
        Application app("terranox /s", {});
        ASSERT_EQ(app.create(), 0);
        app.createEnvironmentForTest();
        post(app.mainWindow(), msg, 0, 0);
        EXPECT_LT(runLoop(app, 10), 10) << "message " << msg;
        EXPECT_EQ(app.interruptedBy(), msg);
    }
    // One of its windows losing activation to another is no deactivation.
    win::messageQueue().clear();
    twoMonitors();
    Application app("terranox /s", {});
    ASSERT_EQ(app.create(), 0);
    app.createEnvironmentForTest();
    post(app.mainWindow(), win::kWmActivate, 0);
    EXPECT_EQ(runLoop(app, 10), 10);
}

TEST_F(Shell, NoDeviceGivesTheErrorBoxThatDrifts) {
    ws_.failDeviceCreation(true);
    Application app("terranox /s", {});
    ASSERT_EQ(app.create(), 0);
    appClock(ClockCommand::Start);
    app.createEnvironmentForTest();
    ASSERT_TRUE(app.inErrorState());
    EXPECT_EQ(app.errorCode(), kErrCreateDeviceFailed);
    runLoop(app, 3);
    auto* w = ws_.window(app.mainWindow());
    ASSERT_GT(w->errorPaints, 0);
    win::Rect first = w->lastErrorBox;
    EXPECT_EQ(first.width(), 300);
    EXPECT_EQ(first.height(), 150);
    EXPECT_NEAR(first.left, (1280 - 300) / 2, 20);
    runLoop(app, 10);  // 30 ms per update: the box moved right and down
    EXPECT_GT(w->lastErrorBox.left, first.left);
    EXPECT_GT(w->lastErrorBox.top, first.top);
}

globe::GlobeScene* sceneOf(Application& app) {
    auto* view = app.viewerCore() ? dynamic_cast<GlobeView*>(app.viewerCore()->scene()) : nullptr;
    return view ? &view->scene() : nullptr;
}

TEST_F(Shell, SavedLocationAndViewSurviveARestart) {
    math::Vec3 where;
    {
        LaunchOptions launch;
        launch.lookAt = LookAt{30, 40, 5000};
        Application app("terranox /t", launch);
        ASSERT_EQ(app.create(), 0);
        app.runFramesForTest(3);
        globe::GlobeScene* scene = sceneOf(app);
        ASSERT_NE(scene, nullptr);
        scene->camera().saveCurrentLocation("a");
        where = scene->camera().current().position;
    }
    {
        Application app("terranox /t", {});
        ASSERT_EQ(app.create(), 0);
        for (int i = 0; i < 100; ++i) {  // the resumed view glides in
            clock_.advanceMillis(100);
            app.runFramesForTest(1);
        }
        globe::GlobeScene* scene = sceneOf(app);
        ASSERT_NE(scene, nullptr);
        win::Menu m = scene->buildContextMenu();
        ASSERT_NE(m.find(3000), nullptr);
        EXPECT_EQ(m.find(3000)->text, "1  a");
        EXPECT_EQ(m.find(3001), nullptr);
        // The view comes back where it was left, turned with the Earth at most.
        math::Vec3 now = scene->camera().current().position;
        EXPECT_NEAR(math::length(now), math::length(where), 0.5f);
        EXPECT_NEAR(now.y, where.y, 0.5f);
    }
    // A snapshot pictures that view from its first frame, not the glide.
    LaunchOptions snap;
    snap.snapshotPath = (home_.path() / "resumed.png").string();
    Application shot("terranox /t", snap);
    ASSERT_EQ(shot.create(), 0);
    shot.createEnvironmentForTest();
    ASSERT_NE(sceneOf(shot), nullptr);
    const camera::Camera& camera = sceneOf(shot)->camera();
    EXPECT_EQ(camera.current(), camera.target());
    EXPECT_NEAR(math::length(camera.current().position), math::length(where), 0.5f);
}

TEST_F(Shell, SaverFliesFromTheFirstFrame) {
    Application app("terranox /s", {});
    ASSERT_EQ(app.create(), 0);
    app.runFramesForTest(1);
    globe::GlobeScene* scene = sceneOf(app);
    ASSERT_NE(scene, nullptr);
    math::Vec3 start = scene->camera().current().position;
    for (int i = 0; i < 50; ++i) {
        clock_.advanceMillis(40);
        app.runFramesForTest(1);
    }
    math::Vec3 later = scene->camera().current().position;
    EXPECT_GT(math::length(later - start), 1.0f);
    // The default program ("Cam1") turns the view about the polar axis at
    // the automatic speed: height and distance stay, the rest goes round.
    EXPECT_NEAR(later.y, start.y, 0.01f * std::fabs(start.y));
    EXPECT_NEAR(math::length(later), math::length(start), 0.001f * math::length(start));
    EXPECT_TRUE(processState().renderEnabled);

    EXPECT_FALSE(std::filesystem::exists(home_.file("pref.ini")));
}

TEST_F(Shell, PasswordChangeExplainsAndExits) {
    Application app("terranox /a", {});
    ASSERT_EQ(app.create(), 0);
    EXPECT_EQ(app.run(), 0);
    ASSERT_EQ(ws_.messageBoxes().size(), 1u);
    EXPECT_EQ(ws_.messageBoxes()[0].title, "Terranox");
}

}  // namespace
