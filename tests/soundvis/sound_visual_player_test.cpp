// The sound visualisation over the real player (silent output, songs made
// with lame at test time): the texts name what plays, the spectrum of a
// tone lights its band, and the commands reach the engine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../hud/hud_fixture.h"
#include "../player/player_test_support.h"
#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "soundvis/facade_player.h"
#include "soundvis/sound_visual_layer.h"
#include "support/test_home.h"
#include "support/required_tool.h"

namespace tnx::soundvis {
namespace {

class SoundVisualPlayer : public hud::test::HudFixture {
protected:
    void SetUp() override {
        HudFixture::SetUp();
        lame_ = tnx::test::findTool("lame");
        TNX_NEED_TOOL(!lame_.empty(), "lame");
        setenv("TERRANOX_AUDIO", "null", 1);
        // A tone of 1 kHz (band 1 of 32 at 44.1 kHz: 689 Hz wide) and one of 5 kHz (band 7).
        for (auto [name, hz] : {std::pair{"low", 1000.0}, std::pair{"high", 5000.0}}) {
            auto f = home_.file(std::string(name) + ".mp3");
            ASSERT_TRUE(tnx::test::encodeTone(lame_, f, 44100, 2, 4.0, {hz}));
            songs_.push_back(f.string());
        }
        facade_ = std::make_unique<player::PlayerFacade>(player::joinPlaylistText(songs_));
        player_ = std::make_unique<FacadePlayer>(*facade_);
        layer_ = std::make_unique<SoundVisualLayer>(*root_, true, player_.get());
    }
    void TearDown() override {
        layer_.reset();
        player_.reset();
        facade_.reset();
        unsetenv("TERRANOX_AUDIO");
        HudFixture::TearDown();
    }
    // Frames of 20 ms until `done` (20 s at most: a hang guard).
    bool frames(const std::function<bool()>& done) {
        return tnx::test::eventually([&] {
            layer_->update(0.02f);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return done();
        });
    }
    std::string text(int32_t id) const { return layer_->element(id)->text(); }
    // The band drawn highest in the left channel.
    int loudestBand() const {
        int best = -1;
        float level = 0;
        for (int b = 0; b < SpectrumDisplay::kBands; ++b)
            if (layer_->display().drawnLevel(0, b) > level) level = layer_->display().drawnLevel(0, b), best = b;
        return best;
    }

    tnx::test::TestHome home_;
    std::string lame_;
    std::vector<std::string> songs_;
    std::unique_ptr<player::PlayerFacade> facade_;
    std::unique_ptr<FacadePlayer> player_;
    std::unique_ptr<SoundVisualLayer> layer_;
};

TEST_F(SoundVisualPlayer, ShowsWhatPlaysAndItsSpectrumAndFollowsTheCommands) {
    EXPECT_TRUE(frames([&] { return text(SoundVisualLayer::kTitle) == "low" && loudestBand() == 1; }))
        << text(SoundVisualLayer::kTitle) << " " << loudestBand();
    EXPECT_EQ(text(SoundVisualLayer::kNumber), "Number 1 of 2");
    EXPECT_EQ(text(SoundVisualLayer::kTotalTime), "Total time 0:0:4");
    EXPECT_GE(layer_->display().highestBand(0), 1);

    layer_->command(SoundVisualLayer::kCmdNext);
    EXPECT_TRUE(frames([&] { return text(SoundVisualLayer::kTitle) == "high" && loudestBand() == 7; }))
        << text(SoundVisualLayer::kTitle) << " " << loudestBand();
    EXPECT_EQ(text(SoundVisualLayer::kNumber), "Number 2 of 2");

    // Stopped, the bars sink to nothing.
    layer_->command(SoundVisualLayer::kCmdStop);
    EXPECT_TRUE(frames([&] { return layer_->display().highestBand(0) < 0 && layer_->display().highestBand(1) < 0; }));
    // Previous and Play start the first song again.
    layer_->command(SoundVisualLayer::kCmdPrevious);
    layer_->command(SoundVisualLayer::kCmdPlay);
    EXPECT_TRUE(frames([&] { return text(SoundVisualLayer::kTitle) == "low" && loudestBand() == 1; }));
}

}  // namespace
}  // namespace tnx::soundvis
