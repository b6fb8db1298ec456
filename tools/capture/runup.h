// Where a single frame's run-up starts. The frame a viewer sees at a time depends on what the
// scenes live then have drawn and simulated since they started; so the show is played from the
// start of the earliest of them, at the capture's frame rate, and the picture is the same as the
// same frame of a played range from that start.
#pragma once

#include <string>
#include <vector>

struct LiveWindow {
    unsigned long startMs, endMs; // inclusive, as the timeline runs them
    std::string name;
};

struct Runup {
    int startMs = 0; // the music time of the first frame played
    int frames = 0;  // frames played before the captured one
};

// Music time of frame `index` of a range starting at `startMs`, as the offline clock gives it.
int frameTimeMs(int startMs, int index, int fps);
// The run-up for the frame at `atMs`. `runupMs` < 0: from the earliest start of the windows
// holding `atMs`; otherwise from that long before. The start is moved back (never past 0) to
// the nearest whole millisecond from which frames at `fps` land exactly on `atMs`, so that
// `--from start --fps fps` plays the very same frames.
Runup planRunup(const std::vector<LiveWindow>& timeline, int atMs, int fps, int runupMs);
// True when some window holding `ms` is one of `names`.
bool anyLive(const std::vector<LiveWindow>& timeline, int ms, const std::vector<std::string>& names);
