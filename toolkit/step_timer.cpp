#include "toolkit/step_timer.h"

#include "runtime/dms.h"

#include <cstdlib>

StepTimer::StepTimer(int32_t stepMs_, int32_t maxSteps_) : stepMs(stepMs_), maxSteps(maxSteps_) {}

void StepTimer::update()
{
    const int32_t position = dmsGetModulePosition();
    delta = std::abs(position - lastPosition);
    lastPosition = position;
    accumulated += delta;
    const int32_t cap = stepMs * maxSteps;
    if (accumulated > cap)
        accumulated = cap;
}

bool StepTimer::hasStep() const { return accumulated > stepMs; }

void StepTimer::consumeStep() { accumulated -= stepMs; }
