#include "render/post_process.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "maths/random.h"

#include <cmath>

PostProcess postProcess;

namespace {

// The window rectangle under dmsPerspective2D(w, h); drawn into a target it fills the target,
// whose binding set the viewport to its size.
void windowQuad(int w, int h)
{
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(0, 0);
    glTexCoord2i(1, 0);
    glVertex2i(w, 0);
    glTexCoord2i(1, 1);
    glVertex2i(w, h);
    glTexCoord2i(0, 1);
    glVertex2i(0, h);
    glEnd();
}

// The window quad with texture coordinates (lo, lo) .. (hi, hi).
void windowQuadCropped(int w, int h, float lo, float hi)
{
    glBegin(GL_QUADS);
    glTexCoord2f(lo, lo);
    glVertex2i(0, 0);
    glTexCoord2f(hi, lo);
    glVertex2i(w, 0);
    glTexCoord2f(hi, hi);
    glVertex2i(w, h);
    glTexCoord2f(lo, hi);
    glVertex2i(0, h);
    glEnd();
}

void copyInto(void (*bindTarget)(GLuint), GLuint target, GLuint source, int w, int h)
{
    bindTarget(target);
    glBindTexture(GL_TEXTURE_2D, source);
    windowQuad(w, h);
    unbindFBO();
}

// One blur pass from source into target (128 pixels); without a program a plain copy.
void blurCopy(ShaderProgram* blur, const char* offsetName, float offset, float alpha, GLuint target,
              GLuint source, int w, int h)
{
    if (blur) {
        blur->bind();
        blur->setUniform1i("tex", 0);
        blur->setUniform1f(offsetName, offset);
        blur->setUniform1f("alpha", alpha);
    }
    copyInto(bindTextureFBO128, target, source, w, h);
    if (blur)
        ShaderProgram::unbind();
}

// Looked up by name on every use, like everywhere else; a missing program leaves fixed-function
// drawing in place instead of failing.
ShaderProgram* program(const char* name) { return shaderManager ? shaderManager->getShader(name) : nullptr; }

// Every pass starts the same way: the capture ends and the window is drawn in 2D, unblended,
// without depth.
void beginWindowPass(int w, int h, bool loadIdentity)
{
    unbindFBO();
    dmsPerspective2D(w, h);
    if (loadIdentity)
        glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
}

void endWindowPass()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    dmsPerspective3D();
}

} // namespace

void PostProcess::beginCapture(bool clear)
{
    bindTextureFBO1024(renderTargets.tex1024a);
    if (clear)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PostProcess::glowPass(int32_t iterations, float xoff, float yoff, float blurAlpha, float darkenAlpha,
                           float glowAmount, int32_t mode)
{
    const RenderTargets& t = renderTargets;
    const int w = dmsGetWindowWidth();
    const int h = dmsGetWindowHeight();
    beginWindowPass(w, h, false);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    ShaderProgram* darken = program("darken");
    const bool darkening = darkenAlpha >= 0.0f && darken;
    if (darkening) {
        darken->bind();
        gl::glActiveTextureARB(GL_TEXTURE0_ARB);
        glBindTexture(GL_TEXTURE_2D, t.tex1024a);
        darken->setUniform1i("tex", 0);
        darken->setUniform1f("alpha", darkenAlpha);
    } else {
        ShaderProgram::unbind();
    }
    copyInto(bindTextureFBO512, t.tex512a, t.tex1024a, w, h);
    if (darkening)
        ShaderProgram::unbind();
    copyInto(bindTextureFBO256, t.tex256a, t.tex512a, w, h);
    copyInto(bindTextureFBO128, t.tex128a, t.tex256a, w, h);

    // A skipped axis still copies, so the exchange always ends in tex128a.
    ShaderProgram* blurx = program("blurx");
    for (int32_t i = 0; i < iterations; ++i) {
        blurCopy(mode != 2 ? blurx : nullptr, "xoff", xoff, blurAlpha, t.tex128b, t.tex128a, w, h);
        ShaderProgram* blury = program("blury");
        blurCopy(mode != 1 ? blury : nullptr, "yoff", yoff, blurAlpha, t.tex128a, t.tex128b, w, h);
    }

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    ShaderProgram* glow = program("glowc");
    if (glow) {
        glow->bind();
        glow->setUniform1f("glow_amount", glowAmount);
    }
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.tex1024a);
    if (glow)
        glow->setUniform1i("texunit0", 0);
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.tex128a);
    if (glow)
        glow->setUniform1i("texunit1", 1);
    static const float corners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    glBegin(GL_QUADS);
    for (const auto& corner : corners) {
        gl::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, corner[0], corner[1]);
        gl::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, corner[0], corner[1]);
        glVertex2i(static_cast<int>(corner[0]) * w, static_cast<int>(corner[1]) * h);
    }
    glEnd();

    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    ShaderProgram::unbind();
    endWindowPass();
}

