// Swimmer specks: tiny points that wander slowly through a box of water and pulse in brightness.
// A swimmer is drawn as two vertices, inside a GL_POINTS or GL_LINES primitive the caller has
// opened (with its blending and point or line size): its current and previous positions, or a
// short dash along x.
//
// sharedSwimmers is the one set of 400 that the creatures scene builds at start-up and the
// jellyfish, creatures and ropes scenes step and draw in turn; it is never resized, so each scene
// picks the specks up where the previous one left them.
#pragma once

#include "runtime/dms.h"
#include "toolkit/wanderer.h"

class VertexBatch;

#include <vector>

struct Swimmer {
    float phase = 0.0f;      // pulse phase, radians
    float phaseSpeed = 0.0f; // added every step
    Vector3 colour;
    Wanderer wanderer;
};

// The parts both set-ups share, in their draw order. placeWanderer: a start at random z, y, x
// (drawn in that order) with x, z in [-15, 15] and y in [0, boxTop], confined to the box x, z in
// [-15, 15], y in [boxBottom, boxTop], random angles (phi drawn before theta), no drift, a random
// speed. placeSwimmer: the same in the box from y = 0. startSwimmerPulse: a random phase, then a
// random phase speed.
void placeWanderer(Wanderer& wanderer, float boxBottom, float boxTop, float minSpeed, float maxSpeed);
void placeSwimmer(Swimmer& swimmer, float boxTop, float minSpeed, float maxSpeed);
void startSwimmerPulse(Swimmer& swimmer);

// The set-up of the shared swimmers: a bluish speck in the box x, z in [-15, 15], y in [0, 5].
void initSwimmer(Swimmer& swimmer);
// One simulation step: swim, now and then (one step in a hundred) a random change of heading,
// and advance the pulse.
void updateSwimmer(Swimmer& swimmer);
// The speck's pulsing opacity: between 0.2 and 1 times alpha.
float swimmerAlpha(const Swimmer& swimmer, float alpha);
// Emits the current and the previous position. Every caller passes colourScale 1; the stored
// colour is used unchanged.
void drawSwimmer(const Swimmer& swimmer, float alpha, float colourScale);
// The same two vertices written into a batch.
void drawSwimmer(VertexBatch& batch, const Swimmer& swimmer, float alpha);
// The centre of the dash drawSwimmerDash emits: the position, its height scaled by yScale unless
// |yScale| <= 0.001 (a yScale of 0 leaves heights alone).
Vector3 swimmerDashCentre(const Swimmer& swimmer, float yScale);
// Emits two vertices 0.06 apart along x around swimmerDashCentre.
void drawSwimmerDash(const Swimmer& swimmer, float alpha, float yScale);
void drawSwimmerDash(VertexBatch& batch, const Swimmer& swimmer, float alpha, float yScale);

// Opens a GL_POINTS primitive for specks: 3-pixel smoothed points, added to the picture
// (additive blending), untextured. endSpeckPoints closes it and turns the smoothing off again;
// blending stays on.
void beginSpeckPoints();
void endSpeckPoints();
// The same state for specks collected in a GL_POINTS batch: setSpeckPointState before drawing
// it (no glBegin), then endSpeckPoints(batch) draws it and turns the smoothing off.
void setSpeckPointState();
void endSpeckPoints(VertexBatch& batch);

constexpr int sharedSwimmerCount = 400;
// Builds sharedSwimmers: 400 swimmers set up with initSwimmer after seeding the generator with
// 51. The creatures scene calls it from its constructor.
void fillSharedSwimmers();
