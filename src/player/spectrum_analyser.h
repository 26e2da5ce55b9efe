// The 32 band magnitudes of a block of PCM, per channel: the band width is
// a 64th of the sample rate, as the MPEG sub-bands are, from 0 Hz to half
// the rate. A Hann-windowed real FFT over the whole block (kissfft); a
// band's value is the amplitude, in sample units, of a sine carrying the
// band's energy, so a full-scale tone reads about 32767 in its band.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tnx::player {

constexpr int kSpectrumBands = 32;
constexpr int kSpectrumChannels = 2;

using SpectrumBands = std::array<std::array<float, kSpectrumBands>, kSpectrumChannels>;

class SpectrumAnalyser {
public:
    SpectrumAnalyser() = default;
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Interleaved 16-bit samples; a mono block fills both channels alike.
    SpectrumBands analyse(const int16_t* samples, int frames, int channels);

private:
    void prepare(int n);

    int size_ = 0;
    void* fft_ = nullptr;  // kiss_fftr_cfg
    std::vector<float> window_;
    float windowPower_ = 0;
    std::vector<float> time_;
    std::vector<float> spectrum_;  // interleaved re, im
};

}  // namespace tnx::player
