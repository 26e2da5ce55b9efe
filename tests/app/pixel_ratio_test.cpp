// A scaled desktop (1.25, 1.5 or 2 device pixels per pixel): the frame has
// the window's device pixels, and what is meant for the eye keeps its size
// on the screen — the HUD and its font, and what a pointer drag does.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/globe_view.h"
#include "app/hud_layer.h"
#include "hud/hud_builder.h"
#include "support/headless_shell_test.h"

using namespace tnx;
using namespace tnx::app;

namespace {

using PixelRatio = test::HeadlessShellTest;

TEST_F(PixelRatio, TheViewKeepsItsSizeOnTheScreenAtEveryScale) {
    float clockWidth = 0, turn = 0, push = 0;  // seen at scale 1
    for (double r : {1.0, 1.25, 1.5, 2.0}) {
        SCOPED_TRACE(r);
        auto px = [r](int pixels) { return int(std::lround(pixels * r)); };
        for (const auto& f : std::filesystem::directory_iterator(home_.path())) std::filesystem::remove_all(f);
        win::MonitorInfo m;
        m.rect = {0, 0, px(1280), px(720)};
        m.primary = true;
        m.handle = 1;
        ws_.setMonitors({m});
        ws_.setPixelRatio(r);
        Application app("terranox /t", {});
        ASSERT_EQ(app.create(), 0);
        app.runFramesForTest(1);
        const gfx::Device& device = *app.currentDevice();
        EXPECT_EQ(device.viewport().width, uint32_t(px(1280)));
        EXPECT_FLOAT_EQ(device.presentParameters().pixelRatio, float(r));
        EXPECT_EQ(app.viewerCore()->font()->requestedPointSize(), px(25));

        // The clock's width on the screen, in pixels of an unscaled desktop.
        hud::HudRoot& root = dynamic_cast<HudLayer*>(app.viewerCore()->hud())->root();
        const hud::HudElement& clock = *root.findById(hud::HudBuilder::kClock);
        const float width = clock.width() / clock.depth() / root.pixelScale() / float(r);
        if (r == 1.0) clockWidth = width;
        EXPECT_NEAR(width, clockWidth, 0.01f);

        // Both buttons dragged 20 pixels down over the clock push it away.
        auto send = [&](uint32_t id, int x, int y, win::WParam keys = 0) {
            app.dispatch({app.mainWindow(), id, keys, win::makeLParam(x, y)});
        };
        const int cx = root.halfWidth() + int((clock.x() + clock.width() / 2) / clock.depth() / root.pixelScale());
        const int cy = root.halfHeight() - int((clock.y() - clock.height() / 2) / clock.depth() / root.pixelScale());
        const float depth = clock.depth();
        send(win::kWmMouseMove, cx, cy);
        send(win::kWmLButtonDown, cx, cy, win::kMkLButton);
        send(win::kWmRButtonDown, cx, cy, win::kMkLButton | win::kMkRButton);
        send(win::kWmMouseMove, cx, cy + px(20), win::kMkLButton | win::kMkRButton);
        send(win::kWmLButtonUp, cx, cy + px(20), win::kMkRButton);
        send(win::kWmRButtonUp, cx, cy + px(20));
        if (r == 1.0) push = depth - clock.depth();
        EXPECT_GT(push, 0.0f);
        EXPECT_NEAR(depth - clock.depth(), push, 1e-4f);

        // A rotate drag of 20 pixels across the globe turns it as far.
        const camera::Camera& cam = dynamic_cast<GlobeView*>(app.viewerCore()->scene())->scene().camera();
        const math::Vec3 before = cam.current().position;
        app.dispatch({app.mainWindow(), win::kWmCommand, 40043, 0});  // the rotate tool
        send(win::kWmMouseMove, px(640), px(360));
        send(win::kWmLButtonDown, px(640), px(360), win::kMkLButton);
        send(win::kWmMouseMove, px(660), px(360), win::kMkLButton);
        send(win::kWmLButtonUp, px(660), px(360));
        const math::Vec3 after = cam.current().position;
        const float angle = std::acos(std::min(1.0f, math::dot(before, after) / math::length(before) / math::length(after)));
        if (r == 1.0) turn = angle;
        EXPECT_GT(turn, 0.0f);
        EXPECT_NEAR(angle, turn, turn * 1e-3f);

        // The first windowed placement is as large on the screen.
        app.dispatch({app.mainWindow(), win::kWmCommand, kCmdWindowed, 0});
        EXPECT_EQ(ws_.windowRect(app.mainWindow()), (win::Rect{px(50), px(50), px(850), px(650)}));
    }
}

}  // namespace
