// The music player's costs: decoding speed of the decoder stage (libmpg123
// plus the per-block spectrum) against real time, the time from Play to the
// first sample reaching the sink, and building a playlist from a tree of
// 10,000 files. The test audio is made with lame at start; without it the
// audio benchmarks report an error and the others still run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <unistd.h>

#include "platform/io/file_io.h"
#include "player/player_facade.h"
#include "player/mpeg_decoder.h"
#include "player/playlist_builder.h"
#include "player/playlist_text.h"
#include "player/player_test_support.h"  // tests/player: the WAV and tool helpers

namespace {

using namespace tnx;
using namespace tnx::player;
using Clock = std::chrono::steady_clock;

std::filesystem::path benchDir() {
    static std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("terranox-player-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// Ten seconds of 44.1 kHz stereo at 128 kbit/s: a chord with some noise,
// so the encoder has real work to leave for the decoder.
const std::vector<uint8_t>* song() {
    static std::optional<std::vector<uint8_t>> bytes = []() -> std::optional<std::vector<uint8_t>> {
        std::string lame = test::findTool("lame");
        if (lame.empty()) return std::nullopt;
        test::Wav wav = test::sineWav(44100, 2, 10.0, {220, 330}, 6000);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 800);
        auto fifth = test::sineWav(44100, 2, 10.0, {1320, 2475}, 3000).samples;
        for (size_t i = 0; i < wav.samples.size(); ++i)
            wav.samples[i] = int16_t(std::clamp(wav.samples[i] + fifth[i] + noise(rng), -32768.0, 32767.0));
        auto src = benchDir() / "song.wav", mp3 = benchDir() / "song.mp3";
        if (!test::writeWav(src, wav) ||
            !test::runTool(lame + " --quiet -b 128 " + test::quoted(src) + " " + test::quoted(mp3)))
            return std::nullopt;
        return io::readWholeFile(mp3);
    }();
    return bytes ? &*bytes : nullptr;
}

void BM_DecodeLayer3Stereo44k(benchmark::State& state) {
    const auto* mp3 = song();
    if (!mp3) return state.SkipWithError("lame is not installed");
    EventQueue events;
    SpectrumRing spectrum;
    DebugLog log;
    double audioSeconds = 0;
    for (auto _ : state) {
        InputBuffer input(mp3->size());
        input.setSourceSize(int64_t(mp3->size()));
        input.write(mp3->data(), mp3->size());
        input.finish(kErrorNone);
        OutputBuffer output(8 << 20);  // holds the whole song: the decoder never waits
        MpegDecoder decoder(input, output, events, spectrum, log);
        std::atomic<int64_t> position{0};
        DecodeResult r = decoder.run(DecodeJob{1, "song.mp3", 1, 1, 0}, position);
        if (r.error != kErrorNone) return state.SkipWithError("decoding failed");
        audioSeconds += double(r.frames) / 44100.0;
        while (events.tryTake()) {}
    }
    state.counters["x_real_time"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeLayer3Stereo44k)->Unit(benchmark::kMillisecond)->UseRealTime();

// Notes when the first sample arrives; takes everything at once after that.
class FirstSampleSink : public audio::AudioSink {
public:
    std::string description() const override { return "first sample"; }
    audio::SinkResult open(const audio::PcmFormat& f) override {
        format_ = f;
        return audio::SinkResult::Ok;
    }
    audio::SinkResult write(std::span<const uint8_t> pcm) override {
        {
            std::lock_guard lock(mutex_);
            if (!arrived_) {
                arrived_ = true;
                at_ = Clock::now();
                changed_.notify_all();
            }
        }
        written_ += int64_t(pcm.size()) / format_.frameBytes();
        return audio::SinkResult::Ok;
    }
    audio::SinkResult drain() override { return audio::SinkResult::Ok; }
    void flush() override {}
    void close() override {}
    void interrupt() override {}
    void setPaused(bool) override {}
    int64_t writtenFrames() const override { return written_; }
    int64_t playedFrames() const override { return written_; }

    void reset() {
        std::lock_guard lock(mutex_);
        arrived_ = false;
    }
    Clock::time_point waitForFirst() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return arrived_; });
        return at_;
    }

private:
    audio::PcmFormat format_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    Clock::time_point at_;
    std::atomic<int64_t> written_{0};
};

// From the facade's Play (here: stop, then play the same item again) to
// the first sample at the sink: opening the file, the first frames decoded
// and analysed, the output thread's hand-over.
void BM_PlayToFirstSample(benchmark::State& state) {
    const auto* mp3 = song();
    if (!mp3) return state.SkipWithError("lame is not installed");
    FirstSampleSink sink;
    auto ctx = test::contextWithSink(&sink, benchDir() / "bench.log", 2);
    ctx->log.close();
    PlayerFacade facade(joinPlaylistText({(benchDir() / "song.mp3").string()}), std::move(ctx));
    sink.waitForFirst();
    for (auto _ : state) {
        facade.stop();
        // Let the stop be serviced before timing the play.
        while (facade.status().state != PlayerState::Stopped) std::this_thread::yield();
        sink.reset();
        auto start = Clock::now();
        facade.play();
        auto first = sink.waitForFirst();
        state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    }
}
BENCHMARK(BM_PlayToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// 10,000 MP3 files in 100 folders (and as many other files), searched from
// their common parent, 999 drawn at random.
void BM_BuildPlaylistFromTenThousandFiles(benchmark::State& state) {
    auto root = benchDir() / "library";
    if (!std::filesystem::exists(root / "done")) {
        for (int d = 0; d < 100; ++d) {
            auto dir = root / ("artist " + std::to_string(d)) / "album";
            std::filesystem::create_directories(dir);
            for (int f = 0; f < 100; ++f) {
                std::ofstream(dir / ("track " + std::to_string(f) + ".mp3"));
                std::ofstream(dir / ("cover " + std::to_string(f) + ".jpg"));
            }
        }
        std::ofstream(root / "done");
    }
    SystemRandom random(3);
    size_t files = 0;
    for (auto _ : state) {
        MusicConfiguration config;
        config.playMode = kPlayModeSelectedDirectories;
        config.directoryList = {root.string()};
        config.selectedDirectories[0] = 0;
        config.maxFiles = 999;
        config.randomizeOnStart = true;
        auto list = PlaylistBuilder(random).build(config);
        files = list ? list->size() : 0;
    }
    state.counters["files_kept"] = double(files);
}
BENCHMARK(BM_BuildPlaylistFromTenThousandFiles)->Unit(benchmark::kMillisecond);

}  // namespace
