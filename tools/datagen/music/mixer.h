// Mixing the score into the song: every note rendered and placed, the side-chain pump, the
// delay and reverb returns, then the master (DC blocking, limiter, the closing fade).
#pragma once

#include "tools/datagen/music/instruments.h"

#include <functional>
#include <vector>

struct Song {
    std::vector<float> left, right;
    size_t frames() const { return left.size(); }
};

// The limiter's ceiling: samples stay below -1.5 dBFS before the output trim.
constexpr float masterCeiling = 0.84f;
// After the limiter the whole master is turned down by this much, without touching its dynamics:
// the decoded song then measures about -14 LUFS integrated with a true peak near -1.3 dBTP
// (the Vorbis encoder adds about 1.3 dB between and on samples). The score's conductor takes the
// lift back before the limiter everywhere but at the climax, so the quiet stretches reach the
// runtime's spectrum at the level its scale is calibrated to.
constexpr float masterTrimDb = -1.0f;

struct MixSettings {
    double lengthMs = 363600;    // the song runs a little past the show's last frame
    double fadeStartMs = 357000; // master fade to silence
    double fadeEndMs = 362400;
    float masterGain = 1.0f;
    float reverbReturn = 0.5f;
    float delayReturn = 0.45f;
};

// Called with a stage name and the fraction done, for a progress display.
using Progress = std::function<void(const char* stage, double fraction)>;

Song mixSong(const std::vector<Note>& notes, const MixSettings& settings, const Progress& progress = {});
