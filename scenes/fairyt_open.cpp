#include "scenes/fairyt_open.h"

#include "render/draw_state.h"
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

// -------------------------------------------------------------------------------------------------
// Data types

constexpr float puffHalfSize = 2.5f;
constexpr float dustHalfSize = 0.075f;
constexpr int waterUnits = 6;

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

FairytOpenEffect::FairytOpenEffect()
{
    // Each value is drawn on its own line: the layout depends on the order x, y, z.
    seedRandom(1);
    puffPositions.resize(static_cast<size_t>(puffCount));
    for (Vector& p : puffPositions) {
        p.x = randomRange(0.1f, -20.0f);
        p.y = randomRange(0.52f, 4.5f);
        p.z = randomRange(0.1f, -20.0f);
    }
    dustPositions.resize(static_cast<size_t>(dustCount));
    for (Vector& p : dustPositions) {
        p.x = randomRange(3.25f, -3.25f);
        p.y = randomRange(0.000001f, 0.0005f);
        p.z = randomRange(3.25f, -3.25f);
    }
}

FairytOpenEffect::~FairytOpenEffect() = default;

bool FairytOpenEffect::init(unsigned long start, unsigned long end) { return Base::init(start, end); }

void FairytOpenEffect::run()
{
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void FairytOpenEffect::draw(float t, float alpha)
{
    glLoadIdentity();
    // Past the surface nothing is drawn and the smoke stands still.
    if (!setupCamera(t))
        return;
    // The smoke drifts four times a frame, once per smoke pass. A first pass to the window used
    // to stand here; the window's colour and depth are cleared below before anything reads them,
    // and the reflection pass sets every state that pass set, to the same values, so only its
    // drift is kept: the picture and the GL state after the frame are unchanged.
    movePuffs(dmsGetDeltaTime());
    renderReflection(t, alpha);
    renderRefraction(t, alpha);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupCamera(t);
    glEnable(GL_DEPTH_TEST);
    drawWaterSurface(t, alpha);
    drawSmoke(t, alpha);
    glDisable(GL_DEPTH_TEST);
}

// -------------------------------------------------------------------------------------------------
// Simulation step

float FairytOpenEffect::fadeAt(float t)
{
    float alpha = 1.0f;
    if (t >= 0.0f && t <= 0.45f)
        alpha = t * 2.2222223f;
    if (t >= 0.85f && t <= 1.0f)
        alpha *= 1.0f - (t - 0.85f) * 6.666668f;
    if (t >= 1.0f || t < 0.0f)
        alpha = 0.0f;
    return alpha;
}

Vector3 openingEye(float t)
{
    const float t3 = t * t * t;
    return Vector3(3.9f - 3.0f * t3, 1.031973f - 1.2f * t3, 4.29f - 3.0f * t3);
}

Vector3 puffVelocity(int i)
{
    const float c = static_cast<float>(16 - i % 32);
    const float f = std::fmod(static_cast<float>(i), 1.5f);
    return Vector3((f - 0.75f) * 0.095f, 0.00259f * c, 0.0059f * c);
}

void FairytOpenEffect::movePuffs(float dt)
{
    for (int i = 0; i < puffCount; ++i)
        puffPositions[static_cast<size_t>(i)] += Vector(puffVelocity(i) * (dt * 1.75f));
}

// -------------------------------------------------------------------------------------------------
// Drawing

bool FairytOpenEffect::setupCamera(float t)
{
    const Vector3 eye = openingEye(t);
    if (eye.y < 0.001f)
        return false;
    // The view rolls a little during the last tenth of the scene.
    const float s = rampLinear(t, 0.9f, 1.0f);
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, s * s * s, 1.0, 0.0);
    return true;
}

void FairytOpenEffect::drawSmoke(float /*t*/, float alpha)
{
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);

    movePuffs(dmsGetDeltaTime());
    static const char* const smoke[] = {"smoke1.jpg", "smoke2.jpg", "smoke3.jpg", "smoke4.jpg"};
    const int quarter = puffCount / 4;
    for (int i = 0; i < puffCount; ++i) {
        // A quarter of the puffs per smoke picture; the others keep the binding.
        if (quarter > 0 && i % quarter == 0 && i / quarter < 4) {
            quads.draw();
            bindArchiveTexture(smoke[i / quarter]);
        }
        quads.colorOutside(0.09713f * alpha, 0.09713f * alpha, (0.09239713f + 0.0173f * static_cast<float>(i % 4)) * alpha);
        billboardQuad(quads, puffPositions[static_cast<size_t>(i)], right, up, puffHalfSize);
    }
    quads.draw();

    bindArchiveTexture("smoke3.jpg");
    quads.colorOutside(0.0175f * alpha, 0.0175f * alpha, 0.0175f * alpha);
    for (const Vector& p : dustPositions)
        billboardQuad(quads, p, right, up, dustHalfSize);
    quads.draw();
    glDisable(GL_BLEND);
}

