// The whole catalogue on llvmpipe: every program compiles and links with an empty log and has
// every uniform its callers set; the manager's life cycle and its log.
#include "render/gl_entry.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "tests/render/render_setup.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

GLint objectParameter(GLuint object, GLenum parameter)
{
    GLint value = 0;
    gl::glGetObjectParameterivARB(object, parameter, &value);
    return value;
}

void expectBuiltCleanly(const ShaderProgram& program)
{
    EXPECT_TRUE(program.initialized) << program.name;
    for (GLuint shader : {program.vertexShader, program.fragmentShader}) {
        EXPECT_EQ(objectParameter(shader, GL_OBJECT_COMPILE_STATUS_ARB), 1) << program.name;
        EXPECT_EQ(objectParameter(shader, GL_OBJECT_INFO_LOG_LENGTH_ARB), 0) << program.name;
    }
    EXPECT_EQ(objectParameter(program.program, GL_OBJECT_LINK_STATUS_ARB), 1) << program.name;
    EXPECT_EQ(objectParameter(program.program, GL_OBJECT_INFO_LOG_LENGTH_ARB), 0) << program.name;
}

// What the scenes and passes set on each program they use.
const std::vector<std::pair<const char*, std::vector<const char*>>> callerUniforms = {
    {"ground", {"texture0", "normal0", "minColor"}},
    {"waterRefl",
     {"time", "time2", "viewpos", "waterColor", "water_reflection", "water_refraction", "water_normalmap",
      "water_dudvmap", "water_depthmap", "water_envmap"}},
    {"fishbone", {"shadowMap", "caus0", "caus1", "causinterp"}},
    {"depth_col_adjust", {"tex"}},
    {"tyonto", {"tex", "zMod"}},
    {"sindistort", {"tex", "alpha", "xfreq", "yfreq", "xphase", "yphase", "xamp", "yamp"}},
    {"meta", {"tex"}},
    {"blurx", {"tex", "xoff", "alpha"}},
    {"blury", {"tex", "yoff", "alpha"}},
    {"blur2y", {"tex", "alpha", "yoff"}},
    {"darken", {"tex", "alpha"}},
    {"glowc", {"texunit0", "texunit1", "glow_amount"}},
    {"caustic", {"caus0", "caus1", "causinterp", "vari"}},
    {"greetwater", {"water", "tex", "distortmodi", "vari"}},
    {"fisu_shadowmaptex", {"shadowMap", "texture0", "normal0", "caus0", "caus1", "causinterp"}},
};

void expectCallerUniforms(const ShaderProgram& program, const std::vector<const char*>& uniforms)
{
    for (const char* uniform : uniforms)
        EXPECT_NE(gl::glGetUniformLocationARB(program.program, uniform), -1) << program.name << " " << uniform;
}

TEST(ShaderManagerGl, StartUpLogsEveryProgramInCatalogueOrder)
{
    const RenderSetup& setup = renderSetup();
    ASSERT_TRUE(setup.ok);
    const auto& log = setup.startLog;
    const auto begin = std::find(log.begin(), log.end(), "ShaderManager::init() : Initializing shaders\n");
    ASSERT_NE(begin, log.end());
    std::vector<std::string> expected;
    for (const CatalogueEntry& entry : shaderCatalogue())
        expected.push_back(std::string("ShaderManager::addShader(): Shader \"") + entry.name + "\" loaded.\n");
    expected.push_back("ShaderManager::init() : Shaders created\n");
    expected.push_back("ShaderManager::create(): ShaderManager instance created\n");
    // Nothing else in between: no compile messages, no uninitialised program.
    EXPECT_EQ(std::vector<std::string>(begin + 1, log.end()), expected);
    EXPECT_EQ(shaderManager->shaderCount, 31u);
}

TEST(ShaderManagerGl, EveryProgramCompilesAndLinksCleanly)
{
    ASSERT_TRUE(renderSetup().ok);
    for (const ShaderNode& node : shaderManager->registry)
        expectBuiltCleanly(*node.program);
}

TEST(ShaderManagerGl, EveryUniformACallerSetsIsThere)
{
    ASSERT_TRUE(renderSetup().ok);
    for (const auto& [name, uniforms] : callerUniforms) {
        const ShaderProgram* program = shaderManager->getShader(name);
        ASSERT_NE(program, nullptr) << name;
        expectCallerUniforms(*program, uniforms);
    }
}

// Draws a circle.jpg sprite that fills the window with `name`, its uniforms set by `setUp`, and
// checks that only the sprite's round middle wrote depth: its clear corners and rim must not hide
// what is drawn behind them.
void expectDepthOnlyWhereTheCircleCovers(const char* name, const std::function<void(ShaderProgram&)>& setUp)
{
    ShaderProgram* sprites = shaderManager->getShader(name);
    ASSERT_NE(sprites, nullptr) << name;
    const Texture* circle = dmsGetTexture("circle.jpg");
    ASSERT_NE(circle, nullptr);
    orthoOverWindow(-1, 1, -1, 1, 0.01, 10);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, circle->id);
    sprites->bind();
    setUp(*sprites);
    glBegin(GL_QUADS); // the sprite fills the window
    glTexCoord2f(0, 0), glVertex3f(-1, -1, -0.5f);
    glTexCoord2f(1, 0), glVertex3f(1, -1, -0.5f);
    glTexCoord2f(1, 1), glVertex3f(1, 1, -0.5f);
    glTexCoord2f(0, 1), glVertex3f(-1, 1, -0.5f);
    glEnd();
    ShaderProgram::unbind();
    glDisable(GL_TEXTURE_2D);
    const auto depthAt = [](int x, int y) {
        float depth = -1.0f;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    EXPECT_LT(depthAt(testWidth / 2, testHeight / 2), 0.9f) << name << ": the middle covers";
    for (const auto& [x, y] : {std::pair(3, 3), std::pair(testWidth - 4, 3), std::pair(3, testHeight - 4),
                               std::pair(testWidth - 4, testHeight - 4), std::pair(testWidth / 2, 2)})
        EXPECT_EQ(depthAt(x, y), 1.0f) << name << ": a clear part of the sprite wrote depth at " << x << ", " << y;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    restoreShowView();
}

