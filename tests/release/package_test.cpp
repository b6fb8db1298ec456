// The Debian package as a user gets it: built by CPack from this build, installed with dpkg into
// an empty root of its own (the machine's own packages stay untouched), its programs run from
// there, its desktop entry, metainfo and manual pages checked by the tools desktops and Debian
// use, and removed without a trace.
#include "runtime/version.h"
#include "tests/support/pictures.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

ProgramResult run(const std::vector<std::string>& argv, double timeout = 120.0)
{
    return runProgram(argv, ORV_BINARY_DIR, timeout, 0.0, false);
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// An empty root with the database dpkg needs to install into it.
fs::path emptyRoot(const std::string& name)
{
    const fs::path root = freshFolder(name);
    for (const char* folder : {"info", "updates", "triggers"})
        fs::create_directories(root / "var/lib/dpkg" / folder);
    for (const char* file : {"status", "available"})
        std::ofstream(root / "var/lib/dpkg" / file);
    return root;
}

// Its libraries are this machine's, not the empty root's: dependencies are not checked there.
ProgramResult installInto(const fs::path& root, const fs::path& package)
{
    return run({"dpkg", "--root=" + root.string(), "--force-depends", "--install", package.string()});
}

class Package : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = freshFolder("package");
        const ProgramResult built =
            run({ORV_CPACK, "-G", "DEB", "--config", ORV_BINARY_DIR "/CPackConfig.cmake", "-B", folder}, 300.0);
        ASSERT_EQ(built.exitCode, 0) << built.output;
        deb = fs::path(folder) / ("orvalune_" + std::string(orvaluneVersion()) + "_amd64.deb");
        ASSERT_TRUE(fs::exists(deb)) << built.output;
        root = emptyRoot("package-root");
        const ProgramResult installed = installInto(root, deb);
        ASSERT_EQ(installed.exitCode, 0) << installed.output;
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(folder);
        fs::remove_all(root);
    }
    void SetUp() override
    {
        if (!fs::exists(root / "usr/bin/orvalune"))
            GTEST_SKIP() << "the package was not built or installed (see the first failure)";
    }

    static inline std::string folder;
    static inline fs::path deb;
    static inline fs::path root;
};

TEST_F(Package, LintianFindsNoError)
{
    const ProgramResult lint = run({"lintian", "--fail-on", "error", deb.string()}, 300.0);
    EXPECT_EQ(lint.exitCode, 0) << lint.output;
    EXPECT_EQ(lint.output.find("E: "), std::string::npos) << lint.output;
}

