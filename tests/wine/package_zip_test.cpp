// The Windows zip as a user gets it: one folder named with the version that holds both programs,
// the very data.pak of the build, a README and every licence text the README names; unpacked
// anywhere, its capture tool runs under Wine on nothing but what the zip holds.
#include "runtime/version.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowsZip, HoldsTheProgramsDataReadmeAndLicencesAndRunsUnpacked)
{
    const std::string name = "orvalune-" + std::string(orvaluneVersion()) + "-windows";
    const fs::path zip = fs::path(ORV_WINDOWS_BUILD) / (name + ".zip");
    ASSERT_TRUE(fs::exists(zip)) << zip;
    const fs::path folder = freshFolder("windows-zip");
    const ProgramResult unpacked = runProgram({"cmake", "-E", "tar", "xf", zip.string()}, folder.string(), 120.0);
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.output;

    const fs::path top = folder / name;
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(top))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"orvalune.exe", "orvalune-capture.exe", "data.pak", "README.txt", "licences"}));
    EXPECT_EQ(readFile(top / "data.pak"), readFile(ORV_BINARY_DIR "/data.pak")) << "not the build's data.pak";

    const std::string readme = readFile(top / "README.txt");
    for (const std::string& word : {std::string(orvaluneVersion()), std::string("orvalune.exe"), std::string("Escape"),
                                    std::string("F1"), std::string("orvalune-capture.exe --at")})
        EXPECT_NE(readme.find(word), std::string::npos) << "the README lacks " << word;
    int licences = 0;
    const std::regex licence(R"(licences\\([A-Za-z0-9.-]+\.txt))");
    for (std::sregex_iterator it(readme.begin(), readme.end(), licence), end; it != end; ++it, ++licences)
        EXPECT_GT(fs::file_size(top / "licences" / (*it)[1].str()), 500u) << (*it)[1];
    EXPECT_GE(licences, 5) << readme;

    const ProgramResult version = runProgram({"wine", (top / "orvalune-capture.exe").string(), "--version"}, top.string(), 120.0);
    EXPECT_EQ(std::regex_replace(version.output, std::regex("\r"), ""), versionLine("orvalune-capture") + "\n");
    const ProgramResult frame = runProgram(
        {"wine", (top / "orvalune-capture.exe").string(), "--at", "0", "--size", "64x48", "--out", "frames"}, top.string(), 300.0);
    EXPECT_EQ(frame.exitCode, 0) << frame.output;
    EXPECT_TRUE(fs::exists(top / "frames" / "at_000000.png")) << frame.output;
    fs::remove_all(folder);
}

} // namespace
