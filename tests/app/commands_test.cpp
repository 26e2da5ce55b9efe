// The viewer's commands end to end without a display: a context-menu entry
// flips the same option as its button, the menu's check marks and greyed
// entries, the floating status toggle, and the read-outs in feet and miles.
#include <gtest/gtest.h>

#include <cmath>

#include "app/application.h"
#include "app/globe_view.h"
#include "app/hud_layer.h"
#include "core/app_clock.h"
#include "core/frame_timer.h"
#include "hud/button_bar.h"
#include "hud/hud_clock.h"
#include "hud/hud_builder.h"
#include "platform/clock/clock_source.h"
#include "platform/win/headless_window_system.h"
#include "platform/win/message_queue.h"
#include "settings/option_block.h"
#include "support/headless_shell_test.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::app;
using settings::OptionBlock;
using settings::optionBlock;

namespace {

class Commands : public test::HeadlessShellTest {
protected:
    std::unique_ptr<Application> start() {
        auto app = std::make_unique<Application>("terranox /t", LaunchOptions{});
        EXPECT_EQ(app->create(), 0);
        appClock(ClockCommand::Start);
        app->runFramesForTest(2);
        return app;
    }
    void post(Application& app, uint32_t id, win::WParam w = 0, win::LParam l = 0) {
        win::messageQueue().post({app.mainWindow(), id, w, l});
        for (int i = 0; i < 12; ++i) app.loopOnce();  // the message, what it posts, frames
    }
    // The context menu as shown now, and the entry the user then picks.
    win::Menu menu(Application& app, uint32_t choice = 0) {
        ws_.setMenuChoice(choice);
        post(app, win::kWmCommand, 40060);
        ws_.setMenuChoice(0);
        return *ws_.lastMenu();
    }
    HudLayer& hud(Application& app) { return *dynamic_cast<HudLayer*>(app.viewerCore()->hud()); }
    hud::ButtonBar& bar(Application& app) {
        return *dynamic_cast<hud::ButtonBar*>(hud(app).root().findById(hud::ButtonBar::kId));
    }
    // A left click in the middle of a button of the bar.
    void clickButton(Application& app, int i) {
        hud::ButtonBar& b = bar(app);
        const hud::HudRoot& root = hud(app).root();
        const float z = b.depth(), s = root.pixelScale();
        const int x = int(std::lround(root.halfWidth() + (b.x() + b.buttonX(i) + b.button(i)->width() / 2) / z / s));
        const int y = int(std::lround(root.halfHeight() - (b.y() + b.buttonY(i) - b.button(i)->height() / 2) / z / s));
        post(app, win::kWmMouseMove, 0, win::makeLParam(x, y));
        post(app, win::kWmLButtonDown, win::kMkLButton, win::makeLParam(x, y));
        post(app, win::kWmLButtonUp, 0, win::makeLParam(x, y));
    }

};

TEST_F(Commands, MenuEntriesAndButtonsFlipTheSameOptionsAndTheMenuChecksThem) {
    auto app = start();
    const struct {
        uint32_t id;
        OptionBlock::Field option;
        int button;  // -1: menu only
    } toggles[] = {{40034, OptionBlock::kBoundaries, 3},  {40035, OptionBlock::kCities, -1},
                   {40039, OptionBlock::kDayNight, 2},    {40045, OptionBlock::kDistanceTool, 4},
                   {40052, OptionBlock::kNorthUpLock, 8}, {1092, OptionBlock::kMetricUnits, -1}};
    for (const auto& t : toggles) {
        const bool before = optionBlock().on(t.option);
        menu(*app, t.id);
        EXPECT_EQ(optionBlock().on(t.option), !before) << t.id;  // flipped once
        EXPECT_EQ(menu(*app).find(t.id)->checked, !before) << t.id;
        if (t.button < 0) continue;
        EXPECT_EQ(bar(*app).lit(t.button), !before) << t.id;
        clickButton(*app, t.button);
        EXPECT_EQ(optionBlock().on(t.option), before) << t.id;
        EXPECT_EQ(menu(*app).find(t.id)->checked, before) << t.id;
    }
    const globe::SceneViewOptions& v = dynamic_cast<GlobeView*>(app->viewerCore()->scene())->scene().viewOptions();
    EXPECT_FALSE(v.cities);  // the scene draws from the options
    // Feet and miles on the read-outs, with the pointer in the middle.
    const win::Rect c = ws_.clientRect(app->mainWindow());
    post(*app, win::kWmMouseMove, 0, win::makeLParam(c.width() / 2, c.height() / 2));
    auto shown = [&](int32_t id) { return hud(*app).root().findById(id)->text(); };
    EXPECT_TRUE(shown(hud::HudBuilder::kStatus).ends_with("mi.")) << shown(hud::HudBuilder::kStatus);
    EXPECT_TRUE(shown(hud::HudBuilder::kReadout1).ends_with("ft")) << shown(hud::HudBuilder::kReadout1);
    EXPECT_EQ(shown(hud::HudBuilder::kReadout3), ", Pop  0, Area total 0, land 0");  // no data here

    EXPECT_TRUE(menu(*app).find(40049)->checked);
    menu(*app, 40049);
    EXPECT_FALSE(floatingStatus()->enabled());
    EXPECT_FALSE(menu(*app).find(40049)->checked);

    menu(*app, 40042);  // Move Globe
    win::Menu m = menu(*app);
    EXPECT_TRUE(m.find(40042)->checked && !m.find(40043)->checked);
    EXPECT_TRUE(m.find(40030)->checked && m.find(40023)->checked);
    EXPECT_FALSE(m.find(40024)->greyed);  // Options opens its dialog
    menu(*app, 40029);  // transparent: the tool bars go and stay away
    m = menu(*app);
    EXPECT_TRUE(m.find(40023)->greyed && m.find(40020)->checked);
    EXPECT_FALSE(hud::HudRoot::hudShown());
}

}  // namespace

namespace {

// The HUD clock tells the sky's time, not the wall clock's, with its rate;
// "[", "]" and "\" change the rate.
TEST_F(Commands, TheClockShowsTheSkysTimeAndRate) {
    setenv("TZ", "UTC", 1);
    tzset();
    LaunchOptions launch;
    launch.time = "2019-03-14T09:30:00Z";
    auto app = std::make_unique<Application>("terranox /t", launch);
    ASSERT_EQ(app->create(), 0);
    appClock(ClockCommand::Start);
    app->runFramesForTest(2);
    auto* clock = dynamic_cast<hud::HudClock*>(hud(*app).root().findById(hud::HudBuilder::kClock));
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->shownText().rfind("9:30:0 Thu,2019-3-14", 0), 0u) << clock->shownText();
    globe::SceneClock& sky = dynamic_cast<GlobeView*>(app->viewerCore()->scene())->scene().time();
    post(*app, win::kWmKeyDown, win::kVkOem6);
    EXPECT_EQ(sky.rate(), 2.0);
    EXPECT_NE(clock->shownText().find(" \xD7" "2"), std::string::npos) << clock->shownText();
    post(*app, win::kWmKeyDown, win::kVkOem4);
    post(*app, win::kWmKeyDown, win::kVkOem4);
    EXPECT_EQ(sky.rate(), 0.5);
    post(*app, win::kWmKeyDown, win::kVkOem5);
    EXPECT_TRUE(sky.followsSystemClock());
    EXPECT_EQ(clock->shownText().find('\xD7'), std::string::npos);
    EXPECT_EQ(clock->shownText().find("2019"), std::string::npos);
}

}  // namespace
