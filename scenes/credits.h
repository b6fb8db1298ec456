// The credits ("credits", 346 s to 361 s): the credits picture over the last minutes of the show,
// seen through a rippling water surface and softly glowing. It runs beside the last scene and,
// drawn after it in the same frame, its glow pass adds the picture over that scene's.
#pragma once

#include "runtime/dms.h"
#include "toolkit/step_timer.h"
#include "toolkit/water_ripple.h"

// -------------------------------------------------------------------------------------------------
// The scene

class CreditsEffect : public Base {
public:
    StepTimer stepTimer{50, 5};
    WaterRipple ripple; // size 256, made by init

    CreditsEffect();
    ~CreditsEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Half size of the picture in the 1 x 1 screen: 0.2 at the start, shrinking to 0.14.
    static float halfSizeAt(float t);
};
