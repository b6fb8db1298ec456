// Supersampled offline frames: the frame buffer standing for the window is N times larger each
// way, the picture rectangle scales with it, and line widths and point sizes drawn into it scale
// too, while a render target gets them as asked. Run in a process of its own (a fresh runtime).
#include "platform/win32.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "tests/runtime/runtime_fixture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

float glFloat(GLenum name)
{
    GLfloat value = 0.0f;
    glGetFloatv(name, &value);
    return value;
}

// Rows of column x holding any light, in the supersampled frame.
int litRows(const std::vector<uint8_t>& frame, int width, int height, int x)
{
    int lit = 0;
    for (int y = 0; y < height; ++y)
        lit += frame[(static_cast<size_t>(y) * width + x) * 4] > 0 ? 1 : 0;
    return lit;
}

int supersampleChecks()
{
    if (!openRuntimeOnTestArchive())
        return 10;
    dmsShutDown();
    dmsEnableOffline({60, 0, 2});
    // 64x48 at 16:9: a 64x36 picture letterboxed 6 rows down.
    if (!dmsInitEx(64, 48, 32, false, 1, false, false, 0, 2, testArchivePath().c_str(), 0))
        return 11;
    if (dmsGetWindowWidth() != 64 || dmsGetWindowHeight() != 48)
        return 12; // the window keeps its own size for the scenes
    int rect[4] = {};
    dmsGetPictureRect(rect);
    GLint viewport[4] = {};
    dmsResetViewport();
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (rect[0] != 0 || rect[1] != 12 || rect[2] != 128 || rect[3] != 72 || viewport[1] != 12 || viewport[3] != 72)
        return 13; // the letterbox of the 1x picture, twice as large

    glLineWidth(3.0f);
    glPointSize(1.5f);
    if (glFloat(GL_LINE_WIDTH) != 6.0f || glFloat(GL_POINT_SIZE) != 3.0f)
        return 14; // drawn into the window: twice as wide
    auto bind = reinterpret_cast<PFNGLBINDFRAMEBUFFEREXTPROC>(wglGetProcAddress("glBindFramebufferEXT"));
    auto gen = reinterpret_cast<PFNGLGENFRAMEBUFFERSEXTPROC>(wglGetProcAddress("glGenFramebuffersEXT"));
    GLuint target = 0;
    gen(1, &target);
    bind(GL_FRAMEBUFFER_EXT, target);
    const bool asAsked = glFloat(GL_LINE_WIDTH) == 3.0f && glFloat(GL_POINT_SIZE) == 1.5f;
    glLineWidth(2.0f);
    bind(GL_FRAMEBUFFER_EXT, 0);
    if (!asAsked || glFloat(GL_LINE_WIDTH) != 4.0f)
        return 15; // a render target keeps them as asked; back in the window they scale again

    // A one-pixel line across the picture covers two rows of the frame buffer.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1.0f);
    dmsPerspective2D(64, 48);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, 24.5f);
    glVertex2f(64.0f, 24.5f);
    glEnd();
    dmsPerspective3D();
    std::vector<uint8_t> frame;
    dmsReadFrame(frame);
    if (frame.size() != 128u * 96 * 4)
        return 16;
    const int lit = litRows(frame, 128, 96, 64);
    if (lit != 2) {
        std::fprintf(stderr, "the line covers %d rows\n", lit);
        return 17;
    }
    std::vector<uint8_t> band;
    dmsReadFrameRows(40, 16, band);
    if (band.size() != 128u * 16 * 4 || std::vector<uint8_t>(band.begin(), band.begin() + 128 * 4) !=
                                            std::vector<uint8_t>(frame.begin() + 40 * 128 * 4, frame.begin() + 41 * 128 * 4))
        return 18; // a band is those rows of the frame, top first
    if (glGetError() != GL_NO_ERROR)
        return 19;
    dmsShutDown();
    return 0;
}

TEST(Supersampling, TheWindowsFrameBufferAndItsPixelSizesScaleAndRenderTargetsDoNot)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(supersampleChecks()), ::testing::ExitedWithCode(0), "");
}

// A frame buffer larger than the driver can draw into is refused by name, before anything else.
int tooLargeChecks()
{
    if (!openRuntimeOnTestArchive())
        return 10;
    dmsShutDown();
    dmsEnableOffline({60, 0, 4});
    const bool opened = dmsInitEx(8192, 16, 32, false, 1, false, false, 0, 0, testArchivePath().c_str(), 0);
    // As the driver does after a failed start: the archive it opened is closed before the test's
    // file is removed (Windows refuses to remove an open file).
    dmsShutDown();
    return opened ? 11 : 0;
}

TEST(Supersampling, MoreThanTheDriverCanHoldIsRefusedWithItsLimits)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(tooLargeChecks()), ::testing::ExitedWithCode(0),
                "8192x16 supersampled 4x each way is 32768x64, which is more than this GL driver can draw into "
                "\\(frame buffers up to .+x.+, viewports up to .+x.+\\)");
}

} // namespace
