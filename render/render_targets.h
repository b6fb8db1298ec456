// The one set of off-screen targets every scene and pass shares: four square colour frame
// buffers (1024, 512, 256, 128), each with a depth renderbuffer and a pair of colour textures to
// render into, a 1024 depth frame buffer with a depth texture for shadow maps, and 25 grey-noise
// textures. Sizes are fixed; nothing follows the window. A master with scaled targets makes the
// 1024 and 512 ones larger by the runtime's dmsTargetScale.
#pragma once

#include <GL/gl.h>

class RenderTargets {
public:
    bool created = false; // set by initGl before its checks; release does nothing without it
    GLuint fbo1024 = 0, fbo512 = 0, fbo256 = 0, fbo128 = 0;
    GLuint rb1024 = 0, rb512 = 0, rb256 = 0, rb128 = 0;
    GLuint tex1024a = 0, tex1024b = 0;
    GLuint tex512a = 0, tex512b = 0;
    GLuint tex256a = 0, tex256b = 0;
    GLuint tex128a = 0, tex128b = 0;
    GLuint depthFbo = 0;
    GLuint depthColorTexture = 0; // 1024x1024 RGBA
    GLuint depthTexture = 0;      // 1024x1024, the deepest format the driver takes; 0 if none
    GLuint noiseTextures[25] = {};
    // The 1024 and 512 targets' factor and sides: 1, 1024 and 512 but in a master with scaled
    // targets. The 256, 128 and depth targets keep their sides: the blur's and the shadow
    // filters' taps are measured in their texels.
    float scale = 1.0f;
    int side1024 = 1024, side512 = 512;
};

extern RenderTargets renderTargets;

// Step 7 of initGl: every target, the depth format probing and the noise textures. Exits the
// process (code 0) when frame-buffer objects turn out unusable.
void createRenderTargets();

// Each binding leaves the viewport at the target's size; unbindFBO returns to the window.
void bindDepthFBO();
void bindTextureFBO1024(GLuint texture);
void bindTextureFBO512(GLuint texture);
void bindTextureFBO256(GLuint texture);
void bindTextureFBO128(GLuint texture);
void unbindFBO();

// Counts the bindings of off-screen targets (any size, the depth target too). Drawing reaches a
// target only through a binding, so while the count stands still no target's content changes:
// a pass may reuse what it left in one.
unsigned long renderTargetBindings();

// Logs why the bound frame buffer is incomplete, with the label. False when incomplete; an
// unsupported configuration shows a message box and exits (code 0).
bool checkFramebuffer(const char* label);

// Deletes the pair textures, colour frame buffers and renderbuffers if they were created.
void releaseRenderTargets();
