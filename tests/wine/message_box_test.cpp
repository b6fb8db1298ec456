// The Windows show's message boxes also reach standard error, as on Linux: without data.pak the
// box names the archive, the same words are on the console, Return closes it and the exit is 1.
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(WindowsMessageBox, AMissingArchiveIsReportedOnStandardErrorToo)
{
    const fs::path folder = freshFolder("orvalune-windows-no-data");
    fs::copy_file(fs::path(ORV_WINDOWS_BUILD) / "orvalune.exe", folder / "orvalune.exe");
    ProgramRun run;
    run.argv = {"wine", (folder / "orvalune.exe").string(), "--window", "320x240"};
    run.workingDirectory = folder.string();
    run.timeoutSeconds = 60.0;
    // The box waits for a click: once its text is out, the box (the one window called
    // "Orvalune") is given the focus and Return answers it; again now and then until the program
    // is gone, in case the box was not mapped yet.
    auto lastKey = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    run.whileRunning = [&](const std::string& output) {
        if (output.find("data.pak") == std::string::npos ||
            std::chrono::steady_clock::now() - lastKey < std::chrono::seconds(1))
            return false;
        lastKey = std::chrono::steady_clock::now();
        const ProgramResult boxes =
            runProgram({"xdotool", "search", "--onlyvisible", "--name", "^Orvalune$"}, folder.string(), 10.0);
        std::istringstream ids(boxes.output);
        for (std::string id; ids >> id;) {
            if (id.find_first_not_of("0123456789") != std::string::npos)
                continue;
            runProgram({"xdotool", "windowfocus", "--sync", id}, folder.string(), 10.0);
            runProgram({"xdotool", "key", "--clearmodifiers", "Return"}, folder.string(), 10.0);
        }
        return false;
    };
    const ProgramResult result = runProgram(run);
    EXPECT_FALSE(result.timedOut) << result.output;
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Orvalune: "), std::string::npos) << "the box's caption, then its text:\n"
                                                                   << result.output;
    EXPECT_NE(result.output.find("data.pak"), std::string::npos) << result.output;
    fs::remove_all(folder);
}

} // namespace
