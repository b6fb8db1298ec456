#include "scenes/metsae.h"

#include "render/post_process.h"
#include "toolkit/show_state.h"
#include "toolkit/current_fields.h"
#include "toolkit/grey_swimmer.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr int speckCount = 500;
constexpr int alwaysVisibleSpecks = 250; // the rest fade in with speckLevelAt
constexpr float grownEnough = 0.0001f;   // below this a frond or its sprites count as not grown


// Growth shaped to rise fast and ease into its end: sqrt(sin(ramp * pi/2)).
float growthAt(float t, float start, float end) { return std::sqrt(std::sin(rampLinear(t, start, end) * 1.570796f)); }

} // namespace

MetsaeEffect::MetsaeEffect() : ground(50, 50, 15.0f, 4.0f, 0.0f), stepTimer(16, 5)
{
    ground.computeShade(1.0f, 1.0f);
    seedRandom(5110);
    fronds.resize(static_cast<size_t>(frondCount));
    for (Frond& frond : fronds)
        initFrond(frond);
    specks.reserve(speckCount);
    for (int i = 0; i < speckCount; ++i) {
        specks.push_back(greySpeck(i));
    }
}

MetsaeEffect::~MetsaeEffect() = default;

bool MetsaeEffect::init(unsigned long start, unsigned long end)
{
    static const int cues[][2] = {{66583, 67733}, {69753, 70703}, {71756, 72806}, {73955, 75355},
                                  {75080, 76730}, {78074, 78994}, {82165, 83815}, {84369, 85319},
                                  {86412, 87462}, {88623, 89973}, {90601, 91999}};
    pulses = pulsesOf(cues, 1);
    return Base::init(start, end);
}

