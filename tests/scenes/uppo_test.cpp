// The plankton descent, stepped without GL: spawn limits, the seahorses, a sprite's life, the
// step cap after a stall; and its frames through the capture tool.
#include "runtime/offline.h"
#include "scenes/uppo.h"
#include "tests/support/gl_context.h"
#include "tests/support/process.h"
#include "maths/random.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

namespace {

// Stand-in textures: the archive's shapes (plankton wide, seahorse tall), no GL.
std::map<std::string, Texture>& fakeTextures()
{
    static std::map<std::string, Texture> textures;
    return textures;
}

Texture* fakeLookup(const char* name)
{
    Texture& t = fakeTextures()[name];
    const std::string n = name;
    t.width = n == "seahorse1.png" ? 128 : (n == "circle.jpg" ? 128 : 256);
    t.height = n == "seahorse1.png" ? 256 : 128;
    return &t;
}

bool isSeahorse(const Sprite& s) { return s.texture == fakeLookup("seahorse1.png"); }

// A plankton that stays alive for the whole test: far below the camera.
Sprite deepPlankton()
{
    Sprite s;
    s.kind = SpriteKind::Plankton;
    s.position = Vector3(0.0f, -1.0e6f, 0.0f);
    return s;
}

UppoEffect quietDescent()
{
    UppoEffect descent;
    descent.textureLookup = fakeLookup;
    seedRandom(77);
    return descent;
}

} // namespace

