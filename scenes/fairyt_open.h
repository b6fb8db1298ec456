// The opening: the camera sinks through faint drifting smoke towards a small square of water
// that mirrors the smoke above it, and stops drawing just before it would pass the surface.
#pragma once

#include "runtime/dms.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// -------------------------------------------------------------------------------------------------
// Data types

class FairytOpenEffect : public Base {
public:
    int puffCount = 80;
    std::vector<Vector> puffPositions; // moved every time the smoke is drawn, never reset
    int dustCount = 500;
    std::vector<Vector> dustPositions; // lie on the surface and never move
    VertexBatch quads{GL_QUADS};       // the smoke's billboards, reused from frame to frame

    FairytOpenEffect();
    ~FairytOpenEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;
    // Fade in over the first 45 % of the scene, out over the last 15 %; 0 outside [0, 1).
    static float fadeAt(float t);

    // False, leaving the matrix alone, once the eye would reach the water (t of about 0.9507).
    bool setupCamera(float t);
    // One drawing pass's worth of drift: every puff moves by its velocity times dt times 1.75.
    void movePuffs(float dt);
    void drawSmoke(float t, float alpha);
    void renderReflection(float t, float alpha);
    void renderRefraction(float t, float alpha);
    void drawWaterSurface(float t, float alpha);
};

// -------------------------------------------------------------------------------------------------
// Pure helpers (the simulation side, testable without GL)

// The camera's eye on its cubic path towards the water.
Vector3 openingEye(float t);
// The drift of puff i in world units per second (before the 1.75 factor).
Vector3 puffVelocity(int i);
