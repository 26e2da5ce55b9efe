// The bytes between the input stage and the decoder: a bounded ring. The
// writer blocks while it is full, the reader while it is empty; the writer
// ends the stream with a code (kErrorNone for a clean end), and abort()
// releases both sides for good.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace tnx::player {

class InputBuffer {
public:
    explicit InputBuffer(size_t capacity);

    size_t capacity() const { return ring_.size(); }
    size_t fill() const;

    // Writer: blocks until everything is in; false when aborted.
    bool write(const uint8_t* data, size_t n);
    void finish(int32_t error);
    // The size of what the writer is reading, when it knows it (-1 until then).
    void setSourceSize(int64_t bytes) { sourceSize_ = bytes; }
    int64_t sourceSize() const { return sourceSize_.load(); }

    // Reader: blocks until there is data, the stream ended or it was
    // aborted; returns 0 in the last two cases.
    size_t read(uint8_t* out, size_t max);
    bool ended() const;
    int32_t endError() const;

    // Reader, before the first read: when less than half of `amount` is
    // buffered, reports "Buffering up...", waits in steps of `step` until
    // `amount` is buffered, the ring is more than 90% full or the stream
    // ended, then reports "Playing stream...". False when aborted.
    bool waitForPreBuffer(size_t amount, const std::function<void(const char*)>& report,
                          std::chrono::milliseconds step = std::chrono::seconds(1));

    void abort();
    bool aborted() const { return aborted_.load(); }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint8_t> ring_;
    size_t head_ = 0;
    size_t size_ = 0;
    bool ended_ = false;
    int32_t error_ = 0;
    std::atomic<bool> aborted_{false};
    std::atomic<int64_t> sourceSize_{-1};
};

}  // namespace tnx::player
