// A master rendered in chunks on this machine, with motion blur: stopped in its third chunk, it
// resumes without rendering the first two again, and joins to the frames of one capture.
#include "tests/farm/decoded.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

TEST(FarmRender, StoppedItResumesFromItsLastCompleteChunkAndJoinsToOneRunsFrames)
{
    const std::string work = freshFolder("farm-resume");
    const std::vector<std::string> master = {"--from", "65500", "--to", "67000", "--fps", "10", "--size", "160x90",
                                             "--motion-blur", "2", "--codec", "ffv1"};
    std::vector<std::string> one = {builtProgram("orvalune-capture")};
    one.insert(one.end(), master.begin(), master.end());
    one.insert(one.end(), {"--out", work + "/single.mkv"});
    ASSERT_EQ(runProgram(one, work, 300).exitCode, 0);

    std::vector<std::string> render = {builtProgram("orvalune-farm"), "render", work + "/chunks", "--chunk-seconds",
                                       "0.5", "--"};
    render.insert(render.end(), master.begin(), master.end());
    render.insert(render.end(), {"--out", work + "/joined.mkv"});
    const ProgramResult stopped = runProgramSignalledOn(render, work, 300, "chunk 2 of", SIGINT);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.output;
    EXPECT_FALSE(fs::exists(work + "/joined.mkv"));
    const fs::file_time_type firstDone = fs::last_write_time(work + "/chunks/chunk-0000.mkv");

    const ProgramResult resumed =
        runProgram({builtProgram("orvalune-farm"), "render", work + "/chunks", "--resume"}, work, 300);
    ASSERT_EQ(resumed.exitCode, 0) << resumed.output;
    EXPECT_NE(resumed.output.find("chunk 1 is complete"), std::string::npos) << resumed.output;
    EXPECT_EQ(fs::last_write_time(work + "/chunks/chunk-0000.mkv"), firstDone) << "not rendered again";
    const std::string frames = decodedChecksums(work + "/single.mkv");
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 16);
    EXPECT_EQ(decodedChecksums(work + "/joined.mkv"), frames);
    fs::remove_all(work);
}

} // namespace
