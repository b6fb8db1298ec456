// The greeting pictures seen through the ripple: for most of a name's time on screen its letters
// must hold together, however choppy the water under them.
#include "maths/random.h"
#include "render/gl_entry.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "tests/render/render_setup.h"
#include "toolkit/water_ripple.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The names of the second card ("Murk & Mirror", "Lanternfin Crew", "Silt Sirens"), one picture
// texel to one window pixel: texture coordinates of a testWidth x testHeight texel window.
constexpr float cropLeft = 0.0f, cropTop = 60.0f / 512.0f;
constexpr float cropRight = float(testWidth) / 512.0f, cropBottom = cropTop + float(testHeight) / 512.0f;

// A ripple as choppy as the greetings' own gets: three drops a step for the four seconds
// before the second card shows.
GLuint choppyWater()
{
    WaterRipple ripple;
    EXPECT_TRUE(ripple.resize(256));
    seedRandom(11);
    for (int step = 0; step < 80; ++step) {
        for (int drop = 0; drop < 3; ++drop)
            ripple.dropRandom();
        ripple.step();
    }
    ripple.buildNormalMap();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, ripple.normalPixels.data());
    return texture;
}

// The picture's coverage over black, as the greetings draw it, at the given distortion: one
// brightness (the brightest channel) per window pixel.
std::vector<int> seenThroughWater(GLuint water, const char* picture, float distortion)
{
    ShaderProgram* program = shaderManager->getShader("greetwater");
    EXPECT_NE(program, nullptr);
    const Texture* texture = dmsGetTexture(picture);
    EXPECT_NE(texture, nullptr);
    if (!program || !texture)
        return {};
    orthoOverWindow(0, 1, 0, 1, -1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    program->bind();
    program->setUniform1i("water", 0);
    program->setUniform1i("tex", 1);
    program->setUniform1f("distortmodi", distortion);
    program->setUniform4f("vari", 1, 1, 1, 1);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, water);
    gl::glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    glBegin(GL_QUADS); // the window's top row shows the crop's top row
    glTexCoord2f(cropLeft, cropBottom), glVertex2f(0, 0);
    glTexCoord2f(cropRight, cropBottom), glVertex2f(1, 0);
    glTexCoord2f(cropRight, cropTop), glVertex2f(1, 1);
    glTexCoord2f(cropLeft, cropTop), glVertex2f(0, 1);
    glEnd();
    ShaderProgram::unbind();
    glDisable(GL_TEXTURE_2D);
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    std::vector<unsigned char> rgba(size_t(testWidth) * testHeight * 4);
    glReadPixels(0, 0, testWidth, testHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<int> brightness(size_t(testWidth) * testHeight);
    for (size_t i = 0; i < brightness.size(); ++i)
        brightness[i] = std::max({rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]});
    return brightness;
}

// Share of the still picture's letter pixels that are letter pixels through the water as well.
double inkKept(const std::vector<int>& still, const std::vector<int>& rippled)
{
    size_t ink = 0, kept = 0;
    for (size_t i = 0; i < still.size() && i < rippled.size(); ++i)
        if (still[i] >= 200) {
            ++ink;
            kept += rippled[i] >= 150;
        }
    EXPECT_GT(ink, 1500u) << "the crop holds no letters";
    return ink ? double(kept) / double(ink) : 0.0;
}

// A greeting's distortion rises from 0.15 to 0.85 as it fades; 0.75 is three fifths of the way
// through its time on screen. Until then each name must stay whole: the letters broke into
// fragments there, where the ripple is steep.
TEST(GreetingWater, NamesHoldTogetherForMostOfTheirTimeOnScreen)
{
    ASSERT_TRUE(renderSetup().ok);
    const GLuint water = choppyWater();
    const std::vector<int> still = seenThroughWater(water, "greet2.png", 0.0f);
    EXPECT_GT(inkKept(still, seenThroughWater(water, "greet2.png", 0.75f)), 0.85);
    glDeleteTextures(1, &water);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    restoreShowView();
}

} // namespace
