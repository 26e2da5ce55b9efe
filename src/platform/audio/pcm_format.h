// The shape of the PCM the player hands to a sound output: interleaved
// signed 16-bit samples at the stream's own rate and channel count.
#pragma once

#include <cstdint>

namespace tnx::audio {

struct PcmFormat {
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t bitsPerSample = 16;

    int32_t frameBytes() const { return channels * (bitsPerSample / 8); }
    int64_t bytesPerSecond() const { return int64_t(sampleRate) * frameBytes(); }
    bool valid() const { return sampleRate > 0 && channels > 0 && bitsPerSample == 16; }
    bool operator==(const PcmFormat&) const = default;
};

}  // namespace tnx::audio
