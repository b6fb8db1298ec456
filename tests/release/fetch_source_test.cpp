// The browser build fetches zlib's Debian source package; fetching must leave the machine's apt
// configuration as it found it (a build step never adds a package source for good).
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Every file of apt's source configuration, by path, with its contents.
std::map<std::string, std::string> aptSources()
{
    std::map<std::string, std::string> files;
    auto read = [&](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        files[path.string()] = text.str();
    };
    if (fs::exists("/etc/apt/sources.list"))
        read("/etc/apt/sources.list");
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/etc/apt/sources.list.d", ignored))
        read(entry.path());
    return files;
}

TEST(FetchSource, UnpacksTheSourceWithoutAddingAPackageSourceToTheSystem)
{
    const auto before = aptSources();
    const std::string destination = freshFolder("fetch-source");
    const ProgramResult fetch = runProgram({ORV_SOURCE_DIR "/scripts/fetch-source.sh", "zlib", destination},
                                           ORV_BINARY_DIR, 600.0, 0.0, false);
    ASSERT_EQ(fetch.exitCode, 0) << fetch.output;
    bool unpacked = false;
    for (const auto& entry : fs::directory_iterator(destination))
        unpacked |= entry.path().filename().string().rfind("zlib-", 0) == 0 && fs::exists(entry.path() / "zlib.h");
    EXPECT_TRUE(unpacked) << "no zlib-*/zlib.h in " << destination;
    EXPECT_EQ(aptSources(), before);
}

} // namespace
