#include "toolkit/show_state.h"
#include "render/draw_state.h"
#include "toolkit/swimmer.h"
#include "toolkit/vertex_batch.h"

#include "maths/random.h"

#include <GL/gl.h>

#include <cmath>


namespace {
constexpr float fullTurn = 6.283184f;
constexpr float dashHalfLength = 0.03f;
} // namespace

void placeWanderer(Wanderer& w, float boxBottom, float boxTop, float minSpeed, float maxSpeed)
{
    const float z = randomRange(-15.0f, 15.0f);
    const float y = randomRange(0.0f, boxTop);
    const float x = randomRange(-15.0f, 15.0f);
    w.setConfined(true);
    w.setPosition(Vector3(x, y, z));
    const float phi = randomRange(0.0f, fullTurn);
    const float theta = randomRange(0.0f, fullTurn);
    w.setAngles(theta, phi);
    w.setBox(-15.0f, 15.0f, boxBottom, boxTop, -15.0f, 15.0f);
    w.setTurnRates(0.0f, 0.0f);
    w.setSpeed(randomRange(minSpeed, maxSpeed));
}

void placeSwimmer(Swimmer& swimmer, float boxTop, float minSpeed, float maxSpeed)
{
    placeWanderer(swimmer.wanderer, 0.0f, boxTop, minSpeed, maxSpeed);
}

void startSwimmerPulse(Swimmer& swimmer)
{
    swimmer.phase = randomUnit();
    swimmer.phaseSpeed = randomRange(0.01f, 0.02f);
}

void initSwimmer(Swimmer& swimmer)
{
    placeSwimmer(swimmer, 5.0f, 0.001f, 0.005f);
    swimmer.colour = Vector3(0.3f, 0.3f, randomRange(0.4f, 0.7f));
    startSwimmerPulse(swimmer);
}

void updateSwimmer(Swimmer& swimmer)
{
    swimmer.wanderer.step();
    if (randomUnit() < 0.01f)
        swimmer.wanderer.turn(0.2f);
    swimmer.phase += swimmer.phaseSpeed;
}

float swimmerAlpha(const Swimmer& swimmer, float alpha) { return (std::sin(swimmer.phase) * 0.4f + 0.6f) * alpha; }

void drawSwimmer(const Swimmer& swimmer, float alpha, float /*colourScale*/)
{
    const Vector3& c = swimmer.colour;
    glColor4f(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    const Vector3 p = swimmer.wanderer.getPosition();
    const Vector3 q = swimmer.wanderer.getPreviousPosition();
    glVertex3f(p.x, p.y, p.z);
    glVertex3f(q.x, q.y, q.z);
}

void drawSwimmer(VertexBatch& batch, const Swimmer& swimmer, float alpha)
{
    const Vector3& c = swimmer.colour;
    batch.color(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    batch.vertex(swimmer.wanderer.getPosition());
    batch.vertex(swimmer.wanderer.getPreviousPosition());
}

Vector3 swimmerDashCentre(const Swimmer& swimmer, float yScale)
{
    Vector3 p = swimmer.wanderer.getPosition();
    if (std::fabs(yScale) > 0.001f)
        p.y *= yScale;
    return p;
}

void drawSwimmerDash(const Swimmer& swimmer, float alpha, float yScale)
{
    const Vector3& c = swimmer.colour;
    glColor4f(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    const Vector3 p = swimmerDashCentre(swimmer, yScale);
    glVertex3f(p.x - dashHalfLength, p.y, p.z);
    glVertex3f(p.x + dashHalfLength, p.y, p.z);
}

void drawSwimmerDash(VertexBatch& batch, const Swimmer& swimmer, float alpha, float yScale)
{
    const Vector3& c = swimmer.colour;
    batch.color(c.x, c.y, c.z, swimmerAlpha(swimmer, alpha));
    const Vector3 p = swimmerDashCentre(swimmer, yScale);
    batch.vertex(p.x - dashHalfLength, p.y, p.z);
    batch.vertex(p.x + dashHalfLength, p.y, p.z);
}

void setSpeckPointState()
{
    glPointSize(3.0f);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
}

void beginSpeckPoints()
{
    setSpeckPointState();
    noteDraw(GL_POINTS, layoutColor);
    glBegin(GL_POINTS);
}

void endSpeckPoints()
{
    glEnd();
    glDisable(GL_POINT_SMOOTH);
}

void endSpeckPoints(VertexBatch& batch)
{
    batch.draw();
    glDisable(GL_POINT_SMOOTH);
}

void fillSharedSwimmers()
{
    sharedSwimmers.assign(sharedSwimmerCount, Swimmer());
    seedRandom(51);
    for (Swimmer& swimmer : sharedSwimmers)
        initSwimmer(swimmer);
}
