#include "scenes/viimeinen.h"

#include "render/post_process.h"
#include "toolkit/show_state.h"
#include "toolkit/current_fields.h"
#include "toolkit/grey_swimmer.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float visibleEnough = 0.0001f; // below this a stalk or a speck is not drawn

void billboard(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up, float halfSize,
               float alpha)
{
    batch.color(1.0f, 1.0f, 1.0f, alpha);
    billboardQuad(batch, centre, right, up, halfSize);
}

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

ViimeinenEffect::ViimeinenEffect() : spectrum(3), ground(50, 50, 15.0f, 4.0f, 0.0f), stepTimer(16, 5)
{
    ground.computeShade(1.0f, 1.0f);
    seedRandom(5110);
    stalks.resize(static_cast<size_t>(stalkCount));
    for (Stalk& stalk : stalks)
        initStalk(stalk);
    specks.reserve(speckCount);
    for (int i = 0; i < speckCount; ++i) {
        specks.push_back(greySpeck(i));
        const float vanishStart = randomRange(0.1f, 0.7f);
        speckVanishStart.push_back(vanishStart);
        speckVanishEnd.push_back(vanishStart + randomRange(0.02f, 0.04f));
    }
}

ViimeinenEffect::~ViimeinenEffect() = default;

bool ViimeinenEffect::init(unsigned long start, unsigned long end) { return Base::init(start, end); }

void ViimeinenEffect::run()
{
    setFogColor(Vector3(0.002f, 0.002f, 0.004f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void ViimeinenEffect::draw(float t, float alpha)
{
    simulate(t);
    beatLevel = beatLevel * 0.8f + (spectrum.update() * 0.1f) * 0.2f;

    glLoadIdentity();
    const Vector3 eye(0.0f, 3.0f, 7.0f + 5.0f * t);
    gluLookAt(eye.x, eye.y, eye.z, eye.x, eye.y, eye.z - 5.0f, 0.0, 1.0, 0.0);

    // The floor goes straight to the window, under the captured picture.
    ground.draw(dmsGetTexture("deeptxt2.jpg"), dmsGetTexture("normal_map_deep2.jpg"), Vector3(1, 1, 1), alpha * 0.3f);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    PostProcess::beginCapture(true);

    // The first half thin, the rest twice as wide.
    const size_t half = stalks.size() / 2;
    for (size_t i = 0; i < stalks.size(); ++i) {
        if (i == 0) {
            glLineWidth(1.0f);
        } else if (i == half) {
            stalkLines.draw();
            glLineWidth(2.0f);
        }
        drawStalkLine(stalkLines, stalks[i], alpha);
    }
    stalkLines.draw();

    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("flare_red.jpg");
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    for (const Stalk& stalk : stalks)
        drawStalkSprites(stalkSprites, stalk, right, up, alpha, beatLevel);
    stalkSprites.draw();
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);

    PostProcess::glowPass(6, 0.0075f, 0.0075f, 0.915f, -1.0f, 1.0f, 0);

    // The specks go to the window over the glowed picture, in the camera the pass kept.
    beginSpeckPoints();
    for (size_t i = 0; i < specks.size(); ++i) {
        const float v = speckVisibility(i, t);
        if (v > visibleEnough)
            drawSwimmer(specks[i], alpha * v, 1.0f);
    }
    endSpeckPoints();

    PostProcess::noiseOverlay(alpha * (1.0f - t) * 0.1f);
}

float ViimeinenEffect::fadeAt(float t) { return sceneFade(t, 0.1f, 10.0f, 0.85f, 6.666668f); }

float ViimeinenEffect::speckVisibility(size_t i, float t) const
{
    return 1.0f - rampLinear(t, speckVanishStart[i], speckVanishEnd[i]);
}

void ViimeinenEffect::initStalk(Stalk& s)
{
    s.base = SwayingStem::randomRoot();

    s.fadeStart = randomRange(0.1f, 0.3f);
    s.fadeEnd = s.fadeStart + randomRange(0.45f, 0.5f);
    s.brightness = randomRange(0.2f, 0.3f);
    s.small = randomUnit() > 0.25f;

    s.grow();

    static const Vector3 colours[3] = {Vector3(0.6f, 0.7f, 0.3f), Vector3(0.7f, 0.6f, 0.3f), Vector3(0.8f, 0.8f, 0.3f)};
    s.colour = colours[nextRandom() % 3];
    s.phase = 0.0f;
    s.phaseSpeed = randomRange(0.002f, 0.01f);
}

// -------------------------------------------------------------------------------------------------
// Simulation step

int ViimeinenEffect::simulate(float t)
{
    stepTimer.update();
    int steps = 0;
    for (; stepTimer.hasStep(); ++steps) {
        for (Stalk& stalk : stalks)
            stepStalk(stalk, t);
        for (Swimmer& speck : specks)
            updateSwimmer(speck);
        // Two timer steps per simulated step, so stalks and specks move at half the pace. The
        // second may take the bank below zero; the timer's fields are signed for that.
        stepTimer.consumeStep();
        stepTimer.consumeStep();
    }
    return steps;
}

void ViimeinenEffect::stepStalk(Stalk& s, float t)
{
    const float b = rampLinear(t, s.fadeStart, s.fadeEnd);
    s.fade = 1.0f - std::sqrt(std::sin(b * 1.570796f));
    if (s.fade > visibleEnough)
        s.phase += s.phaseSpeed;
    // Wilting: k goes from 0 (upright) to 1 (the top lies on the floor) as fade falls.
    const float f = s.fade > 0.1f ? std::sin((s.fade - 0.1f) * 1.7453289f) : 0.0f;
    const float k = 1.0f - f;

    s.swayWilting(t, k);
}

// -------------------------------------------------------------------------------------------------
// Drawing

void ViimeinenEffect::drawStalkLine(VertexBatch& batch, Stalk& s, float alpha)
{
    if (s.fade <= visibleEnough)
        return;
    // Dark at the root, brightening towards the tip.
    for (float u = 0.0f; u < 1.0f; u += 0.02f) {
        batch.color(s.colour.x, s.colour.y, s.colour.z, u * s.fade * alpha * s.brightness);
        const Vector3 v = s.curve.evaluate(u);
        batch.vertex(v);
        s.tip = v;
    }
    batch.endPrimitive();
}

void ViimeinenEffect::drawStalkSprites(VertexBatch& batch, const Stalk& s, const Vector3& right, const Vector3& up,
                                       float alpha, float level)
{
    if (s.fade <= visibleEnough)
        return;
    billboard(batch, s.tip, right, up, (std::sin(2.0f * s.phase) + 1.0f) * 0.5f * 0.02f,
              (std::sin(s.phase) * 0.3f + 0.7f) * s.fade * alpha * 0.8f);
    const int count = s.small ? 5 : 30;
    const float scale = s.small ? 0.02f : 0.05f;
    const float gain = spriteGain(level);
    for (int i = 0; i < count; ++i) {
        const float u = static_cast<float>(i) / static_cast<float>(count);
        const float size = scale * (std::sin(2.0f * s.phase + 4.0f * u) * 0.4f + 0.6f);
        const float a = alpha * (1.0f - 0.5f * u) * (std::sin(s.phase + 6.0f * u) * 0.3f + 0.7f) * gain * s.fade;
        billboard(batch, s.curve.evaluate(u), right, up, size, a);
    }
}
