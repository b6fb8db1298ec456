// The driver's loop through the scripted backend: the fade, quit messages, the seek keys and the
// end of the show, on the real runtime in its offline mode.
#include "platform/emulated/scripted_backend.h"
#include "platform/module_resources.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "shell/driver.h"
#include "toolkit/show_state.h"
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int keyEscape = 27, keyLeft = 37, keyRight = 39, keyF1 = 112;

ScriptedBackend& backend()
{
    static ScriptedBackend scripted;
    return scripted;
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool started = [] {
            registerBuiltInResources();
            setActiveBackend(&backend());
            dmsEnableOffline({60, 0});
            ShowMode mode;
            mode.width = 320;
            mode.height = 240;
            const bool ok = startShow(mode, builtArchivePath().c_str());
            std::atexit(shutDownShow);
            return ok;
        }();
        ASSERT_TRUE(started) << "needs a display (Xvfb) and the built data.pak";
        backend().keysHeld.clear();
        backend().keysPressed.clear();
        backend().messages.clear();
        dmsInitTimer();
        dmsSetVolume(100.0f);
    }

    // Frames until the fade is over, at most `limit`.
    int framesUntilDone(LoopState& state, int limit)
    {
        int frames = 0;
        while (!state.done && frames < limit) {
            drawFrame(state);
            ++frames;
        }
        return frames;
    }
};

TEST_F(Driver, StartUpTitlesTheWindowAndGivesItTheIcon)
{
    EXPECT_STREQ(dmsWindowTitle(), "Velmora.Quillon :: Orvalune");
    ASSERT_NE(backend().lastIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<const ModuleResource*>(backend().lastIcon)->id, 113);
}

TEST_F(Driver, SmokeTexturesAreTrilinear)
{
    GLint minFilter = 0, magFilter = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(dmsGetTexture("smoke3.jpg")->getID()));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(Driver, EscapeStartsOneFadeThatASecondPressDoesNotRestart)
{
    LoopState state;
    backend().press(keyEscape);
    drawFrame(state);
    EXPECT_FLOAT_EQ(state.fadeRemaining, fadeSeconds) << "the first frame's delta is 0";
    drawFrame(state);
    backend().release(keyEscape);
    drawFrame(state);
    backend().press(keyEscape);
    drawFrame(state);
    EXPECT_NEAR(state.fadeRemaining, fadeSeconds - 3.0f / 60.0f, 1e-5f);
    EXPECT_FALSE(state.done);
    const int frames = framesUntilDone(state, 200);
    EXPECT_TRUE(state.done);
    EXPECT_NEAR(frames, 66, 1) << "1.15 s at 60 frames a second, give or take float rounding";
    EXPECT_LT(dmsCurrentGain(), 0.01f) << "the music fades with the picture";
}

// A tap let go before the next frame looks (quick fingers, or slow frames) still counts, for that
// one frame: Escape fades, F1 with a tapped arrow seeks once, and an arrow tapped without F1 does
// not seek later.
TEST_F(Driver, AKeyTappedBetweenTwoFramesCountsForTheNextFrameOnly)
{
    LoopState state;
    drawFrame(state);
    dmsAdjustTime(5000.0f);
    backend().tap(keyLeft);
    drawFrame(state);
    backend().press(keyF1);
    drawFrame(state);
    EXPECT_EQ(dmsGetModulePosition(), 5033) << "the arrow tapped without F1 is forgotten";
    backend().tap(keyRight);
    drawFrame(state);
    drawFrame(state);
    EXPECT_EQ(dmsGetModulePosition(), 6066) << "one second forward for one tap, then frames";
    backend().release(keyF1);

    EXPECT_EQ(state.fadeRemaining, 0.0f);
    backend().tap(keyEscape);
    drawFrame(state);
    EXPECT_GT(state.fadeRemaining, 0.0f);
}

TEST_F(Driver, TheFadeSinksThePictureIntoTheFogColour)
{
    setFogColor(Vector3(0.2f, 0.4f, 0.6f));
    LoopState state;
    state.fadeRemaining = 1.0f / 120.0f; // the last frame of a fade: nearly opaque fog
    dmsUpdateTimer();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fadeOut(state.fadeRemaining);
    const std::vector<uint8_t> frame = readTestFrame();
    const Rgba centre = pixelAt(frame, 320, 160, 120);
    EXPECT_NEAR(centre.r, 51, 3);
    EXPECT_NEAR(centre.g, 102, 3);
    EXPECT_NEAR(centre.b, 153, 3);
    setFogColor(Vector3(0, 0, 0));
}

