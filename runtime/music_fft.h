// The music spectrum the scenes see, as one pure function over samples. The runtime feeds it the
// decoded music around the play position; the soundtrack tool feeds it the rendered song, so the
// two always agree.
#pragma once

constexpr int spectrumWindowSize = 1024; // samples of the mono mix, centred on the position
constexpr int spectrumBinCount = 512;
// Calibrated on the soundtrack's master (-14 LUFS): silence sums to about 0, loud passages to a
// few units.
constexpr float spectrumScale = 1.0f / 106.93f;

// Magnitudes |X_k|, k = 0 .. n / 2, of a real frame of n samples (n even).
void fftMagnitudes(const float* input, int n, float* magnitudes);

// 512 magnitudes of spectrumWindowSize mono samples: Hann window, FFT, times spectrumScale.
void musicSpectrum(const float* mono, float* spectrum);
