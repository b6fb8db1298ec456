#include "toolkit/wanderer.h"

#include "maths/random.h"

#include <algorithm>
#include <cmath>

namespace {
// How many random headings a wanderer outside its box tries before it settles for the last.
constexpr int turnTries = 6;

Vector3 heading(float theta, float phi)
{
    return Vector3(std::sin(theta) * std::sin(phi), std::sin(theta) * std::cos(phi), std::cos(theta));
}
} // namespace

Wanderer::Wanderer() { reset(); }

void Wanderer::reset()
{
    position = Vector3();
    speed = theta = phi = thetaRate = phiRate = 0.0f;
    confined = false;
    boxMin = boxMax = Vector3();
}

void Wanderer::setBox(float x1, float x2, float y1, float y2, float z1, float z2)
{
    boxMin = Vector3(std::min(x1, x2), std::min(y1, y2), std::min(z1, z2));
    boxMax = Vector3(std::max(x1, x2), std::max(y1, y2), std::max(z1, z2));
}

void Wanderer::setConfined(bool confined_) { confined = confined_; }

void Wanderer::setPosition(const Vector3& p) { position = previousPosition = p; }

void Wanderer::setAngles(float theta_, float phi_)
{
    theta = theta_;
    phi = phi_;
}

void Wanderer::setTurnRates(float thetaRate_, float phiRate_)
{
    thetaRate = thetaRate_;
    phiRate = phiRate_;
}

void Wanderer::setSpeed(float speed_) { speed = speed_; }

bool Wanderer::isOutside(const Vector3& p) const
{
    return !(p.x >= boxMin.x) || p.x > boxMax.x || !(p.y >= boxMin.y) || p.y > boxMax.y ||
           !(p.z >= boxMin.z) || p.z > boxMax.z;
}

void Wanderer::step()
{
    const Vector3 v = heading(theta, phi) * speed;
    previousPosition = position;
    position = position + v;
    theta += thetaRate;
    phi += phiRate;
    if (confined && isOutside(position))
        turn(0.2f);
}

void Wanderer::turn(float amount)
{
    if (!isOutside(position)) {
        theta += amount * randomRange(-1.0f, 1.0f);
        phi += amount * randomRange(-0.5f, 0.5f);
        return;
    }
    float newTheta = theta;
    float newPhi = phi;
    for (int i = 0; i < turnTries; ++i) {
        newTheta = theta + amount * randomRange(-1.0f, 1.0f);
        newPhi = phi + amount * randomRange(-0.5f, 0.5f);
        if (!isOutside(position + heading(newTheta, newPhi) * speed))
            break;
    }
    theta = newTheta;
    phi = newPhi;
}