TEST(DescentFade, RisesOverTheFirstTenthAndDropsInTheLastHundredth)
{
    EXPECT_FLOAT_EQ(UppoEffect::fadeAt(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(UppoEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(UppoEffect::fadeAt(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(UppoEffect::fadeAt(0.99f), 1.0f);
    EXPECT_NEAR(UppoEffect::fadeAt(0.995f), 0.5f, 1e-4f);
    EXPECT_NEAR(UppoEffect::fadeAt(1.0f), 0.0f, 1e-5f);
}

TEST(DescentSpawning, NothingIsBornAtTheStartAndPlanktonNeverPass350)
{
    UppoEffect descent = quietDescent();
    for (int i = 0; i < 300; ++i)
        descent.step(0.0f);
    EXPECT_TRUE(descent.planktonList.empty() && descent.crosserList.empty() && descent.moteList.empty());

    descent.planktonList.assign(340, deepPlankton());
    size_t most = 0;
    for (int i = 0; i < 600; ++i) {
        descent.step(1.0f);
        most = std::max(most, descent.planktonList.size());
    }
    EXPECT_EQ(most, 350u);
}

TEST(DescentSpawning, MotesStayUnder80TSquaredAndCrossersStopAt50Plankton)
{
    UppoEffect descent = quietDescent();
    size_t most = 0;
    for (int i = 0; i < 400; ++i) {
        descent.step(0.5f);
        most = std::max(most, descent.moteList.size());
    }
    EXPECT_EQ(most, 20u); // 80 * 0.5^2

    // With 49 plankton crossers still come; with 50 none does, though there are none yet.
    UppoEffect few = quietDescent();
    few.planktonList.assign(49, deepPlankton());
    UppoEffect many = quietDescent();
    many.planktonList.assign(50, deepPlankton());
    for (int i = 0; i < 90; ++i) {
        // Keep the counts fixed: drop whatever plankton were born this step.
        few.step(1.0f);
        few.planktonList.resize(49);
        many.step(1.0f);
    }
    EXPECT_FALSE(few.crosserList.empty());
    EXPECT_TRUE(many.crosserList.empty());
}

TEST(DescentSpawning, AtMostThreeSeahorsesComeAndInOrder)
{
    std::fill(std::begin(UppoEffect::seahorseShown), std::end(UppoEffect::seahorseShown), false);
    const DescentCamera camera;
    seedRandom(5);
    int seahorses = 0;
    for (int i = 0; i < 2000; ++i) {
        const Sprite s = spawnSprite(camera, 0.5f, SpriteKind::Crosser, fakeLookup);
        seahorses += isSeahorse(s);
        const bool* shown = UppoEffect::seahorseShown;
        ASSERT_TRUE((!shown[1] || shown[0]) && (!shown[2] || shown[1])) << i;
        ASSERT_EQ(seahorses, shown[0] + shown[1] + shown[2]) << i;
    }
    EXPECT_EQ(seahorses, 3);
}

TEST(DescentSpawning, SpritesStartBelowTheCameraAndCrossersSwimAcross)
{
    DescentCamera camera;
    camera.eye.y = -30.0f;
    seedRandom(9);
    for (int i = 0; i < 200; ++i) {
        const Sprite p = spawnSprite(camera, 0.7f, SpriteKind::Plankton, fakeLookup);
        EXPECT_TRUE(p.position.y >= -48.0f && p.position.y <= -39.0f);
        EXPECT_TRUE(std::abs(p.position.x) <= 4.0f && std::abs(p.position.z) <= 4.0f);
        // Half extents keep the picture's shape, the longer one equal to the size.
        EXPECT_FLOAT_EQ(std::max(p.halfWidth, p.halfHeight), p.size);
        if (p.texture == fakeLookup("plankton1.png")) {
            EXPECT_FLOAT_EQ(p.halfHeight * 2.0f, p.halfWidth);
        }

        const Sprite c = spawnSprite(camera, 0.7f, SpriteKind::Crosser, fakeLookup);
        ASSERT_EQ(std::abs(c.position.x), 4.0f);
        EXPECT_LT(c.position.x * c.velocity.x, 0.0f) << "a crosser swims away from its side";

        const Sprite m = spawnSprite(camera, 1.0f, SpriteKind::Mote, fakeLookup);
        EXPECT_GT(m.color.x, m.color.z) << "late motes are red or amber";
    }
}

TEST(DescentSprites, LiveUntilTheCameraIs4UnitsBelowThenFadeForAbout100Steps)
{
    DescentCamera camera;
    Sprite s = deepPlankton();
    s.position = Vector3(0.0f, camera.eye.y - 18.0f, 0.0f);
    s.velocity = Vector3(); // stands still, so the count depends on the camera alone
    int aliveSteps = 0;
    while (s.lifeState == LifeState::Alive && aliveSteps < 5000) {
        camera.step();
        s.stepSprite(camera);
        ++aliveSteps;
    }
    EXPECT_NEAR(aliveSteps, 1467, 2);
    int fadeSteps = 0;
    while (!s.isDead() && fadeSteps < 5000) {
        camera.step();
        s.stepSprite(camera);
        ++fadeSteps;
    }
    EXPECT_NEAR(fadeSteps, 101, 2);
    EXPECT_GT(s.fade, 1.0f);
}

TEST(DescentSteps, AStallOrASeekRunsAtMostFourSteps)
{
    UppoEffect descent = quietDescent();
    const auto stepsAt = [&](int ms) {
        const int before = UppoEffect::tickCounter;
        dmsSetPositionForTest(ms);
        descent.simulate(0.2f);
        return UppoEffect::tickCounter - before;
    };
    EXPECT_EQ(stepsAt(20000), 4); // the first frame's burst
    EXPECT_EQ(stepsAt(20016), 1);
    EXPECT_EQ(stepsAt(25000), 4);
    EXPECT_EQ(stepsAt(12000), 4); // a seek back counts like time passing
    EXPECT_NEAR(descent.camera.eye.y, -13 * 0.015f, 1e-4f);
}

TEST(DescentFrames, PlanktonShowOverTheDarkBlueAfterTheDescentHasRun)
{
    // The plankton of 30000 ms were born some seconds earlier: play the scene from its start
    // (through the overlap with the opening) at 16 frames a second, which loses no 16 ms step.
    const auto out = std::filesystem::temp_directory_path() / ("orvalune-descent-" + std::to_string(getpid()));
    std::filesystem::remove_all(out);
    const ProgramResult run = runProgram({builtProgram("orvalune-capture"), "--from", "8000", "--to", "30000",
                                          "--fps", "16", "--size", "320x180", "--out", out.string()},
                                         ORV_BINARY_DIR, 600.0);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("GL error"), std::string::npos) << run.output;
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load((out / "frame_000352.png").string().c_str(), &w, &h, &n, 4);
    ASSERT_NE(pixels, nullptr);
    double blue = 0.0, red = 0.0;
    int specks = 0;
    for (int i = 0; i < w * h; ++i) {
        const unsigned char* p = pixels + i * 4;
        red += p[0];
        blue += p[2];
        specks += p[2] > 60;
    }
    stbi_image_free(pixels);
    std::filesystem::remove_all(out);
    // A dark blue ground (not black) with small bright points on it.
    EXPECT_GT(blue / (w * h), 30.0);
    EXPECT_LT(blue / (w * h), 80.0);
    EXPECT_GT(blue, red * 1.5);
    EXPECT_GT(specks, 30);
    EXPECT_LT(specks, w * h / 20);
}

// The organisms are drawn a dozen or two pixels across: the archive has the runtime build them
// with mip-maps and minify them trilinearly, and their small levels are still solid shapes.
// Pictures the archive says nothing about keep plain linear filtering.
TEST(DescentTextures, OrganismsAreMipMappedAndStaySolidWhenSmall)
{
    // The size the credits test reads its pixels at: the suite opens one window, whichever test runs first.
    ASSERT_TRUE(openTestWindow(256, 256)) << "needs a display (Xvfb) and the built data.pak";
    for (const char* name : {"protozoa1.png", "protozoa2.png", "plankton1.png", "plankton2.png", "jellyfish1.png",
                             "seahorse1.png", "circle.jpg"}) {
        const Texture* texture = dmsGetTexture(name);
        const bool organism = std::string(name) != "circle.jpg";
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->getID()));
        GLint minFilter = 0, smallWidth = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, organism ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR) << name;
        if (organism) {
            // Level 4: 16 pixels along the longer side of a 256-pixel picture.
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, &smallWidth);
            EXPECT_EQ(smallWidth, static_cast<GLint>(texture->getWidth() / 16)) << name;
            std::vector<uint8_t> texels(static_cast<size_t>(texture->getWidth() * texture->getHeight()) / 256 * 4);
            glGetTexImage(GL_TEXTURE_2D, 4, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
            int solid = 0;
            for (size_t i = 3; i < texels.size(); i += 4)
                solid += texels[i] > 110;
            EXPECT_GE(solid * 5, static_cast<int>(texels.size() / 4)) << name << " at 16 pixels";
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
    }
}
