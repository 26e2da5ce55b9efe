// The HUD inside the viewer core: mouse messages reach it before the scene,
// never in the full-screen saver, and its layout goes to "3dvis.ini" and
// comes back with the rest of the core's state.
#include <gtest/gtest.h>

#include <cmath>

#include "app/hud_layer.h"
#include "app/viewer_core.h"
#include "camera/mouse_state_tracker.h"
#include "hud/hud_builder.h"
#include "platform/gfx/recording_device.h"
#include "settings/option_block.h"
#include "support/test_home.h"
#include "counting_scene.h"

namespace tnx::app {
namespace {

using tnx::test::CountingScene;

class ViewerCoreHud : public ::testing::Test {
protected:
    void SetUp() override {
        processState().saverMode = SaverMode::InteractiveViewer;
        settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
        camera::mouseState().reset();
    }
    void TearDown() override { processState().saverMode = SaverMode::Configuration; }

    std::unique_ptr<ViewerCore> makeCore(SaverMode mode = SaverMode::InteractiveViewer) {
        auto core = std::make_unique<ViewerCore>(device_, mode);
        auto hud = std::make_unique<HudLayer>(core->fieldOfView(), core->width(), core->height(), core->font());
        hud_ = hud.get();
        core->setHud(std::move(hud));
        auto scene = std::make_unique<CountingScene>();
        scene_ = scene.get();
        core->setScene(std::move(scene));
        return core;
    }
    void send(ViewerCore& core, uint32_t id, int x, int y, uint32_t keys = 0) {
        core.handleMessage({0, id, keys, win::makeLParam(x, y)});
    }
    // The pixel at the middle of an element.
    void centreOf(const hud::HudElement& e, int& x, int& y) {
        const float s = hud_->root().pixelScale();
        x = int(std::lround(640 + (e.x() + e.width() / 2) / e.depth() / s));
        y = int(std::lround(360 - (e.y() - e.height() / 2) / e.depth() / s));
    }

    test::TestHome home_;
    gfx::RecordingDevice device_{1280, 720};
    HudLayer* hud_ = nullptr;
    CountingScene* scene_ = nullptr;
};

TEST_F(ViewerCoreHud, AClickOnAnElementNeverReachesTheSceneButOneBesideItDoes) {
    auto core = makeCore();
    core->restore(device_);
    const hud::HudElement* clock = hud_->root().findById(hud::HudBuilder::kClock);
    ASSERT_NE(clock, nullptr);
    int x, y;
    centreOf(*clock, x, y);
    send(*core, win::kWmMouseMove, x, y);
    send(*core, win::kWmLButtonDown, x, y, win::kMkLButton);
    send(*core, win::kWmLButtonUp, x, y);
    EXPECT_EQ(scene_->messages, 0);
    EXPECT_EQ(core->inputOwner(), InputOwner::Hud);
    send(*core, win::kWmMouseMove, 640, 360);
    send(*core, win::kWmLButtonDown, 640, 360, win::kMkLButton);
    EXPECT_EQ(scene_->messages, 2);
    EXPECT_EQ(core->inputOwner(), InputOwner::Scene);
}

TEST_F(ViewerCoreHud, TheFullScreenSaverSendsEveryMouseMessageToTheScene) {
    processState().saverMode = SaverMode::FullScreenSaver;
    auto core = makeCore(SaverMode::FullScreenSaver);
    core->restore(device_);
    int x, y;
    centreOf(*hud_->root().findById(hud::HudBuilder::kClock), x, y);
    send(*core, win::kWmMouseMove, x, y);
    send(*core, win::kWmLButtonDown, x, y, win::kMkLButton);
    EXPECT_EQ(scene_->messages, 2);
    device_.clearRecord();
    core->draw(device_);
    EXPECT_TRUE(device_.draws().empty());
}

TEST_F(ViewerCoreHud, ADraggedElementStaysWhereItWasPutAfterARestart) {
    float savedX = 0, savedY = 0;
    {
        auto core = makeCore();
        core->restore(device_);
        hud::HudElement* clock = hud_->root().findById(hud::HudBuilder::kClock);
        int x, y;
        centreOf(*clock, x, y);
        send(*core, win::kWmMouseMove, x, y);
        send(*core, win::kWmLButtonDown, x, y, win::kMkLButton);
        for (int i = 1; i <= 10; ++i) send(*core, win::kWmMouseMove, x - 60 * i, y + 20 * i, win::kMkLButton);
        send(*core, win::kWmLButtonUp, x - 600, y + 200);
        savedX = clock->targetX();
        savedY = clock->targetY();
        EXPECT_LT(savedX, 0.0f);
    }  // the core saves "3dvis.ini" as it goes
    ASSERT_TRUE(std::filesystem::exists(home_.file("3dvis.ini")));
    auto core = makeCore();
    const float defaultX = hud_->root().findById(hud::HudBuilder::kClock)->x();
    EXPECT_GT(defaultX, 0.0f);
    core->loadSettings();
    const hud::HudElement* clock = hud_->root().findById(hud::HudBuilder::kClock);
    EXPECT_FLOAT_EQ(clock->x(), savedX);
    EXPECT_FLOAT_EQ(clock->y(), savedY);
}

TEST_F(ViewerCoreHud, AWindowCommandReachesTheButtonBarsHandlerOnce) {
    auto core = makeCore();
    const bool before = settings::optionBlock().on(settings::OptionBlock::kBoundaries);
    core->handleMessage({0, win::kWmCommand, 40034, 0});
    EXPECT_EQ(settings::optionBlock().on(settings::OptionBlock::kBoundaries), !before);
    core->handleMessage({0, win::kWmCommand, 40034, 0});
    EXPECT_EQ(settings::optionBlock().on(settings::OptionBlock::kBoundaries), before);
}

}  // namespace
}  // namespace tnx::app
