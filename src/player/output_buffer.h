// The decoded PCM between the decoder and the output stage: a queue of
// blocks bounded by their bytes. The decoder blocks while it is full; an
// item's end marker always fits. abortWriters() releases a blocked decoder
// (when its run is being abandoned) until resumeWriters().
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/audio/pcm_format.h"

namespace tnx::player {

struct PcmBlock {
    audio::PcmFormat format;
    std::vector<int16_t> samples;  // interleaved
    uint32_t run = 0;
    int64_t streamPosition = 0;  // the decoder's running frame count at the block's start
    int64_t itemFrame = 0;       // the block's first frame within its item
    int64_t itemLength = 0;      // the item's length in frames, when known
    bool end = false;            // marks the end of the item; carries no samples
    int32_t error = 0;           // with `end`: why the item ended early

    int64_t frames() const { return format.channels > 0 ? int64_t(samples.size()) / format.channels : 0; }
    size_t bytes() const { return samples.size() * sizeof(int16_t); }
};

class OutputBuffer {
public:
    explicit OutputBuffer(size_t capacityBytes) : capacity_(std::max<size_t>(capacityBytes, 16 * 1024)) {}

    // False when writers were aborted.
    bool push(PcmBlock block);
    // Waits up to `timeout` for a block; nothing on timeout or wake().
    std::optional<PcmBlock> pop(std::chrono::milliseconds timeout);
    void wake();
    void clear();
    size_t bytes() const;

    void abortWriters();
    void resumeWriters();

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PcmBlock> blocks_;
    size_t capacity_;
    size_t bytes_ = 0;
    bool writersAborted_ = false;
    uint64_t wakes_ = 0;
};

}  // namespace tnx::player
