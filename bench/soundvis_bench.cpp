// The sound visualisation's cost: the CPU the music takes while it plays
// with the spectrum shown (engine threads, silent output, the layer's
// per-frame update and drawing at 50 frames a second), as a share of one
// core beyond an idle viewer doing the same frames without a player; and
// the layer's own frame (update and draw with every bar up).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "hud/hud_root.h"
#include "platform/gfx/recording_device.h"
#include "player/player_facade.h"
#include "player/player_test_support.h"  // tests/player: the WAV and tool helpers
#include "player/playlist_text.h"
#include "soundvis/facade_player.h"
#include "soundvis/sound_visual_layer.h"

namespace {

using namespace tnx;

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::filesystem::path song() {
    static std::filesystem::path path = [] {
        std::string lame = test::findTool("lame");
        if (lame.empty()) return std::filesystem::path();
        auto dir = std::filesystem::temp_directory_path() / ("terranox-soundvis-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        auto mp3 = dir / "song.mp3";
        if (!test::encodeTone(lame, mp3, 44100, 2, 30.0, {220, 1330}, "-b 128")) return std::filesystem::path();
        return mp3;
    }();
    return path;
}

constexpr float kFov = 1.2f;
constexpr int kWidth = 1280, kHeight = 720;

// Frames of 20 ms for `seconds`; the share of one core used meanwhile.
double framesFor(soundvis::SoundVisualLayer& layer, gfx::Device& device, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = processSeconds();
    auto next = start;
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
        layer.update(0.02f);
        layer.draw(device, 0.02f);
        next += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(next);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return 100.0 * (processSeconds() - cpu0) / wall;
}

void BM_PlayingWithSpectrumCpu(benchmark::State& state) {
    const auto mp3 = song();
    if (mp3.empty()) return state.SkipWithError("lame is not installed");
    setenv("TERRANOX_AUDIO", "null", 1);
    gfx::RecordingDevice device(kWidth, kHeight);
    double idle = 0, playing = 0;
    for (auto _ : state) {
        {
            hud::HudRoot root(kFov, kWidth, kHeight, nullptr);
            soundvis::SoundVisualLayer layer(root, true, nullptr);
            idle = framesFor(layer, device, 4.0);
        }
        player::PlayerFacade facade(player::joinPlaylistText({mp3.string()}));
        soundvis::FacadePlayer music(facade);
        hud::HudRoot root(kFov, kWidth, kHeight, nullptr);
        soundvis::SoundVisualLayer layer(root, true, &music);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the start
        playing = framesFor(layer, device, 8.0);
        if (layer.display().highestBand(0) < 0) return state.SkipWithError("no spectrum while playing");
        device.clearRecord();
    }
    state.counters["idle_cpu_pct"] = idle;
    state.counters["playing_cpu_pct"] = playing;
    state.counters["extra_cpu_pct"] = playing - idle;
}
BENCHMARK(BM_PlayingWithSpectrumCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

class FullScale : public soundvis::MusicPlayer {
public:
    void stop() override {}
    void play() override {}
    void next() override {}
    void previous() override {}
    void pause() override {}
    void openFiles(const std::vector<std::string>&) override {}
    player::PlayerStatus status() const override {
        player::PlayerStatus s;
        s.elapsedSeconds = ++second_ % 60;  // a new second every frame: every text rewritten
        s.fileNumber = 1;
        s.fileCount = 1;
        s.title = "A song with a rather long title.mp3";
        s.position = second_ * 1000;
        s.length = 240000;
        return s;
    }
    bool spectrum(player::SpectrumBands& out) const override {
        for (auto& channel : out)
            for (size_t b = 0; b < channel.size(); ++b) channel[b] = float((b * 7919 + size_t(second_) * 104729) % 30000);
        return true;
    }

private:
    mutable int second_ = 0;
};

void BM_LayerFrame(benchmark::State& state) {
    gfx::RecordingDevice device(kWidth, kHeight);
    FullScale music;
    hud::HudRoot root(kFov, kWidth, kHeight, nullptr);
    soundvis::SoundVisualLayer layer(root, true, &music);
    for (auto _ : state) {
        layer.update(0.02f);
        layer.draw(device, 0.02f);
        device.clearRecord();
    }
}
BENCHMARK(BM_LayerFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
