#include "render/render_targets.h"

#include "render/gl_entry.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "runtime/target_scale.h"
#include "maths/random.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

RenderTargets renderTargets;

namespace {

unsigned long bindings = 0;

constexpr UINT warningBox = MB_TOPMOST | MB_ICONWARNING;
constexpr int noiseSize = 512;

void setLinear()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void setWrap(GLint mode)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, mode);
}

GLuint createDepthTexture(GLint format)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    setLinear();
    setWrap(GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, format, 1024, 1024, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// Tries 32, 24 and 16 bits in turn; the first the frame buffer accepts stays.
void probeDepthFormat()
{
    static const GLint formats[3] = {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT32};
    for (int index = 2; index >= 0; --index) {
        renderTargets.depthTexture = createDepthTexture(formats[index]);
        gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                      renderTargets.depthTexture, 0);
        if (gl::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT) {
            dmsMsg("Debug: Using depth t=%d  (%d) texture\n", index, formats[index]);
            gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
            return;
        }
        glDeleteTextures(1, &renderTargets.depthTexture);
    }
    // A deleted name would make every later attachment of it a GL error: 0 detaches instead,
    // and the depth scenes simply draw without a shadow map.
    renderTargets.depthTexture = 0;
    dmsMsg("\nFAILED: to find suitable depth texture \n");
    MessageBoxA(dmsGetHWND(), "Depth texture was not initialized!\n\nDepth related effects will not function properly.",
                "ERROR", warningBox);
    checkFramebuffer("init depthTex");
}

// Created cleared: a pass may read a texture before anything has been drawn into it (the zoom
// trail reads last frame's tex512b on its first frame), and GL leaves an image made without
// data undefined.
GLuint createColorTexture(int size, const std::vector<unsigned char>& zeros)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    setLinear();
    setWrap(GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    return texture;
}

// One draw of the generator per pixel, in memory order; the generator is still at its initial
// state here, so the grain is the same on every run.
//
// The grain is grey and opaque, so it is kept as luminance: a quarter of the memory of the 25 RGBA
// textures (26 MB), and it samples as (L, L, L, 1) exactly as the grey RGBA texels did.
void createNoiseTextures()
{
    std::vector<unsigned char> pixels(noiseSize * noiseSize);
    for (GLuint& texture : renderTargets.noiseTextures) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        setLinear();
        for (unsigned char& grey : pixels)
            grey = static_cast<unsigned char>(nextRandom() % 255);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, noiseSize, noiseSize, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                     pixels.data());
    }
}

// A scaled target is too large for the zeros every other one is made from: made without data,
// then cleared through its frame buffer.
GLuint createClearedTexture(int size, GLuint fbo, GLuint renderbuffer)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    setLinear();
    setWrap(GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLfloat clearColour[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    gl::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, renderbuffer);
    checkFramebuffer("init scaled target");
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    return texture;
}

[[noreturn]] void exitUnsupported(const char* text)
{
    MessageBoxA(dmsGetHWND(), text, "ERROR", warningBox);
    std::exit(0);
}

// `pixelScale`: what line widths and point sizes drawn into the target are multiplied by.
void bindTextureTarget(GLuint fbo, GLuint renderbuffer, GLuint texture, int size, const char* label,
                       float pixelScale = 1.0f)
{
    ++bindings;
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    if (pixelScale != 1.0f)
        dmsScaleDrawnSizes(pixelScale);
    gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    gl::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, renderbuffer);
    checkFramebuffer(label);
    glViewport(0, 0, size, size);
}

} // namespace

