// The Windows programs from a folder whose name the ANSI code page cannot hold (Wine's is 1252, as
// on a western Windows): both find data.pak beside them and write where they are told. And the
// show is a GUI program (no console opens beside it), the capture a console program.
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The PE header's subsystem: 2 is a GUI program, 3 a console program.
int peSubsystem(const fs::path& program)
{
    std::ifstream in(program, std::ios::binary);
    uint32_t header = 0;
    in.seekg(0x3c);
    in.read(reinterpret_cast<char*>(&header), sizeof header);
    uint16_t subsystem = 0;
    // The signature (4 bytes) and the file header (20) come before the optional header, whose
    // subsystem field sits 68 bytes in, in both PE32 and PE32+.
    in.seekg(header + 4 + 20 + 68);
    in.read(reinterpret_cast<char*>(&subsystem), sizeof subsystem);
    return in ? subsystem : -1;
}

TEST(UnicodeFolder, BothProgramsRunFromAFolderNamedOutsideTheCodePage)
{
    const fs::path top = freshFolder("orvalune-wine-unicode");
    const fs::path folder = top / "日本語 Łukasz";
    fs::create_directories(folder);
    for (const char* file : {"orvalune.exe", "orvalune-capture.exe", "data.pak"})
        fs::copy_file(fs::path(ORV_WINDOWS_BUILD) / file, folder / file);

    const ProgramResult frame = runProgram({"wine", (folder / "orvalune-capture.exe").string(), "--at", "0", "--seek",
                                            "--size", "64x48", "--out", "フレーム"},
                                           folder.string(), 300.0);
    EXPECT_EQ(frame.exitCode, 0) << frame.output;
    EXPECT_TRUE(fs::exists(folder / "フレーム" / "at_000000.png")) << frame.output;

    // The show's last second: it ends by itself, with the log of its run where Windows keeps one.
    ProgramRun show;
    show.argv = {"wine", (folder / "orvalune.exe").string(), "--window", "128x72", "--start", "362500"};
    show.workingDirectory = folder.string();
    show.timeoutSeconds = 300.0;
    const ProgramResult played = runProgram(show);
    EXPECT_EQ(played.exitCode, 0) << played.output;
    EXPECT_EQ(played.output.find("Cannot open the data archive"), std::string::npos) << played.output;
    // A GUI program's lines have a home of their own: %LOCALAPPDATA%\Orvalune\orvalune.log.
    if (const char* prefix = std::getenv("WINEPREFIX")) {
        // Wine names the Windows user after the Unix one.
        const passwd* user = getpwuid(getuid());
        std::ifstream log(fs::path(prefix) / "drive_c" / "users" / (user ? user->pw_name : "root") / "AppData" / "Local" /
                          "Orvalune" / "orvalune.log");
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("[363."), std::string::npos) << "the show's last lines in its log:\n" << text;
    }
    fs::remove_all(top);
}

TEST(UnicodeFolder, TheShowIsAGuiProgramAndTheCaptureAConsoleProgram)
{
    EXPECT_EQ(peSubsystem(fs::path(ORV_WINDOWS_BUILD) / "orvalune.exe"), 2);
    EXPECT_EQ(peSubsystem(fs::path(ORV_WINDOWS_BUILD) / "orvalune-capture.exe"), 3);
}

} // namespace
