// The archive programs do what the scenes count on: the fish floor darkens in the light's
// shadow (with the depth texture's comparison off, and with it on for the "Old NVidia" files), a
// speck dims with depth, the caustics blend their frames, the water picture moves with the
// ripple, and the floor sinks into the water colour far away.
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "tests/render/render_setup.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct Texel {
    unsigned char r, g, b, a;
};

GLuint makeTexture(int w, int h, const std::function<Texel(int, int)>& texel)
{
    std::vector<Texel> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(texel(x, y));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return texture;
}

GLuint plainTexture(unsigned char r, unsigned char g, unsigned char b, unsigned char a = 255)
{
    return makeTexture(1, 1, [=](int, int) { return Texel{r, g, b, a}; });
}

void onUnit(int unit, GLuint texture)
{
    gl::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void offUnits(int count)
{
    for (int unit = count - 1; unit >= 0; --unit) {
        gl::glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
}

// The whole window as one quad under a 1 x 1 projection, texture coordinates 0..1.
void screenQuad()
{
    dmsPerspective2D(1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    dmsPerspective3D();
    glLoadIdentity();
}

// A square in the y = h plane, half size s, texture coordinates 0..1.
void flatSquare(float s, float h)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, h, -s);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, h, s);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, h, s);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, h, -s);
    glEnd();
}

class ArchiveProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(renderSetup().ok);
        unbindFBO();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        dmsPerspective3D();
        glLoadIdentity();
    }
    void TearDown() override
    {
        ShaderProgram::unbind();
        offUnits(5);
        glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    GLuint keep(GLuint texture)
    {
        textures.push_back(texture);
        return texture;
    }
    std::vector<GLuint> textures;
};

// The fish scene's arrangement: a light looking down on a small occluder above the floor, the
// depth map drawn from it, then the floor seen from the camera with the shadow texture matrix.
// Returns the floor's grey under the occluder and out in the open.
std::pair<int, int> shadowedAndOpenFloor(const ShaderProgram& floor, GLuint white, GLuint flatNormal, GLuint black)
{
    const GLdouble light[3] = {0.3, 2.0, 0.2};
    bindDepthFBO();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    gluLookAt(light[0], light[1], light[2], 0, 0, 0, 0, 1, 0);
    GLfloat lightProjection[16], lightView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, lightProjection);
    glGetFloatv(GL_MODELVIEW_MATRIX, lightView);
    flatSquare(0.3f, 0.6f);
    flatSquare(3.0f, 0.0f);
    unbindFBO();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glLoadIdentity();
    gluLookAt(0, 3, 3, 0, 0, 0, 0, 1, 0);
    GLfloat camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    // The camera is a rotation and a translation: its inverse is the transposed rotation.
    GLfloat inverse[16] = {camera[0], camera[4], camera[8], 0, camera[1], camera[5], camera[9], 0,
                           camera[2], camera[6], camera[10], 0, 0, 0, 0, 1};
    for (int i = 0; i < 3; ++i)
        inverse[12 + i] = -(inverse[i] * camera[12] + inverse[4 + i] * camera[13] + inverse[8 + i] * camera[14]);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0.5f);
    glScalef(0.5f, 0.5f, 0.5f);
    glMultMatrixf(lightProjection);
    glMultMatrixf(lightView);
    glMultMatrixf(inverse);
    glMatrixMode(GL_MODELVIEW);

    floor.bind();
    onUnit(0, renderTargets.depthTexture);
    onUnit(1, white);
    onUnit(2, flatNormal);
    onUnit(3, black);
    onUnit(4, black);
    floor.setUniform1i("shadowMap", 0);
    floor.setUniform1i("texture0", 1);
    floor.setUniform1i("normal0", 2);
    floor.setUniform1i("caus0", 3);
    floor.setUniform1i("caus1", 4);
    floor.setUniform1f("causinterp", 0.0f);
    const GLfloat lightDirection[4] = {float(light[0]), float(light[1]), float(light[2]), 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    glColor3f(0.5f, 0.5f, 0.5f);
    flatSquare(3.0f, 0.0f);
    ShaderProgram::unbind();
    offUnits(5);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);

    // Where the occluder's shadow falls (straight below it, pushed away from the light) and a
    // point well away from it.
    auto greyAt = [&](double x, double z) {
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(x, 0.0, z, model, projection, viewport, &wx, &wy, &wz);
        return windowPixel(static_cast<int>(wx), static_cast<int>(wy)).g;
    };
    return {greyAt(-0.09, -0.06), greyAt(1.2, 0.9)};
}

