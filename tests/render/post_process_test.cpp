// The full-screen passes on llvmpipe, read back: what each puts on the window from a known
// capture, and the GL state each leaves for the scene's next drawing.
#include "render/gl_entry.h"
#include "render/post_process.h"
#include "render/render_targets.h"
#include "render/screen.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "tests/render/render_setup.h"
#include "maths/random.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int level(float value) { return static_cast<int>(value * 255.0f + 0.5f); }

void expectGrey(const Rgba& p, int grey, int tolerance)
{
    EXPECT_NEAR(p.r, grey, tolerance);
    EXPECT_NEAR(p.g, grey, tolerance);
    EXPECT_NEAR(p.b, grey, tolerance);
}

void clearWindow(float r, float g, float b, float a)
{
    unbindFBO();
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The capture filled with one colour, as a scene would leave it.
void captureColour(float r, float g, float b, float a)
{
    glClearColor(r, g, b, a);
    PostProcess::beginCapture(true);
}

// Paints a part of the bound 1024 capture (capture pixels, origin bottom left).
void paintCapture(int x, int y, int w, int h, float r, float g, float b, float a)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

Rgba centre() { return windowPixel(testWidth / 2, testHeight / 2); }

// What every pass promises to leave: depth test and writes on, blending on with the given
// factors, the 3D projection, no program, unit 0, the window's frame buffer and viewport.
void expectSceneState(GLenum source, GLenum destination)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, static_cast<GLint>(source));
    EXPECT_EQ(dst, static_cast<GLint>(destination));
    EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), perspective3DMatrix());
    GLint value = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], testWidth);
    EXPECT_EQ(viewport[3], testHeight);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

class PassTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(renderSetup().ok);
        glGetError();
        glLoadIdentity();
        clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
    }
};

// One program pass of a uniform 128 texture into the other, read from the target.
Rgba blurUniformGrey(const char* name, const char* offsetName, float grey)
{
    const RenderTargets& t = renderTargets;
    bindTextureFBO128(t.tex128a);
    paintCapture(0, 0, 128, 128, grey, grey, grey, grey);
    unbindFBO();
    dmsPerspective2D(testWidth, testHeight);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    ShaderProgram* blur = shaderManager->getShader(name);
    blur->bind();
    blur->setUniform1i("tex", 0);
    blur->setUniform1f(offsetName, 0.005f);
    blur->setUniform1f("alpha", 1.0f);
    bindTextureFBO128(t.tex128b);
    glBindTexture(GL_TEXTURE_2D, t.tex128a);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(0, 0);
    glTexCoord2i(1, 0);
    glVertex2i(testWidth, 0);
    glTexCoord2i(1, 1);
    glVertex2i(testWidth, testHeight);
    glTexCoord2i(0, 1);
    glVertex2i(0, testHeight);
    glEnd();
    const Rgba p = targetPixel(64, 64);
    ShaderProgram::unbind();
    unbindFBO();
    dmsPerspective3D();
    return p;
}

TEST_F(PassTest, BlurABrightensUniformGreyByOnePointTwoAlphaIncluded)
{
    for (const auto& [name, offset] : {std::pair{"blurx", "xoff"}, std::pair{"blury", "yoff"}}) {
        const Rgba p = blurUniformGrey(name, offset, 0.4f);
        expectGrey(p, level(0.48f), 1);
        EXPECT_NEAR(p.a, level(0.48f), 1) << name;
    }
}

TEST_F(PassTest, BlurBKeepsGreyAndForcesAlphaToOne)
{
    const Rgba p = blurUniformGrey("blur2y", "yoff", 0.4f);
    expectGrey(p, level(0.4f), 1);
    EXPECT_EQ(p.a, 255);
}

TEST_F(PassTest, ZeroIterationsAddCaptureAndTheReducedCopy)
{
    captureColour(0.25f, 0.25f, 0.25f, 1.0f);
    PostProcess::glowPass(0, 0.005f, 0.005f, 0.9f, -1.0f, 1.0f, 0);
    expectGrey(centre(), level(0.5f), 2);
    clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
    captureColour(0.25f, 0.25f, 0.25f, 1.0f);
    PostProcess::glowPass(0, 0.005f, 0.005f, 0.9f, -1.0f, 0.5f, 0);
    expectGrey(centre(), level(0.375f), 2);
}

