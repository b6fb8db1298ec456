// The README's commands work exactly as written: each line of its shell blocks that runs one of
// our programs is pasted into a shell, in a folder that holds the build as a fresh clone does.
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Lines of the README's ```sh blocks, comments removed.
std::vector<std::string> readmeShellLines()
{
    std::ifstream readme(std::string(ORV_SOURCE_DIR) + "/README.md");
    std::vector<std::string> lines;
    bool inShell = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("```", 0) == 0) {
            inShell = !inShell && line == "```sh";
            continue;
        }
        if (!inShell)
            continue;
        const size_t comment = line.find(" #");
        line = line.substr(0, comment);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

TEST(Readme, CaptureAndInstallCommandsWorkAsWritten)
{
    const fs::path clone = fs::temp_directory_path() / ("orvalune-readme-" + std::to_string(getpid()));
    fs::remove_all(clone);
    fs::create_directories(clone);
    fs::create_directory_symlink(ORV_BINARY_DIR, clone / "build");

    int ran = 0;
    for (const std::string& line : readmeShellLines()) {
        // The set-up commands and the two-commit comparison build everything again: the test
        // command itself is the first, and the others are run by hand.
        if (line.rfind("build/", 0) != 0 && line.rfind("cmake --install", 0) != 0)
            continue;
        // The show plays until it is told to stop: SIGTERM closes it as the window's close box
        // does, with a fade and exit code 0.
        const bool show = line.rfind("build/orvalune ", 0) == 0 && line.find("--help") == std::string::npos;
        const ProgramResult run = runProgram({"env", "HOME=" + clone.string(), "bash", "-c", line}, clone.string(),
                                             show ? 60.0 : 300.0, show ? 5.0 : 0.0);
        EXPECT_EQ(run.exitCode, 0) << line << "\n" << run.output;
        ++ran;
    }
    EXPECT_GE(ran, 10) << "the README lost its show, capture or install commands";

    EXPECT_TRUE(fs::exists(clone / "thumbs" / "at_005000.png"));
    EXPECT_TRUE(fs::exists(clone / "seeked" / "at_095000.png"));
    EXPECT_TRUE(fs::exists(clone / "frames" / "frame_000300.png"));
    EXPECT_TRUE(fs::exists(clone / "forest-master.json")) << "the master's sidecar";
    EXPECT_GT(fs::file_size(clone / "opening.mp4"), 1000u);
    EXPECT_GT(fs::file_size(clone / "opening.webm"), 1000u);
    EXPECT_TRUE(fs::exists(clone / ".local" / "bin" / "orvalune-capture"));
    EXPECT_TRUE(fs::exists(clone / ".local" / "share" / "orvalune" / "data.pak"));

    // The installed capture tool finds its data from anywhere.
    const ProgramResult installed = runProgram({(clone / ".local" / "bin" / "orvalune-capture").string(), "--at", "0",
                                                "--size", "64x48", "--out", (clone / "installed").string()},
                                               "/", 120.0);
    EXPECT_EQ(installed.exitCode, 0) << installed.output;
    EXPECT_TRUE(fs::exists(clone / "installed" / "at_000000.png"));
    fs::remove_all(clone);
}

} // namespace
