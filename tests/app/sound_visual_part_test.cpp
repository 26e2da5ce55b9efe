// The music player in the viewer: started only when enabled (a "Random"
// play mode drawn once and kept), the visualisation inside the viewer core
// takes the mouse over its display before the scene, the player's commands
// reach it, and its record goes to "3dvis.ini" after the HUD's and comes
// back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/hud_layer.h"
#include "app/music_player_launcher.h"
#include "app/sound_visual_part.h"
#include "app/viewer_core.h"
#include "camera/mouse_state_tracker.h"
#include "platform/gfx/recording_device.h"
#include "platform/win/headless_window_system.h"
#include "settings/option_block.h"
#include "support/test_home.h"
#include "counting_scene.h"

namespace tnx::app {
namespace {

using tnx::test::CountingScene;

class MusicInTheViewer : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TERRANOX_AUDIO", "null", 1);
        processState().saverMode = SaverMode::InteractiveViewer;
        settings::optionBlock().set(settings::OptionBlock::kHudShown, 1);
        camera::mouseState().reset();
        win::setWindowSystem(&windows_);
        music_.music().enabled = true;
        music_.music().playMode = settings::kPlayModeFileList;
    }
    void TearDown() override {
        win::setWindowSystem(nullptr);
        processState().saverMode = SaverMode::Configuration;
        unsetenv("TERRANOX_AUDIO");
    }
    std::unique_ptr<ViewerCore> makeCore(player::PlayerFacade* facade) {
        auto core = std::make_unique<ViewerCore>(device_, SaverMode::InteractiveViewer);
        auto hud = std::make_unique<HudLayer>(core->fieldOfView(), core->width(), core->height(), core->font());
        auto visual = std::make_unique<SoundVisualPart>(hud->root(), true, facade);
        visual_ = visual.get();
        core->setHud(std::move(hud));
        auto scene = std::make_unique<CountingScene>();
        scene_ = scene.get();
        core->setScene(std::move(scene));
        core->setVisual(std::move(visual));
        return core;
    }
    void send(ViewerCore& core, uint32_t id, int x, int y, uint32_t keys = 0) {
        core.handleMessage({1, id, keys, win::makeLParam(x, y)});
    }
    int shownControls() const {
        int n = 0;
        for (int32_t id : {0x200, 0x205, 0x209, 0x00B, 0x20D})
            n += visual_->layer().element(id)->visible();
        return n;
    }

    test::TestHome home_;
    win::HeadlessWindowSystem windows_;
    gfx::RecordingDevice device_{1280, 720};
    settings::Configuration music_;
    SoundVisualPart* visual_ = nullptr;
    CountingScene* scene_ = nullptr;
};

TEST_F(MusicInTheViewer, ThePlayerStartsOnlyWhenEnabledAndARandomModeIsDrawnOnce) {
    player::SystemRandom random(7);
    music_.music().enabled = false;
    EXPECT_EQ(MusicPlayerLauncher::start(music_, random), nullptr);
    music_.music().enabled = true;
    EXPECT_NE(MusicPlayerLauncher::start(music_, random), nullptr);
    EXPECT_FALSE(music_.changed());
    music_.music().playMode = settings::kPlayModeRandom;
    EXPECT_NE(MusicPlayerLauncher::start(music_, random), nullptr);
    EXPECT_GE(music_.music().playMode, 1);
    EXPECT_LE(music_.music().playMode, 8);
    EXPECT_TRUE(music_.changed());
    // A mode no dialog writes: nothing to play, but a player for "Open Files".
    music_.music().playMode = 9;
    EXPECT_NE(MusicPlayerLauncher::start(music_, random), nullptr);
}

TEST_F(MusicInTheViewer, TheDisplayTakesTheMouseBeforeTheSceneAndCommandsReachTheLayer) {
    player::SystemRandom random(1);
    auto facade = MusicPlayerLauncher::start(music_, random);
    auto core = makeCore(facade.get());
    core->restore(device_);
    core->loadSettings();
    EXPECT_EQ(shownControls(), 5);
    core->handleMessage({1, win::kWmCommand, 40089, 0});
    EXPECT_EQ(shownControls(), 0);
    core->handleMessage({1, win::kWmCommand, 40088, 0});
    EXPECT_EQ(shownControls(), 5);

    const soundvis::DisplayPlacement& p = visual_->layer().display().placement();
    const float s = visual_->layer().view().pixelScale() * p.size;
    // Right of the read-outs, which lie over the display's left part.
    const int x = int(std::lround(640 + (p.x + 20) / s)), y = int(std::lround(360 - (p.y + 8) / s));
    send(*core, win::kWmMouseMove, x, y);
    send(*core, win::kWmLButtonDown, x, y, win::kMkLButton);
    send(*core, win::kWmMouseMove, x + 40, y, win::kMkLButton);
    send(*core, win::kWmLButtonUp, x + 40, y);
    EXPECT_EQ(scene_->messages, 0);
    EXPECT_EQ(core->inputOwner(), InputOwner::Visual);
    EXPECT_NEAR(p.x, -25.0f + 40 * s, 1e-3);
    send(*core, win::kWmLButtonDown, 5, 5, win::kMkLButton);
    EXPECT_EQ(scene_->messages, 1);
    EXPECT_EQ(core->inputOwner(), InputOwner::Scene);
}

TEST_F(MusicInTheViewer, TheDisplayKeepsItsPlaceAfterARestart) {
    player::SystemRandom random(1);
    auto facade = MusicPlayerLauncher::start(music_, random);
    {
        auto core = makeCore(facade.get());
        core->loadSettings();
        visual_->layer().display().placement().x = -3.5f;
        visual_->layer().display().placement().size = 55.0f;
    }  // saved on the way out
    auto core = makeCore(facade.get());
    EXPECT_EQ(visual_->layer().display().placement().x, -25.0f);
    core->loadSettings();
    EXPECT_EQ(visual_->layer().display().placement().x, -3.5f);
    EXPECT_EQ(visual_->layer().display().placement().size, 55.0f);
    EXPECT_EQ(shownControls(), 5);
}

}  // namespace
}  // namespace tnx::app
