#include "render/post_process.h"

#include "render/draw_state.h"
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "maths/random.h"

#include <algorithm>
#include <cmath>

#ifndef GL_RASTERIZER_DISCARD
#define GL_RASTERIZER_DISCARD 0x8C89 // GL 3.0
#endif

PostProcess postProcess;

namespace {

// The window rectangle under dmsPerspective2D(w, h); drawn into a target it fills the target,
// whose binding set the viewport to its size.
void windowQuad(int w, int h)
{
    noteDraw(GL_QUADS, layoutTexCoord | layoutPosition2);
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
    noteDraw(GL_QUADS, layoutTexCoord | layoutPosition2);
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

// A copy into a target that is more than half the source's side away (a scaled 512 into the 256
// of the glow): the source's mip-maps average all of it, as the 2:1 copies of the show's own
// chain do, where a plain bilinear copy would skip most of its texels and glitter.
void copyIntoReduced(void (*bindTarget)(GLuint), GLuint target, GLuint source, int w, int h)
{
    // Under rasterizer discard (a capture's run-up) nothing is drawn: the mip-maps would be
    // made for nothing, and at a master's sizes they are most of a frame's cost.
    if (renderTargets.scale == 1.0f || glIsEnabled(GL_RASTERIZER_DISCARD)) {
        copyInto(bindTarget, target, source, w, h);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, source);
    gl::glGenerateMipmapEXT(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    copyInto(bindTarget, target, source, w, h);
    glBindTexture(GL_TEXTURE_2D, source);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

// One blur pass from source into target (128 pixels); without a program a plain copy. Without
// draw only the program's uniforms are set, as the pass would leave them.
void blurCopy(ShaderProgram* blur, const char* offsetName, float offset, float alpha, GLuint target,
              GLuint source, int w, int h, bool draw)
{
    if (blur) {
        blur->bind();
        blur->setUniform1i("tex", 0);
        blur->setUniform1f(offsetName, offset);
        blur->setUniform1f("alpha", alpha);
    }
    if (draw)
        copyInto(bindTextureFBO128, target, source, w, h);
    if (blur)
        ShaderProgram::unbind();
}

// What the last glow pass left in the reduced targets (tex512a, tex256a, the 128 pair), so that the
// next pass can tell whether redoing its work would write the same bytes again.
struct GlowInputs {
    int32_t iterations = 0;
    float xoff = 0.0f, yoff = 0.0f, blurAlpha = 0.0f, darkenAlpha = 0.0f;
    int32_t mode = 0;
    int w = 0, h = 0;
    float clearColour[4] = {}; // the capture's only colour, when it was empty

    bool operator==(const GlowInputs&) const = default;
};
struct GlowRecord {
    bool valid = false;
    bool overEmptyCapture = false;
    bool darkened = false;
    GlowInputs inputs;
    unsigned long bindingsAfter = 0; // renderTargetBindings() as the pass ended
};
GlowRecord lastGlow;

// beginCapture's clear: its colour, and the binding count right after it.
struct CaptureClear {
    bool cleared = false;
    float colour[4] = {};
    unsigned long bindingsAfter = 0;
};
CaptureClear captureClear;

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
    captureClear.cleared = clear;
    if (clear)
        glGetFloatv(GL_COLOR_CLEAR_VALUE, captureClear.colour);
    captureClear.bindingsAfter = renderTargetBindings();
}

void PostProcess::glowPass(int32_t iterations, float xoff, float yoff, float blurAlpha, float darkenAlpha,
                           float glowAmount, int32_t mode, bool captureEmpty)
{
    const RenderTargets& t = renderTargets;
    const int w = dmsGetWindowWidth();
    const int h = dmsGetWindowHeight();
    ShaderProgram* darken = program("darken");
    const bool darkening = darkenAlpha >= 0.0f && darken;

    // Work whose result already lies in the targets is skipped; the window and every target end
    // with the same bytes, and the programs with the same uniforms, as if it had been redone. The
    // binding count proves no one drew into a target in between.
    const unsigned long bindings = renderTargetBindings();
    GlowInputs inputs{iterations, xoff, yoff, blurAlpha, darkenAlpha, mode, w, h, {}};
    const bool emptyNow = captureEmpty && captureClear.cleared && captureClear.bindingsAfter == bindings;
    if (emptyNow)
        std::copy(captureClear.colour, captureClear.colour + 4, inputs.clearColour);
    // 1. The capture holds only the colour it was cleared to, as it did for the last glow pass, with
    //    the same settings, and nothing was bound since but this capture: every reduced target
    //    already holds exactly what the whole chain would write again.
    const bool reuseAll = emptyNow && lastGlow.valid && lastGlow.overEmptyCapture && lastGlow.inputs == inputs &&
                          lastGlow.bindingsAfter + 1 == bindings;
    // 2. The capture is the one the last glow pass reduced (nothing bound since), and neither pass
    //    darkens: tex512a and tex256a still hold its reduction, since the blurs only exchange the
    //    128 pair. Only the copy into 128 and the blurs need doing again.
    const bool reuseReduction = !reuseAll && lastGlow.valid && lastGlow.bindingsAfter == bindings &&
                                !lastGlow.darkened && !darkening && lastGlow.inputs.w == w && lastGlow.inputs.h == h;

    beginWindowPass(w, h, false);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    if (darkening) {
        darken->bind();
        gl::glActiveTextureARB(GL_TEXTURE0_ARB);
        glBindTexture(GL_TEXTURE_2D, t.tex1024a);
        darken->setUniform1i("tex", 0);
        darken->setUniform1f("alpha", darkenAlpha);
    } else {
        ShaderProgram::unbind();
    }
    if (!reuseAll && !reuseReduction) {
        copyInto(bindTextureFBO512, t.tex512a, t.tex1024a, w, h);
        if (darkening)
            ShaderProgram::unbind();
        copyIntoReduced(bindTextureFBO256, t.tex256a, t.tex512a, w, h);
    } else if (darkening) {
        ShaderProgram::unbind();
    }
    if (!reuseAll)
        copyInto(bindTextureFBO128, t.tex128a, t.tex256a, w, h);

    // A skipped axis still copies, so the exchange always ends in tex128a. Reusing everything,
    // one round without drawing leaves the uniforms as the blurs would.
    ShaderProgram* blurx = program("blurx");
    const int32_t rounds = reuseAll ? std::min(iterations, int32_t{1}) : iterations;
    for (int32_t i = 0; i < rounds; ++i) {
        blurCopy(mode != 2 ? blurx : nullptr, "xoff", xoff, blurAlpha, t.tex128b, t.tex128a, w, h, !reuseAll);
        ShaderProgram* blury = program("blury");
        blurCopy(mode != 1 ? blury : nullptr, "yoff", yoff, blurAlpha, t.tex128a, t.tex128b, w, h, !reuseAll);
    }
    lastGlow = {true, emptyNow, darkening, inputs, renderTargetBindings()};

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
    noteDraw(GL_QUADS, layoutTexCoords(2) | layoutPosition2);
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
    // The 512 grain repeats every 256 pixels; in a master with scaled targets, every 256 pixels of
    // the picture the targets were made for, so that its grain is as coarse as the show's.
    float repeat = 0.00390625f;
    if (renderTargets.scale != 1.0f)
        repeat = static_cast<float>(dmsSupersampling()) / (256.0f * renderTargets.scale);
    const int u = static_cast<int>(static_cast<float>(w) * repeat);
    const int v = static_cast<int>(static_cast<float>(h) * repeat);
    noteDraw(GL_QUADS, layoutTexCoord | layoutPosition2);
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