void createRenderTargets()
{
    RenderTargets& t = renderTargets;
    for (GLuint* fbo : {&t.fbo1024, &t.fbo512, &t.fbo256, &t.fbo128})
        gl::glGenFramebuffersEXT(1, fbo);
    for (GLuint* rb : {&t.rb1024, &t.rb512, &t.rb256, &t.rb128})
        gl::glGenRenderbuffersEXT(1, rb);
    gl::glGenFramebuffersEXT(1, &t.depthFbo);

    // Zeros enough for the largest texture: every target starts black.
    const std::vector<unsigned char> zeros(1024 * 1024 * 4, 0);
    glGenTextures(1, &t.depthColorTexture);
    glBindTexture(GL_TEXTURE_2D, t.depthColorTexture);
    setLinear();
    setWrap(GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1024, 1024, 0, GL_RGB, GL_UNSIGNED_BYTE, zeros.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    checkFramebuffer("init depthCol");

    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, t.depthFbo);
    gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, t.depthColorTexture, 0);
    checkFramebuffer("init depth FBO - attach color");

    probeDepthFormat();
    checkFramebuffer("init depth FBO - attach depth");
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    t.scale = dmsTargetScale();
    t.side1024 = scaledTargetSide(1024, t.scale);
    t.side512 = scaledTargetSide(512, t.scale);
    if (t.scale != 1.0f)
        dmsMsg("Render targets %.2f times as large: %dx%d and %dx%d\n", static_cast<double>(t.scale), t.side1024,
               t.side1024, t.side512, t.side512);
    const int sides[4] = {t.side1024, t.side512, 256, 128};
    const GLuint renderbuffers[4] = {t.rb1024, t.rb512, t.rb256, t.rb128};
    for (int i = 0; i < 4; ++i) {
        const int size = sides[i];
        gl::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderbuffers[i]);
        gl::glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, size, size);
    }
    gl::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);

    const GLenum status = gl::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status == GL_FRAMEBUFFER_UNSUPPORTED_EXT)
        exitUnsupported("GL_FRAMEBUFFER_UNSUPPORTED_EXT! \n\nYour GFX cards current drivers do not support\n"
                        "FrameBufferObjects extension. Please, upgrade your graphics card drivers.");
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        // No box for this one; the log at least says why the show stopped.
        dmsMsg("Frame buffer status 0x%04x after creating the render targets: cannot go on\n", status);
        std::exit(0);
    }

    GLuint* pairs[8] = {&t.tex1024a, &t.tex1024b, &t.tex512a, &t.tex512b,
                        &t.tex256a, &t.tex256b, &t.tex128a, &t.tex128b};
    const GLuint fbos[4] = {t.fbo1024, t.fbo512, t.fbo256, t.fbo128};
    for (int i = 0; i < 8; ++i)
        *pairs[i] = sides[i / 2] > 1024 ? createClearedTexture(sides[i / 2], fbos[i / 2], renderbuffers[i / 2])
                                        : createColorTexture(sides[i / 2], zeros);
    createNoiseTextures();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void bindDepthFBO()
{
    ++bindings;
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, renderTargets.depthFbo);
    gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                  renderTargets.depthTexture, 0);
    gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                  renderTargets.depthColorTexture, 0);
    checkFramebuffer("bindDepthFBO");
    glViewport(0, 0, 1024, 1024);
}

void bindTextureFBO1024(GLuint texture)
{
    const RenderTargets& t = renderTargets;
    bindTextureTarget(t.fbo1024, t.rb1024, texture, t.side1024, "bindTextureFBO1024", t.scale);
}

void bindTextureFBO512(GLuint texture)
{
    const RenderTargets& t = renderTargets;
    bindTextureTarget(t.fbo512, t.rb512, texture, t.side512, "bindTextureFBO512", t.scale);
}

void bindTextureFBO256(GLuint texture)
{
    bindTextureTarget(renderTargets.fbo256, renderTargets.rb256, texture, 256, "bindTextureFBO256");
}

void bindTextureFBO128(GLuint texture)
{
    bindTextureTarget(renderTargets.fbo128, renderTargets.rb128, texture, 128, "bindTextureFBO128");
}

void unbindFBO()
{
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    dmsResetViewport();
}

unsigned long renderTargetBindings() { return bindings; }

bool checkFramebuffer(const char* label)
{
    const GLenum status = gl::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE_EXT:
        return true;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT - Framebuffer incomplete,incomplete attachment\n", label);
        return false;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT - Framebuffer incomplete,missing attachment\n",
               label);
        return false;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT - Framebuffer incomplete,attached images must have "
               "same dimensions\n",
               label);
        return false;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT - Framebuffer incomplete,attached images must have same "
               "format\n",
               label);
        return false;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT - Framebuffer incomplete,missing draw buffer\n", label);
        return false;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
        dmsMsg("%s: GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT - Framebuffer incomplete,missing read buffer\n", label);
        return false;
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT: {
        dmsMsg("%s: GL_FRAMEBUFFER_UNSUPPORTED_EXT - Framebuffer not supported\n", label);
        char text[512];
        std::snprintf(text, sizeof text,
                      "GL_FRAMEBUFFER_UNSUPPORTED_EXT! \n\nYour GFX cards current drivers do not support "
                      "FrameBufferObjects extension. \nPlease, upgrade your graphics card drivers.\nIf newest "
                      "drivers won't help you need to use other graphics cards.\n\nDebug info: '%s'",
                      label);
        exitUnsupported(text);
    }
    default:
        dmsMsg("%s: UNRESOLVED FRAMEBUFFER ERROR - Check ext loading\n", label);
        return true;
    }
}

void releaseRenderTargets()
{
    RenderTargets& t = renderTargets;
    if (!t.created)
        return;
    t.created = false;
    GLuint textures[8] = {t.tex1024a, t.tex1024b, t.tex512a, t.tex512b, t.tex256a, t.tex256b, t.tex128a, t.tex128b};
    glDeleteTextures(8, textures);
    // The flag is raised before initGl's checks: pointers it never reached stay null.
    if (gl::glDeleteFramebuffersEXT) {
        GLuint fbos[4] = {t.fbo1024, t.fbo512, t.fbo256, t.fbo128};
        gl::glDeleteFramebuffersEXT(4, fbos);
    }
    if (gl::glDeleteRenderbuffersEXT) {
        GLuint rbs[4] = {t.rb1024, t.rb512, t.rb256, t.rb128};
        gl::glDeleteRenderbuffersEXT(4, rbs);
    }
}
