// initGl's failure paths, each driven in a child process: a missing entry point comes from the
// scripted backend, a missing extension from the extension-string seam. Every path must show its
// own box text, caption and icon, and end the process with its own code.
#include "render/gl_capabilities.h"
#include "tests/render/render_setup.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr UINT warning = MB_TOPMOST | MB_ICONWARNING;
constexpr int survived = 77;

const char* const missingMultitexture =
    "Some needed OpenGL extensions could not be found.\nPlease update your video card drivers!\n\n"
    "[ext. funcs:glActiveTextureARB or glMultiTexCoord2fARB or glMultiTexCoord4fARB]";
const char* const missingVboExtension =
    "Your graphics card didn't support framebufferobjects.\nTry updating your video card drivers \n"
    "(EXT_framebuffer_object extension was not found)";
const char* const missingVboFunctions =
    "Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n\n"
    "(not all EXT_framebuffer_object functions could be fetched)";
const char* const missingFboExtension =
    "Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n"
    "(EXT_framebuffer_object extension was not found)";
const char* const missingFboFunctions =
    "Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n"
    "(not all EXT_framebuffer_object functions could be fetched)";
const char* const missingShaderExtension =
    "Your graphics card doesn't support the needed extensions.\nNo required OpenGL extensions can be used. \n\n"
    "[GL_ARB_fragment_shader, GL_ARB_fragment_program, GL_ARB_shading_language_100,\nGL_ARB_vertex_shader, "
    "GL_ARB_shader_objects, GL_ARB_shadow, GL_ARB_depth_texture]";
const char* const missingShaderFunctions =
    "Some needed OpenGL extensions functions could not be accessed.\nPlease update your video card drivers!\n\n"
    "[Fragment & Vertex shaders functions]";

class InitGlDeathTest : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// In the child: the window, the scripted driver, then initGl; coming back from it is a failure of
// its own (exit code 77).
void runInitGl(const std::vector<std::string>& missingProcs, const char* removedExtension, const char* text,
               const char* caption = "ERROR", UINT type = warning)
{
    if (!openTestWindow(testWidth, testHeight))
        std::exit(3);
    static std::string extensions;
    if (removedExtension) {
        extensions = extensionsWithout(removedExtension);
        setExtensionStringOverride(extensions.c_str());
    }
    if (text)
        expectBoxAtExit(text, caption, type, missingProcs);
    else
        expectNoBoxAtExit();
    initGl();
    std::exit(survived);
}

TEST_F(InitGlDeathTest, MissingMultitextureEntryPointExitsMinusOne)
{
    EXPECT_EXIT(runInitGl({"glMultiTexCoord4fARB"}, nullptr, missingMultitexture), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingVertexBufferExtensionGetsTheFramebufferMessage)
{
    EXPECT_EXIT(runInitGl({}, "GL_ARB_vertex_buffer_object", missingVboExtension), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingVertexBufferEntryPoint)
{
    EXPECT_EXIT(runInitGl({"glBufferDataARB"}, nullptr, missingVboFunctions), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingFramebufferExtension)
{
    EXPECT_EXIT(runInitGl({}, "EXT_framebuffer_object", missingFboExtension), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingFramebufferEntryPointHasOneLineBreakFewer)
{
    EXPECT_EXIT(runInitGl({"glGenerateMipmapEXT"}, nullptr, missingFboFunctions), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingShaderExtensionShowsAnErrorBoxAndExitsZero)
{
    EXPECT_EXIT(runInitGl({}, "GL_ARB_shadow", missingShaderExtension, "Error!", MB_TOPMOST | MB_ICONERROR),
                testing::ExitedWithCode(0), "BOX OK");
    EXPECT_EXIT(runInitGl({}, "GL_ARB_shading_language_100", missingShaderExtension, "Error!",
                          MB_TOPMOST | MB_ICONERROR),
                testing::ExitedWithCode(0), "BOX OK");
}

TEST_F(InitGlDeathTest, CoreUniform1iIsRequiredEvenWhenTheArbNameExists)
{
    EXPECT_EXIT(runInitGl({"glUniform1i"}, nullptr, missingShaderFunctions), testing::ExitedWithCode(255),
                "BOX OK");
}

TEST_F(InitGlDeathTest, MissingVertexAttribEntryPoint)
{
    EXPECT_EXIT(runInitGl({"glVertexAttrib4Nub"}, nullptr, missingShaderFunctions), testing::ExitedWithCode(255),
                "BOX OK");
}

// The checks are substring searches: "EXT_framebuffer_object" inside "GL_EXT_framebuffer_object"
// passes, and a complete driver gets through with no box at all.
TEST_F(InitGlDeathTest, CompleteDriverPassesEveryCheck)
{
    EXPECT_EXIT(runInitGl({}, nullptr, nullptr), testing::ExitedWithCode(survived), "NO BOX");
}

TEST(GlEntryPoints, StartUpLogsTheDriver)
{
    const RenderSetup& setup = renderSetup();
    ASSERT_TRUE(setup.ok);
    ASSERT_GE(setup.startLog.size(), 3u);
    EXPECT_EQ(setup.startLog[0], std::string("Your graphics cards vendor is ") +
                                     reinterpret_cast<const char*>(glGetString(GL_VENDOR)) + "\n");
    EXPECT_EQ(setup.startLog[1], std::string("Renderer ") + reinterpret_cast<const char*>(glGetString(GL_RENDERER)) + "\n");
    EXPECT_EQ(setup.startLog[2], std::string("Version ") + reinterpret_cast<const char*>(glGetString(GL_VERSION)) + "\n");
}

} // namespace
