// Render targets on a real driver: sizes, completeness, the depth-format probing (with a scripted
// driver that refuses formats), the frame-buffer status messages, the noise and the release.
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "tests/render/render_setup.h"
#include "tests/support/gl_context.h"
#include "maths/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <set>

// Every texture upload of the process goes through here (this definition wins over libGL's at
// link time), so a test can see what the render targets hand the driver.
struct TextureUpload {
    GLsizei width;
    GLenum format;
    bool withData;
};
std::vector<TextureUpload>* textureUploads = nullptr;

extern "C" void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels)
{
    using Upload = void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
    static const auto real = reinterpret_cast<Upload>(dlsym(RTLD_NEXT, "glTexImage2D"));
    if (textureUploads)
        textureUploads->push_back({width, format, pixels != nullptr});
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}

namespace {

GLint textureLevel(GLuint texture, GLenum parameter)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

GLint viewportWidth()
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return viewport[2];
}

bool logged(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A driver that turns down some depth formats; everything else is the real driver's answer.
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC realStatus = nullptr;
std::set<GLint> refusedDepthFormats;

GLenum APIENTRY refusingStatus(GLenum target)
{
    GLint type = GL_NONE;
    gl::glGetFramebufferAttachmentParameterivEXT(target, GL_DEPTH_ATTACHMENT_EXT,
                                                 GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &type);
    if (type == GL_TEXTURE) {
        GLint name = 0, format = 0;
        gl::glGetFramebufferAttachmentParameterivEXT(target, GL_DEPTH_ATTACHMENT_EXT,
                                                     GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
        static auto levelParameter =
            reinterpret_cast<PFNGLGETTEXTURELEVELPARAMETERIVPROC>(wglGetProcAddress("glGetTextureLevelParameteriv"));
        levelParameter(static_cast<GLuint>(name), 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        if (refusedDepthFormats.count(format))
            return GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT;
    }
    return realStatus(target);
}

// Builds the targets again (after freeing the old ones) from the generator's first state, so
// later tests see the same noise.
void recreateTargets()
{
    releaseRenderTargets();
    glDeleteTextures(25, renderTargets.noiseTextures);
    glDeleteTextures(1, &renderTargets.depthTexture);
    glDeleteTextures(1, &renderTargets.depthColorTexture);
    renderTargets.created = true;
    seedRandom(1);
    createRenderTargets();
}

// Recreates the targets with the refusing driver, recording log and boxes.
void recreateRefusing(std::set<GLint> refused, LogCapture& log, ScriptedBackend& backend)
{
    refusedDepthFormats = std::move(refused);
    realStatus = gl::glCheckFramebufferStatusEXT;
    gl::glCheckFramebufferStatusEXT = refusingStatus;
    setActiveBackend(&backend);
    log.lines.clear();
    recreateTargets();
    setActiveBackend(nullptr);
    gl::glCheckFramebufferStatusEXT = realStatus;
}

TEST(RenderTargets, FixedSizesWhateverTheWindow)
{
    ASSERT_TRUE(renderSetup().ok);
    const RenderTargets& t = renderTargets;
    const std::pair<GLuint, int> pairs[] = {{t.tex1024a, 1024}, {t.tex1024b, 1024}, {t.tex512a, 512}, {t.tex512b, 512},
                                            {t.tex256a, 256},   {t.tex256b, 256},   {t.tex128a, 128},  {t.tex128b, 128},
                                            {t.depthColorTexture, 1024}, {t.depthTexture, 1024}};
    for (const auto& [texture, size] : pairs) {
        EXPECT_EQ(textureLevel(texture, GL_TEXTURE_WIDTH), size) << "texture " << texture;
        EXPECT_EQ(textureLevel(texture, GL_TEXTURE_HEIGHT), size) << "texture " << texture;
    }
    std::set<GLuint> noise(std::begin(t.noiseTextures), std::end(t.noiseTextures));
    EXPECT_EQ(noise.size(), 25u);
    EXPECT_EQ(textureLevel(t.noiseTextures[24], GL_TEXTURE_WIDTH), 512);
}

// The log names the format the depth texture really has; llvmpipe takes the deepest.
TEST(RenderTargets, DepthFormatIsLogged)
{
    const RenderSetup& setup = renderSetup();
    ASSERT_TRUE(setup.ok);
    EXPECT_EQ(textureLevel(renderTargets.depthTexture, GL_TEXTURE_INTERNAL_FORMAT), GL_DEPTH_COMPONENT32);
    EXPECT_TRUE(logged(setup.startLog, "Debug: Using depth t=2  (33191) texture\n"));
    for (const std::string& line : setup.startLog)
        EXPECT_EQ(line.find("GL_FRAMEBUFFER"), std::string::npos) << line;
}

TEST(RenderTargets, EveryBindingIsCompleteAndSetsItsViewport)
{
    ASSERT_TRUE(renderSetup().ok);
    const RenderTargets& t = renderTargets;
    LogCapture log;
    const struct {
        void (*bind)(GLuint);
        GLuint a, b;
        int size;
    } targets[] = {{bindTextureFBO1024, t.tex1024a, t.tex1024b, 1024},
                   {bindTextureFBO512, t.tex512a, t.tex512b, 512},
                   {bindTextureFBO256, t.tex256a, t.tex256b, 256},
                   {bindTextureFBO128, t.tex128a, t.tex128b, 128}};
    for (const auto& target : targets)
        for (GLuint texture : {target.a, target.b}) {
            target.bind(texture);
            EXPECT_EQ(gl::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
            EXPECT_EQ(viewportWidth(), target.size);
            unbindFBO();
            EXPECT_EQ(viewportWidth(), testWidth);
        }
    bindDepthFBO();
    EXPECT_EQ(gl::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
    EXPECT_EQ(viewportWidth(), 1024);
    unbindFBO();
    EXPECT_TRUE(log.lines.empty()) << log.all();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(RenderTargets, SixteenBitOnlyDriverGetsIndexZero)
{
    ASSERT_TRUE(renderSetup().ok);
    LogCapture log;
    ScriptedBackend backend;
    recreateRefusing({GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT24}, log, backend);
    EXPECT_TRUE(logged(log.lines, "Debug: Using depth t=0  (33189) texture\n")) << log.all();
    EXPECT_EQ(textureLevel(renderTargets.depthTexture, GL_TEXTURE_INTERNAL_FORMAT), GL_DEPTH_COMPONENT16);
    EXPECT_TRUE(backend.boxes.empty());
    recreateTargets();
}

// No depth format at all is a warning, not the end: the show goes on without shadows, and the
// depth target still binds without GL errors.
TEST(RenderTargets, NoDepthFormatWarnsAndGoesOn)
{
    ASSERT_TRUE(renderSetup().ok);
    LogCapture log;
    ScriptedBackend backend;
    recreateRefusing({GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16}, log, backend);
    EXPECT_TRUE(logged(log.lines, "\nFAILED: to find suitable depth texture \n")) << log.all();
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0].text,
              "Depth texture was not initialized!\n\nDepth related effects will not function properly.");
    EXPECT_EQ(backend.boxes[0].caption, "ERROR");
    EXPECT_EQ(backend.boxes[0].type, UINT(MB_TOPMOST | MB_ICONWARNING));
    EXPECT_EQ(renderTargets.depthTexture, 0u);
    EXPECT_EQ(textureLevel(renderTargets.tex128b, GL_TEXTURE_WIDTH), 128); // creation went on
    glGetError();
    bindDepthFBO();
    unbindFBO();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    recreateTargets();
}

// The grain starts from the generator's first state: draws 41, 18467 and 6334, kept mod 255.
// It is kept as luminance and must sample as grey and opaque, as the noise overlay blends it by
// the texel's colour with the caller's alpha.
TEST(RenderTargets, NoiseStartsFromTheFirstDrawsAndSamplesGreyAndOpaque)
{
    ASSERT_TRUE(renderSetup().ok);
    std::vector<unsigned char> grain(512 * 512);
    glBindTexture(GL_TEXTURE_2D, renderTargets.noiseTextures[0]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, grain.data());
    EXPECT_EQ(grain[0], 41);
    EXPECT_EQ(grain[1], 107);
    EXPECT_EQ(grain[2], 214);
    EXPECT_EQ(*std::max_element(grain.begin(), grain.end()), 254);

    // Texel (x, y) drawn one to one on window pixel (x, y), with filtering falling on texel centres.
    unbindFBO();
    glViewport(0, 0, testWidth, testHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, testWidth, 0, testHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    const float u = static_cast<float>(testWidth) / 512.0f;
    const float v = static_cast<float>(testHeight) / 512.0f;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, 0);
    glTexCoord2f(u, 0);
    glVertex2i(testWidth, 0);
    glTexCoord2f(u, v);
    glVertex2i(testWidth, testHeight);
    glTexCoord2f(0, v);
    glVertex2i(0, testHeight);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    for (const auto& [x, y] : {std::pair{0, 0}, {1, 0}, {2, 0}, {17, 9}, {300, 200}}) {
        const Rgba p = windowPixel(x, y);
        const int grey = grain[static_cast<size_t>(y * 512 + x)];
        EXPECT_EQ(p.r, grey) << x << "," << y;
        EXPECT_EQ(p.g, grey) << x << "," << y;
        EXPECT_EQ(p.b, grey) << x << "," << y;
        EXPECT_EQ(p.a, 128) << "the texel's alpha is one, the colour's half stays"; // 0.5 * 255 rounded
    }
}

// A pass may read a target before anything was drawn into it (the zoom trail's tex512b on its
// first frame): every colour texture starts black, even where the driver hands back memory that
// a freed texture had filled.
TEST(RenderTargets, ColourTexturesStartCleared)
{
    ASSERT_TRUE(renderSetup().ok);
    const auto paint = [](void (*bind)(GLuint), GLuint texture) {
        bind(texture);
        glClearColor(1.0f, 0.5f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        unbindFBO();
    };
    const auto pairs = [] {
        const RenderTargets& t = renderTargets;
        return std::vector<std::pair<GLuint, int>>{{t.tex1024a, 1024}, {t.tex1024b, 1024}, {t.tex512a, 512},
                                                   {t.tex512b, 512},   {t.tex256a, 256},   {t.tex256b, 256},
                                                   {t.tex128a, 128},   {t.tex128b, 128}};
    };
    for (int round = 0; round < 2; ++round) {
        const RenderTargets& t = renderTargets;
        for (GLuint texture : {t.tex1024a, t.tex1024b})
            paint(bindTextureFBO1024, texture);
        for (GLuint texture : {t.tex512a, t.tex512b})
            paint(bindTextureFBO512, texture);
        for (GLuint texture : {t.tex256a, t.tex256b})
            paint(bindTextureFBO256, texture);
        for (GLuint texture : {t.tex128a, t.tex128b})
            paint(bindTextureFBO128, texture);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        // llvmpipe zeroes new storage itself, so the reads below pass on it either way; other
        // drivers do not, and the uploads must carry their zeros.
        std::vector<TextureUpload> uploads;
        textureUploads = &uploads;
        recreateTargets();
        textureUploads = nullptr;
        int colourUploads = 0;
        for (const TextureUpload& upload : uploads)
            if (upload.format == GL_RGBA || upload.format == GL_RGB || upload.format == GL_LUMINANCE) {
                ++colourUploads;
                EXPECT_TRUE(upload.withData) << "a " << upload.width << " texture made without data";
            }
        EXPECT_EQ(colourUploads, 1 + 8 + 25); // depth colour, the pairs, the noise
        for (const auto& [texture, size] : pairs()) {
            std::vector<unsigned char> pixels(static_cast<size_t>(size * size * 4), 7);
            glBindTexture(GL_TEXTURE_2D, texture);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), static_cast<long>(pixels.size()))
                << "texture of " << size << ", round " << round;
        }
        std::vector<unsigned char> depthColour(1024 * 1024 * 4, 7);
        glBindTexture(GL_TEXTURE_2D, renderTargets.depthColorTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, depthColour.data());
        EXPECT_EQ(std::count(depthColour.begin(), depthColour.begin() + 1024 * 1024 * 3, 0), 1024 * 1024 * 3);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(RenderTargets, ReleaseDeletesOnceThenDoesNothing)
{
    ASSERT_TRUE(renderSetup().ok);
    const RenderTargets kept = renderTargets;
    releaseRenderTargets();
    EXPECT_FALSE(glIsTexture(kept.tex1024a));
    EXPECT_FALSE(glIsTexture(kept.tex128b));
    EXPECT_FALSE(gl::glIsFramebufferEXT(kept.fbo512));
    EXPECT_FALSE(gl::glIsRenderbufferEXT(kept.rb256));
    EXPECT_TRUE(glIsTexture(kept.noiseTextures[0])); // left to the process exit
    releaseRenderTargets();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    recreateTargets();
}

GLenum scriptedStatus = GL_FRAMEBUFFER_COMPLETE_EXT;
GLenum APIENTRY scriptedStatusOf(GLenum) { return scriptedStatus; }

TEST(CheckFramebuffer, LogsEveryIncompleteStatusWithItsLabel)
{
    ASSERT_TRUE(renderSetup().ok);
    const auto real = gl::glCheckFramebufferStatusEXT;
    gl::glCheckFramebufferStatusEXT = scriptedStatusOf;
    const struct {
        GLenum status;
        const char* line;
        bool result;
    } cases[] = {
        {GL_FRAMEBUFFER_COMPLETE_EXT, nullptr, true},
        {GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT - Framebuffer incomplete,incomplete attachment\n", false},
        {GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT - Framebuffer incomplete,missing attachment\n",
         false},
        {GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT - Framebuffer incomplete,attached images must have same "
         "dimensions\n",
         false},
        {GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT - Framebuffer incomplete,attached images must have same "
         "format\n",
         false},
        {GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT - Framebuffer incomplete,missing draw buffer\n", false},
        {GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT,
         "probe: GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT - Framebuffer incomplete,missing read buffer\n", false},
        {0x1234, "probe: UNRESOLVED FRAMEBUFFER ERROR - Check ext loading\n", true},
    };
    for (const auto& c : cases) {
        LogCapture log;
        scriptedStatus = c.status;
        EXPECT_EQ(checkFramebuffer("probe"), c.result) << std::hex << c.status;
        if (c.line)
            EXPECT_EQ(log.lines, std::vector<std::string>{c.line});
        else
            EXPECT_TRUE(log.lines.empty());
    }
    gl::glCheckFramebufferStatusEXT = real;
}

class FramebufferDeathTest : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void checkUnsupported()
{
    if (!openTestWindow(testWidth, testHeight))
        std::exit(3);
    expectBoxAtExit("GL_FRAMEBUFFER_UNSUPPORTED_EXT! \n\nYour GFX cards current drivers do not support "
                    "FrameBufferObjects extension. \nPlease, upgrade your graphics card drivers.\nIf newest drivers "
                    "won't help you need to use other graphics cards.\n\nDebug info: 'bindTextureFBO512'",
                    "ERROR", MB_TOPMOST | MB_ICONWARNING);
    scriptedStatus = GL_FRAMEBUFFER_UNSUPPORTED_EXT;
    gl::glCheckFramebufferStatusEXT = scriptedStatusOf;
    checkFramebuffer("bindTextureFBO512");
    std::exit(77);
}

TEST_F(FramebufferDeathTest, UnsupportedConfigurationExitsZeroNamingTheLabel)
{
    EXPECT_EXIT(checkUnsupported(), testing::ExitedWithCode(0),
                "bindTextureFBO512: GL_FRAMEBUFFER_UNSUPPORTED_EXT - Framebuffer not supported.*BOX OK");
}

// The status after the targets are made: the first four queries pass, the fifth is scripted.
int statusQueries = 0;
GLenum APIENTRY fifthQueryFails(GLenum)
{
    return ++statusQueries == 5 ? scriptedStatus : GLenum(GL_FRAMEBUFFER_COMPLETE_EXT);
}

void createWithFinalStatus(GLenum status, const char* box)
{
    if (!openTestWindow(testWidth, testHeight) || !gl::fetchMultitexture() || !gl::fetchFramebuffers())
        std::exit(3);
    if (box)
        expectBoxAtExit(box, "ERROR", MB_TOPMOST | MB_ICONWARNING);
    else
        expectNoBoxAtExit();
    scriptedStatus = status;
    gl::glCheckFramebufferStatusEXT = fifthQueryFails;
    createRenderTargets();
    std::exit(77);
}

TEST_F(FramebufferDeathTest, UnsupportedAfterCreationExitsZeroWithItsOwnText)
{
    EXPECT_EXIT(createWithFinalStatus(GL_FRAMEBUFFER_UNSUPPORTED_EXT,
                                      "GL_FRAMEBUFFER_UNSUPPORTED_EXT! \n\nYour GFX cards current drivers do not "
                                      "support\nFrameBufferObjects extension. Please, upgrade your graphics card "
                                      "drivers."),
                testing::ExitedWithCode(0), "BOX OK");
}

TEST_F(FramebufferDeathTest, OtherFailureAfterCreationExitsZeroWithoutBox)
{
    EXPECT_EXIT(createWithFinalStatus(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT, nullptr), testing::ExitedWithCode(0),
                "Frame buffer status 0x8cd6.*NO BOX");
}

} // namespace
