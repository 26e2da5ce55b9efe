// Shared pieces of the player tests: the Debian audio tools that make test
// files at test time (nothing binary is committed), WAV reading and
// writing, a user interface that records what the engine tells it, and a
// sink the test holds in its hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio_sink.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "player/engine_context.h"
#include "player/user_interface.h"
#include "support/required_tool.h"

namespace tnx::test {

inline std::string findTool(const char* name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::filesystem::path p = std::filesystem::path(dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec)) return p.string();
    }
    return {};
}

#define TNX_REQUIRE_TOOL(var, name)                                                                   \
    std::string var = ::tnx::test::findTool(name);                                                    \
    TNX_NEED_TOOL(!var.empty(), name)

inline std::string quoted(const std::filesystem::path& p) {
    std::string s = "'";
    for (char c : p.string()) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return s + "'";
}

inline bool runTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct Wav {
    audio::PcmFormat format;
    std::vector<int16_t> samples;
    int64_t frames() const { return format.channels ? int64_t(samples.size()) / format.channels : 0; }
};

// A 16-bit PCM WAV file: its fmt and data chunks, wherever they are.
inline std::optional<Wav> readWav(const std::filesystem::path& path) {
    auto bytes = io::readWholeFile(path);
    if (!bytes || bytes->size() < 12) return std::nullopt;
    io::ByteReader r(*bytes);
    char riff[4], wave[4];
    r.bytes(riff, 4);
    r.u32();
    r.bytes(wave, 4);
    if (std::string(riff, 4) != "RIFF" || std::string(wave, 4) != "WAVE") return std::nullopt;
    Wav wav;
    bool haveFormat = false;
    while (r.has(8)) {
        char id[4];
        r.bytes(id, 4);
        uint32_t size = r.u32();
        size_t start = r.position();
        if (!r.has(size)) size = uint32_t(r.remaining());  // a header never fixed up
        std::string tag(id, 4);
        if (tag == "fmt " && size >= 16) {
            if (r.u16() != 1) return std::nullopt;
            wav.format.channels = r.u16();
            wav.format.sampleRate = int32_t(r.u32());
            r.u32();
            r.u16();
            wav.format.bitsPerSample = r.u16();
            haveFormat = true;
        } else if (tag == "data") {
            wav.samples.resize(size / 2);
            for (auto& s : wav.samples) s = int16_t(r.u16());
        }
        r.seek(start + size + (size & 1));
    }
    if (!haveFormat) return std::nullopt;
    return wav;
}

inline bool writeWav(const std::filesystem::path& path, const Wav& wav) {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    uint32_t data = uint32_t(wav.samples.size() * 2);
    w.bytes("RIFF", 4);
    w.u32(36 + data);
    w.bytes("WAVEfmt ", 8);
    w.u32(16);
    w.u16(1);
    w.u16(uint16_t(wav.format.channels));
    w.u32(uint32_t(wav.format.sampleRate));
    w.u32(uint32_t(wav.format.bytesPerSecond()));
    w.u16(uint16_t(wav.format.frameBytes()));
    w.u16(16);
    w.bytes("data", 4);
    w.u32(data);
    for (int16_t s : wav.samples) w.u16(uint16_t(s));
    return io::writeFileAtomically(path, out);
}

// A tone per channel (the last frequency repeats for further channels).
inline Wav sineWav(int rate, int channels, double seconds, std::vector<double> hz, double amplitude = 12000) {
    Wav wav;
    wav.format = {rate, channels, 16};
    int64_t frames = int64_t(seconds * rate);
    wav.samples.resize(size_t(frames * channels));
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            double f = hz[std::min<size_t>(size_t(c), hz.size() - 1)];
            wav.samples[size_t(i * channels + c)] =
                int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * f * double(i) / rate)));
        }
    return wav;
}

// Encodes a tone with the named tool ("lame" or "twolame"); false when the
// tool failed.
inline bool encodeTone(const std::string& tool, const std::filesystem::path& out, int rate, int channels,
                       double seconds, std::vector<double> hz, const std::string& options = "") {
    std::filesystem::path wav = out;
    wav += ".src.wav";
    if (!writeWav(wav, sineWav(rate, channels, seconds, std::move(hz)))) return false;
    bool ok = runTool(tool + " --quiet " + options + " " + quoted(wav) + " " + quoted(out));
    std::filesystem::remove(wav);
    return ok && std::filesystem::exists(out);
}

// Records the engine's events; tests wait for what they expect.
class RecordingUi : public player::UserInterface {
public:
    void acceptEvent(const player::Event& e) override {
        std::lock_guard lock(mutex_);
        events_.push_back(e);
        changed_.notify_all();
    }
    std::vector<player::Event> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // Waits (20 s at most: a guard against a hang, not a speed check). The
    // test's predicate runs without the lock, so it may ask this object.
    bool waitFor(const std::function<bool(const std::vector<player::Event>&)>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::unique_lock lock(mutex_);
        for (;;) {
            auto copy = events_;
            lock.unlock();
            bool ok = done(copy);
            lock.lock();
            if (ok) return true;
            if (events_.size() != copy.size()) continue;
            if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && events_.size() == copy.size())
                return false;
        }
    }
    // The item numbers of the media information received, in order (only
    // those a decoder sent, which carry a stream format).
    std::vector<int> itemsPlayed() const {
        std::vector<int> out;
        for (const auto& e : events())
            if (auto* m = std::get_if<player::MediaInfo>(&e.data); m && m->sampleRate > 0) out.push_back(m->itemNumber);
        return out;
    }
    std::vector<int> errorCodes() const {
        std::vector<int> out;
        for (const auto& e : events())
            if (auto* r = std::get_if<player::ErrorReport>(&e.data)) out.push_back(r->code);
        return out;
    }
    int stateChangesTo(player::PlayerState s) const {
        int n = 0;
        for (const auto& e : events())
            if (auto* st = std::get_if<player::PlayerState>(&e.data); st && *st == s) ++n;
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<player::Event> events_;
};

