// The layers point one way: platform, maths, runtime, render, toolkit, scenes, then the shell and
// the tools. A source file includes only headers of its own layer and of those below it, so no
// library needs one above it and none two that need each other. Maths is the base: it includes
// no platform header either.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> layerOf = {{"platform", 0}, {"maths", 1},  {"runtime", 2}, {"render", 3},
                                            {"toolkit", 4},  {"scenes", 5}, {"shell", 6},   {"tools", 7}};

// The folders that hold one platform's own files, or what several platforms share, beside the
// common ones (cmake/libraries.cmake says which is which).
const char* const backendFolders[] = {"linux", "win32", "web", "native", "posix", "emulated", "portable"};
// Each platform's build file, which names the backend folders it builds.
const char* const platformFiles[] = {"linux.cmake", "windows.cmake", "web.cmake"};

std::string readFile(const fs::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The backend folder a path lies in, or empty for common code.
std::string backendFolderOf(const fs::path& path)
{
    for (const auto& part : path)
        for (const char* backend : backendFolders)
            if (part == backend)
                return backend;
    return {};
}

bool inBackendFolder(const fs::path& path) { return !backendFolderOf(path).empty(); }

// The backend folders a platform's build file sets in ORV_BACKEND_FOLDERS.
std::set<std::string> foldersBuiltBy(const std::string& cmakeText)
{
    std::smatch match;
    if (!std::regex_search(cmakeText, match, std::regex(R"re(set\(ORV_BACKEND_FOLDERS\s+([a-z0-9_ ]+)\))re")))
        return {};
    std::set<std::string> folders;
    std::istringstream words(match[1].str());
    for (std::string word; words >> word;)
        folders.insert(word);
    return folders;
}

TEST(Layers, NoSourceIncludesALayerAboveItsOwn)
{
    const std::regex include(R"re(^\s*#\s*include\s*"([a-z_]+)/)re");
    int files = 0;
    for (const auto& [folder, layer] : layerOf) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(ORV_SOURCE_DIR) / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h")
                continue;
            ++files;
            std::ifstream source(entry.path());
            int lineNumber = 0;
            for (std::string line; std::getline(source, line);) {
                ++lineNumber;
                std::smatch match;
                if (!std::regex_search(line, match, include))
                    continue;
                const auto target = layerOf.find(match[1].str());
                ASSERT_NE(target, layerOf.end()) << entry.path() << ":" << lineNumber << " includes from an unknown folder";
                EXPECT_LE(target->second, layer) << entry.path() << ":" << lineNumber << " climbs up: " << line;
                if (folder == "maths") {
                    EXPECT_EQ(target->first, "maths") << entry.path() << ":" << lineNumber << " pure maths includes " << line;
                }
                // Common code is built for every platform, so it cannot reach one platform's files;
                // only the contract header picks the declarations of the platform it is built for.
                if (!inBackendFolder(entry.path()) && entry.path() != fs::path(ORV_SOURCE_DIR) / "platform/win32.h") {
                    EXPECT_FALSE(inBackendFolder(fs::path(line.substr(line.find('"') + 1))))
                        << entry.path() << ":" << lineNumber << " common code includes a platform's own header: " << line;
                }
            }
        }
    }
    EXPECT_GT(files, 100) << "the source tree was not found";
}

