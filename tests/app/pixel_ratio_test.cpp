// A scaled desktop (1.25, 1.5 or 2 device pixels per pixel): the frame has
// the window's device pixels, and what is meant for the eye keeps its size.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

#include "app/globe_view.h"
#include "app/hud_layer.h"
#include "support/headless_shell_test.h"

using namespace tnx;
using namespace tnx::app;

namespace {

using PixelRatio = test::HeadlessShellTest;

TEST_F(PixelRatio, TheViewKeepsItsSizeOnTheScreenAtEveryScale) {
    float turn = 0;  // at scale 1
    for (double r : {1.0, 1.25, 1.5, 2.0}) {
        SCOPED_TRACE(r);
        auto px = [r](int pixels) { return int(std::lround(pixels * r)); };  // desktop pixels to the window's
        for (const auto& f : std::filesystem::directory_iterator(home_.path())) std::filesystem::remove_all(f);
        win::MonitorInfo screen;
        screen.rect = {0, 0, px(1280), px(720)};
        screen.primary = true;
        screen.handle = 1;
        ws_.setMonitors({screen});
        ws_.setPixelRatio(r);
        Application app("terranox /t", {});
        ASSERT_EQ(app.create(), 0);
        app.runFramesForTest(1);
        EXPECT_EQ(app.currentDevice()->viewport().width, uint32_t(px(1280)));
        EXPECT_EQ(app.viewerCore()->font()->requestedPointSize(), px(25));
        const hud::HudRoot& root = dynamic_cast<HudLayer*>(app.viewerCore()->hud())->root();
        EXPECT_FLOAT_EQ(root.pixelRatio(), float(r));

        // A rotate drag of 20 pixels of the desktop turns the globe as far.
        const camera::Camera& cam = dynamic_cast<GlobeView*>(app.viewerCore()->scene())->scene().camera();
        const math::Vec3 before = cam.current().position;
        app.dispatch({app.mainWindow(), win::kWmCommand, 40043, 0});  // the rotate tool
        for (auto [id, keys, x] : {std::tuple{win::kWmMouseMove, 0u, 640}, {win::kWmLButtonDown, win::kMkLButton, 640},
                                   {win::kWmMouseMove, win::kMkLButton, 660}, {win::kWmLButtonUp, 0u, 660}})
            app.dispatch({app.mainWindow(), id, keys, win::makeLParam(px(x), px(360))});
        const math::Vec3 after = cam.current().position;
        const float angle = std::acos(std::min(1.0f, math::dot(before, after) / math::length(before) / math::length(after)));
        if (r == 1) turn = angle;
        EXPECT_GT(turn, 0.05f);
        EXPECT_NEAR(angle, turn, turn * 1e-3f);

        app.dispatch({app.mainWindow(), win::kWmCommand, kCmdWindowed, 0});  // the first windowed placement
        EXPECT_EQ(ws_.windowRect(app.mainWindow()), (win::Rect{px(50), px(50), px(850), px(650)}));
    }
}

}  // namespace
