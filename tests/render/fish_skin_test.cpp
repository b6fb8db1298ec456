// The fish's skin under the fish scene's own light and material: its back must stay dark where
// its flanks are pale, even where the caustics light it fully.
#include "render/gl_entry.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "tests/render/render_setup.h"

#include <gtest/gtest.h>

namespace {

// Luminance of a window pixel, 0..255.
double luminanceAt(int x, int y)
{
    const Rgba p = windowPixel(x, y);
    return 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
}

// The body's v runs from the belly's midline (0) to the back's (1); the skin is read by it.
void skinQuad(float left, float right, float v)
{
    glTexCoord2f(0.5f, v), glVertex3f(left, -0.1f, -0.5f);
    glTexCoord2f(0.5f, v), glVertex3f(right, -0.1f, -0.5f);
    glTexCoord2f(0.5f, v), glVertex3f(right, 0.1f, -0.5f);
    glTexCoord2f(0.5f, v), glVertex3f(left, 0.1f, -0.5f);
}

// The back used to come out within one and a half times the flank's brightness: under the
// bright caustics both ran into the highlights' roll-off, and the fish read as one tone.
TEST(FishSkin, TheBackStaysDarkBesideThePaleFlankInFullLight)
{
    ASSERT_TRUE(renderSetup().ok);
    ShaderProgram* fish = shaderManager->getShader("fishbone");
    ASSERT_NE(fish, nullptr);
    orthoOverWindow(-0.1, 0.1, -0.1, 0.1, 0.01, 10);
    // The scene's light and material; the light comes from above and in front, so no highlight
    // reaches the eye.
    const GLfloat position[4] = {0.0f, 0.6f, 0.8f, 0.0f}, black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    const GLfloat ambient[4] = {0.13f, 0.13f, 0.2f, 1.0f}, diffuse[4] = {0.35f, 0.35f, 0.45f, 1.0f},
                  specular[4] = {0.6f, 0.6f, 0.75f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 100.0f);
    // No shadow (a zero w puts every point in the light) and the caustics at full strength.
    const GLfloat zero[16] = {};
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(zero);
    glMatrixMode(GL_MODELVIEW);
    GLuint bright = 0;
    glGenTextures(1, &bright);
    glBindTexture(GL_TEXTURE_2D, bright);
    const unsigned char texel[4] = {255, 255, 255, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    for (GLenum unit : {GL_TEXTURE3_ARB, GL_TEXTURE4_ARB}) {
        gl::glActiveTextureARB(unit);
        glBindTexture(GL_TEXTURE_2D, bright);
    }
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    fish->bind();
    fish->setUniform1i("shadowMap", 0);
    fish->setUniform1i("caus0", 3);
    fish->setUniform1i("caus1", 4);
    fish->setUniform1f("causinterp", 0.5f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    skinQuad(-0.1f, 0.0f, 0.95f); // the back, on the left
    skinQuad(0.0f, 0.1f, 0.45f);  // the flank
    glEnd();
    ShaderProgram::unbind();

    const double back = luminanceAt(testWidth / 4, testHeight / 2), flank = luminanceAt(3 * testWidth / 4, testHeight / 2);
    EXPECT_GT(back, 5.0) << "the back is lit at all";
    EXPECT_GT(flank, 2.0 * back) << "back " << back << ", flank " << flank;

    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDeleteTextures(1, &bright);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    restoreShowView();
}

} // namespace
