// The frond forest ("metsae", 66.5 s to 91 s): the camera drifts sideways over a dark floor on
// which 2000 thin fronds grow up in the first seconds and then sway. A third carry blue glowing
// sprites along their length, the rest get a pink glowing tip late in the scene; 500 specks
// float above, half of them appearing at a fixed moment of the music. The picture is captured
// and glowed, the glow following the music's cues.
#pragma once

#include "runtime/dms.h"
#include "toolkit/ground_grid.h"
#include "toolkit/pulse_list.h"
#include "toolkit/spline_path.h"
#include "toolkit/swaying_stem.h"
#include "toolkit/step_timer.h"
#include "toolkit/swimmer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct Frond : SwayingStem {
    float growth = 0.0f;       // 0..1, how much of the stem is drawn
    float spriteGrowth = 0.0f; // 0..1, strength of the blue sprites
    float phaseSpeed = 0.0f;   // added to phase per step once growing
    float phase = 0.0f;        // drives the sprites' pulsing
    Vector3 tip;               // last stem vertex drawn
    float growStart = 0.0f, growEnd = 0.0f;     // relative scene times of the stem's growth
    float spriteStart = 0.0f, spriteEnd = 0.0f; // and of the sprites'
    float brightness = 0.0f;                    // alpha factor of the stem line
    bool pinkTip = false;                       // pink tip instead of blue sprites
    Vector3 colour;                             // stem colour
};

// ---------------------------------------------------------------------------------------------
// The scene

class MetsaeEffect : public Base {
public:
    PulseList pulses;
    std::vector<Swimmer> specks;
    GroundGrid ground;
    StepTimer stepTimer;
    int frondCount = 2000;
    std::vector<Frond> fronds;

    MetsaeEffect();
    ~MetsaeEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first tenth, out over the last hundredth.
    static float fadeAt(float t);
    // Strength of the second half of the specks, and of the pink tips, by music position.
    static float speckLevelAt(float musicMs);
    static float tipLevelAt(float musicMs);
    // Alpha factor of speck i: the first 250 always, the others by speckLevel.
    static float speckWeight(int index, float speckLevel);
    // The glow's blur alpha for the cue level: 0.93, barely more on a cue.
    static float glowBlurAlpha(float level);

    // One simulation step of every frond and speck.
    void simulate(float t);

    static void initFrond(Frond& frond);
    static void stepFrond(Frond& frond, float t);
    static void drawFrondLine(VertexBatch& stems, Frond& frond, float alpha);
    static void drawFrondSprites(VertexBatch& sprites, const Frond& frond, const Vector3& right, const Vector3& up,
                                 float alpha);
    static void drawFrondTip(VertexBatch& sprites, const Frond& frond, const Vector3& right, const Vector3& up,
                             float alpha, float tipLevel);
    static void drawBillboardQuad(VertexBatch& sprites, const Vector3& centre, const Vector3& right, const Vector3& up,
                                  float halfSize, float alpha);

private:
    // One batch per kind of primitive, kept so their memory is reused.
    VertexBatch stems{GL_LINE_STRIP};
    VertexBatch sprites{GL_QUADS};
    VertexBatch speckPoints{GL_POINTS};
};
