// Random numbers 0 … 32767 for the playlist's draws; tests give their own
// sequence.
#pragma once

#include <cstdint>
#include <random>

namespace tnx::player {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int32_t next() = 0;  // 0 … 32767

    // An index below k drawn as floor(k * r / 32768).
    int32_t below(int32_t k) { return k <= 0 ? 0 : int32_t(int64_t(k) * next() / 32768); }
};

class SystemRandom : public RandomSource {
public:
    SystemRandom() : engine_(std::random_device{}()) {}
    explicit SystemRandom(uint32_t seed) : engine_(seed) {}
    int32_t next() override { return int32_t(engine_() & 0x7FFF); }

private:
    std::mt19937 engine_;
};

}  // namespace tnx::player
