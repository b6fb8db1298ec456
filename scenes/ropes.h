// The ropes ("ropes", 221.5 s to 254.5 s): two hundred glowing ropes hang in five bundles of
// forty, each rope's top held by its bundle's anchor; the anchors wander slowly along their own
// curves, so the ropes sway, trail and straighten under a simple position-based physics with no
// gravity. Bubbles rise from random points below, a field of 2500 fixed specks flashes with the
// music, and late in the scene the shared swimmers appear stretched 7.5 times in height with
// flares that pulse with the music. The camera circles and rises around the bundles' centre; the
// glow's blur follows a list of music cues.
#pragma once

#include "runtime/dms.h"
#include "toolkit/bubble_emitter.h"
#include "toolkit/pulse_list.h"
#include "toolkit/loudness_average.h"
#include "toolkit/spline_path.h"
#include "toolkit/step_timer.h"
#include "toolkit/swimmer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct RopePoint {
    bool pinned = false; // a rope's head: placed from its anchor, never moved by the physics
    Vector3 position;
    Vector3 previousPosition;
};

// Indices into the points array.
struct RopeLink {
    int a = 0, b = 0;
    float restLength = 0.0f;
};

// Set by the first settling step of the run and never cleared: the specks move that once, then
// stay, however often a ropes scene is set up.
extern bool ropesSpecksStepped;

// ---------------------------------------------------------------------------------------------
// The scene

class RopesEffect : public Base {
public:
    static constexpr int pointsPerRope = 30;
    static constexpr int ropeCount = 200;
    static constexpr int bundleCount = 5;
    static constexpr int ropesPerBundle = ropeCount / bundleCount;
    static constexpr int speckCount = 2500;
    static constexpr int emitterCount = 4;
    static constexpr int relaxPasses = 5;

    StepTimer stepTimer{16, 15};
    // Reused every frame.
    VertexBatch flareBatch{GL_QUADS};
    VertexBatch ropeBatch{GL_LINE_STRIP}; // one rope at a time
    SplinePath anchorPaths[bundleCount];
    std::vector<int> ropeHeads;    // index of each rope's first point
    std::vector<RopePoint> points; // rope by rope, head first
    std::vector<RopeLink> links;   // rope by rope
    SpectrumAverage loudness{3};
    PulseList glowCues;  // the glow's blur
    PulseList flashCues; // the specks' and flares' flashes
    std::vector<BubbleEmitter> emitters;
    Vector3 anchors[bundleCount];
    float smoothedLevel = 0.0f;
    std::vector<Swimmer> specks;

    RopesEffect();
    ~RopesEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first tenth, out over the last 1.5 %.
    static float fadeAt(float t);
    // Anchor k's place for relative time t: along its path, jittered by a slow sine.
    Vector3 anchorAt(int k, float t) const;
    // One physics step: (once) the specks, inertia, five relaxation passes, the heads.
    void ropeStep();
    // The swimmers' flare strength r by music position and level.
    static float flareLevelAt(int musicMs, float level);
    // The strength of speck n (see draw): late for n >= 1000, else A, or wave * A every eighth.
    static float speckStrength(int n, float a, float late, float wave);
    static Vector3 eyeAt(float t);
    // Rope colour (red, green, blue, alpha) by rope index, one of four.
    static Vector ropeColour(int rope, float alpha);

private:
    void buildSpecks();
    void buildAnchors();
    void buildRopes();
    void drawSpecks(float t, float alpha, float r, float flash, int musicMs) const;
    void drawSwimmers(float alpha, int musicMs) const;
    void drawSwimmerFlares(float r, float flash, int musicMs);
    void drawRopes(float alpha);
};
