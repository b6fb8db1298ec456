// Draw states: their text, the recorder, and the warm-up's replay of the recorded table, which
// must set each state as recorded and leave no pixel and no state behind.
#include "render/draw_state_read.h"
#include "render/draw_state_recorder.h"
#include "render/draw_state_replay.h"
#include "render/draw_state_text.h"
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/warm_up.h"
#include "runtime/offline.h"
#include "tests/render/render_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using VELMORA_PELAGOR::dmsReadFrame;

namespace {

// An empty folder of the test's own (this suite also runs on Windows, without the process helpers).
std::string freshFolder(const std::string& name)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (name + "-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::vector<std::string> linesOf(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(GlDrawState, TextRoundTripsEveryTableStateAndRefusesJunk)
{
    const std::vector<GlDrawState>& table = warmUpDrawStates();
    ASSERT_FALSE(table.empty());
    for (const GlDrawState& s : table) {
        GlDrawState back;
        ASSERT_TRUE(parseDrawState(formatDrawState(s), back)) << formatDrawState(s);
        EXPECT_EQ(back, s) << formatDrawState(s);
    }
    GlDrawState s;
    for (const char* junk : {"", "layout=3", "program=- mode=4", "program=- layout=3 colour=1",
                             "program=- layout=3 mode=four", "program=- layout=3 mode=", "program=- layout=3 =4",
                             "program=- layout=3 mode=99999999999", "program=- layout=3 mode=4x"})
        EXPECT_FALSE(parseDrawState(junk, s)) << junk;
}

TEST(GlDrawState, EveryTableStateIsSetAsRecordedAndTheScopePutsBackWhatItOwns)
{
    ASSERT_TRUE(renderSetup().ok);
    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    for (const GlDrawState& s : warmUpDrawStates()) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        {
            const DrawStateScope scope(s);
            ASSERT_TRUE(scope.ready()) << formatDrawState(s);
            EXPECT_EQ(formatDrawState(readDrawState(static_cast<GLenum>(s.mode), s.layout)), formatDrawState(s));
        }
        glPopAttrib();
        GLint program = -1, bound = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        ASSERT_EQ(program, 0) << formatDrawState(s);
        ASSERT_EQ(bound, framebuffer) << formatDrawState(s);
    }
    GLfloat m[16];
    for (int unit = 0; unit < drawStateUnits; ++unit) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
        glGetFloatv(GL_TEXTURE_MATRIX, m);
        EXPECT_EQ(m[0], 1.0f) << "texture matrix of unit " << unit;
    }
    gl::glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(GlDrawState, WarmUpDrawsEveryStateWithoutAPixelOrAStateLeftBehind)
{
    ASSERT_TRUE(renderSetup().ok);
    // A target with a colour of its own, then the window, in a state of its own.
    bindTextureFBO128(renderTargets.tex128b);
    glClearColor(0.9f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Rgba targetBefore = targetPixel(64, 64);
    unbindFBO();
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, renderTargets.tex1024b);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::vector<uint8_t> before, after;
    dmsReadFrame(before);

    std::size_t pieces = 0;
    while (warmUpGlStep())
        ++pieces;
    EXPECT_EQ(pieces, warmUpDrawStates().size() + 1) << "the targets, then every state once";
    EXPECT_FALSE(warmUpGlStep()) << "stays done";

    dmsReadFrame(after);
    EXPECT_TRUE(before == after) << "a pixel of the window changed";
    GLint texture = 0, source = 0, destination = 0, program = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE);
    EXPECT_EQ(static_cast<GLuint>(texture), renderTargets.tex1024b);
    EXPECT_EQ(program, 0);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[2], 0.75f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    bindTextureFBO128(renderTargets.tex128b);
    const Rgba targetAfter = targetPixel(64, 64);
    unbindFBO();
    EXPECT_EQ(targetAfter.r, targetBefore.r);
    EXPECT_EQ(targetAfter.g, targetBefore.g);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(GlDrawState, RecorderKeepsEachStateOnceInOrderAndWritesWholeFilesOnly)
{
    ASSERT_TRUE(renderSetup().ok);
    const std::string folder = freshFolder("draw-states");
    const std::string path = folder + "/states.txt";

    startRecordingDrawStates();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR); // a blending no scene draws with
    noteDraw(GL_TRIANGLES, layoutArrays);
    noteDraw(GL_TRIANGLES, layoutArrays);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    noteDraw(GL_LINES, layoutArrays | layoutColor);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    noteDraw(GL_TRIANGLES, layoutArrays); // the first state again, after another
    glPopAttrib();
    int unknown = -1;
    ASSERT_TRUE(stopRecordingDrawStates(path.c_str(), warmUpDrawStates(), &unknown));
    EXPECT_EQ(drawListener, nullptr);
    EXPECT_EQ(unknown, 2);

    const std::vector<std::string> lines = linesOf(path);
    ASSERT_EQ(lines.size(), 2u);
    GlDrawState first, second;
    ASSERT_TRUE(parseDrawState(lines[0], first));
    ASSERT_TRUE(parseDrawState(lines[1], second));
    EXPECT_EQ(first.blendSource, GL_ZERO);
    EXPECT_EQ(first.mode, GL_TRIANGLES);
    EXPECT_EQ(second.blendSource, GL_DST_COLOR);
    EXPECT_EQ(second.layout, layoutArrays | layoutColor);
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));

    // A file that cannot be written: false, nothing left, and the recorder stops all the same.
    startRecordingDrawStates();
    noteDraw(GL_TRIANGLES, layoutArrays);
    const std::string unwritable = folder + "/no-such-folder/states.txt";
    EXPECT_FALSE(stopRecordingDrawStates(unwritable.c_str(), warmUpDrawStates(), &unknown));
    EXPECT_EQ(drawListener, nullptr);
    EXPECT_FALSE(std::filesystem::exists(unwritable + ".partial"));
    std::filesystem::remove_all(folder);
}

} // namespace