void FairytOpenEffect::renderReflection(float t, float alpha)
{
    bindTextureFBO512(renderTargets.tex512a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupCamera(t);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, 0.0f);
    glScalef(1.0f, -1.0f, 1.0f);
    // Given under the mirror, so it keeps what lies above the water before mirroring.
    const GLdouble above[4] = {0.0, 1.0, 0.0, 0.0};
    glClipPlane(GL_CLIP_PLANE0, above);
    glEnable(GL_CLIP_PLANE0);
    drawSmoke(t, alpha);
    glDisable(GL_CLIP_PLANE0);
    glPopMatrix();
    unbindFBO();
}

void FairytOpenEffect::renderRefraction(float t, float alpha)
{
    bindDepthFBO();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setupCamera(t);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, 0.0f);
    const GLdouble below[4] = {0.0, -1.0, 0.0, 0.0};
    glClipPlane(GL_CLIP_PLANE0, below);
    glEnable(GL_CLIP_PLANE0);
    drawSmoke(t, alpha);
    glDisable(GL_CLIP_PLANE0);
    glPopMatrix();
    unbindFBO();
}

void FairytOpenEffect::drawWaterSurface(float t, float alpha)
{
    // Blending stays off (the smoke pass left it so): the quad is written opaque.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ShaderProgram* water = shaderManager->getShader("waterRefl");
    water->bind();
    water->setUniform1f("time", t * 0.1f * 4.5f);
    water->setUniform1f("time2", t * 0.1f * 7.0f);
    water->setUniform4f("viewpos", 1.0f, 1.0f, 1.0f, 1.0f);
    water->setUniform4f("waterColor", 0.1773f * alpha, 0.2604163f * alpha, 0.3156f * alpha, alpha);
    glColor3f(1.0f, 1.0f, 1.0f);

    const struct {
        GLuint texture;
        const char* sampler;
    } units[waterUnits] = {
        {renderTargets.tex512a, "water_reflection"},
        {renderTargets.depthColorTexture, "water_refraction"},
        {static_cast<GLuint>(dmsGetTexture("water_normalmap.jpg")->getID()), "water_normalmap"},
        {static_cast<GLuint>(dmsGetTexture("water_distort.jpg")->getID()), "water_dudvmap"},
        {renderTargets.depthTexture, "water_depthmap"},
        {static_cast<GLuint>(dmsGetTexture("envmap.jpg")->getID()), "water_envmap"},
    };
    for (int unit = 0; unit < waterUnits; ++unit) {
        gl::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, units[unit].texture);
        water->setUniform1i(units[unit].sampler, unit);
    }

    // The program reads the maps through units 1 and 2 (once across the square) and the
    // reflection and refraction at the projected position; unit 0 carries its own tiling.
    const struct {
        float x, z, s0, t0, s, t;
    } corners[4] = {
        {-5.0f, 5.0f, 0.0f, 5.0f, 0.0f, 1.0f},
        {-5.0f, -5.0f, 0.0f, 0.0f, 0.0f, 0.0f},
        {5.0f, -5.0f, 5.0f, 0.0f, 1.0f, 0.0f},
        {5.0f, 5.0f, 5.0f, 5.0f, 1.0f, 1.0f},
    };
    noteDraw(GL_QUADS, layoutTexCoords(5));
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        gl::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c.s0, c.t0);
        for (int unit = 1; unit <= 4; ++unit)
            gl::glMultiTexCoord2fARB(GL_TEXTURE0_ARB + unit, c.s, c.t);
        glVertex3f(c.x, 0.0f, c.z);
    }
    glEnd();

    for (int unit = 0; unit < waterUnits; ++unit) {
        gl::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    ShaderProgram::unbind();
}
