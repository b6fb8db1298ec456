// The spray ("suihke", 204 s to 221.5 s): every 30 ms of music five soft blue particles are born
// along five paths that run from a wide ring far out in to the centre; they drift, shrink over
// 8.5 seconds and, the big ones, turn pale yellow with the music. The camera backs slowly
// towards them while a black silhouette of "3djytky.t3d" turns in front of the view, and the
// picture goes through the zoom-trail pass, whose trail carries over from frame to frame.
#pragma once

#include "runtime/dms.h"
#include "toolkit/loudness_average.h"
#include "toolkit/spline_path.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct SprayParticle {
    Vector3 position;
    Vector3 velocity; // units per second
    float life = 0.0f; // ms of music left
    float size = 0.0f;
    float brightness = 0.0f;
    bool big = false; // takes the music's pale colour
};

// The three values each face of the silhouette sends as texture unit 1 coordinates.
struct SilhouetteFace {
    Vector3 values;
};

// ---------------------------------------------------------------------------------------------
// The scene

class SuihkeEffect : public Base {
public:
    static constexpr int pathCount = 5;
    static constexpr float particleLife = 8500.0f;
    static constexpr float emitInterval = 30.0f;

    SplinePath sprayPaths[pathCount];
    std::vector<SprayParticle> sprayParticles; // in birth order
    float emitCountdown = -1.0f;               // ms until the next batch may be born
    float lastEmitClock = -1.0f;               // music position of the last frame; < 0 before the first
    T3D* mesh = nullptr;
    std::vector<SilhouetteFace> faceData;
    SpectrumAverage spectrum{3};
    // Reused every frame.
    VertexBatch sprayBatch{GL_QUADS};
    VertexBatch silhouetteBatch{GL_TRIANGLES};
    float sprayBeat = 0.0f; // the smoothed music level the big particles follow

    SuihkeEffect();
    ~SuihkeEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // The frame's elapsed music time from position p, never negative (a seek back counts as no
    // time passing); 0 on the first frame, which only starts the clock.
    float advanceClock(int p);
    // The emission rule for a frame that took dt ms: true when a batch is due (and the countdown
    // restarts at 30), at most one batch a frame.
    bool emissionDue(float dt);
    // One particle per path at the path's point for t, appended in path order.
    void emitBatch(float t);
    static SprayParticle spawnSprayParticle(const Vector3& position, const Vector3& direction);
    // Ages and moves a particle by dt ms; false once its life has run out.
    static bool stepSprayParticle(SprayParticle& particle, float dt);
    // Half size of the particle's quad: shrinks linearly to nothing over its life.
    static float sprayHalfSize(const SprayParticle& particle);
    // Blue, or for a big particle blue moving towards pale yellow with the music level.
    static Vector3 sprayColour(const SprayParticle& particle, float beat);
    static Vector3 eyeAt(float t);
    // The silhouette's turn: angle in degrees and axis.
    static float silhouetteAngle(float t);
    static Vector3 silhouetteAxis(float t);
    // The per-face values of a mesh, one per face; faces naming a vertex the mesh does not hold
    // get zeros (and are not drawn).
    static std::vector<SilhouetteFace> silhouetteFaceData(const T3D& mesh);
    // The mesh turned for relative time t, placed relative to the eye, in the current colour.
    void drawSilhouette(float t);

private:
    void updateParticles(const Vector3& right, const Vector3& up, float dt, float alpha);
};
