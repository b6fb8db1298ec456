#include "scenes/ropes.h"

#include "render/post_process.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/grey_swimmer.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------------------------
// Data types

constexpr int settlingSteps = 100;
constexpr float inertia = 0.99204677f; // share of last step's motion a point keeps
constexpr float shortestLink = 0.001f;
constexpr float swimmerStretch = 7.5f;
constexpr int drawnPointsPerRope = 29; // the last point of each rope is not drawn

// The anchors' paths: point count and spread around (0, 1, 0) of each.
struct AnchorPathShape {
    int pointCount;
    float sx, sy, sz;
};
constexpr AnchorPathShape anchorShapes[RopesEffect::bundleCount] = {
    {14, 0.62f, 0.52f, -1.25f}, {9, 1.42f, 1.42f, -1.25f}, {14, 0.42f, 2.0f, -1.25f},
    {10, 1.42f, 1.42f, -1.25f}, {8, 1.62f, 1.62f, -1.25f}};

const int glowCueTimes[][2] = {{229457, 230807}, {232549, 233199}, {236652, 237902}};
const int flashCueTimes[][2] = {{229457, 231607}, {232549, 235299}};

} // namespace

bool ropesSpecksStepped = false;

// ---------------------------------------------------------------------------------------------
// Set-up

RopesEffect::RopesEffect() = default;

RopesEffect::~RopesEffect() = default;

bool RopesEffect::init(unsigned long start, unsigned long end)
{
    stepTimer = StepTimer(16, 15);
    Base::init(start, end);
    points.clear();
    links.clear();

    buildSpecks();

    glowCues = pulsesOf(glowCueTimes, 1);
    flashCues = pulsesOf(flashCueTimes, 1);

    buildAnchors();
    buildRopes();
    for (int i = 0; i < settlingSteps; ++i)
        ropeStep();

    emitters = bubbleEmitters(emitterCount);
    return true;
}

void RopesEffect::run()
{
    setFogColor(Vector3(-1.0f, 0.0f, 0.0f)); // the default water colour
    const float t = sceneTime(*this);
    PostProcess::beginCapture(true);
    draw(t, fadeAt(t));
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    const float c = glowCues.evaluate(dmsGetModulePosition());
    PostProcess::glowPass(6, 0.007f, 0.007f, 0.91f - std::sin(c * 3.14f) * 0.015f, -1.0f, 1.0f, 0);
}

void RopesEffect::draw(float t, float alpha)
{
    const int pos = dmsGetModulePosition();
    smoothedLevel = smoothedLevel * 0.94f + loudness.update() * 0.1f * 0.06f;

    for (int k = 0; k < bundleCount; ++k)
        anchors[k] = anchorAt(k, t);

    stepTimer.update();
    while (stepTimer.hasStep()) {
        ropeStep();
        for (Swimmer& swimmer : sharedSwimmers)
            updateSwimmer(swimmer);
        // Jumping every step scatters the bubbles over the whole area.
        for (BubbleEmitter& emitter : emitters) {
            emitter.step(0.015f);
            emitter.relocate();
        }
        stepTimer.consumeStep();
    }

    const float r = flareLevelAt(pos, smoothedLevel);

    const Vector3 eye = eyeAt(t);
    Vector3 centre;
    for (const Vector3& anchor : anchors)
        centre += anchor;
    const float late = rampLinear(t, 0.85f, 1.0f);
    centre = centre * 0.2f + Vector3(0.04f, 0.75f, 0.5f) * (late * late * 0.86f);
    cameraPosition = eye;
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);

    // Bubbles close to the eye fade out; depth testing stays off until the ropes.
    for (const BubbleEmitter& emitter : emitters)
        emitter.draw(alpha, true);

    const float flash = flashCues.evaluate(pos);
    drawSpecks(t, alpha, r, flash, pos);
    drawSwimmers(alpha, pos);
    drawSwimmerFlares(r, flash, pos);
    drawRopes(alpha);
}

float RopesEffect::fadeAt(float t) { return sceneFade(t, 0.1f, 10.0f, 0.985f, 66.66673f); }

