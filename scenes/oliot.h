// The creatures ("oliot", 182.95 s to 204 s): over a dim, lit sea floor 150 small ribbon-shaped
// creatures drift and tumble, each a waving band of coloured lines with a faint body and
// twinkling flares along its edges. The shared swimmers hover as soft points and fade early;
// then 200 thin sprouts grow up one after another, each with a turquoise flare at its tip, while
// the floor darkens; in the second half 500 tall swirling strands appear, along which short
// sparks and white flares travel. The camera follows track 2 of the rig; the picture is glowed
// and gets a light grain.
//
// Everything, the shared swimmers included, is built by the constructor at start-up.
#pragma once

#include "runtime/dms.h"
#include "toolkit/ground_grid.h"
#include "toolkit/spline_path.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

struct Ribbon {
    float phase = 0.0f;
    float phaseSpeed = 0.0f;
    float halfWidth = 0.0f;  // half its length along its own x
    float height = 0.0f;     // largest half-height of the band
    int segmentCount = 0;    // 7 to 13
    Vector3 position;
    Vector3 rotation;        // about x, y and z, in turns
    Vector3 colour;
    Vector3 drift;           // added to the position every step
    Vector3 spin;            // added to the rotation every step
    bool texturedBody = false; // caustic frames instead of "deeptxt2.jpg"; no ribbon sets it
    std::vector<Vector3> top, bottom; // rebuilt every frame
    std::vector<float> flareSizes;
    const char* flareTexture = "flare_white.jpg";
};

struct Sprout {
    float growth = 0.0f; // 0..1
    float flarePhase = 0.0f;
    float flareSpeed = 0.0f;
    float growthStart = 0.0f, growthEnd = 0.0f; // music ms
    Vector3 tip;                                // last point drawn
    SplinePath path;
    Vector3 start;
    Vector3 colour;
};

struct Strand {
    float appearStart = 0.0f, appearEnd = 0.0f; // relative scene time
    float travel = 0.0f;                        // where the spark is along the path, 0..1
    float travelSpeed = 0.0f;
    SplinePath path;
    float twinklePhase = 0.0f;
    float twinkleSpeed = 0.0f;
    float visibility = 0.0f;
    float brightness = 0.0f;
    float peakBrightness = 0.0f;
};

// ---------------------------------------------------------------------------------------------
// The scene

class OliotEffect : public Base {
public:
    int ribbonCount = 150;
    std::vector<Ribbon> ribbons;
    int sproutCount = 200;
    std::vector<Sprout> sprouts;
    std::vector<Strand> strands;
    GroundGrid floor;
    StepTimer stepTimer;
    // Reused every frame: a ribbon's three blocks (drawn in its own frame), then the sprouts' lines
    // and tips and the strands' sparks and flares, each all at once.
    VertexBatch ribbonLines{GL_LINES}, ribbonBody{GL_QUAD_STRIP}, ribbonFlares{GL_QUADS};
    VertexBatch sproutLines{GL_LINE_STRIP}, sproutTips{GL_QUADS};
    VertexBatch strandSparks{GL_LINES}, strandFlares{GL_QUADS};

    OliotEffect();
    ~OliotEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // In over the first tenth, out over the last hundredth (slope 100.0001).
    static float fadeAt(float t);
    // The floor darkens from 0.35 alpha between 191.58 s and 195.58 s.
    static float floorBrightness(float musicMs, float alpha);
    // The shared swimmers' opacity, fading from 191.58 s; they are not drawn from 193.58 s.
    static float swimmerFade(float musicMs, float alpha);
    static bool swimmersVisible(int musicMs) { return musicMs < 193580; }

    static void initRibbon(Ribbon& ribbon);
    static void stepRibbon(Ribbon& ribbon);
    void drawRibbon(Ribbon& ribbon, float alpha);
    static void initSprout(Sprout& sprout);
    static void stepSprout(Sprout& sprout, float musicMs);
    static void drawSproutLine(VertexBatch& batch, Sprout& sprout, float alpha);
    static void drawSproutTip(VertexBatch& batch, const Sprout& sprout, const Vector3& right, const Vector3& up,
                              float alpha);
    static void initStrand(Strand& strand);
    static void stepStrand(Strand& strand, float t);
    // The two ends of the spark: the travel position and 0.01 on, never past the path's end.
    static void sparkSpan(const Strand& strand, float& from, float& to);
    static void drawStrandSpark(VertexBatch& batch, const Strand& strand, float alpha);
    static void drawStrandFlare(VertexBatch& batch, const Strand& strand, const Vector3& right, const Vector3& up,
                                float alpha);
    static void drawBillboard(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                              float halfSize, float alpha);

    // The whole 16 ms steps banked since the last frame; how many ran.
    int advance(float t);
    // One 16 ms step of everything that moves.
    void simulate(int musicMs, float t);
};