TEST_F(ArchiveProgramTest, FishFloorDarkensInTheShadowWithComparisonOff)
{
    const GLuint white = keep(plainTexture(255, 255, 255));
    const GLuint flat = keep(plainTexture(128, 128, 255));
    const GLuint black = keep(plainTexture(0, 0, 0));
    const auto [shadowed, open] =
        shadowedAndOpenFloor(*shaderManager->getShader("fisu_shadowmaptex"), white, flat, black);
    EXPECT_GT(open, 60);
    EXPECT_LT(shadowed * 3, open * 2) << shadowed << " vs " << open;
}

TEST_F(ArchiveProgramTest, OldNvidiaFishFloorDarkensWithTheDriversComparison)
{
    const GLuint white = keep(plainTexture(255, 255, 255));
    const GLuint flat = keep(plainTexture(128, 128, 255));
    const GLuint black = keep(plainTexture(0, 0, 0));
    ShaderProgram floor;
    floor.build("fisu_shadowmaptex", dmsGetText("fisu_ground_frag_nv7.glsl"), dmsGetText("fisu_ground_vert_nv7.glsl"));
    glBindTexture(GL_TEXTURE_2D, renderTargets.depthTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC_ARB, GL_LEQUAL);
    const auto [shadowed, open] = shadowedAndOpenFloor(floor, white, flat, black);
    glBindTexture(GL_TEXTURE_2D, renderTargets.depthTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_NONE);
    floor.release();
    EXPECT_GT(open, 60);
    EXPECT_LT(shadowed * 3, open * 2) << shadowed << " vs " << open;
}

// zMod sets how far the glow reaches: full near the eye, dim far away, out at 0.
TEST_F(ArchiveProgramTest, SpeckDimsWithDepthAndGoesOutAtZeroZMod)
{
    const GLuint white = keep(plainTexture(255, 255, 255));
    ShaderProgram* speck = shaderManager->getShader("tyonto");
    auto speckAt = [&](float depth, float zMod) {
        glClear(GL_COLOR_BUFFER_BIT);
        speck->bind();
        speck->setUniform1i("tex", 0);
        speck->setUniform1f("zMod", zMod);
        onUnit(0, white);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -depth);
        glColor3f(0.18f, 0.36f, 0.42f);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(-depth, -depth);
        glTexCoord2f(1, 0);
        glVertex2f(depth, -depth);
        glTexCoord2f(1, 1);
        glVertex2f(depth, depth);
        glTexCoord2f(0, 1);
        glVertex2f(-depth, depth);
        glEnd();
        ShaderProgram::unbind();
        glLoadIdentity();
        return windowPixel(testWidth / 2, testHeight / 2).b;
    };
    const int near = speckAt(3.0f, 31.5f);
    const int far = speckAt(40.0f, 31.5f);
    EXPECT_NEAR(near, 107, 2); // 0.42, undimmed
    EXPECT_GT(far, 0);
    EXPECT_LT(far, near / 2);
    EXPECT_EQ(speckAt(3.0f, 0.0f), 0);
}

TEST_F(ArchiveProgramTest, CausticsBlendTheirFramesTimesVari)
{
    const GLuint dim = keep(plainTexture(51, 51, 51));      // 0.2
    const GLuint bright = keep(plainTexture(204, 204, 204)); // 0.8
    ShaderProgram* caustic = shaderManager->getShader("caustic");
    caustic->bind();
    onUnit(0, dim);
    onUnit(1, bright);
    caustic->setUniform1i("caus0", 0);
    caustic->setUniform1i("caus1", 1);
    caustic->setUniform1f("causinterp", 0.25f);
    caustic->setUniform4f("vari", 0.5f, 1.0f, 1.0f, 1.0f);
    screenQuad();
    const Rgba p = windowPixel(testWidth / 2, testHeight / 2);
    EXPECT_NEAR(p.r, 45, 2); // 0.35 * 0.5
    EXPECT_NEAR(p.g, 89, 2); // 0.35
}

