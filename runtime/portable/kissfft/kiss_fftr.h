// On Windows and in the browser the spectrum's real FFT comes from here
// (runtime/portable/kissfft/kiss_fftr.cpp): kissfft has neither a MinGW nor a WebAssembly build in
// Debian. The interface
// is kissfft's, so runtime/music_fft.cpp is the same on every platform; the arithmetic is a plain
// radix-2 transform in float, so magnitudes may differ from kissfft's in the last bits.
#pragma once

#include <cstddef>

extern "C" {

struct kiss_fft_cpx {
    float r;
    float i;
};
struct kiss_fftr_state;
using kiss_fftr_cfg = kiss_fftr_state*;

kiss_fftr_cfg kiss_fftr_alloc(int nfft, int inverse_fft, void* mem, size_t* lenmem);
void kiss_fftr(kiss_fftr_cfg cfg, const float* timedata, kiss_fft_cpx* freqdata);
void kiss_fftr_free(void* cfg);

} // extern "C"
