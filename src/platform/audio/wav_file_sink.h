// Writes the PCM that would have been played into a WAV file, as fast as it
// comes: a headless run's "sound card" and the tests' ear. Audio dropped by
// a flush (stop, next) was never heard and is not written. The header's
// sizes are fixed up whenever the sink drains and when it closes.
//
// One WAV file holds one format: a stream in another format goes on in
// "NAME.2.wav", "NAME.3.wav" and so on.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/audio/audio_sink.h"

namespace tnx::audio {

class WavFileSink : public AudioSink {
public:
    explicit WavFileSink(std::filesystem::path path) : path_(std::move(path)) {}
    ~WavFileSink() override;

    std::string description() const override { return "wav file " + path_.string(); }
    SinkResult open(const PcmFormat& format) override;
    SinkResult write(std::span<const uint8_t> pcm) override;
    SinkResult drain() override;
    void flush() override;
    void close() override;
    void interrupt() override { interrupted_ = true; }
    void setPaused(bool) override {}
    int64_t writtenFrames() const override { return written_.load(); }
    int64_t playedFrames() const override { return written_.load(); }

    // The file a stream in its n-th format (1-based) goes to.
    std::filesystem::path pathForFormat(int n) const;

private:
    bool fixHeader();

    std::filesystem::path path_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    PcmFormat format_;
    int formatsSeen_ = 0;
    uint64_t dataBytes_ = 0;
    std::atomic<int64_t> written_{0};
    std::atomic<bool> interrupted_{false};
};

}  // namespace tnx::audio
