// The 2D projection keeps the scene's camera: dmsPerspective2D sets the screen's projection with
// an identity view and dmsPerspective3D puts the scene's projection and view back, however the
// calls are nested or left unpaired. The finished frame reads back top row first.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "tests/runtime/runtime_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<float> matrix(GLenum which)
{
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class Projection : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(openRuntimeOnTestArchive()) << "needs a display (Xvfb)";
        dmsPerspective3D();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(1.0, 2.0, 3.0, 0.0, 0.5, 0.0, 0.0, 1.0, 0.0);
        camera = matrix(GL_MODELVIEW_MATRIX);
        perspective = matrix(GL_PROJECTION_MATRIX);
    }
    std::vector<float> camera, perspective;
};

TEST_F(Projection, TwoDimensionsWithAnIdentityViewThenTheSceneCameraBack)
{
    dmsPerspective2D(640, 480);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity);
    const std::vector<float> ortho = matrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(ortho[0], 2.0f / 640.0f);
    EXPECT_FLOAT_EQ(ortho[12], -1.0f);
    glTranslatef(5.0f, 5.0f, 0.0f); // a pass moving its quads about
    dmsPerspective3D();
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), camera);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Projection, NestedAndUnpairedCallsOverflowNothingAndKeepTheFirstCopy)
{
    GLint depth = 0, projectionDepth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    // Far more nested calls than GL's projection stack holds (it may hold only 2).
    for (int i = 0; i < 100; ++i)
        dmsPerspective2D(1, 1);
    dmsPerspective3D();
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), camera); // the copy taken by the first call
    // An unpaired 3D call: the perspective again, the view left as it is.
    dmsPerspective3D();
    dmsPerspective3D();
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), camera);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective);
    GLint after = 0, projectionAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionAfter);
    EXPECT_EQ(after, depth);
    EXPECT_EQ(projectionAfter, projectionDepth);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The top four rows red, the rest blue; read into a buffer full of junk (as a capture reuses its
// buffer), then into one of the wrong size. Afterwards GL packs pixels as it did before.
TEST(FrameReadBack, TopRowFirstIntoAnyBufferAndPackingLeftAsFound)
{
    ASSERT_TRUE(openRuntimeOnTestArchive()) << "needs a display (Xvfb)";
    const int w = dmsGetWindowWidth(), h = dmsGetWindowHeight();
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, h - 4, w, 4); // GL counts rows from the bottom
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    std::vector<uint8_t> junk(static_cast<size_t>(w) * h * 4, 0x5a);
    std::vector<uint8_t> small(16, 0x5a);
    for (std::vector<uint8_t>* frame : {&junk, &small}) {
        VELMORA_PELAGOR::dmsReadFrame(*frame);
        ASSERT_EQ(frame->size(), static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = frame->data() + (static_cast<size_t>(y) * w + x) * 4;
                const std::vector<uint8_t> expected = y < 4 ? std::vector<uint8_t>{255, 0, 0, 255}
                                                            : std::vector<uint8_t>{0, 0, 255, 255};
                ASSERT_EQ(std::vector<uint8_t>(p, p + 4), expected) << "at " << x << "," << y;
            }
    }
    // A plain read after it comes bottom row first, as GL's own order is.
    std::vector<uint8_t> plain(static_cast<size_t>(w) * h * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, plain.data());
    EXPECT_EQ(plain[0], 0) << "the bottom row is blue";
    EXPECT_EQ(plain[2], 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
