// The last scene ("viimeinen", 305 s to 362 s): the camera glides slowly forward over a dark
// floor on which a thousand short glowing stalks sway and shed bright sprites along their
// length, then wilt and sink to the floor at staggered times, while 500 drifting specks blink
// out one by one. The credits run over its last part and add their picture to its window.
#pragma once

#include "runtime/dms.h"
#include "toolkit/ground_grid.h"
#include "toolkit/loudness_average.h"
#include "toolkit/spline_path.h"
#include "toolkit/swaying_stem.h"
#include "toolkit/step_timer.h"
#include "toolkit/swimmer.h"
#include "toolkit/vertex_batch.h"

#include <cstddef>
#include <vector>

// -------------------------------------------------------------------------------------------------
// Data types

struct Stalk : SwayingStem {
    float fade = 1.0f; // 1 = fully grown, 0 = gone; read by the first draw before any step
    float phaseSpeed = 0.0f;
    float phase = 0.0f;
    Vector3 tip; // last point of the line drawn
    float fadeStart = 0.0f, fadeEnd = 0.0f; // relative times of the wilting
    float brightness = 0.0f;
    Vector3 colour;
};

// -------------------------------------------------------------------------------------------------
// The scene

class ViimeinenEffect : public Base {
public:
    static constexpr int speckCount = 500;

    std::vector<Swimmer> specks;
    std::vector<float> speckVanishStart, speckVanishEnd; // relative times
    int stalkCount = 1000;
    std::vector<Stalk> stalks;
    SpectrumAverage spectrum;
    GroundGrid ground;
    StepTimer stepTimer;
    // Reused every frame: the stalks of one line width, then all the stalks' sprites.
    VertexBatch stalkLines{GL_LINE_STRIP}, stalkSprites{GL_QUADS};
    float beatLevel = 0.0f; // the smoothed music level; kept from frame to frame, never reset

    ViimeinenEffect();
    ~ViimeinenEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first tenth, out over the last 15 %.
    static float fadeAt(float t);
    // The whole steps owed this frame; every simulated step spends two timer steps. Returns the
    // steps simulated.
    int simulate(float t);
    // Opacity factor of speck i: 1 before its vanishing window, 0 after it.
    float speckVisibility(std::size_t i, float t) const;

    static void initStalk(Stalk& stalk);
    static void stepStalk(Stalk& stalk, float t);
    static void drawStalkLine(VertexBatch& batch, Stalk& stalk, float alpha);
    static void drawStalkSprites(VertexBatch& batch, const Stalk& stalk, const Vector3& right, const Vector3& up,
                                 float alpha, float level);
    // Brightness factor of the sprites for the music level: 0.4 in silence.
    static float spriteGain(float level) { return 4.0f * level + 0.4f; }
};
