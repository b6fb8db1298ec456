// Turns the music clock into whole fixed simulation steps, so that motion runs at the same speed
// whatever the frame rate. Per frame: update(), then while (hasStep()) { step; consumeStep(); }.
//
// A step needs strictly more than stepMs in hand and the backlog is capped at stepMs * maxSteps,
// so a frame runs at most maxSteps - 1 steps. A seek back counts as time passing (the distance
// is absolute), and a scene's first frame, with lastPosition still 0, runs the capped burst.
#pragma once

#include <cstdint>

class StepTimer {
public:
    int32_t delta = 0;        // distance between the last two clock readings
    int32_t lastPosition = 0; // clock reading of the last update
    int32_t accumulated = 0;  // time not yet simulated
    int32_t stepMs;
    int32_t maxSteps;

    StepTimer(int32_t stepMs, int32_t maxSteps);

    void update();
    bool hasStep() const;
    void consumeStep();
};
