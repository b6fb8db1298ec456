#include "toolkit/show_state.h"
#include "toolkit/bubble_emitter.h"

#include "toolkit/current_fields.h"
#include "maths/random.h"
#include "toolkit/scene_kit.h"

#include <GL/gl.h>

#include <cmath>


float bubbleLifeFade(const Bubble& bubble)
{
    const float e = bubble.life / bubble.fullLife;
    return (1.0f - std::pow(e, 15.0f)) * e;
}

float bubbleNearFade(float q)
{
    if (q > 9.5f)
        return 1.0f;
    if (q < 7.5f)
        return 0.0f;
    return (q - 7.5f) * 0.5f;
}

void BubbleEmitter::relocate()
{
    const float a = randomRange(0.0f, 6.283184f);
    const float r = randomUnit() * 15.0f;
    const float d = randomRange(5.0f, 10.0f);
    position = Vector3(std::cos(a) * r, -d, std::sin(a) * r);
}

void BubbleEmitter::step(float rise)
{
    for (auto it = bubbles.begin(); it != bubbles.end();) {
        Bubble& b = *it;
        b.life -= 0.001f;
        b.phase += b.phaseSpeed;
        b.position += currentField(b.kind, b.position, b.phase) * 0.01f;
        b.position.y += rise;
        it = b.life < 0.0f ? bubbles.erase(it) : std::next(it);
    }
    if (randomUnit() > 0.5f) {
        Bubble b;
        b.life = b.fullLife = randomRange(0.7f, 1.3f);
        b.halfSize = randomRange(0.03f, 0.06f);
        b.phase = 0.0f;
        b.kind = nextRandom() % 4;
        b.phaseSpeed = randomRange(0.01f, 0.02f);
        b.position = position;
        bubbles.push_back(b);
    }
}

void BubbleEmitter::draw(float alpha, bool nearFade) const
{
    Vector3 right, up, back;
    getCameraAxes(right, up, back);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    if (textureName)
        bindArchiveTexture(textureName);
    for (const Bubble& b : bubbles) {
        float near = 1.0f;
        if (nearFade) {
            const Vector3 d = cameraPosition - b.position;
            near = bubbleNearFade(d.dotProduct(d));
        }
        sprites.color(1.0f, 1.0f, 1.0f, near * bubbleLifeFade(b) * alpha);
        billboardQuad(sprites, b.position, right, up, b.halfSize, 0, true);
    }
    sprites.draw();
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
}

std::vector<BubbleEmitter> bubbleEmitters(int count)
{
    std::vector<BubbleEmitter> emitters;
    for (int i = 0; i < count; ++i) {
        BubbleEmitter emitter;
        emitter.relocate();
        emitter.textureName = i % 2 == 0 ? "bubble1.png" : "bubble2.png";
        emitters.push_back(emitter);
    }
    return emitters;
}
