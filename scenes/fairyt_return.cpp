#include "scenes/fairyt_return.h"

#include "render/post_process.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"
#include "toolkit/swimmer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

// The ropes and their hairs: additive, untextured, smoothed lines over everything.
void setGlowingLines()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
}

// ---------------------------------------------------------------------------------------------
// Data types

constexpr float fullTurn = 6.283184f;
constexpr int mainPathPoints = 120;
constexpr int loosePathPoints = 120;
constexpr int hairBasePerRope = 1500;
constexpr int hairCurlSteps = 7;
constexpr float unseen = 0.0001f; // a hair or spark below this is not drawn

// A hair's two colour families: K1..K2 for colour and K3..K4 for colour2, by one raw draw.
struct HairPalette {
    Vector3 k1, k2, k3, k4;
};
const HairPalette thinPalettes[2] = {
    {{0.9f, 0.4f, 0.15f}, {1.0f, 0.5f, 0.2f}, {0.15f, 0.4f, 0.9f}, {0.2f, 0.5f, 1.0f}},
    {{0.9f, 0.7f, 0.3f}, {1.0f, 0.8f, 0.3f}, {0.3f, 0.4f, 0.9f}, {0.3f, 0.5f, 1.0f}}};
const HairPalette mainPalettes[2] = {{{0.15f, 0.7f, 0.9f}, {0.14f, 0.9f, 1.0f}, {}, {}},
                                     {{0.9f, 0.7f, 0.3f}, {1.0f, 0.8f, 0.3f}, {}, {}}};


} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

FairytReturnEffect::FairytReturnEffect() = default;

FairytReturnEffect::~FairytReturnEffect() = default;

bool FairytReturnEffect::init(unsigned long start, unsigned long end)
{
    Base::init(start, end);
    seedRandom(1638);
    buildMainPath();
    buildLoosePaths();
    ropes.assign(ropeCount, Rope());
    for (int j = 0; j < ropeCount; ++j)
        buildRope(ropes[static_cast<size_t>(j)], ropePaths[static_cast<size_t>(j)], j);
    stepTimer = StepTimer(16, 5);
    buildSpecks();
    seedRandom(259);
    buildEyePaths();
    buildSparks();
    return true;
}

