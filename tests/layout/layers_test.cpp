// The layers point one way: platform, maths, runtime, render, toolkit, scenes, then the shell and
// the tools. A source file includes only headers of its own layer and of those below it, so no
// library needs one above it and none two that need each other. Maths is the base: it includes
// no platform header either.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> layerOf = {{"platform", 0}, {"maths", 1},  {"runtime", 2}, {"render", 3},
                                            {"toolkit", 4},  {"scenes", 5}, {"shell", 6},   {"tools", 7}};

// The folders that hold one platform's own files, beside the common ones (portable: the stand-ins
// for system libraries that the Windows and browser builds share).
const char* const backendFolders[] = {"linux", "win32", "web", "portable"};

std::string readFile(const fs::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool inBackendFolder(const fs::path& path)
{
    for (const auto& part : path)
        for (const char* backend : backendFolders)
            if (part == backend)
                return true;
    return false;
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

} // namespace
