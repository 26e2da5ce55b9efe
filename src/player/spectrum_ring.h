// The decoder's spectrum of each decoded block, in a ring of 512 slots with
// a write counter, read by the viewer's thread without a lock. Each slot
// remembers the stream position of its block, so the reader can show the
// block being heard rather than the one just decoded (the decoder runs
// ahead by the output buffer). A slot read while it is rewritten may mix two
// blocks' values; every value is a whole float.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "player/spectrum_analyser.h"

namespace tnx::player {

class SpectrumRing {
public:
    static constexpr uint32_t kSlots = 512;

    // Decoder thread only.
    void publish(int64_t streamPosition, const SpectrumBands& bands);

    // Blocks published so far.
    uint32_t writeCount() const { return count_.load(std::memory_order_acquire); }
    // The newest slot's bands; false when nothing was published yet.
    bool newest(SpectrumBands& out) const;
    // The newest slot whose block starts at or before `streamPosition`;
    // false when none of the ring's slots does.
    bool at(int64_t streamPosition, SpectrumBands& out) const;

private:
    struct Slot {
        std::atomic<int64_t> position{0};
        std::array<std::array<std::atomic<float>, kSpectrumBands>, kSpectrumChannels> values{};
    };
    void copy(const Slot& s, SpectrumBands& out) const;

    std::array<Slot, kSlots> slots_{};
    std::atomic<uint32_t> count_{0};
};

}  // namespace tnx::player
