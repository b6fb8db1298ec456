#include "scenes/suihke.h"

#include "render/gl_entry.h"
#include "render/post_process.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"
#include "toolkit/show_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------------------------
// Data types

constexpr int pathSteps = 10;
constexpr int hiddenDraws = 65; // vectors drawn only to leave the generator where later set-ups expect it
const Vector3 sprayBlue(0.13f, 0.35f, 0.55f);
const Vector3 sprayPale(0.53f, 0.53f, 0.45f);


} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

SuihkeEffect::SuihkeEffect() = default;

SuihkeEffect::~SuihkeEffect() = default;

bool SuihkeEffect::init(unsigned long start, unsigned long end)
{
    mesh = dmsGetObject("3djytky.t3d");
    faceData.clear();
    if (mesh)
        faceData = silhouetteFaceData(*mesh);

    for (SplinePath& path : sprayPaths)
        path = SplinePath();
    seedRandom(15);
    // Each path starts on a wide square far out, then winds in through ten rings towards the eye
    // side of the origin, and ends at the origin.
    Vector3 e(0.0f, 0.0f, 29.0f);
    for (SplinePath& path : sprayPaths)
        path.addPoint(e + Vector3(randomScaledVector(128.0f, 128.0f, 0.0f)));
    for (int i = 0; i < pathSteps; ++i) {
        for (SplinePath& path : sprayPaths)
            path.addPoint(e + Vector3(randomScaledVector(8.0f, 8.0f, 2.5f)));
        e = e - Vector3(0.0f, 0.0f, 2.0f);
    }
    for (SplinePath& path : sprayPaths) {
        path.addPoint(Vector3());
        path.bake();
    }

    emitCountdown = -1.0f;
    lastEmitClock = -1.0f;

    seedRandom(23);
    for (int i = 0; i < hiddenDraws; ++i)
        randomScaledVector(16.0f, 16.0f, 2.5f);

    spectrum = SpectrumAverage(3);
    return Base::init(start, end);
}

void SuihkeEffect::run()
{
    setFogColor(Vector3(0.0f, 0.0f, 0.0f));
    const float t = sceneTime(*this);
    PostProcess::beginCapture(true);
    draw(t, 1.0f); // no fade of its own
    PostProcess::zoomTrailPass();
}

