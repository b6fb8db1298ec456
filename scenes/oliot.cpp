#include "scenes/oliot.h"

#include "maths/ramps.h"
#include "maths/random.h"
#include "render/draw_state.h"
#include "render/post_process.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"
#include "toolkit/swimmer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float fullTurn = 6.283184f;
constexpr float halfTurn = 3.141592f;
constexpr float grownEnough = 0.0001f; // below this a sprout or strand draws nothing

void setColour(VertexBatch& batch, const Vector3& c, float alpha) { batch.color(c.x, c.y, c.z, alpha); }

// A direction whose height is made positive.
Vector3 upward(Vector3 v)
{
    v.y = std::fabs(v.y);
    return v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

OliotEffect::OliotEffect() : floor(50, 50, 15.0f, 4.0f, 0.0f), stepTimer(16, 5)
{
    floor.computeShade(1.0f, 1.0f);

    ribbonCount = 150;
    seedRandom(61061);
    ribbons.assign(static_cast<size_t>(ribbonCount), Ribbon());
    for (Ribbon& ribbon : ribbons)
        initRibbon(ribbon);

    sproutCount = 200;
    seedRandom(5110);
    sprouts.assign(static_cast<size_t>(sproutCount), Sprout());
    for (Sprout& sprout : sprouts)
        initSprout(sprout);

    fillSharedSwimmers(); // seed 51, 400 swimmers

    seedRandom(1961);
    strands.clear();
    strands.reserve(500);
    for (int i = 0; i < 500; ++i) {
        Strand strand;
        initStrand(strand);
        strands.push_back(std::move(strand));
    }
}

OliotEffect::~OliotEffect() = default;

bool OliotEffect::init(unsigned long start, unsigned long end) { return Base::init(start, end); }

void OliotEffect::run()
{
    setFogColor(Vector3(0.005f, 0.005f, 0.01f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void OliotEffect::draw(float t, float alpha)
{
    const int pos = dmsGetModulePosition();
    advance(t);

    glLoadIdentity();
    cameraRig.placeCamera(2, 1.0f);

    // The floor goes straight to the window, before the capture.
    floor.draw(dmsGetTexture("deeptxt2.jpg"), dmsGetTexture("normal_map_deep2.jpg"), Vector3(1.0f, 1.0f, 1.0f),
               floorBrightness(static_cast<float>(pos), alpha));

    glDisable(GL_BLEND);
    glLineWidth(2.0f);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    PostProcess::beginCapture(true);

    for (Ribbon& ribbon : ribbons)
        drawRibbon(ribbon, alpha);

    // The shared swimmers, as soft points, until they have faded.
    glPointSize(3.0f);
    glDisable(GL_TEXTURE_2D);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
    noteDraw(GL_POINTS, layoutColor);
    glBegin(GL_POINTS);
    if (swimmersVisible(pos)) {
        const float a = swimmerFade(static_cast<float>(pos), alpha);
        for (const Swimmer& swimmer : sharedSwimmers)
            drawSwimmerDash(swimmer, a, 0.0f);
    }
    glEnd();
    glDisable(GL_POINT_SMOOTH);

    // Strand sparks.
    glDepthMask(GL_FALSE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(1.0f);
    for (const Strand& strand : strands)
        drawStrandSpark(strandSparks, strand, alpha);
    strandSparks.draw();

    Vector3 right, up, back;
    getCameraAxes(right, up, back);

    // Sprout lines.
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    for (Sprout& sprout : sprouts)
        drawSproutLine(sproutLines, sprout, alpha);
    sproutLines.draw();

    // Sprout tips.
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("flare_turq.jpg");
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    for (const Sprout& sprout : sprouts)
        drawSproutTip(sproutTips, sprout, right, up, alpha);
    sproutTips.draw();
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);

    PostProcess::glowPass(6, 0.007f, 0.007f, 0.91f, -1.0f, 1.0f, 0);

    // Strand flares on top of the glowed picture, in the camera the pass kept.
    glDepthMask(GL_FALSE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("flare_white.jpg");
    for (const Strand& strand : strands)
        drawStrandFlare(strandFlares, strand, right, up, alpha);
    strandFlares.draw();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);

    PostProcess::noiseOverlay(alpha * 0.05f);
}

float OliotEffect::fadeAt(float t) { return sceneFade(t, 0.1f, 10.0f, 0.99f, 100.0001f); }

float OliotEffect::floorBrightness(float musicMs, float alpha)
{
    const float dark = rampLinear(musicMs, 191580.0f, 195580.0f);
    return clamp(0.35f * alpha - 0.25f * dark * dark * dark, 0.0f, 1.0f);
}

float OliotEffect::swimmerFade(float musicMs, float alpha)
{
    const float f = rampLinear(musicMs, 191580.0f, 193580.0f);
    return alpha * (1.0f - f * f);
}

void OliotEffect::initRibbon(Ribbon& r)
{
    const float radius = randomRange(7.0f, 9.0f);
    const float angle = randomUnit() * fullTurn;
    const float h = randomRange(0.3f, 3.0f);
    r.position = Vector3(std::cos(angle) * radius, h, std::sin(angle) * radius);
    r.rotation = Vector3(randomDirection()) * 2.0f * halfTurn;
    switch (nextRandom() % 3) {
    case 0:
        r.colour = Vector3(0.6f, 0.2f, 0.3f);
        r.flareTexture = "flare_white.jpg";
        break;
    case 1:
        r.colour = Vector3(0.6f, 0.2f, 0.3f);
        r.flareTexture = "flare_red.jpg";
        break;
    default:
        r.colour = Vector3(0.8f, 0.3f, 0.5f);
        r.flareTexture = "flare_blue.jpg";
        break;
    }
    r.halfWidth = randomRange(0.3f, 0.5f);
    r.height = randomRange(0.1f, 0.25f);
    r.segmentCount = nextRandom() % 7 + 7;
    const size_t n = static_cast<size_t>(r.segmentCount);
    r.top.assign(n, Vector3());
    r.bottom.assign(n, Vector3());
    r.flareSizes.assign(n, 0.0f);
    r.phase = 0.0f;
    r.phaseSpeed = randomRange(0.002f, 0.005f);
    r.spin = Vector3(randomDirection()) * 0.001f;
    r.drift = Vector3(randomDirection()) * 0.0015f;
    // Given a value without a draw: a draw here would move every later ribbon.
    r.texturedBody = false;
}

void OliotEffect::initSprout(Sprout& s)
{
    const float angle = randomUnit() * fullTurn;
    const float h = randomRange(0.3f, 3.0f);
    s.start = Vector3(std::cos(angle) * 7.0f, h, std::sin(angle) * 7.0f);
    s.growthStart = randomRange(193580.0f, 194580.0f);
    s.growthEnd = s.growthStart + randomRange(500.0f, 800.0f);
    // Two values that shape nothing, drawn so that the layout after them stays as it is.
    randomRange(195580.0f, 196580.0f);
    randomRange(800.0f, 1600.0f);
    s.path = SplinePath();
    s.path.clear();
    Vector3 p = s.start;
    for (int i = 0; i < 7; ++i) {
        s.path.addPoint(p);
        Vector3 step = Vector3(randomDirection()) * 0.2f;
        step.y = std::fabs(step.y) * 7.0f;
        p += step;
    }
    s.path.bake();
    switch (nextRandom() % 3) {
    case 0: s.colour = Vector3(0.6f, 0.3f, 0.3f); break;
    case 1: s.colour = Vector3(0.3f, 0.6f, 0.7f); break;
    default: s.colour = Vector3(0.8f, 0.3f, 0.5f); break;
    }
    s.flarePhase = 0.0f;
    s.flareSpeed = randomRange(0.002f, 0.01f);
}

void OliotEffect::initStrand(Strand& s)
{
    const float a = randomUnit() * fullTurn;
    const float r = randomUnit() * 5.0f;
    Vector3 base = Vector3(std::sin(a), 0.0f, std::cos(a)) * r;
    s.path = SplinePath();
    s.path.clear();
    s.travel = randomUnit();
    const float q = randomUnit();
    s.travelSpeed = randomRange(0.003f, 0.0067f) * q * q;
    s.twinklePhase = randomUnit();
    s.twinkleSpeed = randomRange(0.005f, 0.02f);
    s.peakBrightness = randomRange(0.5f, 0.8f);
    const float fUnit = randomUnit(); // the unit value is drawn before the range
    const float f = randomRange(15.0f, 35.0f) * std::pow(fUnit, 1.2f);
    const float ampUnit = randomUnit();
    const float amp = randomRange(0.2f, 2.9f) * std::pow(ampUnit, 1.3f);
    const float jitter = std::pow(s.travelSpeed * 149.25374f, 1.5f);
    for (int i = 0; i < 25; ++i) {
        const float c = 0.04f * static_cast<float>(i);
        const float k = std::min(3.0f * c, 1.0f);
        const Vector3 swirl = Vector3(std::sin(c * f), 0.0f, std::cos(c * f)) * amp * k;
        const float n = randomUnit();
        const Vector3 wobble = Vector3(randomDirection()) * n * 0.3f * jitter;
        s.path.addPoint(base + swirl + wobble);
        base.y += randomRange(0.4f, 0.6f);
    }
    s.path.bake();
    s.appearStart = randomRange(0.49f, 0.85f);
    s.appearEnd = s.appearStart + randomRange(0.04f, 0.07f);
}

// ---------------------------------------------------------------------------------------------
// Simulation step

int OliotEffect::advance(float t)
{
    int steps = 0;
    stepTimer.update();
    while (stepTimer.hasStep()) {
        simulate(dmsGetModulePosition(), t);
        stepTimer.consumeStep();
        ++steps;
    }
    return steps;
}

void OliotEffect::simulate(int musicMs, float t)
{
    for (Ribbon& ribbon : ribbons)
        stepRibbon(ribbon);
    for (Sprout& sprout : sprouts)
        stepSprout(sprout, static_cast<float>(musicMs));
    for (Swimmer& swimmer : sharedSwimmers)
        updateSwimmer(swimmer);
    for (Strand& strand : strands)
        stepStrand(strand, t);
}

void OliotEffect::stepRibbon(Ribbon& r)
{
    r.phase += r.phaseSpeed;
    r.position += r.drift;
    r.rotation += r.spin;
    // Bounces up off the floor.
    if (r.position.y < 0.1f)
        r.drift = upward(Vector3(randomDirection()) * 0.0015f);
}

void OliotEffect::stepSprout(Sprout& s, float musicMs)
{
    s.growth = std::sqrt(std::sin(rampLinear(musicMs, s.growthStart, s.growthEnd) * 1.570796f));
    if (s.growth > grownEnough)
        s.flarePhase += s.flareSpeed;
}

void OliotEffect::stepStrand(Strand& s, float t)
{
    s.twinklePhase += s.twinkleSpeed;
    s.travel = std::fmod(s.travel + s.travelSpeed, 1.0f);
    s.visibility = rampLinear(t, s.appearStart, s.appearEnd);
    s.brightness = s.visibility * s.peakBrightness * std::min(4.0f * std::sin(s.travel * halfTurn), 1.0f);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void OliotEffect::drawRibbon(Ribbon& r, float alpha)
{
    glPushMatrix();
    glTranslatef(r.position.x, r.position.y, r.position.z);
    glRotatef(r.rotation.x * 360.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(r.rotation.y * 360.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(r.rotation.z * 360.0f, 0.0f, 0.0f, 1.0f);

    // The band's lines, waving along its length.
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    const size_t n = std::min({static_cast<size_t>(std::max(r.segmentCount, 0)), r.top.size(), r.bottom.size(),
                               r.flareSizes.size()});
    const float last = static_cast<float>(n) - 1.0f;
    for (size_t i = 0; i < n; ++i) {
        const float fi = static_cast<float>(i);
        const float u = fi / last;
        const Vector3 base((2.0f * u - 1.0f) * r.halfWidth, 0.0f, 0.0f);
        const Matrix m = Matrix::makeRotation(std::sin(r.phase * 12.0f + u * 7.0f) * 0.15f, 0.0f, 0.0f);
        const float h = std::pow(std::sin(u * halfTurn), std::sin(r.phase * 15.0f) * 0.3f + 1.0f) * r.height;
        r.flareSizes[i] = h * 0.3f;
        r.top[i] = base + Vector3(0.0f, h, 0.0f) * m;
        r.bottom[i] = base + Vector3(0.0f, -h, 0.0f) * m;
        setColour(ribbonLines, r.colour, (std::sin(fi * 0.3f + r.phase * 8.0f) * 0.3f + 0.7f) * alpha);
        ribbonLines.vertex(r.top[i]);
        ribbonLines.vertex(r.bottom[i]);
    }
    ribbonLines.draw();

    // The faint body.
    glEnable(GL_TEXTURE_2D);
    if (r.texturedBody) {
        char name[16];
        std::snprintf(name, sizeof name, "cau_0%02d.jpg", (static_cast<int>(r.phase * 960.0f) % 32 + 32) % 32 + 1);
        bindArchiveTexture(name);
    } else {
        bindArchiveTexture("deeptxt2.jpg");
    }
    // One colour for the whole body, left as GL's current colour as before: sent per vertex, the
    // same colour comes out one step different in some of llvmpipe's pixels.
    glColor4f(r.colour.x, r.colour.y, r.colour.z, alpha * 0.2f);
    for (size_t i = 0; i < n; ++i) {
        ribbonBody.texCoord(r.top[i].x, r.top[i].y);
        ribbonBody.vertex(r.top[i]);
        ribbonBody.texCoord(r.bottom[i].x, r.bottom[i].y);
        ribbonBody.vertex(r.bottom[i]);
    }
    ribbonBody.draw();

    // Twinkling flares along both edges, facing the eye inside the ribbon's own frame.
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture(r.flareTexture);
    for (size_t i = 0; i < n; ++i) {
        const float w = (std::sin(static_cast<float>(i) * 0.5f + r.phase * 16.0f) + 1.0f) * 0.3f * alpha;
        drawBillboard(ribbonFlares, r.top[i], right, up, r.flareSizes[i], w);
        drawBillboard(ribbonFlares, r.bottom[i], right, up, r.flareSizes[i], w);
    }
    ribbonFlares.draw();
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

void OliotEffect::drawBillboard(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                                float halfSize, float alpha)
{
    batch.color(1.0f, 1.0f, 1.0f, alpha);
    billboardQuad(batch, centre, right, up, halfSize);
}

void OliotEffect::drawSproutLine(VertexBatch& batch, Sprout& s, float alpha)
{
    if (s.growth <= grownEnough)
        return;
    // Stepped in float, as the count of points has always been.
    for (float p = 0.0f; p < s.growth; p += 0.02f) {
        setColour(batch, s.colour, p * alpha * 0.5f);
        const Vector3 v = s.path.evaluate(p);
        batch.vertex(v);
        s.tip = v;
    }
    batch.endPrimitive();
}

void OliotEffect::drawSproutTip(VertexBatch& batch, const Sprout& s, const Vector3& right, const Vector3& up,
                                float alpha)
{
    if (s.growth <= grownEnough)
        return;
    const float size = s.growth * ((std::sin(s.flarePhase * 2.0f) + 1.0f) * 0.5f) * 0.15f;
    drawBillboard(batch, s.tip, right, up, size, s.growth * (std::sin(s.flarePhase) * 0.3f + 0.7f) * alpha);
}

void OliotEffect::sparkSpan(const Strand& s, float& from, float& to)
{
    from = s.travel;
    to = std::min(from + 0.01f, 1.0f);
}

void OliotEffect::drawStrandSpark(VertexBatch& batch, const Strand& s, float alpha)
{
    if (s.visibility <= grownEnough)
        return;
    float from = 0.0f, to = 0.0f;
    sparkSpan(s, from, to);
    batch.color(1.0f, 1.0f, 1.0f, alpha * s.brightness * 0.3f);
    batch.vertex(s.path.evaluate(from));
    batch.vertex(s.path.evaluate(to));
}

void OliotEffect::drawStrandFlare(VertexBatch& batch, const Strand& s, const Vector3& right, const Vector3& up,
                                  float alpha)
{
    if (s.visibility <= grownEnough)
        return;
    const Vector3 c = s.path.evaluate(s.travel);
    const float a = std::sin(s.twinklePhase * fullTurn);
    if (a <= 0.6f)
        return;
    const float b = rampLinear(a, 0.6f, 1.0f);
    const float size = b * s.brightness * 0.4f;
    batch.color(1.0f, 1.0f, 1.0f, b * s.brightness * alpha * 0.6f);
    billboardQuad(batch, c, right, up, size);
}