TEST_F(PassTest, DarkenStoresSquareTimesAlphaBeforeTheBlur)
{
    captureColour(0.5f, 0.5f, 0.5f, 1.0f);
    PostProcess::glowPass(0, 0.005f, 0.005f, 0.9f, 0.5f, 1.0f, 0);
    expectGrey(centre(), level(0.5f + 0.5f * 0.5f * 0.5f), 2);
}

// Each blurred axis multiplies a uniform picture by 1.2 times the blur alpha; a skipped axis is a
// plain copy.
TEST_F(PassTest, IterationsAndModesCountTheBlurs)
{
    const struct {
        int iterations;
        float blurAlpha;
        int mode;
        float reducedFactor;
    } cases[] = {{1, 1.0f, 0, 1.44f}, {2, 1.0f, 1, 1.44f}, {1, 1.0f, 2, 1.2f}, {1, 0.5f, 0, 0.36f}, {-3, 1.0f, 0, 1.0f}};
    for (const auto& c : cases) {
        clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
        captureColour(0.1f, 0.1f, 0.1f, 1.0f);
        PostProcess::glowPass(c.iterations, 0.005f, 0.005f, c.blurAlpha, -1.0f, 1.0f, c.mode);
        expectGrey(centre(), level(0.1f + 0.1f * c.reducedFactor), 3);
    }
}

// A sharp edge in the capture: blurring across it spreads light over it, blurring along it not.
int glowBesideEdge(bool verticalEdge, int mode)
{
    clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
    captureColour(0.0f, 0.0f, 0.0f, 1.0f);
    if (verticalEdge)
        paintCapture(0, 0, 512, 1024, 1.0f, 1.0f, 1.0f, 1.0f); // left half white
    else
        paintCapture(0, 512, 1024, 512, 1.0f, 1.0f, 1.0f, 1.0f); // top half white
    PostProcess::glowPass(3, 0.005f, 0.005f, 1.0f, -1.0f, 1.0f, mode);
    const Rgba p = verticalEdge ? windowPixel(testWidth / 2 + 2, testHeight / 2)
                                 : windowPixel(testWidth / 2, testHeight / 2 - 3);
    return p.g;
}

TEST_F(PassTest, ModesBlurOnlyTheirAxis)
{
    EXPECT_EQ(glowBesideEdge(true, 2), 0);
    EXPECT_GT(glowBesideEdge(true, 1), 20);
    EXPECT_EQ(glowBesideEdge(false, 1), 0);
    EXPECT_GT(glowBesideEdge(false, 2), 20);
}

TEST_F(PassTest, GlowLeavesAdditiveBlendingForTheScene)
{
    captureColour(0.1f, 0.1f, 0.1f, 1.0f);
    PostProcess::glowPass(6, 0.008f, 0.008f, 0.86f, -1.0f, 1.0f, 0);
    expectSceneState(GL_ONE, GL_ONE);
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

// Scenes draw world geometry after the pass without placing their camera again.
TEST_F(PassTest, GlowLeavesTheModelviewAsItFoundIt)
{
    glLoadIdentity();
    gluLookAt(0.5, 3.0, -2.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    const std::vector<float> camera = currentMatrix(GL_MODELVIEW_MATRIX);
    captureColour(0.1f, 0.1f, 0.1f, 1.0f);
    PostProcess::glowPass(6, 0.008f, 0.008f, 0.86f, -1.0f, 1.0f, 0);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), camera);
    expectSceneState(GL_ONE, GL_ONE);
    glLoadIdentity();
}

TEST_F(PassTest, MetaGivesAlphaZeroWhereRedIsZero)
{
    captureColour(0.0f, 0.3f, 0.5f, 1.0f);
    paintCapture(512, 0, 512, 1024, 0.5f, 0.3f, 0.5f, 1.0f); // right half has red
    PostProcess::metaPass();
    const Rgba left = windowPixel(testWidth / 4, testHeight / 2);
    const Rgba right = windowPixel(testWidth * 3 / 4, testHeight / 2);
    EXPECT_EQ(left.a, 0);
    EXPECT_EQ(right.a, 255);
    for (const Rgba& p : {left, right}) { // |sin(pi * 0.5)| = 1 in blue
        EXPECT_NEAR(p.r, level(0.345f), 2);
        EXPECT_NEAR(p.g, level(0.56f), 2);
        EXPECT_NEAR(p.b, level(0.79f), 2);
    }
    expectSceneState(GL_ONE, GL_ONE);
}

