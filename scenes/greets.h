// The greetings ("Greets", 296 s to 308 s): three greeting pictures pop in one after another on
// music cues, each at its own place on the screen, then fade out while they grow a little and
// the rippling water under them distorts them more. Its frame is the one it shares with the
// credits (runWaterPicture): the pictures are captured and glowed onto the window over the
// return scene.
#pragma once

#include "runtime/dms.h"
#include "toolkit/pulse_list.h"
#include "toolkit/step_timer.h"
#include "toolkit/water_ripple.h"

// -------------------------------------------------------------------------------------------------
// Data types

struct GreetPicture {
    const char* name;
    int cueStart, cueEnd; // music ms; the cue falls linearly across them
    float x, y;           // centre in the 1 x 1 screen
};

// -------------------------------------------------------------------------------------------------
// The scene

class GreetsEffect : public Base {
public:
    static constexpr int pictureCount = 3;
    static const GreetPicture pictures[pictureCount];

    StepTimer stepTimer{50, 5};
    PulseList cues[pictureCount]; // one pulse each, made by init
    WaterRipple ripple;           // size 256, made by init

    GreetsEffect();
    ~GreetsEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    // Its timing comes from the cues, not from t and alpha.
    void draw(float t, float alpha) override;

    // One linear pulse per picture, over its cue.
    void buildCues();

    // The range of pictures drawn for the cue values: from the first above 0 to the last above
    // 0, those between included; first > last when none is.
    static void drawnRange(const float values[pictureCount], int& first, int& last);
    // Opacity for cue value v: rises from 0 to 0.95 while v falls from 1 to 0.95, then v.
    static float pictureFade(float v);
    // The ripple's pull on the picture: 0.15 at the cue's start, 0.85 once v is down to 0.3.
    static float distortionFor(float v);
    // Half size in the 1 x 1 screen: 0.19 at the cue's start, growing to 0.2.
    static float halfSizeFor(float v) { return 0.2f - v * 0.01f; }
};
