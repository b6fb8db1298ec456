// The jellyfish ("meduusa", 91 s to 150 s). A swarm of glowing plankton shells drifts and pulses
// with a run of music cues, shaken by a wobbling distortion, while the shared swimmers fade out;
// then thirteen jellyfish fade in one after another from 100 s, pulsing, drifting and trailing
// tentacles that sway in the water currents, while bubbles rise from below. The camera floats
// around them along a random spline; a glow follows a second list of cues, a fine grain lies
// over the picture, and at 133.5 s the jellyfish change colour.
//
// Its run clears ownCameraFlag every frame, so the early creatures, which run after it, draw
// their specks in this scene's picture instead of flying their own camera.
#pragma once

#include "runtime/dms.h"
#include "toolkit/bubble_emitter.h"
#include "toolkit/pulse_list.h"
#include "toolkit/loudness_average.h"
#include "toolkit/spline_path.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"

#include <cstddef>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Data types

// A plankton shell moves from start to end over the scene.
struct Shell {
    Vector3 start, end;
};

struct Tentacle {
    SplinePath path;          // hangs down from the bell; its frozen points are moved every step
    float phaseOffset = 0.0f; // of the light waves running down it
    int kind = 0;             // the current field that sways it
};

struct Jellyfish {
    static constexpr int meridianCount = 16;
    static constexpr int pointsPerMeridian = 30;

    Vector3 position;
    bool hasCaustics = false; // bell textured with the animated caustic frames
    std::vector<Tentacle> tentacles;
    // The bell, rebuilt every step: meridian i, point j at i * pointsPerMeridian + j.
    std::vector<Vector3> meshPoints;
    std::vector<Vector3> meshTexCoords;
    Vector3 bodyColourA, lineColourA, bodyColourB, lineColourB; // before and after the change
    Vector3 orientation; // rotation in turns about x, y and z
    Vector3 drift;       // direction of the slow drift
    float tiltA = 0.0f, tiltB = 0.0f;
    float shadePhase = 0.0f; // offset of the bell's brightness pulse
    float size = 1.0f;
    float phaseSpeed = 0.0f, phase = 0.0f;
    float appearStart = 0.0f, appearEnd = 0.0f; // music ms of the fade-in
    float visibility = 0.0f;

    const Vector3& meshPoint(int meridian, int j) const
    {
        return meshPoints[static_cast<std::size_t>(meridian * pointsPerMeridian + j)];
    }
};

// The scene's batches, kept from frame to frame so their memory is reused.
struct JellyBatches {
    VertexBatch bell{GL_TRIANGLE_STRIP};
    VertexBatch lines{GL_LINE_STRIP};
    VertexBatch rim{GL_LINE_LOOP};
    VertexBatch points{GL_POINTS};
    VertexBatch shells{GL_QUADS};
};

// ---------------------------------------------------------------------------------------------
// Process-wide state

// ---------------------------------------------------------------------------------------------
// The scene

class MeduusaEffect : public Base {
public:
    PulseList glowCues;  // the glow's blur alpha
    PulseList shellCues; // the shells' size and distortion
    StepTimer stepTimer;
    int shellCount = 100;
    std::vector<Shell> shells;
    std::vector<Jellyfish> jellyfish;
    std::vector<BubbleEmitter> emitters;
    SplinePath cameraPath, targetPath; // eye and look-at over t
    SpectrumAverage spectrum;

    MeduusaEffect();
    ~MeduusaEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;

    // Fade by relative time: in over the first 7 %, out over the last hundredth.
    static float fadeAt(float t);
    // Brightness of the shells: up within the first 0.5 % of the scene, away from 99.75 s to 101.5 s.
    static float shellBrightness(float t, float musicMs);
    static bool shellsVisible(int musicMs) { return musicMs < 101500; }
    // From 97.5 s the shells are shaken by the sine distortion, before that blurred vertically.
    static bool shellsDistorted(int musicMs) { return musicMs > 97500; }
    // Opacity of the shared swimmers, fading from 98.5 s; they are not drawn from 100 s.
    static float swimmerFade(float musicMs, float alpha);
    // 0 with the first colours, 1 with the second (from 134 s), blending from 133.5 s.
    static float colourMixAt(float musicMs);

    // One simulation step: shared swimmers every fourth, jellyfish, bubbles.
    void simulate(int musicMs);

    static void initJellyfish(Jellyfish& jelly, bool main, const Vector3& position);
    static void stepJellyfish(Jellyfish& jelly, int musicMs);
    static void drawJellyBody(JellyBatches& batches, const Jellyfish& jelly, float alpha, float t, float colourMix);
    static void drawJellyLines(JellyBatches& batches, const Jellyfish& jelly, float alpha, float colourMix);
    static void buildTentacle(Tentacle& tentacle, const Vector3& start);
    static void stepTentacle(Tentacle& tentacle, float phase);
    static void drawTentacle(VertexBatch& strips, const Tentacle& tentacle, float phase, const Vector3& colour,
                             float alpha);

private:
    JellyBatches batches;
    void drawShells(float t, int musicMs);
};
