#include "scenes/metakappyra.h"

#include "render/post_process.h"
#include "toolkit/show_state.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

// -------------------------------------------------------------------------------------------------
// Data types

constexpr int clusterCount = 4;
constexpr int particlesPerCluster = 35;
constexpr float clusterRadius = 1.8f;

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

MetakappyraEffect::MetakappyraEffect() = default;

MetakappyraEffect::~MetakappyraEffect() = default;

bool MetakappyraEffect::init(unsigned long start, unsigned long end)
{
    // Its own seed: the clusters are the same on every run, whatever was built before.
    seedRandom(2);
    particles.assign(static_cast<size_t>(particleCount), FlareParticle());
    size_t next = 0;
    for (int cluster = 0; cluster < clusterCount; ++cluster) {
        const float x = randomRange(-35.0f, 35.0f);
        const float y = randomRange(-30.0f, 30.0f);
        const float z = randomRange(-5.0f, 45.0f);
        const Vector3 centre(x, y, z);
        for (int i = 0; i < particlesPerCluster && next < particles.size(); ++i) {
            FlareParticle& p = particles[next++];
            const Vector3 c = centre + Vector3(randomDirection()) * clusterRadius;
            p.position = c;
            // The starting velocity is the negated centred random vector.
            p.previous = c + Vector3(randomCenteredVector());
            p.home = c;
        }
    }
    return Base::init(start, end);
}

void MetakappyraEffect::run()
{
    setFogColor(Vector3(0.0f, 0.0f, 0.0f));
    const float t = sceneTime(*this);
    draw(t, fadeAt(t));
}

void MetakappyraEffect::draw(float t, float alpha)
{
    simulate();
    render(t, alpha);
}

float MetakappyraEffect::fadeAt(float t)
{
    return sceneFade(t, 0.1f, 10.0f, 0.9f, 9.999998f);
}

float flareHalfSize(int i) { return 1.0f + static_cast<float>(i % 32) * 0.03125f; }

// -------------------------------------------------------------------------------------------------
// Simulation step

void MetakappyraEffect::simulate()
{
    stepTimer.update();
    while (stepTimer.hasStep()) {
        step();
        stepTimer.consumeStep();
    }
}

void MetakappyraEffect::step()
{
    for (FlareParticle& p : particles)
        stepFlare(p);
}

void stepFlare(FlareParticle& p)
{
    Vector3 d = p.home - p.position;
    const float q = d.x * d.x + d.y * d.y + d.z * d.z;
    // Free inside the unit sphere around home, thrown back hard once outside it.
    if (q > 1.0f)
        p.position += d.normalize() * (0.1f * q * q);
    const Vector3 old = p.position;
    p.position += p.position - p.previous;
    p.previous = old;
}

// -------------------------------------------------------------------------------------------------
// Drawing

void MetakappyraEffect::render(float t, float alpha)
{
    const float roll = 0.15f * std::sin(currentTime * 0.00015f);
    Vector3 up = Vector3(0.0f, 1.0f, 0.0f) * Matrix::makeRotation(0.0f, 0.0f, roll);
    up.normalize();
    glLoadIdentity();
    gluLookAt(0.0, 0.0, -65.0, 0.0, 0.0, 0.0, up.x, up.y, up.z);
    // The field rises from 83 units below the view to 83 above over the scene.
    glTranslatef(0.0f, (2.0f * t - 1.0f) * 83.0f, 0.0f);

    PostProcess::beginCapture(true);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    Vector3 right, axisUp, back;
    getCameraAxes(right, axisUp, back);

    bindArchiveTexture("flare_white.jpg");
    flares.colorOutside(alpha, alpha, alpha);
    for (size_t i = 0; i < particles.size(); ++i)
        billboardQuad(flares, particles[i].position, right, axisUp, flareHalfSize(static_cast<int>(i)));
    flares.draw();
    glEnable(GL_DEPTH_TEST);
    PostProcess::metaPass();
}
