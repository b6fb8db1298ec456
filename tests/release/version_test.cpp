// Which build a program is: --version, the log's first line and a captured video's metadata name
// the version of CMakeLists.txt and the commit the build came from, as git sees it now (a stamp
// made only when CMake configured would name an older commit).
#include "runtime/version.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

namespace {

// git's answer about the source tree, or "" outside a git checkout.
std::string git(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = {"git", "-C", ORV_SOURCE_DIR};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ProgramResult run = runProgram(argv, ORV_BINARY_DIR, 30.0, 0.0, false);
    return run.exitCode == 0 ? run.output : "";
}

// The first line the log itself wrote (each carries the music time), past any library's chatter.
std::string firstLogLine(const std::string& output)
{
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("[", 0) == 0)
            return line;
    return "";
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(Version, BothProgramsNameTheProjectVersionAndTheCommitTheyWereBuiltFrom)
{
    const std::string commit = git({"rev-parse", "--short=12", "HEAD"}).substr(0, 12);
    const bool modified = !git({"status", "--porcelain", "--untracked-files=no"}).empty();
    const std::string built = commit.empty() ? "" : " (commit " + commit + (modified ? "-modified" : "") + ")";
    for (const std::string program : {"orvalune", "orvalune-capture"}) {
        const ProgramResult run = runProgram({builtProgram(program), "--version"}, ORV_BINARY_DIR, 30.0, 0.0, false);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, program + " " ORV_PROJECT_VERSION + built + "\n");
    }
}

TEST(Version, TheLogsFirstLineNamesTheBuild)
{
    const ProgramResult capture = runProgram({builtProgram("orvalune-capture"), "--at", "0", "--size", "64x48", "--out",
                                              freshFolder("version-log")},
                                             ORV_BINARY_DIR, 120.0);
    EXPECT_EQ(capture.exitCode, 0) << capture.output;
    EXPECT_EQ(firstLogLine(capture.output), "[  0.000] " + versionLine("orvalune-capture"));

    // The show, stopped as the window's close box would once it has opened.
    const ProgramResult show =
        runProgramSignalledOn({builtProgram("orvalune"), "--window", "320x240"}, ORV_BINARY_DIR, 120.0, "Video driver");
    EXPECT_EQ(firstLogLine(show.output), "[  0.000] " + versionLine("orvalune")) << show.output;
}

TEST(Version, CapturedVideosCarryTheBuildInTheirMetadata)
{
    const std::string folder = freshFolder("version-video");
    for (const std::string video : {"/show.mp4", "/show.webm"}) {
        const ProgramResult capture = runProgram({builtProgram("orvalune-capture"), "--from", "0", "--to", "200", "--fps",
                                                  "10", "--size", "64x48", "--out", folder + video},
                                                 ORV_BINARY_DIR, 120.0);
        ASSERT_EQ(capture.exitCode, 0) << capture.output;
        const ProgramResult probe = runProgram({"ffprobe", "-v", "error", "-show_entries", "format_tags=title,comment",
                                                "-of", "default=nw=1", "file:" + folder + video},
                                               ORV_BINARY_DIR, 60.0, 0.0, false);
        // Matroska's tags are upper case ("TAG:COMMENT="), MP4's lower case.
        const std::string tags = lowerCase(probe.output);
        EXPECT_NE(tags.find("comment=" + lowerCase(versionLine("orvalune-capture")) + "\n"), std::string::npos)
            << video << ": " << probe.output;
        EXPECT_NE(tags.find("title=orvalune\n"), std::string::npos) << video << ": " << probe.output;
    }
}

} // namespace