void PostProcess::metaPass()
{
    const int w = dmsGetWindowWidth();
    const int h = dmsGetWindowHeight();
    beginWindowPass(w, h, true);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    ShaderProgram* meta = program("meta");
    if (meta)
        meta->bind();
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, renderTargets.tex1024a);
    if (meta)
        meta->setUniform1i("tex", 0);
    windowQuad(w, h);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    ShaderProgram::unbind();
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    dmsPerspective3D();
}

void PostProcess::zoomTrailPass()
{
    const RenderTargets& t = renderTargets;
    const int w = dmsGetWindowWidth();
    const int h = dmsGetWindowHeight();
    beginWindowPass(w, h, true);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    copyInto(bindTextureFBO512, t.tex512a, t.tex1024a, w, h);
    copyInto(bindTextureFBO512, t.tex512a, t.tex1024a, w, h);

    // tex512b still holds the last iteration of the previous frame: the trail.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    for (int i = 0; i < 5; ++i) {
        bindTextureFBO512(t.tex512a);
        glBindTexture(GL_TEXTURE_2D, t.tex512b);
        const float g = 0.28f - 0.004f * static_cast<float>(i);
        glColor3f(g, g, g);
        windowQuadCropped(w, h, 0.009f, 0.991f);
        unbindFBO();

        glColor3f(1.0f, 1.0f, 1.0f);
        glDisable(GL_BLEND);
        const auto p = static_cast<float>(std::pow(0.009, 2.0 * (i + 1)));
        bindTextureFBO512(t.tex512b);
        glBindTexture(GL_TEXTURE_2D, t.tex512a);
        windowQuadCropped(w, h, p, 1.0f - p);
        unbindFBO();
        glEnable(GL_BLEND);
    }

    glDisable(GL_BLEND);
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.tex512a);
    windowQuad(w, h);
    glDisable(GL_TEXTURE_2D);
    ShaderProgram::unbind();
    endWindowPass();
    glLoadIdentity();
    // Like every pass, leave blending on (additive) for the scene's next frame.
    glEnable(GL_BLEND);
}

void PostProcess::noiseOverlay(float alpha)
{
    const int w = dmsGetWindowWidth();
    const int h = dmsGetWindowHeight();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glEnable(GL_TEXTURE_2D);
    seedRandom(static_cast<uint32_t>(dmsGetModulePosition() / 50));
    glBindTexture(GL_TEXTURE_2D, renderTargets.noiseTextures[nextRandom() % 25]);
    dmsPerspective2D(w, h);
    glLoadIdentity();
    // The 512 grain repeats every 256 pixels.
    const int u = static_cast<int>(static_cast<float>(w) * 0.00390625f);
    const int v = static_cast<int>(static_cast<float>(h) * 0.00390625f);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(0, 0);
    glTexCoord2i(u, 0);
    glVertex2i(w, 0);
    glTexCoord2i(u, v);
    glVertex2i(w, h);
    glTexCoord2i(0, v);
    glVertex2i(0, h);
    glEnd();
    dmsPerspective3D();
}