// The trail: tex512b is added back five times, each time magnified; it carries to the next frame.
TEST_F(PassTest, ZoomTrailReplacesTheWindowAndCarriesOver)
{
    bindTextureFBO512(renderTargets.tex512b);
    paintCapture(0, 0, 512, 512, 0.0f, 0.0f, 0.0f, 0.0f);
    unbindFBO();
    clearWindow(1.0f, 0.0f, 0.0f, 1.0f);
    captureColour(0.1f, 0.1f, 0.1f, 1.0f);
    PostProcess::zoomTrailPass();
    const Rgba first = centre();
    // 0.1 grows by (1 + g) for g = 0.276, 0.272, 0.268, 0.264 (the first addition is of the
    // cleared trail).
    expectGrey(first, 67, 3);
    expectSceneState(GL_ONE, GL_ONE);

    captureColour(0.1f, 0.1f, 0.1f, 1.0f);
    PostProcess::zoomTrailPass();
    EXPECT_GT(centre().g, first.g + 30);
}

TEST_F(PassTest, GrainChangesEveryFiftyMilliseconds)
{
    auto grainAt = [](int ms) {
        dmsSetPositionForTest(ms);
        PostProcess::noiseOverlay(1.0f);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return static_cast<GLuint>(bound);
    };
    seedRandom(20);
    const int expected = nextRandom() % 25;
    const int following = nextRandom();
    const GLuint at1000 = grainAt(1000);
    EXPECT_EQ(nextRandom(), following); // the overlay reseeded the generator
    EXPECT_EQ(at1000, renderTargets.noiseTextures[expected]);
    EXPECT_EQ(grainAt(1049), at1000);
    seedRandom(21);
    EXPECT_EQ(grainAt(1050), renderTargets.noiseTextures[nextRandom() % 25]);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), perspective3DMatrix());
    const Rgba p = centre(); // opaque grain over black: grey
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);
    dmsSetPositionForTest(0);
}

TEST_F(PassTest, ScreenQuadOverwritesOrAddsAsTheBlendSays)
{
    clearWindow(0.2f, 0.2f, 0.2f, 1.0f);
    glDisable(GL_BLEND);
    drawScreenQuad(0.1f, 0.5f, 0.9f, 1.0f);
    Rgba p = windowPixel(3, testHeight - 3);
    EXPECT_NEAR(p.r, level(0.1f), 1);
    EXPECT_NEAR(p.g, level(0.5f), 1);
    EXPECT_NEAR(p.b, level(0.9f), 1);

    clearWindow(0.2f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    drawScreenQuad(0.1f, 0.5f, 0.9f, 1.0f);
    p = centre();
    EXPECT_NEAR(p.r, level(0.3f), 1);
    EXPECT_NEAR(p.g, level(0.7f), 1);
    EXPECT_EQ(p.b, 255);

    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(currentMatrix(GL_PROJECTION_MATRIX), perspective3DMatrix());
    std::vector<float> identity(16, 0.0f);
    identity[0] = identity[5] = identity[10] = identity[15] = 1.0f;
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), identity);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Glow work skipped when its result already lies in the targets

// Everything a glow pass leaves: the window and the targets it reduces into.
struct GlowResult {
    std::vector<unsigned char> window, tex512a, tex256a, tex128a, tex128b;
    bool operator==(const GlowResult&) const = default;
};

std::vector<unsigned char> textureBytes(GLuint texture, int size)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(size * size * 4));
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return bytes;
}

GlowResult glowResult()
{
    const RenderTargets& t = renderTargets;
    GlowResult r;
    r.window.resize(static_cast<size_t>(testWidth * testHeight * 4));
    glReadPixels(0, 0, testWidth, testHeight, GL_RGBA, GL_UNSIGNED_BYTE, r.window.data());
    r.tex512a = textureBytes(t.tex512a, 512);
    r.tex256a = textureBytes(t.tex256a, 256);
    r.tex128a = textureBytes(t.tex128a, 128);
    r.tex128b = textureBytes(t.tex128b, 128);
    return r;
}