TEST_F(Driver, AQuitMessageStartsTheFadeWithoutDrawingAndIsSwallowedDuringIt)
{
    LoopState state;
    const int swapsBefore = backend().swaps;
    backend().postMessage(WM_QUIT, 0);
    loopStep(state);
    EXPECT_FLOAT_EQ(state.fadeRemaining, fadeSeconds);
    EXPECT_EQ(backend().swaps, swapsBefore) << "a message pass draws nothing";

    state.fadeRemaining = 0.5f;
    backend().postMessage(WM_QUIT, 3);
    loopStep(state);
    EXPECT_FLOAT_EQ(state.fadeRemaining, 0.5f);
    EXPECT_FALSE(state.done);
    EXPECT_EQ(state.lastMessage.wParam, 3u);
    loopStep(state);
    EXPECT_EQ(backend().swaps, swapsBefore + 1) << "with no message waiting a frame is drawn and swapped";
}

TEST_F(Driver, FirstFunctionKeySeeksMutedAndTheVolumeReturnsWithF1Alone)
{
    LoopState state;
    drawFrame(state);
    dmsAdjustTime(5000.0f);
    backend().press(keyF1);
    backend().press(keyLeft);
    drawFrame(state);
    EXPECT_EQ(dmsGetModulePosition(), 4016) << "one frame (16.7 ms) on, then a second back";
    EXPECT_EQ(dmsCurrentGain(), 0.0f);
    EXPECT_EQ(state.seekDirection, -1);

    backend().release(keyLeft);
    backend().press(keyRight);
    drawFrame(state);
    EXPECT_EQ(dmsGetModulePosition(), 5033);
    EXPECT_EQ(state.seekDirection, 1);

    // F1 let go before the arrow: still muted until a frame with F1 alone.
    backend().release(keyF1);
    drawFrame(state);
    EXPECT_EQ(dmsCurrentGain(), 0.0f);
    backend().release(keyRight);
    backend().press(keyF1);
    drawFrame(state);
    EXPECT_EQ(dmsCurrentGain(), 1.0f);
    EXPECT_EQ(state.seekDirection, 0);
}

TEST_F(Driver, SeekingBackFromHalfASecondAsksForTheFullSecondAndClampsAtZero)
{
    LoopState state;
    drawFrame(state);
    dmsAdjustTime(500.0f);
    backend().press(keyF1);
    backend().press(keyLeft);
    drawFrame(state);
    EXPECT_EQ(dmsGetModulePosition(), 0);
}

TEST_F(Driver, TheShowRunsThrough363000AndEndsAfterTheFrameAt363001)
{
    LoopState state;
    dmsSetPositionForTest(363000);
    drawFrame(state);
    EXPECT_FALSE(state.done);
    dmsSetPositionForTest(363001);
    const int swapsBefore = backend().swaps;
    loopStep(state);
    EXPECT_TRUE(state.done);
    EXPECT_EQ(backend().swaps, swapsBefore + 1) << "the last frame is still shown";
}

TEST_F(Driver, TheEndingsRowsComeLastSoGreetingsAndCreditsDrawOverTheLastScene)
{
    // The runtime runs a frame's effects by descending layer, then in registration order.
    const std::vector<TimelineEntry>& rows = dmsTimeline();
    auto find = [&](const std::string& name) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (name == rows[i].name)
                return i;
        return rows.size();
    };
    const size_t greets = find("Greets"), last = find("viimeinen"), credits = find("credits");
    ASSERT_LT(credits, rows.size());
    EXPECT_EQ(greets + 1, last);
    EXPECT_EQ(last + 1, credits);
    EXPECT_EQ(credits + 1, rows.size()) << "the credits are the timeline's last row";
    EXPECT_EQ(rows[greets].start, 296000u);
    EXPECT_EQ(rows[greets].end, 308000u);
    EXPECT_EQ(rows[greets].layer, 0);
    EXPECT_EQ(rows[last].start, 305000u);
    EXPECT_EQ(rows[last].end, 362000u);
    EXPECT_EQ(rows[last].layer, 10);
    EXPECT_EQ(rows[credits].start, 346000u);
    EXPECT_EQ(rows[credits].end, 361000u);
    EXPECT_EQ(rows[credits].layer, 5);
}

TEST_F(Driver, EscapeDuringTheCreditsStillFadesOutBeforeTheShowsEnd)
{
    LoopState state;
    dmsSetPositionForTest(352000);
    drawFrame(state);
    backend().press(keyEscape);
    const int frames = framesUntilDone(state, 200);
    backend().release(keyEscape);
    EXPECT_TRUE(state.done);
    EXPECT_NEAR(frames, 70, 2) << "the whole 1.15 s fade, not cut short";
    EXPECT_LT(dmsGetModulePosition(), 363000);
    EXPECT_LT(dmsCurrentGain(), 0.01f);
}

TEST_F(Driver, FramesAcrossTheTimelineLeaveNoGlError)
{
    LoopState state;
    while (glGetError() != GL_NO_ERROR) {
    }
    for (int ms = 0; ms < 363000; ms += 7000) {
        dmsSetPositionForTest(ms);
        drawFrame(state);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "at " << ms << " ms";
    }
}

} // namespace
