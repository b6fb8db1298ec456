// The show's score: the cue times it must hit, the tempo map that carries the beat between them,
// and the composition itself, section by section along the timeline.
#pragma once

#include "tools/datagen/music/instruments.h"
#include "tools/datagen/music/mixer.h"
#include "tools/datagen/music/tempo.h"

#include <vector>

// A moment the pictures react to: an accent (a hit must start there) or a landmark (something
// musical begins there: an entrance, a change of harmony).
struct Cue {
    double ms;
    bool accent;
    const char* what;
};

const std::vector<Cue>& showCues();
TempoMap showTempo();
std::vector<Note> composeScore(const TempoMap& tempo);
MixSettings songSettings();

// The whole song, mixed and mastered.
Song renderScore(const Progress& progress = {});
