#include "scenes/credits.h"

#include "render/draw_state.h"
#include "render/driver_flags.h"
#include "render/gl_entry.h"
#include "render/post_process.h"
#include "render/shader_manager.h"
#include "maths/ramps.h"
#include "toolkit/scene_kit.h"
#include "toolkit/water_picture.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

constexpr uint32_t rippleSize = 256;

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

CreditsEffect::CreditsEffect() = default;

CreditsEffect::~CreditsEffect() = default;

bool CreditsEffect::init(unsigned long start, unsigned long end)
{
    ripple.init(rippleSize);
    return Base::init(start, end);
}

void CreditsEffect::run() { runWaterPicture(*this); }

// -------------------------------------------------------------------------------------------------
// Drawing

void CreditsEffect::draw(float t, float alpha)
{
    ripple.advance(stepTimer);

    glLoadIdentity();
    gluLookAt(0.0, 0.0, -7.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    ShaderProgram* program = bindWaterPictureProgram();
    if (program) {
        gl::glActiveTextureARB(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, ripple.normalTexture);
        gl::glActiveTextureARB(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
    }
    // On unit 1 under the program, on unit 0 without it.
    bindArchiveTexture("credits.png");
    if (program) {
        program->setUniform1f("distortmodi", alpha * 0.2f);
        program->setUniform4f("vari", 1.0f, 1.0f, 1.0f, alpha);
    } else {
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
    }

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    dmsPerspective2D(1, 1);
    glLoadIdentity();

    // Texture coordinates go to unit 0 only: the program reads the ripple and the picture
    // through the same ones.
    const float s = halfSizeAt(t);
    noteDraw(GL_QUADS, layoutTexCoord | layoutPosition2);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.5f - s, 0.5f - s);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.5f + s, 0.5f - s);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.5f + s, 0.5f + s);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.5f - s, 0.5f + s);
    glEnd();

    dmsPerspective3D();
    glLoadIdentity();

    if (program) {
        glDisable(GL_TEXTURE_2D);
        gl::glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        ShaderProgram::unbind();
    }
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
}

float CreditsEffect::halfSizeAt(float t) { return 0.2f - t * 0.06f; }
