// The Windows capture tool stops at the next frame on the console's Ctrl+C, as the Linux tool does
// on SIGINT, and leaves only complete frames behind. Wine turns a SIGINT to its process into the
// console's Ctrl+C event (a console event sent from a Windows test program does not reach another
// process group under Wine 8).
#include "tests/support/process.h"

#include <stb/stb_image.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(ConsoleStop, AnInterruptStopsTheCaptureCleanly)
{
    const fs::path folder = fs::temp_directory_path() / ("orvalune-interrupted-" + std::to_string(getpid()));
    fs::remove_all(folder);
    // The interrupt comes once the progress bar shows: frames are being written by then.
    const ProgramResult run =
        runProgramSignalledOn({"wine", std::string(ORV_WINDOWS_BUILD) + "/orvalune-capture.exe", "--from", "0", "--to",
                               "60000", "--fps", "30", "--size", "160x90", "--out", "Z:" + folder.string()},
                              ORV_WINDOWS_BUILD, 300.0, " frames, ", SIGINT);
    EXPECT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(run.exitCode, 128 + SIGINT) << run.output;
    EXPECT_NE(run.output.find("stopped by Ctrl+C"), std::string::npos) << run.output;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().extension(), ".png") << "no half-written file: " << entry.path();
        int w = 0, h = 0, n = 0;
        unsigned char* pixels = stbi_load(entry.path().string().c_str(), &w, &h, &n, 4);
        EXPECT_TRUE(pixels && w == 160 && h == 90) << entry.path() << " complete";
        stbi_image_free(pixels);
        ++count;
    }
    EXPECT_GT(count, 0) << run.output;
    EXPECT_LT(count, 1800) << "stopped long before the end";
    fs::remove_all(folder);
}

} // namespace