TEST_F(Package, TheInstalledProgramsRunWithTheInstalledData)
{
    const ProgramResult version = run({(root / "usr/bin/orvalune").string(), "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, versionLine("orvalune") + "\n");

    // From a folder with no data.pak in it: the archive can only be the installed one.
    const std::string out = freshFolder("package-frame");
    const ProgramResult capture = runProgram(
        {(root / "usr/bin/orvalune-capture").string(), "--at", "95000", "--runup", "500", "--size", "96x54", "--out", out},
        out, 120.0);
    EXPECT_EQ(capture.exitCode, 0) << capture.output;
    int width = 0, height = 0;
    const std::vector<unsigned char> frame = pixelsOf(out + "/at_095000.png", width, height);
    EXPECT_EQ(width, 96);
    EXPECT_EQ(height, 54);
    EXPECT_GT(meanDifference(frame, std::vector<unsigned char>(frame.size(), 0)), 1.0) << "a black frame";
    fs::remove_all(out);
}

TEST_F(Package, DependsNamesThePackageOfEveryLibraryTheProgramsNeed)
{
    const std::string depends = run({"dpkg-deb", "--field", deb.string(), "Depends"}).output;
    std::set<std::string> named;
    const std::regex name("(^|[,|] *)([a-z0-9][a-z0-9.+-]+)");
    for (std::sregex_iterator it(depends.begin(), depends.end(), name), end; it != end; ++it)
        named.insert((*it)[2]);
    for (const char* program : {"orvalune", "orvalune-capture"}) {
        const std::string dynamic = run({"readelf", "--dynamic", (root / "usr/bin" / program).string()}).output;
        const std::regex needed(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
        int libraries = 0;
        for (std::sregex_iterator it(dynamic.begin(), dynamic.end(), needed), end; it != end; ++it, ++libraries) {
            // The packages that ship the library on this machine: one of them must be a dependency.
            const std::string owners = run({"dpkg-query", "--search", "*/" + (*it)[1].str()}).output;
            bool found = false;
            for (const std::string& package : named)
                found = found || owners.find(package + ":") != std::string::npos ||
                        owners.find(package + ",") != std::string::npos;
            EXPECT_TRUE(found) << program << " needs " << (*it)[1] << " from " << owners << "; Depends: " << depends;
        }
        EXPECT_GT(libraries, 5) << dynamic;
    }
}

TEST_F(Package, TheDesktopEntryAndTheMetainfoPassTheirValidators)
{
    const fs::path desktop = root / "usr/share/applications/orvalune.desktop";
    const ProgramResult entry = run({"desktop-file-validate", desktop.string()});
    EXPECT_EQ(entry.exitCode, 0) << entry.output;
    EXPECT_EQ(entry.output, "") << "warnings count as failures";

    // It starts the installed show (its dialog) with the installed icon, in every size.
    const std::string text = readFile(desktop);
    EXPECT_NE(text.find("\nExec=orvalune\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=orvalune\n"), std::string::npos) << text;
    int sizes = 0;
    for (const auto& entry : fs::directory_iterator(root / "usr/share/icons/hicolor")) {
        int width = 0, height = 0;
        pixelsOf((entry.path() / "apps/orvalune.png").string(), width, height);
        EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), entry.path().filename().string());
        ++sizes;
    }
    EXPECT_GE(sizes, 5);

    std::vector<fs::path> metainfo;
    for (const auto& entry : fs::directory_iterator(root / "usr/share/metainfo"))
        metainfo.push_back(entry.path());
    ASSERT_EQ(metainfo.size(), 1u);
    const ProgramResult valid = run({"appstreamcli", "validate", "--no-net", metainfo[0].string()});
    EXPECT_EQ(valid.exitCode, 0) << valid.output;
    EXPECT_NE(readFile(metainfo[0]).find("<launchable type=\"desktop-id\">orvalune.desktop</launchable>"),
              std::string::npos);
}

// What scripts/release.sh publishes beside the package is the picture the metainfo names, and the
// capture tool makes it.
TEST_F(Package, TheMetainfosScreenshotIsMadeByTheCaptureTool)
{
    std::vector<fs::path> metainfo;
    for (const auto& entry : fs::directory_iterator(root / "usr/share/metainfo"))
        metainfo.push_back(entry.path());
    ASSERT_EQ(metainfo.size(), 1u);
    const std::string text = readFile(metainfo[0]);
    std::smatch image;
    ASSERT_TRUE(std::regex_search(text, image, std::regex(R"re(width="(\d+)" height="(\d+)">https://[^<]*/([^/<]+)</image>)re")))
        << text;
    const ProgramResult made = run({"cmake", "--build", ORV_BINARY_DIR, "--target", "screenshot"}, 600.0);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    int width = 0, height = 0;
    const std::vector<unsigned char> picture = pixelsOf(ORV_BINARY_DIR "/" + image[3].str(), width, height);
    EXPECT_EQ(std::to_string(width), image[1].str());
    EXPECT_EQ(std::to_string(height), image[2].str());
    EXPECT_GT(meanDifference(picture, std::vector<unsigned char>(picture.size(), 0)), 1.0) << "a black screenshot";
}

TEST_F(Package, BothManualPagesRenderWithEveryOptionOfTheirHelp)
{
    for (const std::string page : {"man6/orvalune.6.gz", "man1/orvalune-capture.1.gz"}) {
        const fs::path file = root / "usr/share/man" / page;
        const std::string program = fs::path(page).stem().stem().string();
        const ProgramResult shown = runProgram({"env", "MANWIDTH=100", "LC_ALL=C.UTF-8", "man", "-l", file.string()}, "/", 60.0,
                                               0.0, false);
        EXPECT_EQ(shown.exitCode, 0) << shown.output;
        EXPECT_EQ(shown.output.find("warning"), std::string::npos) << shown.output;
        const std::string help = run({(root / "usr/bin" / program).string(), "--help"}).output;
        const std::regex option("--[a-z-]+");
        int options = 0;
        for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it, ++options)
            EXPECT_NE(shown.output.find(it->str()), std::string::npos) << page << " lacks " << it->str() << "\n"
                                                                       << shown.output;
        EXPECT_GT(options, 8) << help;
        EXPECT_NE(shown.output.find(orvaluneVersion()), std::string::npos) << shown.output;
        if (program == "orvalune") {
            EXPECT_NE(shown.output.find("$XDG_STATE_HOME/orvalune/"), std::string::npos) << "the log's folder\n"
                                                                                          << shown.output;
        }
    }
}

TEST_F(Package, RemovingItLeavesNothingBehind)
{
    const fs::path clean = emptyRoot("package-removed");
    std::set<std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(clean))
        before.insert(entry.path().string());
    ASSERT_EQ(installInto(clean, deb).exitCode, 0);
    const ProgramResult removed = run({"dpkg", "--root=" + clean.string(), "--remove", "orvalune"});
    EXPECT_EQ(removed.exitCode, 0) << removed.output;
    for (const auto& entry : fs::recursive_directory_iterator(clean)) {
        const std::string path = entry.path().string();
        // dpkg's own records of what happened stay, as on any system.
        if (path.find("/var/lib/dpkg/") == std::string::npos) {
            EXPECT_TRUE(before.count(path)) << path << " was left behind";
        }
    }
    fs::remove_all(clean);
}

} // namespace
