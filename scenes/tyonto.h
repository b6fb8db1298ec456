// The push ("tyonto", 167 s to 182.8 s): ten thousand glowing specks hang in the water, each held
// to its home by a soft spring, while five invisible pushers wander through the cloud and shove
// them aside, leaving holes that slowly close. A stretched shell textured with animated caustics
// is drawn first as a backdrop that writes no depth. The camera sinks from 25 units up to the
// cloud's floor, looking up towards where it began; the frame ends in the glow.
#pragma once

#include "runtime/dms.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct Pusher {
    Vector3 position;
    Vector3 velocity;
    float radius = 16.0f;
    float speed = 0.0f;
};

// Position and previous position together carry the velocity.
struct PushParticle {
    Vector3 position;
    Vector3 previous;
    Vector3 home;
};

// ---------------------------------------------------------------------------------------------
// The scene

class TyontoEffect : public Base {
public:
    int pusherCount = 5;
    std::vector<Pusher> pushers;
    T3D* background = nullptr; // "sp.t3d", its texture coordinates scaled by 9 once
    int particleCount = 10000;
    std::vector<PushParticle> particles;
    StepTimer stepTimer;
    VertexBatch shellBatch{GL_TRIANGLES}; // reused every frame
    VertexBatch speckBatch{GL_QUADS};

    TyontoEffect();
    ~TyontoEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // In over the first tenth, out over the last 4 % (slope 24.999987).
    static float fadeAt(float t);
    // The specks' glow reach: 31.5 times alpha, falling to 0 over the last 5 %.
    static float zModAt(float t, float alpha);
    static Vector3 eyeAt(float t);
    static Vector3 centreAt(float t);

    // The whole 16 ms steps the music clock has banked since the last frame; how many ran.
    int advance();
    // Springs and integration for every particle, then every pusher moves and pushes.
    void simulateStep();
    void pushParticles(const Pusher& pusher);
    static void pullAndIntegrate(PushParticle& p);
    static void movePusher(Pusher& pusher);
    // Multiplies the mesh's texture coordinates by 9, once per mesh for the whole process.
    static void scaleTexCoordsOnce(T3D* mesh);

private:
    void drawBackground(float t, float alpha);
    void drawParticles(float t, float alpha);
};
