#include "platform/audio/null_sink.h"

#include <algorithm>

namespace tnx::audio {

SinkResult NullSink::open(const PcmFormat& format) {
    if (!format.valid()) return SinkResult::FormatNotSupported;
    std::lock_guard lock(mutex_);
    format_ = format;
    written_ = 0;
    anchorFrames_ = 0;
    anchorTime_ = Clock::now();
    interrupted_ = false;
    return SinkResult::Ok;
}

int64_t NullSink::heardLocked(Clock::time_point now) const {
    if (format_.sampleRate <= 0) return 0;
    int64_t heard = anchorFrames_;
    if (!paused_) {
        auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - anchorTime_).count();
        heard += us * format_.sampleRate / 1'000'000;
    }
    return std::min(heard, written_.load());
}

SinkResult NullSink::waitUntilAhead(std::unique_lock<std::mutex>& lock, int64_t ahead) {
    for (;;) {
        if (interrupted_) return SinkResult::Interrupted;
        auto now = Clock::now();
        int64_t unheard = written_.load() - heardLocked(now);
        if (unheard <= ahead) return SinkResult::Ok;
        if (paused_) {
            wake_.wait(lock);
            continue;
        }
        int64_t waitUs = (unheard - ahead) * 1'000'000 / format_.sampleRate + 1;
        wake_.wait_for(lock, std::chrono::microseconds(std::min<int64_t>(waitUs, 50'000)));
    }
}

SinkResult NullSink::write(std::span<const uint8_t> pcm) {
    std::unique_lock lock(mutex_);
    if (!format_.valid()) return SinkResult::DeviceFailed;
    int64_t frames = int64_t(pcm.size()) / format_.frameBytes();
    int64_t lead = std::max<int64_t>(1, lead_.count() * format_.sampleRate / 1000);
    // A writer that had fallen silent (starved) restarts the clock rather
    // than being credited with the gap.
    auto now = Clock::now();
    if (!paused_ && heardLocked(now) >= written_.load()) {
        anchorFrames_ = written_.load();
        anchorTime_ = now;
    }
    // Once the lead is full, wait for room for a quarter of it (or the
    // rest of the write) rather than for a single frame: a wake-up per
    // frame would cost more than the decoding.
    const int64_t chunk = std::max<int64_t>(1, lead / 4);
    while (frames > 0) {
        SinkResult r = waitUntilAhead(lock, lead - std::min(frames, chunk));
        if (r != SinkResult::Ok) return r;
        int64_t room = lead - (written_.load() - heardLocked(Clock::now()));
        int64_t take = std::clamp<int64_t>(room, 1, frames);
        written_ += take;
        frames -= take;
    }
    return SinkResult::Ok;
}

SinkResult NullSink::drain() {
    std::unique_lock lock(mutex_);
    if (!format_.valid()) return SinkResult::Ok;
    return waitUntilAhead(lock, 0);
}

void NullSink::flush() {
    std::lock_guard lock(mutex_);
    int64_t heard = heardLocked(Clock::now());
    written_ = heard;
    anchorFrames_ = heard;
    anchorTime_ = Clock::now();
    interrupted_ = false;
}

void NullSink::close() {
    std::lock_guard lock(mutex_);
    format_ = {};
}

void NullSink::interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    wake_.notify_all();
}

void NullSink::setPaused(bool paused) {
    {
        std::lock_guard lock(mutex_);
        if (paused == paused_) return;
        auto now = Clock::now();
        anchorFrames_ = heardLocked(now);
        anchorTime_ = now;
        paused_ = paused;
    }
    wake_.notify_all();
}

int64_t NullSink::playedFrames() const {
    std::lock_guard lock(mutex_);
    return heardLocked(Clock::now());
}

}  // namespace tnx::audio