// Polls for something no event announces (20 s at most, a hang guard).
inline bool eventually(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline bool countAtLeast(const std::vector<player::Event>& events, int number, int n) {
    return std::count_if(events.begin(), events.end(), [&](const player::Event& e) { return e.number == number; }) >= n;
}

// A sink the test holds: writes pass while it has budget (in frames), then
// block until the test gives more, the engine interrupts, or it is paused
// and resumed. Everything written is kept; what was written counts as heard.
class HeldSink : public audio::AudioSink {
public:
    std::string description() const override { return "held"; }
    audio::SinkResult open(const audio::PcmFormat& f) override {
        std::lock_guard lock(mutex_);
        format_ = f;
        written_ = 0;
        interrupted_ = false;
        ++opens_;
        return audio::SinkResult::Ok;
    }
    audio::SinkResult write(std::span<const uint8_t> pcm) override {
        std::unique_lock lock(mutex_);
        int64_t frames = int64_t(pcm.size()) / format_.frameBytes();
        const auto* s = reinterpret_cast<const int16_t*>(pcm.data());
        // Takes what the budget allows, like a device taking part of a write.
        while (frames > 0) {
            changed_.wait(lock, [&] { return interrupted_ || (!paused_ && budget_ > 0); });
            if (interrupted_) return audio::SinkResult::Interrupted;
            int64_t take = std::min(frames, budget_);
            budget_ -= take;
            written_ += take;
            totalWritten_ += take;
            samples_.insert(samples_.end(), s, s + take * format_.channels);
            s += take * format_.channels;
            frames -= take;
            changed_.notify_all();
        }
        return audio::SinkResult::Ok;
    }
    audio::SinkResult drain() override { return audio::SinkResult::Ok; }
    void flush() override {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
        ++flushes_;
    }
    void close() override {}
    void interrupt() override {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }
    void setPaused(bool p) override {
        std::lock_guard lock(mutex_);
        paused_ = p;
        changed_.notify_all();
    }
    int64_t writtenFrames() const override {
        std::lock_guard lock(mutex_);
        return written_;
    }
    int64_t playedFrames() const override { return writtenFrames(); }

    void give(int64_t frames) {
        std::lock_guard lock(mutex_);
        budget_ += frames;
        changed_.notify_all();
    }
    int64_t totalWritten() const {
        std::lock_guard lock(mutex_);
        return totalWritten_;
    }
    bool waitForTotal(int64_t frames) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return totalWritten_ >= frames; });
    }
    int flushes() const {
        std::lock_guard lock(mutex_);
        return flushes_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    audio::PcmFormat format_;
    int64_t budget_ = 0;
    int64_t written_ = 0;
    int64_t totalWritten_ = 0;
    bool interrupted_ = false;
    bool paused_ = false;
    int opens_ = 0;
    int flushes_ = 0;
    std::vector<int16_t> samples_;
};

// An engine context whose sound goes to `sink` (owned by the test, which
// outlives the engine), with the log on in every class at `log`.
inline std::unique_ptr<player::EngineContext> contextWithSink(audio::AudioSink* sink, const std::filesystem::path& log,
                                                              int repeat = 0, bool shuffle = false) {
    auto ctx = std::make_unique<player::EngineContext>();
    ctx->settings.playlistRepeat = repeat;
    ctx->settings.playlistShuffle = shuffle;
    ctx->settings.useDebugLog = true;
    ctx->settings.logMain = ctx->settings.logDecode = ctx->settings.logInput = ctx->settings.logOutput = true;
    ctx->log.open(log, ctx->settings);
    ctx->makeSink = [sink] {
        struct Borrowed : audio::AudioSink {
            audio::AudioSink* s;
            explicit Borrowed(audio::AudioSink* x) : s(x) {}
            std::string description() const override { return s->description(); }
            audio::SinkResult open(const audio::PcmFormat& f) override { return s->open(f); }
            audio::SinkResult write(std::span<const uint8_t> p) override { return s->write(p); }
            audio::SinkResult drain() override { return s->drain(); }
            void flush() override { s->flush(); }
            void close() override { s->close(); }
            void interrupt() override { s->interrupt(); }
            void setPaused(bool p) override { s->setPaused(p); }
            int64_t writtenFrames() const override { return s->writtenFrames(); }
            int64_t playedFrames() const override { return s->playedFrames(); }
        };
        audio::SinkChoice c;
        c.sink = std::make_unique<Borrowed>(sink);
        return c;
    };
    return ctx;
}

inline std::string readText(const std::filesystem::path& p) {
    auto b = io::readWholeFile(p);
    return b ? std::string(b->begin(), b->end()) : std::string();
}

}  // namespace tnx::test