// The picture (left half red, right half blue) through a ripple map: a flat or unwritten ripple
// leaves it in place, a tilted one moves where it is read, by distortmodi.
TEST_F(ArchiveProgramTest, WaterPictureMovesWithTheRippleSlope)
{
    const GLuint picture = keep(makeTexture(64, 64, [](int x, int) {
        return x < 32 ? Texel{255, 0, 0, 255} : Texel{0, 0, 255, 255};
    }));
    ShaderProgram* water = shaderManager->getShader("greetwater");
    auto readBesideMiddle = [&](GLuint ripple, float distortmodi) {
        water->bind();
        water->setUniform1i("water", 0);
        water->setUniform1i("tex", 1);
        water->setUniform1f("distortmodi", distortmodi);
        water->setUniform4f("vari", 1.0f, 1.0f, 1.0f, 0.5f);
        onUnit(0, ripple);
        onUnit(1, picture);
        screenQuad();
        ShaderProgram::unbind();
        offUnits(2);
        return windowPixel(testWidth / 2 - 8, testHeight / 2); // s = 0.475, in the red half
    };
    const GLuint flat = keep(plainTexture(128, 128, 255));
    const GLuint tilted = keep(plainTexture(128, 255, 128)); // slope along s
    const GLuint unwritten = keep(plainTexture(0, 0, 0, 0));
    Rgba p = readBesideMiddle(flat, 1.0f);
    EXPECT_EQ(p.r, 255);
    EXPECT_NEAR(p.a, 128, 1);
    p = readBesideMiddle(tilted, 1.0f);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(readBesideMiddle(tilted, 0.0f).r, 255);
    EXPECT_EQ(readBesideMiddle(unwritten, 1.0f).r, 255);
}

// The floor sinks into the water colour (times the brightness in minColor.a) far away; near by
// it is the texture lit through the normal map.
TEST_F(ArchiveProgramTest, FloorFadesIntoTheWaterColourWithDistance)
{
    ShaderProgram* ground = shaderManager->getShader("ground");
    auto floorAt = [&](float distance, GLuint normal) {
        glClear(GL_COLOR_BUFFER_BIT);
        const GLfloat towardsEye[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, towardsEye);
        ground->bind();
        onUnit(0, keep(plainTexture(255, 255, 255)));
        onUnit(1, normal);
        ground->setUniform1i("texture0", 0);
        ground->setUniform1i("normal0", 1);
        ground->setUniform4f("minColor", 0.2f, 0.4f, 0.6f, 0.5f);
        glColor3f(0.3f, 0.3f, 0.3f);
        glTranslatef(0.0f, 0.0f, -distance);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f); // the floor's plane turned to face the eye
        flatSquare(distance, 0.0f);
        ShaderProgram::unbind();
        offUnits(2);
        glLoadIdentity();
        return windowPixel(testWidth / 2, testHeight / 2);
    };
    const GLuint facingLight = keep(plainTexture(128, 128, 255));
    const GLuint awayFromLight = keep(plainTexture(128, 128, 0));
    const Rgba far = floorAt(40.0f, facingLight);
    EXPECT_NEAR(far.r, 26, 2);
    EXPECT_NEAR(far.g, 51, 2);
    EXPECT_NEAR(far.b, 77, 2);
    const Rgba lit = floorAt(2.0f, facingLight);
    const Rgba unlit = floorAt(2.0f, awayFromLight);
    EXPECT_EQ(lit.r, lit.b);
    EXPECT_GT(lit.r, unlit.r + 40);
    EXPECT_GT(unlit.r, 0);
}

} // namespace
