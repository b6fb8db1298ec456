#include "scenes/tyonto.h"

#include "maths/ramps.h"
#include "maths/random.h"
#include "render/gl_entry.h"
#include "render/post_process.h"
#include "render/shader_manager.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr float pusherReach = 100.0f; // a pusher beyond this on any axis starts again near the middle

// The archive's mesh is shared: its coordinates are scaled once per process, whatever happens.
const T3D* scaledBackground = nullptr;

bool outside(float v) { return v < -pusherReach || v > pusherReach; }

ShaderProgram* program(const char* name) { return shaderManager ? shaderManager->getShader(name) : nullptr; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

TyontoEffect::TyontoEffect() : stepTimer(16, 5) {}

TyontoEffect::~TyontoEffect() = default;

bool TyontoEffect::init(unsigned long start, unsigned long end)
{
    seedRandom(23);
    pusherCount = 5;
    pushers.assign(static_cast<size_t>(pusherCount), Pusher());
    for (Pusher& p : pushers) {
        p.velocity = Vector3(randomCenteredVector()) * 2.0f;
        p.position = randomScaledVector(30.0f, 70.0f, 30.0f);
        p.radius = 16.0f;
        p.speed = randomRange(10.0f, 50.0f) * 0.5f;
    }

    particleCount = 10000;
    particles.assign(static_cast<size_t>(particleCount), PushParticle());
    for (PushParticle& particle : particles) {
        Vector3 p = randomScaledVector(30.0f, 70.0f, 30.0f);
        if (p.y < 0.0f)
            p.y = -p.y;
        particle.position = particle.previous = particle.home = p;
    }

    background = dmsGetObject("sp.t3d");
    scaleTexCoordsOnce(background);
    return Base::init(start, end);
}

void TyontoEffect::run()
{
    setFogColor(Vector3(0.0f, 0.0f, 0.0f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void TyontoEffect::draw(float t, float alpha)
{
    advance();

    const Vector3 eye = eyeAt(t), centre = centreAt(t);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);

    PostProcess::beginCapture(true);
    drawBackground(t, alpha);
    drawParticles(t, alpha);
    PostProcess::glowPass(6, 0.008f, 0.008f, 0.85f, -1.0f, 1.0f, 0);
}

float TyontoEffect::fadeAt(float t) { return sceneFade(t, 0.1f, 10.0f, 0.96f, 24.999987f); }

float TyontoEffect::zModAt(float t, float alpha) { return (1.0f - rampLinear(t, 0.95f, 1.0f)) * 31.5f * alpha; }

Vector3 TyontoEffect::eyeAt(float t)
{
    const float s = 0.3f * t;
    const float c = std::cos(4.2f * s);
    return Vector3(0.0f, 25.0f - 25.0f * t, 0.0f) +
           Vector3(sphericalToVector(1.5f, std::sin(4.3f * s) + std::sin(s * s), c * c * c));
}

Vector3 TyontoEffect::centreAt(float t)
{
    const float s = 0.3f * t;
    return Vector3(0.0f, 25.0f, 0.0f) +
           Vector3(sphericalToVector(2.575f, std::sin(1.3f * s), -std::cos(0.9f * s))) * (t * t);
}

void TyontoEffect::scaleTexCoordsOnce(T3D* mesh)
{
    if (!mesh || mesh == scaledBackground)
        return;
    T3DVertex* vertices = mesh->getVertexArray();
    for (unsigned int i = 0; vertices && i < mesh->getVertexCount(); ++i) {
        vertices[i].u *= 9.0f;
        vertices[i].v *= 9.0f;
    }
    scaledBackground = mesh;
}

// ---------------------------------------------------------------------------------------------
// Simulation step

int TyontoEffect::advance()
{
    int steps = 0;
    stepTimer.update();
    while (stepTimer.hasStep()) {
        simulateStep();
        stepTimer.consumeStep();
        ++steps;
    }
    return steps;
}

void TyontoEffect::simulateStep()
{
    for (PushParticle& p : particles)
        pullAndIntegrate(p);
    for (Pusher& pusher : pushers) {
        movePusher(pusher);
        pushParticles(pusher);
    }
}

void TyontoEffect::pullAndIntegrate(PushParticle& p)
{
    Vector3 d = p.home - p.position;
    const float q = d.dotProduct(d);
    // Free within a unit of home; beyond it the pull grows with the fourth power of the distance.
    if (q > 1.0f)
        p.position += d.normalize() * 0.00035f * q * q;
    const Vector3 saved = p.position;
    p.position += (p.position - p.previous) * 0.997f;
    p.previous = saved;
}

void TyontoEffect::movePusher(Pusher& pusher)
{
    pusher.position += pusher.velocity * pusher.speed * 0.40528f;
    const Vector3& p = pusher.position;
    if (outside(p.x) || outside(p.y) || outside(p.z))
        pusher.position = Vector3(randomCenteredVector()) * 50.0f; // the velocity stays
}

void TyontoEffect::pushParticles(const Pusher& pusher)
{
    const float r = pusher.radius;
    const float r2 = r * r;
    for (PushParticle& p : particles) {
        Vector3 e = p.position - pusher.position;
        const float q = e.dotProduct(e);
        // Nothing at the pusher itself, strongest just inside the radius. Only the position
        // moves, so the push becomes velocity at the next integration.
        if (q < r2) {
            e.normalize();
            p.position += e * r * (q * q / r2) * 0.0000015f;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TyontoEffect::drawBackground(float t, float alpha)
{
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    const Vector3 tint = Vector3(0.27f, 0.28f, 0.474f) * alpha * 0.7f;
    glScalef(41.0f, 14.25f, 41.0f);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);

    const float f = t * 224.0f;
    char nameA[16], nameB[16];
    std::snprintf(nameA, sizeof nameA, "cau_0%02d.jpg", (static_cast<int>(f) % 32 + 32) % 32 + 1);
    std::snprintf(nameB, sizeof nameB, "cau_0%02d.jpg", (static_cast<int>(f + 1.0f) % 32 + 32) % 32 + 1);
    const float weight = std::fmod(t, 0.004464285714285714f) * 224.0f;

    ShaderProgram* caustic = program("caustic");
    if (caustic) {
        caustic->bind();
        caustic->setUniform1i("caus0", 0);
        caustic->setUniform1i("caus1", 1);
        caustic->setUniform1f("causinterp", weight);
        caustic->setUniform4f("vari", tint.x, tint.y, tint.z, alpha);
    }
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture(nameA);
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture(nameB);

    if (background) {
        const T3DVertex* vertices = background->getVertexArray();
        const T3DFace* faces = background->getFaceArray();
        const unsigned int n = background->getVertexCount(), faceCount = background->getFaceCount();
        for (unsigned int i = 0; i < faceCount; ++i) {
            const T3DFace& face = faces[i];
            if (face.a >= n || face.b >= n || face.c >= n)
                continue;
            for (const uint32_t v : {face.a, face.b, face.c}) {
                shellBatch.texCoord(vertices[v].u, vertices[v].v);
                shellBatch.vertex(vertices[v].position);
            }
        }
        shellBatch.draw();
    }

    ShaderProgram::unbind();
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glDepthMask(GL_TRUE);
}

void TyontoEffect::drawParticles(float t, float alpha)
{
    ShaderProgram* speck = program("tyonto");
    if (speck) {
        speck->bind();
        speck->setUniform1i("tex", 0);
        speck->setUniform1f("zMod", zModAt(t, alpha));
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    right *= 0.1f;
    up *= 0.1f;

    bindArchiveTexture("circle.jpg");
    const size_t warm = particles.size() / 4;
    speckBatch.color(0.36f, 0.18f, 0.18f);
    for (size_t i = 0; i < particles.size(); ++i) {
        if (i == warm)
            speckBatch.color(0.18f, 0.36f, 0.42f);
        billboardQuad(speckBatch, particles[i].position, right, up, 1.0f);
    }
    speckBatch.draw();
    ShaderProgram::unbind();
}
