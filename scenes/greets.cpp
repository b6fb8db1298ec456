#include "scenes/greets.h"

#include "render/draw_state.h"
#include "render/driver_flags.h"
#include "render/gl_entry.h"
#include "render/shader_manager.h"
#include "maths/ramps.h"
#include "toolkit/scene_kit.h"
#include "toolkit/water_picture.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

constexpr uint32_t rippleSize = 256;

} // namespace

const GreetPicture GreetsEffect::pictures[pictureCount] = {
    {"greet1.png", 298442, 302692, 0.3f, 0.65f},
    {"greet2.png", 300451, 304001, 0.7f, 0.5f},
    {"greet3.png", 302596, 306146, 0.25f, 0.35f},
};

// -------------------------------------------------------------------------------------------------
// Set-up

GreetsEffect::GreetsEffect() = default;

GreetsEffect::~GreetsEffect() = default;

bool GreetsEffect::init(unsigned long start, unsigned long end)
{
    ripple.init(rippleSize);
    buildCues();
    return Base::init(start, end);
}

void GreetsEffect::buildCues()
{
    for (int i = 0; i < pictureCount; ++i) {
        cues[i] = PulseList();
        cues[i].add(pictures[i].cueStart, pictures[i].cueEnd, 1);
    }
}

void GreetsEffect::run() { runWaterPicture(*this); }

// -------------------------------------------------------------------------------------------------
// Drawing

void GreetsEffect::draw(float, float)
{
    ripple.advance(stepTimer);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, -7.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    const int position = dmsGetModulePosition();
    float values[pictureCount];
    for (int i = 0; i < pictureCount; ++i)
        values[i] = cues[i].evaluate(position);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    ShaderProgram* program = bindWaterPictureProgram();
    dmsPerspective2D(1, 1);
    glLoadIdentity();

    if (program) {
        gl::glActiveTextureARB(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, ripple.normalTexture);
    }
    gl::glActiveTextureARB(program ? GL_TEXTURE1_ARB : GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);

    int first = 0, last = -1;
    drawnRange(values, first, last);
    for (int i = first; i <= last; ++i) {
        const float v = values[i];
        const float fade = pictureFade(v);
        if (program) {
            program->setUniform1f("distortmodi", distortionFor(v));
            program->setUniform4f("vari", 1.0f, 1.0f, 1.0f, fade);
        } else {
            glColor4f(1.0f, 1.0f, 1.0f, fade);
        }
        bindArchiveTexture(pictures[i].name);
        const float s = halfSizeFor(v);
        const float x = pictures[i].x, y = pictures[i].y;
        // Texture coordinates on unit 0 only, as for the credits.
        noteDraw(GL_QUADS, layoutTexCoord | layoutPosition2);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(x - s, y - s);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(x + s, y - s);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(x + s, y + s);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(x - s, y + s);
        glEnd();
    }

    if (program) {
        glDisable(GL_TEXTURE_2D);
        gl::glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
    }
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    if (program)
        ShaderProgram::unbind();
    dmsPerspective3D();
    glLoadIdentity();
}

void GreetsEffect::drawnRange(const float values[pictureCount], int& first, int& last)
{
    first = pictureCount;
    last = -1;
    for (int i = 0; i < pictureCount; ++i) {
        if (values[i] > 0.0f) {
            if (first == pictureCount)
                first = i;
            last = i;
        }
    }
}

float GreetsEffect::pictureFade(float v) { return (1.0f - rampLinear(v, 0.95f, 1.0f)) * v; }

float GreetsEffect::distortionFor(float v) { return 1.15f - clamp(v, 0.3f, 1.0f); }
