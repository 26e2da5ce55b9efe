// A viewer left alone: with only the clock changing, the HUD is drawn again
// over the kept image of the scene, once a second and only around the
// clock; the clock adds no draw of the scene, which is drawn as often as
// with the toolbars hidden (the idle frame, and the idle turn where the
// simulated clock runs ahead of the sky's).
#include <gtest/gtest.h>

#include <cmath>

#include "app/hud_layer.h"
#include "hud/hud_builder.h"
#include "hud/hud_clock.h"
#include "support/headless_shell_test.h"

using namespace tnx;
using namespace tnx::app;
using settings::OptionBlock;
using settings::optionBlock;

namespace {

class IdleFrames : public test::HeadlessShellTest {
protected:
    struct Frames {
        int scene = 0, overHud = 0, presents = 0;
    };

    std::unique_ptr<Application> start() {
        optionBlock().set(OptionBlock::kIdleNoChanging, 1);
        optionBlock().set(OptionBlock::kHudShown, 1);
        auto app = std::make_unique<Application>("terranox /t", LaunchOptions{});
        EXPECT_EQ(app->create(), 0);
        appClock(ClockCommand::Start);
        app->runFramesForTest(1);
        device_ = ws_.devices().front();
        device_->setPartialFrames(true);
        // The clock reads the simulated time, so seconds pass as the loop runs.
        hudClock_ = dynamic_cast<hud::HudClock*>(hud(*app).root().findById(hud::HudBuilder::kClock));
        hudClock_->setTimeSource([this] {
            std::tm t{};
            const int64_t s = clock_.nowMicros() / 1000000;
            t.tm_sec = int(s % 60), t.tm_min = int(s / 60 % 60), t.tm_mday = 1;
            return t;
        });
        return app;
    }
    HudLayer& hud(Application& app) { return *dynamic_cast<HudLayer*>(app.viewerCore()->hud()); }

    // Runs the loop for simulated seconds (its sleeps move the clock) and
    // tells the frames drawn apart by what the device was asked to do.
    Frames run(Application& app, double seconds) {
        device_->clearRecord();
        const int64_t end = clock_.nowMicros() + int64_t(seconds * 1e6);
        while (clock_.nowMicros() < end) {
            clock_.advanceMillis(1);
            app.loopOnce();
        }
        Frames f;
        bool restored = false;
        for (const auto& c : device_->calls()) {
            if (c.kind == gfx::RecordedCall::BeginScene) restored = false;
            if (c.kind == gfx::RecordedCall::RestoreImage) restored = true;
            if (c.kind == gfx::RecordedCall::EndScene) ++(restored ? f.overHud : f.scene);
        }
        f.presents = device_->presentCount();
        return f;
    }

    gfx::RecordingDevice* device_ = nullptr;
    hud::HudClock* hudClock_ = nullptr;
};

TEST_F(IdleFrames, TheClockAloneRedrawsTheHudAroundItOverTheKeptScene) {
    auto app = start();
    run(*app, 12);  // the start-up frames and the first idle frame
    const Frames shown = run(*app, 20);
    EXPECT_GE(shown.overHud, 19);  // one a second
    EXPECT_LE(shown.overHud, 21);
    EXPECT_EQ(shown.presents, shown.overHud + shown.scene);

    // Each HUD frame redraws a part that holds the clock's text and is not
    // much larger than the clock.
    const hud::HudRoot& root = hud(*app).root();
    const float k = 1.0f / (hudClock_->depth() * root.pixelScale());
    const float left = float(root.halfWidth()) + hudClock_->x() * k;
    const float right = float(root.halfWidth()) + (hudClock_->x() + hudClock_->width()) * k;
    const float top = float(root.halfHeight()) - hudClock_->y() * k;
    const float bottom = float(root.halfHeight()) - (hudClock_->y() - hudClock_->height()) * k;
    int partial = 0;
    for (const auto& a : device_->partialFrameAreas()) {
        if (a.right - a.left >= int(right - left) * 2) continue;  // a whole one after the scene was drawn
        ++partial;
        EXPECT_LE(a.left, left);
        EXPECT_GE(a.right, right - 1);
        EXPECT_LE(a.top, top);
        EXPECT_GE(a.bottom, bottom - 1);
        EXPECT_LE((a.right - a.left) * (a.bottom - a.top), 4 * (right - left) * (bottom - top));
    }
    EXPECT_GE(partial, shown.overHud - shown.scene - 1);

    // Hidden toolbars: nothing over the scene is drawn, and the scene as
    // often as before.
    win::messageQueue().post({app->mainWindow(), win::kWmCommand, 40020, 0});
    run(*app, 2);
    const Frames hidden = run(*app, 20);
    EXPECT_EQ(hidden.overHud, 0);
    EXPECT_NEAR(hidden.scene, shown.scene, 1);
    EXPECT_GE(hidden.scene, 2);
}

}  // namespace
