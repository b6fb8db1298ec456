// The shipped programs, run as a user runs them: the show under Xvfb and the capture tool.
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / ("orvalune-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::vector<char> fileBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Show, ClosingTheWindowFadesOutAndExitsWithZero)
{
    const ProgramResult run = runProgram({builtProgram("orvalune")}, ORV_BINARY_DIR, 60.0, 4.0);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST(Show, AMissingArchiveIsNamedAndExitsWithOne)
{
    const fs::path folder = freshFolder("no-archive");
    const fs::path copy = folder / "orvalune";
    fs::copy_file(builtProgram("orvalune"), copy);
    // Headless, so the message box does not wait for a click.
    const ProgramResult run = runProgram({copy.string()}, folder.string(), 30.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("data.pak"), std::string::npos) << run.output;
    fs::remove_all(folder);
}

TEST(Show, WithoutADisplayItSaysSoAndExitsWithOne)
{
    const ProgramResult run = runProgram({builtProgram("orvalune")}, ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("display"), std::string::npos) << run.output;
}

TEST(Capture, OneFrameIsOnePictureOfTheChosenSizeAndTheSameEveryTime)
{
    const fs::path first = freshFolder("capture-a"), second = freshFolder("capture-b");
    for (const fs::path& out : {first, second}) {
        const ProgramResult run = runProgram(
            {builtProgram("orvalune-capture"), "--at", "5000", "--size", "320x240", "--out", out.string()}, ORV_BINARY_DIR,
            120.0);
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::directory_iterator(first))
        pictures.push_back(entry.path());
    ASSERT_EQ(pictures.size(), 1u);
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info(pictures[0].c_str(), &w, &h, &channels));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_EQ(fileBytes(pictures[0]), fileBytes(second / pictures[0].filename())) << "the same time, the same picture";
    fs::remove_all(first);
    fs::remove_all(second);
}

TEST(Capture, ARangeWritesEveryFrameAndBadInputIsRefused)
{
    const fs::path out = freshFolder("capture-range");
    const ProgramResult range = runProgram(
        {builtProgram("orvalune-capture"), "--from", "1000", "--to", "1500", "--fps", "10", "--size", "64x48", "--out",
         out.string()},
        ORV_BINARY_DIR, 120.0);
    ASSERT_EQ(range.exitCode, 0) << range.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 6);

    const ProgramResult backwards = runProgram(
        {builtProgram("orvalune-capture"), "--from", "2000", "--to", "1000", "--out", out.string()}, ORV_BINARY_DIR, 30.0);
    EXPECT_EQ(backwards.exitCode, 2);

    const fs::path notZip = out / "broken.pak";
    std::ofstream(notZip) << "this is not a zip archive";
    const ProgramResult broken = runProgram(
        {builtProgram("orvalune-capture"), "--at", "0", "--archive", notZip.string(), "--out", out.string()},
        ORV_BINARY_DIR, 30.0, 0.0, false);
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.output.find("broken.pak"), std::string::npos) << broken.output;
    fs::remove_all(out);
}

} // namespace
