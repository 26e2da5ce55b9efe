// The viewer's commands end to end, without a display: a context-menu entry
// flips the same option as its button (and the scene follows), the menu's
// check marks and greyed entries, the floating status toggle and its
// record, and the read-outs on the HUD in both unit systems.
#include <gtest/gtest.h>

#include <cmath>

#include "app/application.h"
#include "app/globe_view.h"
#include "app/hud_layer.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "hud/button_bar.h"
#include "hud/hud_builder.h"
#include "platform/clock/clock_source.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;
using settings::OptionBlock;
using settings::optionBlock;

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        clock::setClockSource(&clock_);
        resetAppClockForTest();
        frameTimer().start();
        win::setWindowSystem(&ws_);
        win::messageQueue().clear();
        processState() = ProcessState{};
        optionBlock() = OptionBlock{};
        optionBlock().set(OptionBlock::kIdleNoChanging, 0);
    }
    void TearDown() override {
        win::setWindowSystem(nullptr);
        clock::setClockSource(nullptr);
        resetAppClockForTest();
        win::messageQueue().clear();
        optionBlock() = OptionBlock{};
    }

    std::unique_ptr<Application> start() {
        auto app = std::make_unique<Application>("terranox /t", LaunchOptions{});
        EXPECT_EQ(app->create(), 0);
        appClock(ClockCommand::Start);
        app->runFramesForTest(2);
        return app;
    }
    // Handles what waits and draws a few frames.
    void pump(Application& app) {
        for (int i = 0; i < 12; ++i) app.loopOnce();
    }
    // The user opens the context menu and picks an entry.
    void choose(Application& app, uint32_t id) {
        ws_.setMenuChoice(id);
        win::messageQueue().post({app.mainWindow(), win::kWmCommand, 40060, 0});
        pump(app);
        ws_.setMenuChoice(0);
    }
    // The context menu as it is shown now.
    win::Menu menu(Application& app) {
        win::messageQueue().post({app.mainWindow(), win::kWmCommand, 40060, 0});
        pump(app);
        return ws_.lastMenu() ? *ws_.lastMenu() : win::Menu{};
    }
    HudLayer& hud(Application& app) { return *dynamic_cast<HudLayer*>(app.viewerCore()->hud()); }
    GlobeView& view(Application& app) { return *dynamic_cast<GlobeView*>(app.viewerCore()->scene()); }
    hud::ButtonBar& bar(Application& app) {
        return *dynamic_cast<hud::ButtonBar*>(hud(app).root().findById(hud::ButtonBar::kId));
    }
    // A left click on a button of the bar, as the window delivers it.
    void clickButton(Application& app, int i) {
        hud::ButtonBar& b = bar(app);
        const hud::HudRoot& root = hud(app).root();
        const float z = b.depth(), s = root.pixelScale();
        const int x = int(std::lround(root.halfWidth() + (b.x() + b.buttonX(i) + b.button(i)->width() / 2) / z / s));
        const int y = int(std::lround(root.halfHeight() - (b.y() + b.buttonY(i) - b.button(i)->height() / 2) / z / s));
        for (uint32_t m : {win::kWmMouseMove, win::kWmLButtonDown, win::kWmLButtonUp})
            win::messageQueue().post({app.mainWindow(), m, m == win::kWmLButtonDown ? win::kMkLButton : 0u,
                                      win::makeLParam(x, y)});
        pump(app);
    }

    test::TestHome home_;
    clock::FakeClock clock_;
    win::HeadlessWindowSystem ws_;
};

TEST_F(Commands, MenuEntriesAndButtonsFlipTheSameOptionsAndTheMenuShowsThem) {
    auto app = start();
    struct Toggle {
        uint32_t id;
        OptionBlock::Field option;
        int button;  // -1: menu only
    };
    const Toggle toggles[] = {{40034, OptionBlock::kBoundaries, 3},  {40035, OptionBlock::kCities, -1},
                              {40039, OptionBlock::kDayNight, 2},    {40045, OptionBlock::kDistanceTool, 4},
                              {40052, OptionBlock::kNorthUpLock, 8}, {1092, OptionBlock::kMetricUnits, -1}};
    for (const Toggle& t : toggles) {
        const bool before = optionBlock().on(t.option);
        choose(*app, t.id);
        EXPECT_EQ(optionBlock().on(t.option), !before) << t.id;  // flipped exactly once
        if (t.button >= 0) {
            EXPECT_EQ(bar(*app).lit(t.button), !before) << t.id;
        }
        win::Menu m = menu(*app);
        ASSERT_NE(m.find(t.id), nullptr) << t.id;
        EXPECT_EQ(m.find(t.id)->checked, !before) << t.id;
        if (t.button >= 0) {
            clickButton(*app, t.button);
            EXPECT_EQ(optionBlock().on(t.option), before) << t.id;
            EXPECT_EQ(bar(*app).lit(t.button), before) << t.id;
            EXPECT_EQ(menu(*app).find(t.id)->checked, before) << t.id;
        }
    }
    // The scene draws from the options.
    choose(*app, 40034);
    choose(*app, 40035);
    choose(*app, 40039);
    const globe::SceneViewOptions& v = view(*app).scene().viewOptions();
    const OptionBlock defaults;
    EXPECT_NE(v.boundaries, defaults.on(OptionBlock::kBoundaries));
    EXPECT_EQ(v.cities, defaults.on(OptionBlock::kCities));  // chosen twice
    EXPECT_NE(v.dayNight, defaults.on(OptionBlock::kDayNight));
    EXPECT_NE(v.metricUnits, defaults.on(OptionBlock::kMetricUnits));
}