// Libraries link only downwards, in the one graph both platforms build, and the platform files
// add only third-party libraries to it.
TEST(Layers, TheOneLibraryGraphLinksOnlyDownwards)
{
    const std::map<std::string, int> libraryLayer = {
        {"orv_platform", 0}, {"orv_maths", 1},   {"orv_runtime", 2}, {"orv_music_fft", 2}, {"orv_render", 3},
        {"orv_toolkit", 4},  {"orv_scenes", 5},  {"orv_shell", 6},   {"orv_capture_lib", 7}};
    const std::regex link(R"re(target_link_libraries\((orv_[a-z_]+)\s+([^)]*)\))re");
    const fs::path cmake = fs::path(ORV_SOURCE_DIR) / "cmake";

    const std::string graph = readFile(cmake / "libraries.cmake");
    int links = 0;
    for (std::sregex_iterator it(graph.begin(), graph.end(), link), end; it != end; ++it) {
        const auto from = libraryLayer.find((*it)[1].str());
        if (from == libraryLayer.end())
            continue;
        const std::string targets = (*it)[2].str();
        for (const auto& [library, layer] : libraryLayer) {
            if (std::regex_search(targets, std::regex("\\b" + library + "\\b"))) {
                ++links;
                EXPECT_LE(layer, from->second) << from->first << " links " << library << ", a layer above it";
                EXPECT_NE(library, from->first) << from->first << " links itself";
            }
        }
    }
    EXPECT_GE(links, 7) << "the graph's link lines were not found";

    for (const char* platformFile : {"linux.cmake", "windows.cmake", "web.cmake"}) {
        const std::string text = readFile(cmake / platformFile);
        ASSERT_NE(text.find("libraries.cmake"), std::string::npos) << platformFile << " does not build the one graph";
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            if (libraryLayer.count((*it)[1].str()) == 0)
                continue;
            for (const auto& entry : libraryLayer)
                EXPECT_FALSE(std::regex_search((*it)[2].str(), std::regex("\\b" + entry.first + "\\b")))
                    << platformFile << " links " << (*it)[1] << " to " << entry.first << " outside the graph";
        }
    }
}

// A backend folder includes and compiles only its own files and those of the shared folders that
// every platform building it also builds: the browser never borrows from linux/, nor Linux from
// portable/. Checked for each platform by the folders its build file names.
TEST(Layers, NoBackendFolderReachesAnotherPlatformsFiles)
{
    const fs::path root(ORV_SOURCE_DIR);
    std::map<std::string, std::set<std::string>> builtBy; // folder -> platforms
    std::map<std::string, std::string> platformText;
    for (const char* platformFile : platformFiles) {
        platformText[platformFile] = readFile(root / "cmake" / platformFile);
        const std::set<std::string> folders = foldersBuiltBy(platformText[platformFile]);
        ASSERT_FALSE(folders.empty()) << platformFile << " names no ORV_BACKEND_FOLDERS";
        for (const std::string& folder : folders)
            builtBy[folder].insert(platformFile);
    }
    for (const char* backend : backendFolders)
        EXPECT_FALSE(builtBy[backend].empty()) << backend << "/ is built by no platform";

    // Every platform that builds `from` builds `to` as well.
    auto reachable = [&](const std::string& from, const std::string& to) {
        for (const std::string& platform : builtBy[from])
            if (builtBy[to].count(platform) == 0)
                return false;
        return true;
    };

    const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    int checked = 0;
    for (const auto& [folder, layer] : layerOf) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string from = backendFolderOf(entry.path().lexically_relative(root));
            if (from.empty() || !entry.is_regular_file())
                continue;
            std::ifstream source(entry.path());
            for (std::string line; std::getline(source, line);) {
                std::smatch match;
                if (!std::regex_search(line, match, include))
                    continue;
                const std::string to = backendFolderOf(fs::path(match[1].str()));
                if (to.empty())
                    continue;
                ++checked;
                EXPECT_TRUE(reachable(from, to)) << entry.path() << " (" << from << "/) includes " << match[1]
                                                 << ", which a platform building it does not build";
            }
        }
    }
    EXPECT_GT(checked, 10) << "no include between backend folders was seen";

    // What the build files compile by name: every source path in a backend folder is one the
    // platform builds (portable.cmake serves the Windows and browser builds alike).
    platformText["portable.cmake"] = readFile(root / "cmake" / "portable.cmake");
    const std::map<std::string, std::vector<std::string>> includedBy = {
        {"portable.cmake", {"windows.cmake", "web.cmake"}}};
    const std::regex sourcePath(R"re(\$\{CMAKE_SOURCE_DIR\}/([A-Za-z0-9_./-]+))re");
    for (const auto& [file, text] : platformText) {
        std::vector<std::string> platforms = {file};
        if (includedBy.count(file))
            platforms = includedBy.at(file);
        for (std::sregex_iterator it(text.begin(), text.end(), sourcePath), end; it != end; ++it) {
            const std::string folder = backendFolderOf(fs::path((*it)[1].str()));
            if (folder.empty())
                continue;
            for (const std::string& platform : platforms)
                EXPECT_TRUE(builtBy[folder].count(platform))
                    << file << " compiles " << (*it)[1] << " for " << platform << ", which does not build " << folder << "/";
        }
    }
}

} // namespace
