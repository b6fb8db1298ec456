// A point that swims: constant speed along a heading given by two angles that drift at set
// rates. When confined it turns back after leaving its box, trying a few random headings and
// keeping the first that leads back inside. Call step() once per simulation step.
// Heading for (theta, phi): (sin theta sin phi, sin theta cos phi, cos theta).
#pragma once

#include "runtime/dms.h"

class Wanderer {
public:
    bool confined;
    Vector3 position;
    Vector3 previousPosition;
    float speed;
    float theta;
    float phi;
    float thetaRate;
    float phiRate;
    Vector3 boxMin; // the box is inclusive on every face
    Vector3 boxMax;

    Wanderer();

    // Back to rest at the origin, unconfined, with a box shrunk to the origin. previousPosition
    // is kept.
    void reset();
    // Each pair may come in either order.
    void setBox(float x1, float x2, float y1, float y2, float z1, float z2);
    void setConfined(bool confined);
    // Sets both the position and the previous position.
    void setPosition(const Vector3& p);
    Vector3 getPosition() const { return position; }
    Vector3 getPreviousPosition() const { return previousPosition; }
    void setAngles(float theta, float phi);
    void setTurnRates(float thetaRate, float phiRate);
    void setSpeed(float speed);

    // Outside the box; a NaN coordinate counts as outside.
    bool isOutside(const Vector3& p) const;
    // Moves one step, drifts the angles, and turns back (turn(0.2)) if confined and outside.
    void step();
    // Random change of heading: theta by up to amount, phi by up to half of it (theta drawn
    // first). Outside the box, up to six tries for a heading whose next step lands inside;
    // the last try is kept either way. The position does not move.
    void turn(float amount);
};
