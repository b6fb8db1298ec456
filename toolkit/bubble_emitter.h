// Bubbles that wobble in one of the four water currents, rise and fade. An owner keeps a few
// emitters, and every simulation step steps each one and then jumps it to a new random spot
// below the scene, so bubbles appear scattered over a wide ring rather than in columns.
#pragma once

#include "runtime/dms.h"
#include "toolkit/vertex_batch.h"

#include <list>
#include <vector>

struct Bubble {
    int kind = 0; // current field 0..3
    Vector3 position;
    float life = 0.0f;     // counts down by 0.001 a step; removed below 0
    float fullLife = 0.0f; // the life it started with
    float halfSize = 0.0f;
    float phase = 0.0f; // argument of the current field
    float phaseSpeed = 0.0f;
};

// Opacity over a bubble's life: a quick fade-in after birth and a slow fade-out towards death.
float bubbleLifeFade(const Bubble& bubble);
// Opacity by squared distance q from the eye: 0 nearer than 7.5, 1 beyond 9.5, linear between.
float bubbleNearFade(float squaredDistance);


class BubbleEmitter {
public:
    const char* textureName = nullptr; // archive name of the sprite, looked up when drawn
    Vector3 position;
    std::list<Bubble> bubbles; // in spawn order; copying an emitter copies its bubbles

    // Random new position: on a disc of radius 15, 5 to 10 below the floor.
    void relocate();
    // Advances every bubble (life, current, rise), removes those whose life fell below 0, and
    // spawns a new one at the emitter in about half of the steps.
    void step(float rise);
    // Additive camera-facing sprites without depth test; with nearFade, bubbles close to
    // cameraPosition fade out. Leaves depth testing disabled and texturing off.
    void draw(float alpha, bool nearFade) const;

private:
    mutable VertexBatch sprites{GL_QUADS}; // reused from frame to frame
};

// `count` emitters, each relocated in turn, with the two bubble sprites alternating.
std::vector<BubbleEmitter> bubbleEmitters(int count);
