// The descent: the camera sinks at a steady rate through open water, swaying and rolling a
// little, while plankton, sideways crossers (a few of them seahorses) and glowing motes appear
// below it and drift past, more of them as the scene goes on. Captured and given a glow over a
// dark blue that fades towards black.
#pragma once

#include "runtime/dms.h"
#include "toolkit/step_timer.h"
#include "toolkit/vertex_batch.h"

#include <vector>

// -------------------------------------------------------------------------------------------------
// Data types

enum class SpriteKind { Plankton, Crosser, Mote };
enum class LifeState { Alive, FadingOut };

// Looks a texture up by archive name; the scene uses dmsGetTexture, tests a stand-in.
using TextureLookup = Texture* (*)(const char* name);

class DescentCamera {
public:
    Vector3 eye{0.0f, 0.0f, -10.0f};
    Vector3 target{0.0f, 0.0f, 0.0f};
    float sway = 0.0f;

    // Sinks 0.015 units and sways on by 0.01.
    void step();
    // gluLookAt along +z, rolled and shifted sideways by the sway.
    void apply() const;
};

// One record for all three kinds.
class Sprite {
public:
    SpriteKind kind = SpriteKind::Plankton;
    Vector3 color;
    Vector3 position;
    LifeState lifeState = LifeState::Alive;
    float fade = 0.0f;      // 0..1 progress of the fade-out
    float fadeSpeed = 0.01f;
    float age = 0.0f;
    Vector3 spin;           // a random unit vector; its z sets a crosser's roll
    Vector3 velocity;
    Texture* texture = nullptr; // plankton and crossers
    float halfWidth = 0.0f, halfHeight = 0.0f;
    float size = 0.0f;
    float phaseSpeed = 0.0f;
    float phase = 0.0f;
    float brightness = 0.0f;

    void stepSprite(const DescentCamera& camera);
    bool isDead() const;
    // A mote is one point, the others a quad, written into the batch of that kind.
    void drawSprite(VertexBatch& batch, float alpha, const Vector3& right, const Vector3& up) const;
};

class UppoEffect : public Base {
public:
    DescentCamera camera;
    std::vector<Sprite> planktonList; // oldest first
    std::vector<Sprite> crosserList;
    std::vector<Sprite> moteList;
    StepTimer stepTimer{16, 5};
    TextureLookup textureLookup = dmsGetTexture;
    VertexBatch quads{GL_QUADS}, points{GL_POINTS}; // reused from frame to frame

    // Process-wide: one more after every simulation step; which of the three seahorses have
    // been shown. Neither is ever reset.
    static int tickCounter;
    static bool seahorseShown[3];

    UppoEffect();
    ~UppoEffect() override;
    bool init(unsigned long start, unsigned long end) override;
    void run() override;
    void draw(float t, float alpha) override;
    // Fade in over the first tenth, out over the last hundredth (no clamp beyond that).
    static float fadeAt(float t);

    // The whole steps the music clock owes this frame.
    void simulate(float t);
    // One 16 ms step: camera, sprites, removals, births.
    void step(float t);
    void render(float alpha);
};

// -------------------------------------------------------------------------------------------------
// Pure helpers

// A new sprite of the given kind below the camera; draws from the random generator in the
// scene's fixed order.
Sprite spawnSprite(const DescentCamera& camera, float t, SpriteKind kind, TextureLookup lookup);
