// Listening by numbers: the spectrum the show's scenes see, their smoothed loudness, and an
// onset detector, all computed from a rendered song.
#pragma once

#include "runtime/music_fft.h"
#include "tools/datagen/music/mixer.h"

#include <vector>

// The runtime's own spectrum of the mono mix, centred on the position: silence sums to 0, this
// score's loud passages to about 5 to 10.
std::vector<float> spectrumAt(const Song& song, double ms);
// What a scene's loudness step sums: the first 511 magnitudes.
float spectrumSum(const Song& song, double ms);

// Mean power of the stereo mix over [fromMs, toMs), in dB (full-scale sine at -3 dB).
double meanPowerDb(const Song& song, double fromMs, double toMs);

// The value a three-frame spectrum average returns on each frame of a show running at `fps`
// from fromMs to toMs (one entry per frame).
std::vector<float> smoothedLoudness(const Song& song, double fromMs, double toMs, double fps = 60.0);

// Onset times in ms between fromMs and toMs: peaks of the log-magnitude spectral flux
// (256-point frames, 0.73 ms hop) that stand out from their neighbourhood.
std::vector<double> detectOnsets(const Song& song, double fromMs, double toMs);