Vector3 RopesEffect::anchorAt(int k, float t) const
{
    static const float rates[bundleCount] = {14.0f, 24.0f, 14.0f, 24.0f, 24.0f};
    static const float depths[bundleCount] = {0.006f, 0.01f, 0.021f, 0.013f, 0.015f};
    const float jitter = std::sin(rates[k] * t) * depths[k];
    return anchorPaths[k].evaluate(clamp(t + jitter, 0.0f, 1.0f));
}

Vector3 RopesEffect::eyeAt(float t)
{
    return Vector3(0.0f, 2.0f, 0.0f) +
           Vector3(sphericalToVector(3.0f - 1.25f * t, 2.0f * t, -3.15f * t - std::sin(1.35f * t) * 2.1f));
}

float RopesEffect::flareLevelAt(int musicMs, float level)
{
    if (musicMs <= 235497)
        return 0.0f;
    const float m = static_cast<float>(musicMs);
    return clamp((rampLinear(m, 237842.0f, 238842.0f) - rampLinear(m, 253047.0f, 254047.0f)) * level * 1.25f, 0.0f,
                 1.0f);
}

float RopesEffect::speckStrength(int n, float a, float late, float wave)
{
    if (n >= 1000)
        return late;
    return n % 8 != 0 ? a : wave * a;
}

Vector RopesEffect::ropeColour(int rope, float alpha)
{
    switch (rope % 4) {
    case 0:
        return Vector(0.4f, 0.27f, 0.9f, alpha);
    case 1:
        return Vector(0.4f, 0.47f, 0.9f, alpha);
    case 2:
        return Vector(0.4f, 0.47f, 0.79f, alpha);
    default:
        return Vector(0.9f, 0.3f, 0.8f, alpha);
    }
}

// No seed: the specks continue whatever sequence the set-ups before them left.
void RopesEffect::buildSpecks()
{
    specks.clear();
    specks.reserve(speckCount);
    for (int i = 0; i < speckCount; ++i) {
        Swimmer speck;
        initGreySwimmer(speck);
        speck.wanderer.setBox(-4.0f, 4.0f, -4.0f, 4.0f, -4.0f, 4.0f);
        const float z = randomRange(-23.0f, 23.0f);
        const float y = randomRange(-23.0f, 23.0f);
        const float x = randomRange(-23.0f, 23.0f);
        speck.wanderer.setPosition(Vector3(x, y, z));
        if (i % 6 == 0)
            speck.wanderer.setSpeed(randomRange(0.075f, 0.1f));
        specks.push_back(speck);
    }
}

// Each path's points are independent random points around (0, 1, 0); the last is the origin.
void RopesEffect::buildAnchors()
{
    seedRandom(19);
    for (int k = 0; k < bundleCount; ++k) {
        const AnchorPathShape& shape = anchorShapes[k];
        anchorPaths[k] = SplinePath();
        for (int i = 0; i < shape.pointCount; ++i)
            anchorPaths[k].addPoint(Vector3(0.0f, 1.0f, 0.0f) + Vector3(randomScaledVector(shape.sx, shape.sy, shape.sz)));
        anchorPaths[k].addPoint(Vector3());
        anchorPaths[k].bake();
    }
    for (int k = 0; k < bundleCount; ++k)
        anchors[k] = anchorPaths[k].evaluate(0.0f);
}

