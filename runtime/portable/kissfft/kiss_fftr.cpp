// The real FFT behind runtime/portable/kissfft/kiss_fftr.h: forward transforms only, of any size
// (powers of two by the radix-2 transform, others by the direct sum).
#include "runtime/portable/kissfft/kiss_fftr.h"

#include <cmath>
#include <complex>
#include <new>
#include <vector>

struct kiss_fftr_state {
    int n = 0;
    std::vector<std::complex<float>> twiddles; // e^(-2 pi i k / n), k < n
};

namespace {

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

void radix2(std::vector<std::complex<float>>& x, const std::vector<std::complex<float>>& twiddles)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const size_t stride = n / length;
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<float> odd = x[start + k + length / 2] * twiddles[k * stride];
                x[start + k + length / 2] = x[start + k] - odd;
                x[start + k] += odd;
            }
    }
}

} // namespace

extern "C" {

kiss_fftr_cfg kiss_fftr_alloc(int nfft, int inverse_fft, void*, size_t*)
{
    if (nfft <= 0 || inverse_fft)
        return nullptr;
    auto* state = new (std::nothrow) kiss_fftr_state;
    if (!state)
        return nullptr;
    state->n = nfft;
    state->twiddles.resize(static_cast<size_t>(nfft));
    for (int k = 0; k < nfft; ++k) {
        const double phase = -2.0 * 3.14159265358979323846264338327 * k / nfft;
        state->twiddles[static_cast<size_t>(k)] = {static_cast<float>(std::cos(phase)), static_cast<float>(std::sin(phase))};
    }
    return state;
}

void kiss_fftr(kiss_fftr_cfg cfg, const float* timedata, kiss_fft_cpx* freqdata)
{
    if (!cfg || !timedata || !freqdata)
        return;
    const int n = cfg->n;
    std::vector<std::complex<float>> x(timedata, timedata + n);
    if (isPowerOfTwo(n)) {
        radix2(x, cfg->twiddles);
    } else {
        std::vector<std::complex<float>> sum(static_cast<size_t>(n));
        for (int k = 0; k <= n / 2; ++k)
            for (int t = 0; t < n; ++t)
                sum[static_cast<size_t>(k)] += x[static_cast<size_t>(t)] * cfg->twiddles[static_cast<size_t>((k * t) % n)];
        x.swap(sum);
    }
    for (int k = 0; k <= n / 2; ++k)
        freqdata[k] = {x[static_cast<size_t>(k)].real(), x[static_cast<size_t>(k)].imag()};
}

void kiss_fftr_free(void* cfg) { delete static_cast<kiss_fftr_cfg>(cfg); }

} // extern "C"