TEST_F(Commands, ToolsAndTheWindowModeAreCheckedAndOptionsIsGreyedUntilItsDialogComes) {
    auto app = start();
    choose(*app, 40042);  // Move Globe
    win::Menu m = menu(*app);
    EXPECT_EQ(optionBlock().get(OptionBlock::kPointerTool), 2);
    EXPECT_TRUE(m.find(40042)->checked);
    EXPECT_FALSE(m.find(40043)->checked);
    EXPECT_TRUE(m.find(40030)->checked);  // full screen on a fresh run
    EXPECT_TRUE(m.find(40023)->checked);
    EXPECT_TRUE(m.find(40024)->greyed);
    EXPECT_FALSE(m.find(40032)->greyed);

    // In a transparent window the tool bars go and may not come back there.
    choose(*app, 40029);
    m = menu(*app);
    EXPECT_TRUE(m.find(40029)->checked);
    EXPECT_TRUE(m.find(40023)->greyed);
    EXPECT_TRUE(m.find(40020)->checked);
    EXPECT_FALSE(hud::HudRoot::hudShown());
    choose(*app, 40028);
    choose(*app, 40023);
    EXPECT_TRUE(hud::HudRoot::hudShown());
    EXPECT_TRUE(menu(*app).find(40028)->checked);
}

TEST_F(Commands, FloatingStatusMessagesTogglesTheWindowWhichRemembersItAcrossRuns) {
    {
        auto app = start();
        ASSERT_NE(floatingStatus(), nullptr);
        EXPECT_TRUE(floatingStatus()->enabled());
        EXPECT_TRUE(menu(*app).find(40049)->checked);
        choose(*app, 40049);
        EXPECT_FALSE(floatingStatus()->enabled());
        EXPECT_FALSE(menu(*app).find(40049)->checked);
    }
    EXPECT_EQ(floatingStatus(), nullptr);  // gone with the last viewer core
    auto app = start();
    EXPECT_FALSE(floatingStatus()->enabled());
    choose(*app, 40049);
    EXPECT_TRUE(menu(*app).find(40049)->checked);
}

TEST_F(Commands, TheReadoutsFollowThePointerAndTheUnits) {
    auto app = start();
    HudLayer& h = hud(*app);
    auto shown = [&](int32_t id) { return h.root().findById(id)->text(); };
    const geodata::InfoTexts& info = view(*app).scene().overlay().infoTexts();
    // The camera's place is on the status line from the first frame.
    const std::string camera = info.line(geodata::InfoTexts::kCamera);
    ASSERT_EQ(camera.substr(0, 5), "From ");
    EXPECT_EQ(camera.substr(camera.size() - 2), "km");
    EXPECT_EQ(shown(hud::HudBuilder::kStatus), camera);
    EXPECT_EQ(shown(hud::HudBuilder::kReadout1), "");  // no pointer yet

    // The pointer over the middle of the globe.
    const win::Rect c = ws_.clientRect(app->mainWindow());
    win::messageQueue().post({app->mainWindow(), win::kWmMouseMove, 0, win::makeLParam(c.width() / 2, c.height() / 2)});
    pump(*app);
    const std::string pointer = info.line(geodata::InfoTexts::kPointer);
    ASSERT_FALSE(pointer.empty());
    EXPECT_EQ(pointer.substr(pointer.size() - 1), "m");
    EXPECT_EQ(shown(hud::HudBuilder::kReadout1), pointer);
    EXPECT_EQ(shown(hud::HudBuilder::kReadout3), ", Pop  0, Area total 0, land 0");  // no data, no world

    choose(*app, 1092);
    EXPECT_EQ(info.line(geodata::InfoTexts::kCamera).substr(info.line(geodata::InfoTexts::kCamera).size() - 3), "mi.");
    const std::string feet = info.line(geodata::InfoTexts::kPointer);
    EXPECT_EQ(feet.substr(feet.size() - 2), "ft");
    EXPECT_EQ(shown(hud::HudBuilder::kReadout1), feet);
    EXPECT_EQ(shown(hud::HudBuilder::kStatus), info.line(geodata::InfoTexts::kCamera));
}

}  // namespace
