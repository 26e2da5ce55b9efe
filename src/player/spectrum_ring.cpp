#include "player/spectrum_ring.h"

namespace tnx::player {

void SpectrumRing::publish(int64_t streamPosition, const SpectrumBands& bands) {
    uint32_t n = count_.load(std::memory_order_relaxed);
    Slot& s = slots_[n % kSlots];
    for (int c = 0; c < kSpectrumChannels; ++c)
        for (int b = 0; b < kSpectrumBands; ++b)
            s.values[size_t(c)][size_t(b)].store(bands[size_t(c)][size_t(b)], std::memory_order_relaxed);
    s.position.store(streamPosition, std::memory_order_relaxed);
    count_.store(n + 1, std::memory_order_release);
}

void SpectrumRing::copy(const Slot& s, SpectrumBands& out) const {
    for (int c = 0; c < kSpectrumChannels; ++c)
        for (int b = 0; b < kSpectrumBands; ++b)
            out[size_t(c)][size_t(b)] = s.values[size_t(c)][size_t(b)].load(std::memory_order_relaxed);
}

bool SpectrumRing::newest(SpectrumBands& out) const {
    uint32_t n = writeCount();
    if (n == 0) return false;
    copy(slots_[(n - 1) % kSlots], out);
    return true;
}

bool SpectrumRing::at(int64_t streamPosition, SpectrumBands& out) const {
    uint32_t n = writeCount();
    uint32_t oldest = n > kSlots ? n - kSlots : 0;
    for (uint32_t i = n; i > oldest; --i) {
        const Slot& s = slots_[(i - 1) % kSlots];
        if (s.position.load(std::memory_order_relaxed) <= streamPosition) {
            copy(s, out);
            return true;
        }
    }
    return false;
}

}  // namespace tnx::player
