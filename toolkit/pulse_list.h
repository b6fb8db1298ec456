// Hand-made music cues turned into a strength between 0 and 1. Each Pulse covers
// [start, end) in milliseconds of music and decays across it with one of six shapes; the list
// sums the pulses (capped at 1) and notes when a different cue has taken over, so that a scene
// can react once per hit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Pulse {
    int32_t shape; // 1 linear, 2 cosine, 3..6 powers 2..5 of the linear fall; others act as 1
    int32_t start; // first millisecond
    int32_t end;   // first millisecond after the window

    // Strength at music position t; 0 outside [start, end).
    float valueAt(int t) const;
};

class PulseList {
public:
    std::vector<Pulse> pulses; // in the order added
    int count = 0;
    int32_t lastIndex = 0; // the cue reported last; the first cue (index 0) never reads as new
    bool changed = false;

    // Appends a pulse; returns the new count.
    int add(int start, int end, int shape);
    // Summed strength at t, capped at 1. The current cue is the last in list order above 0.01;
    // changed is raised when it differs from the one reported before.
    float evaluate(int t);
    bool hasChanged() const { return changed; }
};

// A fresh list of the given (start, end) windows, in table order, all of one shape.
template <std::size_t N>
PulseList pulsesOf(const int (&windows)[N][2], int shape)
{
    PulseList list;
    for (const auto& window : windows)
        list.add(window[0], window[1], shape);
    return list;
}