void SuihkeEffect::draw(float t, float alpha)
{
    glLoadIdentity();
    const Vector3 eye = eyeAt(t);
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    const float dt = advanceClock(dmsGetModulePosition());
    if (emissionDue(dt))
        emitBatch(t);

    Vector3 right, up, back;
    getCameraAxes(right, up, back);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    bindArchiveTexture("circle.jpg");
    sprayBeat = sprayBeat * 0.8f + spectrum.update() * 0.1f * 0.2f;
    updateParticles(right, up, dt, alpha);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    drawSilhouette(t);

    glColor3f(1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

Vector3 SuihkeEffect::eyeAt(float t) { return Vector3(0.0f, 0.0f, 45.0f - 25.0f * t); }

float SuihkeEffect::silhouetteAngle(float t) { return 35.0f * t + 105.0f; }

Vector3 SuihkeEffect::silhouetteAxis(float t)
{
    const float t2 = t * t;
    return Vector3(std::sin(2.0f * (1.0f - t2 * t2)) - 0.64f, -0.34f * std::sin(4.2f * t2), 0.7f * t2);
}

// Any finite values do: with texturing off and no program they leave the silhouette black. Each
// face gets its centre within the mesh's bounding box, 0..1 on each axis.
std::vector<SilhouetteFace> SuihkeEffect::silhouetteFaceData(const T3D& mesh)
{
    const unsigned vertexCount = mesh.getVertexCount();
    const unsigned faceCount = mesh.getFaceCount();
    std::vector<SilhouetteFace> data(faceCount);
    if (vertexCount == 0)
        return data;
    const std::vector<T3DVertex>& vertices = mesh.vertices;
    Vector3 lo = vertices[0].position, hi = lo;
    for (const T3DVertex& v : vertices) {
        const Vector3& p = v.position;
        lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    const Vector3 extent = hi - lo;
    const auto unit = [](float v, float range) { return range > 0.0f ? v / range : 0.0f; };
    for (unsigned f = 0; f < faceCount; ++f) {
        const T3DFace& face = mesh.faces[f];
        if (face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount)
            continue;
        const Vector3 centre =
            (vertices[face.a].position + vertices[face.b].position + vertices[face.c].position) / 3.0f - lo;
        data[f].values = Vector3(unit(centre.x, extent.x), unit(centre.y, extent.y), unit(centre.z, extent.z));
    }
    return data;
}

// ---------------------------------------------------------------------------------------------
// Simulation step

float SuihkeEffect::advanceClock(int p)
{
    const float now = static_cast<float>(p);
    float dt = 0.0f;
    if (lastEmitClock < 0.0f)
        emitCountdown = 0.01f;
    else
        dt = std::max(now - lastEmitClock, 0.0f);
    lastEmitClock = now;
    return dt;
}

bool SuihkeEffect::emissionDue(float dt)
{
    const float r = emitCountdown - dt;
    if (r >= 0.0f) {
        emitCountdown = r;
        return false;
    }
    emitCountdown = emitInterval;
    return true;
}

void SuihkeEffect::emitBatch(float t)
{
    for (const SplinePath& path : sprayPaths) {
        // The paths have no direction (always zero), so the velocities are purely random.
        const Vector3 direction = path.direction(t).normalize();
        sprayParticles.push_back(spawnSprayParticle(path.evaluate(t), direction));
    }
}

SprayParticle SuihkeEffect::spawnSprayParticle(const Vector3& position, const Vector3& direction)
{
    SprayParticle p;
    p.position = position + Vector3(randomCenteredVector()) * 0.5f;
    const Vector3 heading = direction + Vector3(randomCenteredVector());
    p.velocity = heading * randomRange(0.5f, 3.0f);
    p.life = particleLife;
    p.big = randomUnit() > 0.7f;
    p.size = randomRange(0.5f, 1.0f);
    p.brightness = randomRange(0.7f, 1.0f);
    return p;
}

bool SuihkeEffect::stepSprayParticle(SprayParticle& p, float dt)
{
    p.life -= dt;
    p.position += p.velocity * (dt * 0.001f);
    p.velocity -= p.velocity * (dt * 0.0001f);
    return p.life >= 0.0f;
}

float SuihkeEffect::sprayHalfSize(const SprayParticle& p) { return (1.0f / particleLife) * p.size * p.life * 0.5f; }

Vector3 SuihkeEffect::sprayColour(const SprayParticle& p, float beat)
{
    if (!p.big)
        return sprayBlue;
    const float m = std::min(1.5f * beat, 1.0f);
    return sprayBlue + (sprayPale - sprayBlue) * m;
}

// ---------------------------------------------------------------------------------------------
// Drawing

// Steps, draws and retires in one pass: a particle whose life runs out this frame is drawn once
// more and then dropped, the survivors keeping their order.
void SuihkeEffect::updateParticles(const Vector3& right, const Vector3& up, float dt, float alpha)
{
    size_t kept = 0;
    for (size_t i = 0; i < sprayParticles.size(); ++i) {
        SprayParticle& p = sprayParticles[i];
        const bool alive = stepSprayParticle(p, dt);
        const Vector3 c = sprayColour(p, sprayBeat);
        sprayBatch.color(c.x, c.y, c.z, alpha * p.brightness * 0.0445f);
        billboardQuad(sprayBatch, p.position, right, up, sprayHalfSize(p));
        if (alive)
            sprayParticles[kept++] = p;
    }
    sprayBatch.draw();
    sprayParticles.resize(kept);
}

// Placed relative to the eye (the modelview is reset), so it stays in the same corner of the view
// while it turns.
void SuihkeEffect::drawSilhouette(float t)
{
    if (!mesh || faceData.size() != mesh->getFaceCount())
        return;
    const unsigned vertexCount = mesh->getVertexCount();
    const T3DVertex* vertices = mesh->getVertexArray();
    const T3DFace* faces = mesh->getFaceArray();
    if (!vertices || !faces)
        return;

    glPushMatrix();
    glLoadIdentity();
    const Vector3 place = (Vector3(0.53f, 0.55f, 0.31f) - Vector3(0.5f, 0.5f, 0.5f)) * 250.0f;
    glTranslatef(place.x, place.y, place.z);
    glScalef(0.1f, 0.1f, 0.1f);
    const Vector3 axis = silhouetteAxis(t);
    glRotatef(silhouetteAngle(t), axis.x, axis.y, axis.z);
    // Only the corners go to GL: with no lighting, texturing or program, the normals and texture
    // coordinates colour nothing. The last corner's are made current afterwards, as glEnd left
    // them.
    const T3DFace* lastFace = nullptr;
    size_t lastIndex = 0;
    for (size_t f = 0; f < faceData.size(); ++f) {
        const T3DFace& face = faces[f];
        if (face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount)
            continue;
        for (const uint32_t index : {face.a, face.b, face.c})
            silhouetteBatch.vertex(vertices[index].position);
        lastFace = &face;
        lastIndex = f;
    }
    silhouetteBatch.draw();
    if (lastFace) {
        const T3DVertex& v = vertices[lastFace->c];
        const Vector3& k = faceData[lastIndex].values;
        glNormal3f(lastFace->normal.x, lastFace->normal.y, lastFace->normal.z);
        gl::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, v.u, v.v);
        gl::glMultiTexCoord4fARB(GL_TEXTURE1_ARB, k.x, k.y, k.z, 0.0f);
    }
    glPopMatrix();
}
