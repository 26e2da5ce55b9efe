// The decoder's spectrum: 32 equal bands per channel from 0 Hz to half the
// rate, on the scale of the samples; the ring hands the viewer the block
// being heard.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "player/player_facade.h"
#include "player/playlist_text.h"
#include "player/spectrum_analyser.h"
#include "player/spectrum_ring.h"
#include "player_test_support.h"
#include "support/test_home.h"

using namespace tnx;
using namespace tnx::player;

namespace {

int peakBand(const std::array<float, kSpectrumBands>& bands) {
    return int(std::max_element(bands.begin(), bands.end()) - bands.begin());
}

std::vector<int16_t> tone(int frames, int channels, int rate, std::vector<double> hz, double amplitude) {
    return test::sineWav(rate, channels, double(frames) / rate + 1e-9, std::move(hz), amplitude).samples;
}

TEST(SpectrumAnalyser, APureTonePeaksInItsBandForEveryFrameSize) {
    SpectrumAnalyser analyser;
    struct Case { int frames; int rate; double hz; };
    // A 64th of the rate per band: 689 Hz at 44.1 kHz, 375 at 24 kHz, 500 at 32 kHz.
    for (Case c : {Case{1152, 44100, 5000}, Case{576, 24000, 4000}, Case{384, 32000, 15800}, Case{1152, 48000, 700}}) {
        auto pcm = tone(c.frames, 1, c.rate, {c.hz}, 10000);
        auto bands = analyser.analyse(pcm.data(), c.frames, 1);
        int want = int(c.hz / (c.rate / 64.0));
        EXPECT_EQ(peakBand(bands[0]), want) << c.frames << " frames at " << c.rate << " Hz, tone " << c.hz;
        // Mono shows alike on both channels.
        EXPECT_EQ(bands[0], bands[1]);
    }
}

TEST(SpectrumAnalyser, BandValuesAreToneAmplitudesAndChannelsStaySeparate) {
    SpectrumAnalyser analyser;
    // A tone in the middle of band 10 (44.1 kHz) left, band 20 right.
    double left = 10.5 * 44100 / 64, right = 20.5 * 44100 / 64;
    auto pcm = tone(1152, 2, 44100, {left, right}, 20000);
    auto bands = analyser.analyse(pcm.data(), 1152, 2);
    EXPECT_EQ(peakBand(bands[0]), 10);
    EXPECT_EQ(peakBand(bands[1]), 20);
    EXPECT_NEAR(bands[0][10], 20000, 20000 * 0.05);
    EXPECT_NEAR(bands[1][20], 20000, 20000 * 0.05);
    // Far from the tone there is next to nothing.
    EXPECT_LT(bands[0][20], 100);
    EXPECT_LT(bands[1][10], 100);
    // The top band reaches up to half the rate.
    auto top = tone(1152, 1, 44100, {22000}, 8000);
    EXPECT_EQ(peakBand(analyser.analyse(top.data(), 1152, 1)[0]), 31);
}

TEST(SpectrumAnalyser, ABlockTooShortForTheBandsGivesZeros) {
    SpectrumAnalyser analyser;
    auto pcm = tone(100, 1, 44100, {1000}, 10000);
    auto bands = analyser.analyse(pcm.data(), 100, 1);
    EXPECT_EQ(*std::max_element(bands[0].begin(), bands[0].end()), 0.0f);
}

TEST(SpectrumRing, GivesTheBlockBeingHeardAcrossTheWrap) {
    SpectrumRing ring;
    SpectrumBands out{};
    EXPECT_FALSE(ring.newest(out));
    EXPECT_FALSE(ring.at(1000, out));
    // 600 blocks of 1152 frames; block i carries the value i in band 0.
    for (int i = 0; i < 600; ++i) {
        SpectrumBands b{};
        b[0][0] = float(i);
        ring.publish(int64_t(i) * 1152, b);
    }
    EXPECT_EQ(ring.writeCount(), 600u);
    ASSERT_TRUE(ring.newest(out));
    EXPECT_EQ(out[0][0], 599.0f);
    ASSERT_TRUE(ring.at(int64_t(500) * 1152 + 1151, out));
    EXPECT_EQ(out[0][0], 500.0f);
    ASSERT_TRUE(ring.at(int64_t(88) * 1152, out));  // the oldest slot still kept
    EXPECT_EQ(out[0][0], 88.0f);
    EXPECT_FALSE(ring.at(int64_t(88) * 1152 - 1, out));  // overwritten already
}

TEST(SpectrumPlaying, TheFacadeShowsTheToneOfTheSongBeingHeard) {
    test::TestHome home;
    TNX_REQUIRE_TOOL(lame, "lame");
    // Half a second of 3 kHz, then 12 kHz: bands 4 and 16 at 48 kHz (750 Hz each).
    auto song = home.file("tones.mp3");
    test::Wav wav = test::sineWav(48000, 2, 0.5, {3000});
    auto high = test::sineWav(48000, 2, 1.5, {12000}).samples;
    wav.samples.insert(wav.samples.end(), high.begin(), high.end());
    ASSERT_TRUE(test::writeWav(home.file("tones.wav"), wav));
    ASSERT_TRUE(test::runTool(lame + " --quiet " + test::quoted(home.file("tones.wav")) + " " + test::quoted(song)));
    test::HeldSink sink;
    test::RecordingUi ui;
    PlayerFacade facade(joinPlaylistText({song.string()}), test::contextWithSink(&sink, home.file("log"), 0), &ui);
    SpectrumBands bands{};
    EXPECT_FALSE(facade.spectrum(bands));  // nothing heard yet
    sink.give(12000);
    ASSERT_TRUE(sink.waitForTotal(12000));
    // The decoder has run on into the high tone; the facade still shows
    // the low one, which is what is heard.
    ASSERT_TRUE(test::eventually([&] { return facade.spectrumWriteCount() > 48000 / 1152 + 2; }));
    SpectrumBands newest{};
    ASSERT_TRUE(facade.player().spectrum().newest(newest));
    EXPECT_EQ(peakBand(newest[0]), 16);
    ASSERT_TRUE(facade.spectrum(bands));
    EXPECT_EQ(peakBand(bands[0]), 4);
    EXPECT_EQ(peakBand(bands[1]), 4);
    EXPECT_GT(bands[0][4], 3000.0f);
    facade.stop();
    ASSERT_TRUE(ui.waitFor([&](const auto&) { return ui.stateChangesTo(PlayerState::Stopped) >= 1; }));
    EXPECT_FALSE(facade.spectrum(bands));
}

}  // namespace