void MetsaeEffect::run()
{
    setFogColor(Vector3(0.002f, 0.002f, 0.004f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void MetsaeEffect::draw(float t, float alpha)
{
    const float m = static_cast<float>(dmsGetModulePosition());
    const float speckLevel = speckLevelAt(m);
    const float tipLevel = tipLevelAt(m);

    stepTimer.update();
    while (stepTimer.hasStep()) {
        simulate(t);
        stepTimer.consumeStep();
    }

    // The camera drifts sideways along x, looking straight ahead.
    glLoadIdentity();
    const Vector3 eye(-3.0f + 5.0f * t, 3.0f, 10.0f);
    gluLookAt(eye.x, eye.y, eye.z, eye.x, eye.y, eye.z - 5.0f, 0.0, 1.0, 0.0);

    // The floor goes straight to the window, under the captured picture.
    ground.draw(dmsGetTexture("deeptxt2.jpg"), dmsGetTexture("normal_map_deep2.jpg"), Vector3(1, 1, 1), 0.3f * alpha);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    PostProcess::beginCapture(true);

    for (Frond& frond : fronds)
        drawFrondLine(stems, frond, alpha);
    stems.draw();

    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("flare_blue.jpg");
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    for (const Frond& frond : fronds)
        drawFrondSprites(sprites, frond, right, up, alpha);
    sprites.draw();

    bindArchiveTexture("flare_pink.jpg");
    for (const Frond& frond : fronds)
        drawFrondTip(sprites, frond, right, up, alpha, tipLevel);
    sprites.draw();
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);

    const float level = pulses.evaluate(dmsGetModulePosition());

    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    setSpeckPointState();
    for (int i = 0; i < static_cast<int>(specks.size()); ++i)
        drawSwimmer(speckPoints, specks[static_cast<size_t>(i)], alpha * speckWeight(i, speckLevel));
    endSpeckPoints(speckPoints);

    PostProcess::glowPass(6, 0.0075f, 0.0075f, glowBlurAlpha(level), -1.0f, 1.0f, 0);
}

float MetsaeEffect::fadeAt(float t)
{
    return sceneFade(t, 0.1f, 10.0f, 0.99f, 100.0001f);
}

float MetsaeEffect::speckLevelAt(float musicMs) { return rampLinear(musicMs, 75300.0f, 75900.0f); }

float MetsaeEffect::tipLevelAt(float musicMs) { return rampLinear(musicMs, 83500.0f, 84600.0f); }

float MetsaeEffect::speckWeight(int index, float speckLevel) { return index < alwaysVisibleSpecks ? 1.0f : speckLevel; }

float MetsaeEffect::glowBlurAlpha(float level) { return 0.93f + 0.015f * std::sin(level * 3.14f); }

void MetsaeEffect::simulate(float t)
{
    for (Frond& frond : fronds)
        stepFrond(frond, t);
    for (Swimmer& speck : specks)
        updateSwimmer(speck);
}

// ---------------------------------------------------------------------------------------------
// Set-up

void MetsaeEffect::initFrond(Frond& f)
{
    f.base = SwayingStem::randomRoot();

    f.growStart = randomRange(0.0f, 0.1f);
    f.growEnd = f.growStart + randomRange(0.01f, 0.02f);
    f.spriteStart = randomRange(0.0f, 0.1f);
    f.spriteEnd = f.spriteStart + randomRange(0.02f, 0.04f);
    f.brightness = randomRange(0.2f, 0.3f);
    f.small = randomUnit() > 0.25f;
    f.pinkTip = randomUnit() < 0.7f;

    f.grow();

    f.colour = nextRandom() % 3 == 2 ? Vector3(0.8f, 0.3f, 0.8f) : Vector3(0.3f, 0.6f, 0.7f);
    f.phase = 0.0f;
    f.phaseSpeed = randomRange(0.002f, 0.01f);
}

// ---------------------------------------------------------------------------------------------
// Simulation step

void MetsaeEffect::stepFrond(Frond& f, float t)
{
    f.growth = growthAt(t, f.growStart, f.growEnd);
    f.spriteGrowth = growthAt(t, f.spriteStart, f.spriteEnd);
    if (f.growth > grownEnough)
        f.phase += f.phaseSpeed;

    f.sway(t);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void MetsaeEffect::drawFrondLine(VertexBatch& stems, Frond& f, float alpha)
{
    if (f.growth <= grownEnough)
        return;
    // The stem grows from a dark root; fronds with a pink tip are drawn coarser.
    const float segments = f.pinkTip ? 15.0f : 50.0f;
    for (float u = 0.0f; u < f.growth; u += 1.0f / segments) {
        stems.color(f.colour.x, f.colour.y, f.colour.z, u * alpha * f.brightness);
        const Vector3 v = f.curve.evaluate(u);
        stems.vertex(v);
        f.tip = v;
    }
    stems.endPrimitive();
}

void MetsaeEffect::drawFrondSprites(VertexBatch& sprites, const Frond& f, const Vector3& right, const Vector3& up,
                                    float alpha)
{
    if (f.pinkTip)
        return;
    if (f.growth > grownEnough) {
        const float size = (std::sin(2.0f * f.phase) + 1.0f) * 0.5f * f.growth * 0.02f;
        const float a = (std::sin(f.phase) * 0.3f + 0.7f) * f.growth * alpha * 0.8f;
        drawBillboardQuad(sprites, f.tip, right, up, size, a);
    }
    if (f.spriteGrowth > grownEnough) {
        const int count = f.small ? 5 : 30;
        const float scale = f.small ? 0.02f : 0.05f;
        for (int i = 0; i < count; ++i) {
            const float u = static_cast<float>(i) / static_cast<float>(count);
            const Vector3 p = f.curve.evaluate(u);
            const float size = (0.4f * std::sin(2.0f * f.phase + 4.0f * u) + 0.6f) * f.spriteGrowth * scale;
            const float pulse = std::sin(f.phase + 6.0f * u) * 0.3f + 0.7f;
            const float a = (1.0f - 0.5f * u) * pulse * f.spriteGrowth * alpha * 0.8f;
            drawBillboardQuad(sprites, p, right, up, size, a);
        }
    }
}

void MetsaeEffect::drawFrondTip(VertexBatch& sprites, const Frond& f, const Vector3& right, const Vector3& up,
                                float alpha, float tipLevel)
{
    if (!f.pinkTip || tipLevel <= 0.0f)
        return;
    const float size = (0.4f * std::sin(2.0f * f.phase) + 0.6f) * f.spriteGrowth * (f.small ? 0.02f : 0.05f);
    const float a = (std::sin(f.phase) * 0.3f + 0.7f) * f.spriteGrowth * alpha * tipLevel * 0.5f;
    drawBillboardQuad(sprites, f.curve.evaluate(1.0f), right, up, size, a);
}

void MetsaeEffect::drawBillboardQuad(VertexBatch& sprites, const Vector3& c, const Vector3& right, const Vector3& up,
                                     float s, float a)
{
    sprites.color(1.0f, 1.0f, 1.0f, a);
    billboardQuad(sprites, c, right, up, s);
}
