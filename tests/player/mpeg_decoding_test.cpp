// The engine decodes Layer II and III streams of both MPEG versions into
// the WAV sink sample for sample as mpg123 itself decodes them; the sink is
// chosen the way a headless user chooses it, through TERRANOX_AUDIO.
#include <gtest/gtest.h>

#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "player/preferences.h"
#include "player_test_support.h"
#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;
using namespace tnx::player;

namespace {

struct Case {
    const char* name;
    const char* tool;
    int rate;
    int channels;
    const char* options;
    int layer;
    const char* version;
};

class MpegDecoding : public ::testing::TestWithParam<Case> {};

// Plays `files` through a facade whose sink is TERRANOX_AUDIO=wav:`out`
// until the playlist is over, then lets the facade go (which closes the
// WAV file).
void playToWav(const std::vector<std::string>& files, const std::filesystem::path& out, test::RecordingUi& ui) {
    Preferences prefs;
    prefs.setInt32("PlaylistRepeat", 0);
    setenv("TERRANOX_AUDIO", ("wav:" + out.string()).c_str(), 1);
    {
        PlayerFacade facade(joinPlaylistText(files), nullptr, &ui);
        ASSERT_TRUE(ui.waitFor([](const auto& ev) {
            bool played = false;
            for (const auto& e : ev) {
                auto* s = std::get_if<PlayerState>(&e.data);
                if (s && *s == PlayerState::Playing) played = true;
                if (s && *s == PlayerState::Stopped && played) return true;
            }
            return false;
        }));
    }
    unsetenv("TERRANOX_AUDIO");
}

TEST_P(MpegDecoding, MatchesMpg123SampleForSample) {
    const Case& c = GetParam();
    test::TestHome home;
    std::string tool = test::findTool(c.tool);
    TNX_NEED_TOOL(!tool.empty(), c.tool);
    TNX_REQUIRE_TOOL(mpg123, "mpg123");
    auto song = home.file(std::string(c.name) + (c.layer == 2 ? ".mp2" : ".mp3"));
    ASSERT_TRUE(test::encodeTone(tool, song, c.rate, c.channels, 1.3, {440, 5000}, c.options));
    auto reference = home.file("reference.wav");
    ASSERT_TRUE(test::runTool(mpg123 + " -q -w " + test::quoted(reference) + " " + test::quoted(song)));

    test::RecordingUi ui;
    auto played = home.file("played.wav");
    playToWav({song.string()}, played, ui);

    auto want = test::readWav(reference);
    auto got = test::readWav(played);
    ASSERT_TRUE(want && got);
    EXPECT_EQ(got->format, want->format);
    EXPECT_EQ(got->format.sampleRate, c.rate);
    EXPECT_EQ(got->format.channels, c.channels);
    ASSERT_EQ(got->samples.size(), want->samples.size());
    EXPECT_TRUE(got->samples == want->samples);
    // The header written at close holds the data size exactly.
    auto bytes = io::readWholeFile(played);
    ASSERT_TRUE(bytes && bytes->size() >= 44);
    EXPECT_EQ(io::loadU32(bytes->data() + 40), bytes->size() - 44);

    bool sawInfo = false;
    for (const auto& e : ui.events())
        if (auto* m = std::get_if<MediaInfo>(&e.data); m && m->sampleRate > 0) {
            sawInfo = true;
            EXPECT_EQ(m->layer, c.layer);
            EXPECT_EQ(m->version, c.version);
            EXPECT_EQ(m->itemNumber, 1);
            EXPECT_EQ(m->itemCount, 1);
            EXPECT_EQ(m->title, c.name);
            // The length the status shows is the length decoded (gapless).
            EXPECT_NEAR(m->totalSeconds, double(want->frames()) / c.rate, 0.03);
        }
    EXPECT_TRUE(sawInfo);
    EXPECT_TRUE(ui.errorCodes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Streams, MpegDecoding,
    ::testing::Values(Case{"layer3_44k_stereo", "lame", 44100, 2, "-b 128", 3, "MPEG-1"},
                      Case{"layer3_22k_mono", "lame", 22050, 1, "-m m", 3, "MPEG-2"},
                      Case{"layer3_48k_stereo", "lame", 48000, 2, "", 3, "MPEG-1"},
                      Case{"layer2_44k_stereo", "twolame", 44100, 2, "", 2, "MPEG-1"},
                      Case{"layer2_24k_stereo", "twolame", 24000, 2, "", 2, "MPEG-2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MpegDecodingPlaylist, SongsInTwoFormatsGoToTwoWavFilesInPlayOrder) {
    test::TestHome home;
    TNX_REQUIRE_TOOL(lame, "lame");
    TNX_REQUIRE_TOOL(mpg123, "mpg123");
    auto a = home.file("a.mp3"), b = home.file("b.mp3"), c = home.file("c.mp3");
    ASSERT_TRUE(test::encodeTone(lame, a, 44100, 2, 0.6, {300}));
    ASSERT_TRUE(test::encodeTone(lame, b, 44100, 2, 0.4, {900}));
    ASSERT_TRUE(test::encodeTone(lame, c, 22050, 1, 0.5, {600}, "-m m"));
    std::vector<test::Wav> refs;
    for (auto& f : {a, b, c}) {
        auto ref = home.file(f.stem().string() + ".ref.wav");
        ASSERT_TRUE(test::runTool(mpg123 + " -q -w " + test::quoted(ref) + " " + test::quoted(f)));
        refs.push_back(*test::readWav(ref));
    }
    test::RecordingUi ui;
    playToWav({a.string(), b.string(), c.string()}, home.file("out.wav"), ui);

    auto first = test::readWav(home.file("out.wav"));
    auto second = test::readWav(home.file("out.2.wav"));
    ASSERT_TRUE(first && second);
    std::vector<int16_t> ab = refs[0].samples;
    ab.insert(ab.end(), refs[1].samples.begin(), refs[1].samples.end());
    EXPECT_TRUE(first->samples == ab);
    EXPECT_TRUE(second->samples == refs[2].samples);
    EXPECT_EQ(second->format.sampleRate, 22050);
    EXPECT_EQ(ui.itemsPlayed(), (std::vector<int>{1, 2, 3}));
}

}  // namespace
