#include "scenes/uppo.h"

#include "render/post_process.h"
#include "render/screen.h"
#include "toolkit/show_state.h"
#include "maths/ramps.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

// -------------------------------------------------------------------------------------------------
// Process-wide state

int UppoEffect::tickCounter = 0;
bool UppoEffect::seahorseShown[3] = {false, false, false};

namespace {

constexpr size_t planktonLimit = 350;
constexpr size_t crosserPlanktonLimit = 50;

// The plankton textures by next() mod 7, with the factor their size is scaled by.
struct SpriteLook {
    const char* texture;
    float factor;
};
constexpr SpriteLook planktonLooks[7] = {
    {"circle.jpg", 1.0f},     {"circle.jpg", 1.0f},     {"protozoa1.png", 0.7f},  {"protozoa2.png", 0.7f},
    {"plankton1.png", 0.8f}, {"plankton2.png", 0.8f}, {"jellyfish1.png", 0.8f},
};

// Below the camera, within 4 units of the axis; drawn z, then y, then x.
Vector3 positionBelow(const DescentCamera& camera)
{
    const float z = randomRange(-4.0f, 4.0f);
    const float y = camera.eye.y + randomRange(-18.0f, -9.0f);
    const float x = randomRange(-4.0f, 4.0f);
    return Vector3(x, y, z);
}

// Pale blue tints; drawn blue, then green, then red.
Vector3 paleBlue()
{
    const float b = randomRange(0.7f, 0.9f);
    const float g = randomRange(0.5f, 0.6f);
    const float r = randomRange(0.3f, 0.4f);
    return Vector3(r, g, b);
}

// Half extents that keep the texture's aspect, the longer one equal to the size.
void fitToTexture(Sprite& s)
{
    const float w = s.texture ? static_cast<float>(s.texture->getWidth()) : 0.0f;
    const float h = s.texture ? static_cast<float>(s.texture->getHeight()) : 0.0f;
    const float m = std::max(w, h);
    // A texture without pixels counts as square rather than dividing by zero.
    s.halfWidth = m > 0.0f ? w / m * s.size : s.size;
    s.halfHeight = m > 0.0f ? h / m * s.size : s.size;
}

// The crosser's picture: each of the three seahorses once, in order, else a circle or a protozoon.
SpriteLook crosserLook()
{
    bool* shown = UppoEffect::seahorseShown;
    if (randomUnit() > 0.9f && !shown[0]) {
        shown[0] = true;
        return {"seahorse1.png", 1.0f};
    }
    if (randomUnit() > 0.9f && shown[0] && !shown[1]) {
        shown[1] = true;
        return {"seahorse1.png", 1.0f};
    }
    if (randomUnit() > 0.9f && shown[1] && !shown[2]) {
        shown[2] = true;
        return {"seahorse1.png", 1.0f};
    }
    if (nextRandom() % 3 == 2)
        return {"protozoa1.png", 1.4f};
    return {"circle.jpg", 1.0f};
}

void corner(VertexBatch& quads, const Vector3& p, const Vector3& offset, float s, float t)
{
    quads.texCoord(s, t);
    quads.vertex(p.x + offset.x, p.y + offset.y, p.z + offset.z);
}

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

UppoEffect::UppoEffect() = default;

UppoEffect::~UppoEffect() = default;

bool UppoEffect::init(unsigned long start, unsigned long end) { return Base::init(start, end); }

void UppoEffect::run()
{
    setFogColor(Vector3(0.0f, 0.0f, 0.0f));
    const float t = sceneTime(*this);
    const float alpha = fadeAt(t);

    // No blend state of its own: after the last frame's glow pass the blue adds to the black
    // clear.
    const float k = (0.7f - 0.4f * t) * alpha;
    drawScreenQuad(0.09f * k, 0.1845f * k, 0.2969f * k, 0.4f * alpha);
    draw(t, alpha);
    // A second, wider glow of the same capture. Nothing was bound since the first, so the pass
    // reuses the first's 512 and 256 reductions, which a redo would write byte for byte again.
    PostProcess::glowPass(6, 0.005f, 0.005f, 0.92f, -1.0f, 1.0f, 0);
}

void UppoEffect::draw(float t, float alpha)
{
    simulate(t);
    render(alpha);
}

float UppoEffect::fadeAt(float t)
{
    return sceneFade(t, 0.1f, 10.0f, 0.99f, 100.0001f);
}

Sprite spawnSprite(const DescentCamera& camera, float t, SpriteKind kind, TextureLookup lookup)
{
    Sprite s;
    s.kind = kind;
    s.phaseSpeed = randomRange(0.005f, 0.01f);
    s.phase = randomUnit();
    s.lifeState = LifeState::Alive;
    s.fade = 0.0f;
    s.age = 0.0f;
    s.fadeSpeed = 0.01f;

    switch (kind) {
    case SpriteKind::Plankton: {
        s.position = positionBelow(camera);
        s.brightness = randomRange(0.1f, 0.2f);
        s.color = paleBlue();
        const SpriteLook look = planktonLooks[nextRandom() % 7];
        s.texture = lookup(look.texture);
        s.size = randomRange(0.1f, 0.13f) * look.factor;
        s.spin = randomDirection();
        s.velocity = randomDirection();
        fitToTexture(s);
        break;
    }
    case SpriteKind::Crosser: {
        const SpriteLook look = crosserLook();
        s.texture = lookup(look.texture);
        s.size = randomRange(0.02f, 0.04f) * look.factor * 3.0f;
        // They start at one side and swim across to the other.
        const float direction = nextRandom() % 2 == 0 ? 1.0f : -1.0f;
        const float z = randomRange(-4.0f, 4.0f);
        const float y = camera.eye.y + randomRange(-18.0f, -9.0f);
        s.position = Vector3(-4.0f * direction, y, z);
        s.brightness = randomRange(0.3f, 0.4f);
        s.color = paleBlue();
        s.spin = randomDirection();
        s.velocity = Vector3(randomDirection()) + Vector3(1.1f * direction, 0.0f, 0.0f);
        fitToTexture(s);
        break;
    }
    case SpriteKind::Mote: {
        s.position = positionBelow(camera);
        s.brightness = randomRange(0.3f, 0.5f);
        // Blue early in the scene, turning red or amber as it goes on.
        const Vector3 target = randomUnit() > 0.5f ? Vector3(0.75f, 0.65f, 0.2f) : Vector3(0.75f, 0.2f, 0.2f);
        const float w = clamp(t + (randomUnit() - 0.5f) * 0.1f, 0.0f, 1.0f);
        s.color = Vector3(0.2f, 0.3f, 0.5f) * (1.0f - w) + target * w;
        s.spin = randomDirection();
        s.velocity = randomDirection();
        break;
    }
    }
    return s;
}

// -------------------------------------------------------------------------------------------------
// Simulation step

void UppoEffect::simulate(float t)
{
    stepTimer.update();
    while (stepTimer.hasStep()) {
        step(t);
        stepTimer.consumeStep();
    }
}

void UppoEffect::step(float t)
{
    camera.step();
    for (std::vector<Sprite>* list : {&planktonList, &moteList, &crosserList}) {
        for (Sprite& s : *list)
            s.stepSprite(camera);
        std::erase_if(*list, [](const Sprite& s) { return s.isDead(); });
    }

    const size_t plankton = planktonList.size();
    const size_t motes = moteList.size();
    const float chance = std::pow(t, 1.1f);
    // Each chance is drawn before its limit is looked at, so the draws do not depend on counts.
    if (tickCounter % 3 == 0) {
        if (randomUnit() < chance && plankton < planktonLimit)
            planktonList.push_back(spawnSprite(camera, t, SpriteKind::Plankton, textureLookup));
    }
    // Crossers only while the plankton are still few.
    if (tickCounter % 3 == 1) {
        if (randomUnit() < chance && plankton < crosserPlanktonLimit)
            crosserList.push_back(spawnSprite(camera, t, SpriteKind::Crosser, textureLookup));
    }
    if (randomUnit() < chance && static_cast<float>(motes) < 80.0f * t * t)
        moteList.push_back(spawnSprite(camera, t, SpriteKind::Mote, textureLookup));
    ++tickCounter;
}

void DescentCamera::step()
{
    eye.y -= 0.015f;
    target.y -= 0.015f;
    sway += 0.01f;
}

void Sprite::stepSprite(const DescentCamera& camera)
{
    phase += phaseSpeed;
    age += 0.01f;
    switch (kind) {
    case SpriteKind::Plankton:
        position += velocity * (0.0025f * (0.7f + 0.3f * std::sin(5.0f * age)));
        break;
    case SpriteKind::Crosser:
        position += velocity * (0.0025f * (0.7f + 0.3f * std::sin(5.0f * age)));
        brightness = 0.3f + 0.1f * std::cos(3.0f * age);
        break;
    case SpriteKind::Mote:
        position += velocity * (0.0145f * (0.55f + 0.4f * std::sin(5.0f * age)));
        break;
    }
    // Once the camera has sunk more than 4 units below it, the sprite fades out.
    if (lifeState == LifeState::Alive) {
        if (camera.eye.y < position.y - 4.0f) {
            lifeState = LifeState::FadingOut;
            fade = 0.0f;
        }
    } else {
        fade += fadeSpeed;
    }
}

bool Sprite::isDead() const { return lifeState == LifeState::FadingOut && fade > 1.0f; }

// -------------------------------------------------------------------------------------------------
// Drawing

void DescentCamera::apply() const
{
    const float roll = 0.15f * std::sin(0.5f * sway);
    Vector3 up = Vector3(0.0f, 1.0f, 0.0f) * Matrix::makeRotation(0.0f, 0.0f, roll);
    up.normalize();
    const float shift = 2.0f * roll;
    gluLookAt(eye.x + shift, eye.y, eye.z, target.x + shift, target.y, target.z, up.x, up.y, up.z);
}

void UppoEffect::render(float alpha)
{
    glLoadIdentity();
    camera.apply();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    PostProcess::beginCapture(true);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Vector3 right, up, back;
    getCameraAxes(right, up, back);

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    // Neighbours with the same picture go out together; the order of drawing stays.
    bool bound = false;
    GLuint texture = 0;
    for (const std::vector<Sprite>* list : {&planktonList, &crosserList}) {
        for (const Sprite& s : *list) {
            const GLuint id = s.texture ? static_cast<GLuint>(s.texture->getID()) : 0;
            if (!bound || id != texture) {
                quads.draw();
                glBindTexture(GL_TEXTURE_2D, id);
                bound = true;
                texture = id;
            }
            s.drawSprite(quads, alpha, right, up);
        }
    }
    quads.draw();

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_BLEND);
    glPointSize(3.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    for (const Sprite& s : moteList)
        s.drawSprite(points, alpha, right, up);
    points.draw();
    glDisable(GL_POINT_SMOOTH);
    glEnable(GL_DEPTH_TEST);

    PostProcess::glowPass(4, 0.008f, 0.008f, 0.9f, -1.0f, 1.0f, 0);
}

void Sprite::drawSprite(VertexBatch& batch, float alpha, const Vector3& right, const Vector3& up) const
{
    const float f = lifeState == LifeState::FadingOut ? 1.0f - fade : 1.0f;
    if (kind == SpriteKind::Mote) {
        batch.color(color.x, color.y, color.z, f * brightness * (0.75f + 0.55f * std::sin(phase)) * alpha);
        batch.vertex(position);
        return;
    }

    const float s = 0.75f + 0.25f * std::sin(phase);
    // Crossers keep a fixed roll of their own.
    const bool rolled = kind == SpriteKind::Crosser;
    const Matrix roll = Matrix::makeRotation(0.0f, 0.0f, 0.3f * spin.z);
    const auto offset = [&](float a, float b) {
        const Vector3 o = (right * (a * halfWidth) + up * (b * halfHeight)) * s;
        return rolled ? o * roll : o;
    };
    batch.colorOutside(color.x, color.y, color.z, f * brightness * alpha);
    corner(batch, position, offset(-1.0f, -1.0f), 0.0f, 1.0f);
    corner(batch, position, offset(1.0f, -1.0f), 1.0f, 1.0f);
    corner(batch, position, offset(1.0f, 1.0f), 1.0f, 0.0f);
    corner(batch, position, offset(-1.0f, 1.0f), 0.0f, 0.0f);
}