// Overwrites a reduced target behind the passes' back (an upload is no binding): a pass that
// reuses the target shows the scribble, a pass that redoes its work wipes it.
void scribbleOver(GLuint texture, int size)
{
    const std::vector<unsigned char> white(static_cast<size_t>(size * size * 4), 255);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

// A binding with no drawing: the passes must assume a target changed and redo everything.
void touchTargets()
{
    bindTextureFBO128(renderTargets.tex128b);
    unbindFBO();
}

// Two frames of a scene whose capture stays empty, as the jellyfish scene's before 100 s: the
// second frame may differ by a binding between the frames, the scene's word that its capture is
// empty, its clear colour, and a scribble over tex128a after the first frame.
struct SecondFrame {
    bool touch = false;
    bool empty = true;
    float red = 0.02f;
    bool scribble = false;
};

GlowResult emptyCaptureFrames(const SecondFrame& second)
{
    clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
    captureColour(0.02f, 0.02f, 0.06f, 1.0f);
    PostProcess::glowPass(6, 0.007f, 0.007f, 0.91f, -1.0f, 1.0f, 0, true);
    if (second.scribble)
        scribbleOver(renderTargets.tex128a, 128);
    clearWindow(0.1f, 0.1f, 0.1f, 1.0f);
    if (second.touch)
        touchTargets();
    captureColour(second.red, 0.02f, 0.06f, 1.0f);
    PostProcess::glowPass(6, 0.007f, 0.007f, 0.91f, -1.0f, 1.0f, 0, second.empty);
    return glowResult();
}

TEST_F(PassTest, GlowOverAnEmptyCaptureLeavesWhatTheWholeChainLeaves)
{
    const GlowResult redone = emptyCaptureFrames({.touch = true});
    const GlowResult reused = emptyCaptureFrames({});
    EXPECT_TRUE(reused == redone);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(PassTest, GlowOverAnEmptyCaptureReusesOnlyWhatNothingCanHaveChanged)
{
    const GlowResult clean = emptyCaptureFrames({.touch = true});
    // The same empty capture and nothing bound: the chain was skipped, the scribble shows.
    EXPECT_FALSE(emptyCaptureFrames({.scribble = true}) == clean);
    // A binding in between, or a capture the scene may have drawn into: redone, scribble gone.
    EXPECT_TRUE(emptyCaptureFrames({.touch = true, .scribble = true}) == clean);
    EXPECT_TRUE(emptyCaptureFrames({.empty = false, .scribble = true}) == clean);
    // Another clear colour: redone.
    const GlowResult redder = emptyCaptureFrames({.touch = true, .red = 0.2f});
    EXPECT_TRUE(emptyCaptureFrames({.red = 0.2f, .scribble = true}) == redder);
}

// The descent's two glows of one capture: a sharp-edged picture, glowed twice, and the second
// pass possibly after a binding or with tex256a scribbled over.
GlowResult twoGlowsOfOneCapture(bool touch, bool scribble, float darkenSecond = -1.0f)
{
    clearWindow(0.0f, 0.0f, 0.0f, 0.0f);
    captureColour(0.0f, 0.0f, 0.0f, 1.0f);
    paintCapture(100, 200, 300, 400, 0.8f, 0.5f, 0.2f, 1.0f);
    PostProcess::glowPass(4, 0.008f, 0.008f, 0.9f, -1.0f, 1.0f, 0);
    if (scribble)
        scribbleOver(renderTargets.tex256a, 256);
    if (touch)
        touchTargets();
    PostProcess::glowPass(6, 0.005f, 0.005f, 0.92f, darkenSecond, 1.0f, 0);
    return glowResult();
}

TEST_F(PassTest, SecondGlowOfTheSameCaptureReusesItsReduction)
{
    const GlowResult redone = twoGlowsOfOneCapture(true, false);
    EXPECT_TRUE(twoGlowsOfOneCapture(false, false) == redone);
    EXPECT_FALSE(twoGlowsOfOneCapture(false, true) == redone); // tex256a was reused
    EXPECT_TRUE(twoGlowsOfOneCapture(true, true) == redone);
    // A darkening pass changes the reduction: it is redone.
    const GlowResult darkened = twoGlowsOfOneCapture(true, false, 0.5f);
    EXPECT_TRUE(twoGlowsOfOneCapture(false, true, 0.5f) == darkened);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
