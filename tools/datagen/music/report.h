// A listening report for whoever tunes the score: peaks, cue onsets and the loudness the scenes
// will see, section by section.
#pragma once

#include "tools/datagen/music/mixer.h"

#include <cstdio>

void printReport(const Song& song, std::FILE* out);
