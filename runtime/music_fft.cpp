#include "runtime/music_fft.h"

#include <kissfft/kiss_fftr.h>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct FftConfigFree {
    void operator()(kiss_fftr_cfg config) const { kiss_fftr_free(config); }
};

// One plan per frame size, kept for the life of the process.
kiss_fftr_cfg planFor(int n)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, FftConfigFree>> plans;
    const std::lock_guard<std::mutex> lock(mutex);
    auto& plan = plans[n];
    if (!plan)
        plan.reset(kiss_fftr_alloc(n, 0, nullptr, nullptr));
    return plan.get();
}

} // namespace

void fftMagnitudes(const float* input, int n, float* magnitudes)
{
    std::vector<kiss_fft_cpx> bins(static_cast<size_t>(n / 2 + 1));
    kiss_fftr(planFor(n), input, bins.data());
    for (int k = 0; k <= n / 2; ++k)
        magnitudes[k] = std::sqrt(bins[static_cast<size_t>(k)].r * bins[static_cast<size_t>(k)].r +
                                  bins[static_cast<size_t>(k)].i * bins[static_cast<size_t>(k)].i);
}

void musicSpectrum(const float* mono, float* spectrum)
{
    float windowed[spectrumWindowSize];
    for (int i = 0; i < spectrumWindowSize; ++i) {
        const float hann =
            0.5f - 0.5f * std::cos(2.0f * 3.14159265f * static_cast<float>(i) / (spectrumWindowSize - 1));
        windowed[i] = mono[i] * hann;
    }
    float magnitudes[spectrumWindowSize / 2 + 1];
    fftMagnitudes(windowed, spectrumWindowSize, magnitudes);
    for (int k = 0; k < spectrumBinCount; ++k)
        spectrum[k] = magnitudes[k] * spectrumScale;
}
