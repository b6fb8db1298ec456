// The flare clusters: four loose clusters of soft white flares, each flare jittering on a stiff
// spring around its own home, scroll up through the view while the camera rolls slowly. Drawn
// additively and put on the window by the "meta" pass, so it lights up over the descent.
#pragma once

#include "runtime/dms.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// -------------------------------------------------------------------------------------------------
// Data types

// Verlet: the velocity is position - previous.
class FlareParticle {
public:
    Vector3 position;
    Vector3 previous;
    Vector3 home;
};

class MetakappyraEffect : public Base {
public:
    StepTimer stepTimer{25, 5};
    int particleCount = 140;
    std::vector<FlareParticle> particles; // built by init, never reset
    VertexBatch flares{GL_QUADS};          // reused from frame to frame

    MetakappyraEffect();
    ~MetakappyraEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;
    // Fade in over the first tenth, out over the last tenth.
    static float fadeAt(float t);

    // The whole 25 ms steps the music clock owes this frame.
    void simulate();
    // One step of every particle.
    void step();
    void render(float t, float alpha);
};

// -------------------------------------------------------------------------------------------------
// Pure helpers

// Half-size of particle i's billboard: 1 to 1.96875, repeating every 32 particles.
float flareHalfSize(int i);
// One spring and Verlet step: pulled home (with the fourth power of the distance) only when
// more than 1 away, no damping.
void stepFlare(FlareParticle& p);