// The fish scene draws its motes into the light's depth map as well as into the picture. A sprite
// whose whole square wrote depth cast a square shadow, seen on the fish as a dark diamond: only
// the sprite's round middle may write depth.
TEST(ShaderManagerGl, MoteSpritesWriteDepthOnlyWhereTheirCircleCovers)
{
    ASSERT_TRUE(renderSetup().ok);
    expectDepthOnlyWhereTheCircleCovers("depth_col_adjust", [](ShaderProgram& motes) {
        motes.setUniform1i("tex", 0);
        glColor4f(0.3f, 0.6f, 0.627f, 0.35f);
    });
}

// The push scene's specks are drawn additively with depth on: a near speck's clear corners cut
// dark squares into the glow of the specks behind it.
TEST(ShaderManagerGl, PushSpecksWriteDepthOnlyWhereTheirCircleCovers)
{
    ASSERT_TRUE(renderSetup().ok);
    expectDepthOnlyWhereTheCircleCovers("tyonto", [](ShaderProgram& specks) {
        specks.setUniform1i("tex", 0);
        specks.setUniform1f("zMod", 31.5f);
        glColor3f(0.18f, 0.36f, 0.42f);
    });
}

// The "Old NVidia" floor is built from its own files and must serve the same caller.
TEST(ShaderManagerGl, OldNvidiaFloorBuildsWithTheSameUniforms)
{
    ASSERT_TRUE(renderSetup().ok);
    LogCapture log;
    ShaderProgram program;
    program.build("fisu_shadowmaptex", dmsGetText("fisu_ground_frag_nv7.glsl"), dmsGetText("fisu_ground_vert_nv7.glsl"));
    ShaderProgram::unbind();
    expectBuiltCleanly(program);
    expectCallerUniforms(program, callerUniforms.back().second);
    EXPECT_TRUE(log.lines.empty()) << log.all();
    program.release();
}

TEST(ShaderManagerGl, CompileErrorIsLoggedWithTheProgramName)
{
    ASSERT_TRUE(renderSetup().ok);
    LogCapture log;
    ShaderProgram program;
    program.build("broken", "void main() { gl_FragColor = undeclared; }", "void main() { gl_Position = ftransform(); }");
    ShaderProgram::unbind();
    EXPECT_TRUE(program.initialized); // compile status is never asked
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines[0].rfind("broken, ", 0), 0u) << log.all();
    EXPECT_NE(log.all().find("undeclared"), std::string::npos) << log.all();
    program.release();
    EXPECT_FALSE(program.initialized);
}

// "fade" is declared in the water program but never read, so the compiler drops it.
TEST(ShaderManagerGl, DroppedUniformIsLoggedAndSetsNothing)
{
    ASSERT_TRUE(renderSetup().ok);
    ShaderProgram* water = shaderManager->getShader("waterRefl");
    ASSERT_NE(water, nullptr);
    water->bind();
    LogCapture log;
    EXPECT_FALSE(water->setUniform1f("fade", 1.0f));
    EXPECT_EQ(log.lines, std::vector<std::string>{"ERROR: can't find uniform variable fade from waterRefl\n"});
    EXPECT_TRUE(water->setUniform1f("time", 0.5f));
    EXPECT_TRUE(water->setUniform4f("waterColor", 0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_TRUE(water->setUniform1i("water_envmap", 5));
    GLfloat colour[4] = {};
    gl::glGetUniformfvARB(water->program, gl::glGetUniformLocationARB(water->program, "waterColor"), colour);
    EXPECT_FLOAT_EQ(colour[2], 0.3f);
    EXPECT_EQ(log.lines.size(), 1u);
    ShaderProgram::unbind();
}

TEST(ShaderManagerGl, SecondCreateReturnsTheSameInstanceAndBuildsNothing)
{
    ASSERT_TRUE(renderSetup().ok);
    LogCapture log;
    EXPECT_EQ(ShaderManager::create(), shaderManager);
    EXPECT_TRUE(log.lines.empty()) << log.all();
    EXPECT_EQ(shaderManager->shaderCount, 31u);
}

// Release frees everything once, then is silent; a later create builds the catalogue afresh and
// leaves no program current.
TEST(ShaderManagerGl, ReleaseTwiceThenCreateAgain)
{
    ASSERT_TRUE(renderSetup().ok);
    const GLuint blurProgram = shaderManager->getShader("blurx")->program;
    {
        LogCapture log;
        ShaderManager::release();
        EXPECT_EQ(log.lines, std::vector<std::string>{"ShaderManager::release(): Instance deleted\n"});
        EXPECT_EQ(shaderManager, nullptr);
        EXPECT_FALSE(gl::glIsProgram(blurProgram));
        ShaderManager::release();
        EXPECT_EQ(log.lines.size(), 1u);
    }
    shaderManager = ShaderManager::create();
    ASSERT_NE(shaderManager, nullptr);
    EXPECT_EQ(shaderManager->shaderCount, 31u);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_NE(shaderManager->getShader("glowc"), nullptr);
}

} // namespace