// A rope is a random walk down from its anchor: small for the head, larger for the rest; its
// links are a little shorter or longer than the walk's steps, so settling bunches it up.
void RopesEffect::buildRopes()
{
    seedRandom(23);
    points.reserve(static_cast<size_t>(ropeCount * pointsPerRope));
    links.reserve(static_cast<size_t>(ropeCount * (pointsPerRope - 1)));
    ropeHeads.assign(ropeCount, 0);
    for (int j = 0; j < ropeCount; ++j) {
        Vector3 e = anchors[j / ropesPerBundle];
        const int first = static_cast<int>(points.size());
        for (int k = 0; k < pointsPerRope; ++k) {
            RopePoint p;
            p.pinned = k == 0;
            e += Vector3(randomCenteredVector()) * (k == 0 ? 0.025f : 0.126f);
            p.position = p.previousPosition = e;
            points.push_back(p);
        }
        ropeHeads[static_cast<size_t>(j)] = first;
        for (int k = 1; k < pointsPerRope; ++k) {
            RopeLink link;
            link.a = first + k - 1;
            link.b = first + k;
            link.restLength = randomTo(0.065f) + 0.005f;
            links.push_back(link);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Simulation step

void RopesEffect::ropeStep()
{
    if (!ropesSpecksStepped)
        for (Swimmer& speck : specks)
            updateSwimmer(speck);
    ropesSpecksStepped = true;

    for (RopePoint& p : points) {
        if (p.pinned)
            continue;
        const Vector3 saved = p.position;
        p.position += (p.position - p.previousPosition) * inertia;
        p.previousPosition = saved;
    }

    for (int pass = 0; pass < relaxPasses; ++pass)
        for (const RopeLink& link : links) {
            RopePoint& a = points[static_cast<size_t>(link.a)];
            RopePoint& b = points[static_cast<size_t>(link.b)];
            if (a.pinned && b.pinned)
                continue;
            const Vector3 d = b.position - a.position;
            const float c = std::max(d.length(), shortestLink);
            const float k = (c - link.restLength) / c;
            if (!a.pinned)
                a.position += d * (k * 0.5f);
            if (!b.pinned)
                b.position -= d * (k * 0.5f);
        }

    // A head's previous position never changes (the inertia skips it): it stays where the rope
    // was built, so the head sits that far from the moving anchor.
    for (int g = 0; g < bundleCount; ++g)
        for (int j = g * ropesPerBundle; j < (g + 1) * ropesPerBundle; ++j) {
            RopePoint& head = points[static_cast<size_t>(ropeHeads[static_cast<size_t>(j)])];
            head.position = anchors[g] + head.previousPosition;
        }
}

// ---------------------------------------------------------------------------------------------
// Drawing

void RopesEffect::drawSpecks(float t, float alpha, float r, float flash, int musicMs) const
{
    const float a = alpha * (1.0f - 0.75f * r);
    const float q = std::sin(flash * 3.14f);
    const float late = std::min(rampLinear(static_cast<float>(musicMs), 238200.0f, 239268.0f) + q, 1.0f);
    const float s = std::sin(2.0f * t);
    const float wave = s * s * s * s;
    beginSpeckPoints();
    for (size_t n = 0; n < specks.size(); ++n)
        drawSwimmer(specks[n], speckStrength(static_cast<int>(n), a, late, wave), 1.0f);
    endSpeckPoints();
    glDisable(GL_LINE_SMOOTH);
}

void RopesEffect::drawSwimmers(float alpha, int musicMs) const
{
    beginSpeckPoints();
    if (musicMs > 228000) {
        const float in = rampLinear(static_cast<float>(musicMs), 228000.0f, 229999.0f);
        for (const Swimmer& swimmer : sharedSwimmers)
            drawSwimmerDash(swimmer, alpha * in * in, swimmerStretch);
    }
    endSpeckPoints();
    glEnable(GL_TEXTURE_2D);
}

void RopesEffect::drawSwimmerFlares(float r, float flash, int musicMs)
{
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
    const float s = r * 0.1f + 0.1f;
    bindArchiveTexture(r > 0.0f ? "flare_turq.jpg" : "flare_blue.jpg");
    if (r > 0.0f || (flash > 0.0f && musicMs > 228000)) {
        const float g = r + std::sin(flash * 3.14f) * 0.5f;
        flareBatch.color(g, g, g);
        for (const Swimmer& swimmer : sharedSwimmers) {
            Vector3 p = swimmer.wanderer.getPosition();
            p.y *= swimmerStretch;
            billboardQuad(flareBatch, p, right, up, s);
        }
    }
    flareBatch.draw();
}

void RopesEffect::drawRopes(float alpha)
{
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    const float a = alpha * 0.475f;
    glLineWidth(2.0f);
    glEnable(GL_LINE_SMOOTH);
    for (int j = 0; j < ropeCount; ++j) {
        // One draw per rope, its colour GL's current one: given per vertex, the same colour comes
        // out one step different in some of llvmpipe's pixels, and the ropes cannot be grouped
        // by colour without changing which hides which in the depth test.
        const Vector c = ropeColour(j, a);
        glColor4f(c.x, c.y, c.z, c.w);
        const size_t head = static_cast<size_t>(ropeHeads[static_cast<size_t>(j)]);
        for (size_t k = 0; k < drawnPointsPerRope; ++k)
            ropeBatch.vertex(points[head + k].position);
        ropeBatch.draw();
    }
    glDisable(GL_LINE_SMOOTH);
}