void FairytReturnEffect::run()
{
    setFogColor(Vector3(0.005f, 0.005f, 0.01f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void FairytReturnEffect::draw(float t, float alpha)
{
    const float h = progressAt(t);

    stepTimer.update();
    while (stepTimer.hasStep()) {
        for (ReturnSpeck& speck : specks)
            stepSpeck(speck);
        stepTimer.consumeStep();
    }

    const Vector3 eye = eyeAt(h);
    const Vector3 target = targetAt(h);
    const Vector3 up = upAt(h);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);

    returnBeat = returnBeat * 0.8f + spectrum.update() * 0.1f * 0.2f;

    PostProcess::beginCapture(true);
    setGlowingLines();
    const float ropeAlpha = (1.0f - rampLinear(h, 0.98f, 1.0f)) * alpha;
    for (const Rope& rope : ropes)
        drawRope(rope, h, returnBeat, ropeAlpha);
    hairBatch.draw();
    glDisable(GL_LINE_SMOOTH);
    PostProcess::glowPass(8, 0.005f, 0.005f, 0.92f, -1.0f, 1.0f, 0);

    // Specks and sparks go on top of the glowed picture, fading into black beyond 7 units.
    setSpeckPointState();
    glEnable(GL_LINE_SMOOTH);
    const GLfloat fogBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogBlack);
    glFogf(GL_FOG_DENSITY, 0.4f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 7.0f);
    glFogf(GL_FOG_END, 10.0f);
    glEnable(GL_FOG);
    drawSpecks(alpha);
    drawSparks(h, alpha);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    PostProcess::noiseOverlay(alpha * 0.1f);
}

float FairytReturnEffect::fadeAt(float t) { return sceneFade(t, 0.025f, 40.0f, 0.99f, 100.0001f); }

float FairytReturnEffect::progressAt(float t) { return rampLinear(t, 0.0f, flightEnd); }

Vector3 FairytReturnEffect::eyeAt(float h) const
{
    Vector3 eye = eyePathA.evaluate(h) + eyePathB.evaluate(h);
    eye.z -= 0.9f * std::pow(std::sin(rampLinear(h, 0.8f, 1.0f) * 1.570796f), 1.6f);
    return eye;
}

Vector3 FairytReturnEffect::targetAt(float h) const
{
    const Vector3 sway(std::cos(16.0f * h), std::sin(11.0f * h), std::cos(8.0f * h));
    return ropePaths[0].evaluate(h) + sway * 0.23f;
}

Vector3 FairytReturnEffect::upAt(float h)
{
    return Vector3(0.0f, 1.0f, 0.0f) * Matrix::makeRotation(0.0f, 0.0f, -5.0f * h * std::cos(9.0f * h));
}

// rampLinear tests t <= start first, so q = 0 never divides; the clamp keeps a level that is not
// a number from reaching the colour.
float FairytReturnEffect::hairGlow(float beat, float q) { return clamp(rampLinear(beat, 0.0f, q), 0.0f, 1.0f); }

float FairytReturnEffect::blueShareAt(int musicMs)
{
    return 1.0f - rampLinear(static_cast<float>(musicMs), 271200.0f, 271700.0f);
}

// A coil: each step turns the heading by 0.4 to 0.8 radians (the rare draw of exactly -0.4 turns
// it back) while sinking along -z.
void FairytReturnEffect::buildMainPath()
{
    ropePaths.assign(ropeCount, SplinePath());
    SplinePath& main = ropePaths[0];
    Vector3 p = Vector3(randomDirection()) * 2.0f;
    float a = 0.7f;
    for (int i = 0; i < mainPathPoints; ++i) {
        main.addPoint(p);
        p = p + Vector3(std::cos(a), std::sin(a), -0.1f) * 0.5f;
        float w = randomRange(-0.4f, 0.8f);
        while (std::fabs(w) < 0.4f)
            w = randomRange(-0.4f, 0.8f);
        a += w;
    }
    main.bake();
}

// Six looser strands around the main path, the spread squared so most stay close to it.
void FairytReturnEffect::buildLoosePaths()
{
    const SplinePath& main = ropePaths[0];
    for (int k = 1; k < ropeCount; ++k) {
        SplinePath& path = ropePaths[static_cast<size_t>(k)];
        for (int j = 0; j < loosePathPoints; ++j) {
            const float u = static_cast<float>(j) / static_cast<float>(loosePathPoints);
            const float r = randomUnit();
            const Vector3 d = Vector3(randomDirection()) * 0.6f * (r * r);
            path.addPoint(main.evaluate(u) + d);
        }
        path.bake();
    }
}

void FairytReturnEffect::buildRope(Rope& rope, const SplinePath& path, int index)
{
    rope.thin = index >= 2;
    const float k = rope.thin ? 1.5f : 1.0f;
    rope.hairCount = static_cast<int>(k * hairBasePerRope);
    if (!rope.thin) {
        rope.start = 0.0f;
        rope.end = 0.001f;
    } else if (index == 5 || index == 6) {
        rope.start = randomRange(0.5f, 0.52f);
        rope.end = rope.start + randomRange(0.02f, 0.03f);
    } else {
        rope.start = randomRange(0.02f, 0.15f);
        rope.end = rope.start + randomRange(0.02f, 0.06f);
    }
    rope.hairs.assign(static_cast<size_t>(rope.hairCount), RopeHair());
    for (RopeHair& hair : rope.hairs)
        buildHair(hair, path, rope.thin, k);
}

// The hair leaves the rope backwards along it, then curls away in seven growing, twisting steps.
void FairytReturnEffect::buildHair(RopeHair& hair, const SplinePath& path, bool thin, float k)
{
    const float u = randomRange(0.01f, 0.94f);
    hair.start = u;
    hair.offset = Vector3(randomDirection()) * 0.12f;
    if (u + randomRange(0.05f, 0.1f) * k > 0.97f)
        hair.end = 0.97f;
    else
        hair.end = u + randomRange(0.05f, 0.1f) * k;

    const HairPalette& palette = (thin ? thinPalettes : mainPalettes)[nextRandom() % 2];
    const float r = randomUnit();
    hair.colour = Vector((palette.k1 * (1.0f - r) + palette.k2 * r) * 0.5f);
    if (thin)
        hair.colour2 = Vector((palette.k3 * (1.0f - r) + palette.k4 * r) * 0.5f);
    if (nextRandom() % 80 == 0)
        hair.colour = Vector(1.0f, 1.0f, 1.0f);

    const Vector3 root = path.evaluate(u);
    hair.path.addPoint(root);
    hair.path.addPoint(path.evaluate(u - 0.002f));
    hair.path.addPoint(path.evaluate(u - 0.004f));
    Vector3 p = path.evaluate(u - 0.006f);
    Vector3 dir = p - root;
    dir.normalize();

    const float length = randomRange(2.4f, 3.6f) * 4.0f;
    const Vector3 v = Vector3(randomDirection()) * 10.0f;
    const float s = randomUnit();
    const float g = std::pow(s, 1.7f) * 0.5f + 0.05f;
    Vector3 spin = Vector3(randomDirection()) * length * s;
    spin.x *= 1.0f + g;
    spin.y *= 1.0f + g;
    for (int i = 0; i < hairCurlSteps; ++i) {
        const Matrix m = Matrix::makeRotation(spin.x, spin.y, spin.z);
        hair.path.addPoint(p);
        p = p + dir * g;
        dir = dir * m;
        spin = spin + v * 1.3f;
    }
    hair.path.bake();
}

void FairytReturnEffect::buildSpecks()
{
    specks.assign(speckCount, ReturnSpeck());
    for (ReturnSpeck& speck : specks) {
        placeWanderer(speck.wanderer, -8.0f, 8.0f, 0.0205f, 0.027f);
        const float grey = randomRange(0.3f, 0.5f);
        speck.colour = Vector3(grey, grey, grey);
        speck.phase = randomUnit();
        speck.phaseSpeed = randomRange(0.01f, 0.02f);
        speck.twinkle = randomUnit();
        speck.twinkleSpeed = randomRange(0.015f, 0.035f);
    }
}

void FairytReturnEffect::buildEyePaths()
{
    eyePathA = SplinePath();
    for (int j = 0; j < 8; ++j) {
        const float r = randomUnit();
        eyePathA.addPoint(Vector3(randomDirection()) * r * (static_cast<float>(j + 2) * 0.4f + 3.85f));
    }
    eyePathA.bake();
    eyePathB = SplinePath();
    for (int j = 0; j < 3; ++j) {
        const float r = randomUnit();
        eyePathB.addPoint(Vector3(randomDirection()) * r * 0.3f);
    }
    eyePathB.bake();
}

void FairytReturnEffect::buildSparks()
{
    sparks.assign(sparkCount, ReturnSpark());
    for (ReturnSpark& spark : sparks) {
        const float r = randomUnit();
        spark.start = r * r * 0.3f + 0.4f;
        spark.end = spark.start + randomUnit() * 0.02f + 0.03f;
        spark.position = Vector3(randomCenteredVector()) * 10.0f;
        spark.radius = randomUnit() + 0.3f;
        spark.theta0 = randomUnit() * fullTurn;
        spark.theta1 = randomUnit() * fullTurn;
        spark.phi0 = randomUnit() * fullTurn;
        spark.phi1 = randomUnit() * fullTurn;
    }
}

// ---------------------------------------------------------------------------------------------
// Simulation step

void FairytReturnEffect::stepSpeck(ReturnSpeck& speck)
{
    speck.wanderer.step();
    if (randomUnit() < 0.01f)
        speck.wanderer.turn(0.2f);
    speck.phase += speck.phaseSpeed;
    speck.twinkle += speck.twinkleSpeed;
}

// ---------------------------------------------------------------------------------------------
// Drawing

// A hair grows out to e as the camera passes it, its glow fading beyond the music's level; a
// thin rope's hair shows only its last tenth, a short moving streak.
void FairytReturnEffect::drawRope(const Rope& rope, float h, float beat, float a)
{
    const float d = rampLinear(h, rope.start, rope.end);
    if (rope.thin && d <= 0.00001f)
        return;
    // The same state for every rope, so all the hairs wait in one batch for the caller's draw.
    setGlowingLines();
    glLineWidth(3.0f);
    const float blue = blueShareAt(dmsGetModulePosition());
    const float f = d * a;
    for (const RopeHair& hair : rope.hairs) {
        const float e = sinePulse(h, hair.start, hair.end, 1.15f);
        if (e <= unseen)
            continue;
        const Vector3 off = hair.offset * (e * e);
        if (!rope.thin) {
            for (float q = 0.0f; q < e; q += 0.025f) {
                hairBatch.color(hair.colour.x, hair.colour.y, hair.colour.z, hairGlow(beat, q) * f * 0.21f);
                hairBatch.vertex(hair.path.evaluate(q) + off);
            }
            hairBatch.endPrimitive();
        } else if (e > 0.1f) {
            const Vector mixed = hair.colour * (1.0f - blue) + hair.colour2 * blue;
            for (float q = e - 0.1f; q < e; q += 0.025f) {
                hairBatch.color(mixed.x, mixed.y, mixed.z, hairGlow(beat, q) * f * 0.5f);
                hairBatch.vertex(hair.path.evaluate(q) + off);
            }
            hairBatch.endPrimitive();
        }
    }
}

void FairytReturnEffect::drawSpecks(float alpha)
{
    for (const ReturnSpeck& speck : specks) {
        speckLines.color(speck.colour.x, speck.colour.y, speck.colour.z, (std::sin(speck.phase) * 0.4f + 0.6f) * alpha);
        speckLines.vertex(speck.wanderer.getPosition());
        speckLines.vertex(speck.wanderer.getPreviousPosition());
    }
    speckLines.draw();

    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    bindArchiveTexture("flare_white.jpg");
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glDisable(GL_DEPTH_TEST);
    for (const ReturnSpeck& speck : specks) {
        const float x = std::sin(speck.twinkle * fullTurn);
        if (x <= 0.5f)
            continue;
        const float a = (std::sin(speck.phase) * 0.4f + 0.6f) * alpha;
        speckFlares.color(speck.colour.x, speck.colour.y, speck.colour.z, a);
        billboardQuad(speckFlares, speck.wanderer.getPosition(), right, up, rampLinear(x, 0.5f, 1.0f) * 0.2f);
    }
    speckFlares.draw();
}

// Each spark is a short arc of a sphere around its position that sweeps once through its window.
void FairytReturnEffect::drawSparks(float h, float alpha)
{
    for (const ReturnSpark& spark : sparks) {
        const float f = rampLinear(h, spark.start, spark.end);
        if (!(f > unseen && f < 1.0f))
            continue;
        glDisable(GL_TEXTURE_2D); // the specks' flares left it on
        const float s = std::sin(f * 3.141592f);
        for (int i = 0; i <= 14; ++i) {
            const float u = static_cast<float>(i) * 0.02f;
            const float q = f + u;
            const Vector3 point =
                spark.position + Vector3(sphericalToVector(spark.radius, (1.0f - q) * spark.theta0 + q * spark.theta1,
                                                           (1.0f - q) * spark.phi0 + q * spark.phi1));
            sparkBatch.color(1.0f, 1.0f, 1.0f, alpha * s * u * 2.0f);
            sparkBatch.vertex(point);
        }
        sparkBatch.endPrimitive();
    }
    sparkBatch.draw();
}
