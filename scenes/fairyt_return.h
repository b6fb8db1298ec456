// The return (the second "fairyt", 254.5 s to 305 s): a long flight along seven ropes of fine
// light hairs winding through the dark water. The hairs light up where the camera passes, their
// glow reaching further out when the music is loud; 3000 specks drift and twinkle and 800 short
// arcs flash once each. At 271.2 s to 271.7 s the thin ropes' hairs turn from blue to orange.
// The flight is over at 86 % of the scene; the greetings run over its last nine seconds.
#pragma once

#include "runtime/dms.h"
#include "toolkit/loudness_average.h"
#include "toolkit/spline_path.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"
#include "toolkit/wanderer.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct RopeHair {
    float start = 0.0f, end = 0.0f; // where along the rope it grows out, as flight progress
    SplinePath path;                // leaves the rope backwards, then curls away
    Vector colour;                  // the orange or cyan family (white for one in eighty)
    Vector colour2;                 // the blue family a thin rope's hairs show first
    Vector3 offset;                 // pushed out by this as the hair grows
};

struct Rope {
    float start = 0.0f, end = 0.0f; // the window of progress over which it lights up
    bool thin = false;              // thin ropes show short moving streaks
    int hairCount = 0;
    std::vector<RopeHair> hairs;
};

struct ReturnSpeck {
    float phase = 0.0f, phaseSpeed = 0.0f;
    float twinkle = 0.0f, twinkleSpeed = 0.0f;
    Vector3 colour;
    Wanderer wanderer;
};

struct ReturnSpark {
    float start = 0.0f, end = 0.0f; // flight progress window of its one flash
    Vector3 position;
    float theta0 = 0.0f, theta1 = 0.0f, phi0 = 0.0f, phi1 = 0.0f;
    float radius = 0.0f;
};

// ---------------------------------------------------------------------------------------------
// The scene

class FairytReturnEffect : public Base {
public:
    static constexpr int ropeCount = 7;
    static constexpr int speckCount = 3000;
    static constexpr int sparkCount = 800;
    static constexpr float flightEnd = 0.86f; // share of the scene the flight takes

    StepTimer stepTimer{16, 5};
    // Reused every frame: every rope's hairs, the specks' lines and flares, the sparks' arcs.
    VertexBatch hairBatch{GL_LINE_STRIP};
    VertexBatch speckLines{GL_LINES}, speckFlares{GL_QUADS};
    VertexBatch sparkBatch{GL_LINE_STRIP};
    std::vector<Rope> ropes;
    std::vector<SplinePath> ropePaths; // index 0 is the main path
    std::vector<ReturnSpeck> specks;
    std::vector<ReturnSpark> sparks;
    SpectrumAverage spectrum{3};
    SplinePath eyePathB; // three points: a fixed small offset of the eye
    SplinePath eyePathA;
    float returnBeat = 0.0f; // the smoothed music level the hairs glow with; never reset

    FairytReturnEffect();
    ~FairytReturnEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first 2.5 %, out over the last hundredth.
    static float fadeAt(float t);
    // Flight progress H: 0 to 1 over the first 86 % of the scene.
    static float progressAt(float t);
    Vector3 eyeAt(float h) const;
    Vector3 targetAt(float h) const;
    static Vector3 upAt(float h);
    // The share of a hair's glow at point q along it for music level beat: none in silence, all
    // once the level reaches q.
    static float hairGlow(float beat, float q);
    // How far a thin rope's hairs have turned from colour2 (1) to colour (0) at music position ms.
    static float blueShareAt(int musicMs);
    static void stepSpeck(ReturnSpeck& speck);

private:
    void buildMainPath();
    void buildLoosePaths();
    static void buildRope(Rope& rope, const SplinePath& path, int index);
    static void buildHair(RopeHair& hair, const SplinePath& path, bool thin, float k);
    void buildSpecks();
    void buildEyePaths();
    void buildSparks();
    void drawRope(const Rope& rope, float h, float beat, float a);
    void drawSpecks(float alpha);
    void drawSparks(float h, float alpha);
};
