// The whole show, played from its first frame to its end through the capture path: every scene
// finds its assets and draws without a GL error, the show ends by itself past 363000 ms, and the
// warm-up knows every draw state it reaches.
#include "tests/support/capture.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the runtime logs when the archive lacks something a scene asks for.
const char* const missingAssetLines[] = {
    "is missing from the data archive", "is not a readable image", "is not in the data archive", "is malformed",
    "Exception:",
};

TEST(WholeShow, PlaysFromTheFirstFrameToTheEndAndStopsByItself)
{
    // A small picture at four frames a second keeps this to a minute or two, while every scene
    // still runs a few hundred frames (the step timers cap each frame's catching up).
    const int fps = 4;
    const CapturedRange show = captureRange(0, 370000, fps, 64, 36, 1500.0);
    ASSERT_FALSE(show.timedOut);
    ASSERT_EQ(show.exitCode, 0) << show.log.substr(0, 4000);
    EXPECT_FALSE(show.glErrors()) << show.log.substr(0, 4000);
    for (const char* line : missingAssetLines)
        EXPECT_EQ(show.log.find(line), std::string::npos) << line << "\n" << show.log.substr(0, 4000);

    // Frames 0 .. 363000 ms, then the one at 363250 after which the show is over.
    ASSERT_EQ(show.frames.size(), static_cast<size_t>(363000 / 250 + 2));
    for (const CapturedFrame& frame : show.frames)
        ASSERT_TRUE(frame.ok && frame.width == 64 && frame.height == 36);

    // Something is on screen through the show, and it ends in the dark water colour.
    int lit = 0;
    for (size_t i = 0; i < show.frames.size(); i += 40)
        lit += show.frames[i].shareBrighterThan(10) > 0.01;
    EXPECT_GT(lit, 20) << "of " << show.frames.size() / 40 + 1 << " sampled frames";
    EXPECT_LT(show.frames.back().shareBrighterThan(4), 0.001);
}

// The warm-up compiles, early, every draw state the show reaches; a state it lacks is a stall at
// that state's first draw. A scene drawing in a new state needs the table regenerated (the
// command is in bench/README.md, "Warm-up by recorded draw states").
// The same run checks the GL state around every effect against its contract
// (render/effect_gl_state.h): an effect that leaves, say, a program bound fails it by name.
TEST(WholeShow, ReachesNoDrawStateTheWarmUpLacksAndKeepsTheGlStateBetweenEffects)
{
    const std::string folder = freshFolder("warm-up-states");
    const ProgramResult run = runProgram({builtProgram("orvalune-capture"), "--from", "0", "--to", "363000", "--fps",
                                          "2", "--size", "64x36", "--out", folder + "/frames",
                                          "--record-draw-states", folder + "/states.txt", "--check-gl-state"},
                                         ORV_BINARY_DIR, 600.0);
    ASSERT_EQ(run.exitCode, 0) << run.output.substr(0, 4000);
    EXPECT_NE(run.output.find("; 0 of them not in the warm-up"), std::string::npos)
        << run.output.substr(run.output.size() > 4000 ? run.output.size() - 4000 : 0);
    EXPECT_EQ(run.output.find("GL state between effects"), std::string::npos) << run.output.substr(0, 4000);
}

} // namespace
