// Plays into nothing, in real time: written audio is "heard" at the format's
// rate, so everything downstream (play time, spectrum, the end of a file)
// behaves as with a sound card. Stands in when there is no sound device.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/audio/audio_sink.h"

namespace tnx::audio {

class NullSink : public AudioSink {
public:
    // How far writing may run ahead of hearing.
    explicit NullSink(std::chrono::milliseconds lead = std::chrono::milliseconds(60)) : lead_(lead) {}

    std::string description() const override { return "null"; }
    SinkResult open(const PcmFormat& format) override;
    SinkResult write(std::span<const uint8_t> pcm) override;
    SinkResult drain() override;
    void flush() override;
    void close() override;
    void interrupt() override;
    void setPaused(bool paused) override;
    int64_t writtenFrames() const override { return written_.load(); }
    int64_t playedFrames() const override;

private:
    using Clock = std::chrono::steady_clock;
    // Frames heard by now; caller holds mutex_.
    int64_t heardLocked(Clock::time_point now) const;
    // Waits until at most `ahead` frames are unheard; caller holds the lock.
    SinkResult waitUntilAhead(std::unique_lock<std::mutex>& lock, int64_t ahead);

    std::chrono::milliseconds lead_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    PcmFormat format_;
    std::atomic<int64_t> written_{0};
    // Heard frames are counted from an anchor: frames heard at anchorTime_,
    // plus the clock since then unless paused.
    int64_t anchorFrames_ = 0;
    Clock::time_point anchorTime_{};
    bool paused_ = false;
    bool interrupted_ = false;
};

}  // namespace tnx::audio
