#include "player/spectrum_analyser.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tnx::player {

SpectrumAnalyser::~SpectrumAnalyser() {
    if (fft_) kiss_fftr_free(fft_);
}

void SpectrumAnalyser::prepare(int n) {
    if (n == size_) return;
    if (fft_) kiss_fftr_free(fft_);
    size_ = n;
    fft_ = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    window_.resize(size_t(n));
    windowPower_ = 0;
    for (int i = 0; i < n; ++i) {
        float w = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * float(i) / float(n));
        window_[size_t(i)] = w;
        windowPower_ += w * w;
    }
    time_.resize(size_t(n));
    spectrum_.resize(size_t(n + 2));
}

SpectrumBands SpectrumAnalyser::analyse(const int16_t* samples, int frames, int channels) {
    SpectrumBands out{};
    // The real FFT wants an even size; a block too short to hold a bin per
    // band says nothing useful.
    int n = frames & ~1;
    if (channels <= 0 || n < 2 * kSpectrumBands * 2) return out;
    prepare(n);
    if (!fft_) return out;
    auto* bins = reinterpret_cast<kiss_fft_cpx*>(spectrum_.data());
    int half = n / 2;
    float scale = 4.0f / (float(n) * windowPower_);
    for (int c = 0; c < std::min(channels, kSpectrumChannels); ++c) {
        for (int i = 0; i < n; ++i) time_[size_t(i)] = float(samples[size_t(i) * size_t(channels) + size_t(c)]) * window_[size_t(i)];
        kiss_fftr(static_cast<kiss_fftr_cfg>(fft_), time_.data(), bins);
        for (int b = 0; b < kSpectrumBands; ++b) {
            int lo = b * half / kSpectrumBands;
            int hi = b == kSpectrumBands - 1 ? half + 1 : (b + 1) * half / kSpectrumBands;
            double energy = 0;
            for (int k = lo; k < hi; ++k) energy += double(bins[k].r) * bins[k].r + double(bins[k].i) * bins[k].i;
            out[size_t(c)][size_t(b)] = float(std::sqrt(energy * scale));
        }
    }
    if (channels == 1) out[1] = out[0];
    return out;
}

}  // namespace tnx::player
