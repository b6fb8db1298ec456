// The layers point one way: platform, runtime, maths, render, toolkit, scenes, then the shell and
// the tools. A source file includes only headers of its own layer and of those below it, so no
// library needs one above it and none two that need each other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> layerOf = {{"platform", 0}, {"runtime", 1}, {"maths", 2}, {"render", 3},
                                            {"toolkit", 4},  {"scenes", 5},  {"shell", 6}, {"tools", 7}};

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
            }
        }
    }
    EXPECT_GT(files, 100) << "the source tree was not found";
}

// Libraries link only downwards, so none of them names the shell's or the scenes' libraries
// below their own definition, and no library links one above it.
TEST(Layers, LibrariesLinkOnlyDownwards)
{
    std::ifstream lists(fs::path(ORV_SOURCE_DIR) / "CMakeLists.txt");
    const std::map<std::string, int> libraryLayer = {{"orv_platform", 0}, {"orv_runtime", 1}, {"orv_music_fft", 1},
                                                     {"orv_maths", 2},    {"orv_render", 3},  {"orv_toolkit", 4},
                                                     {"orv_scenes", 5},   {"orv_shell", 6}};
    const std::regex link(R"re((?:orv_link|target_link_libraries)\((orv_[a-z_]+)\s+([^)]*)\))re");
    std::string text((std::istreambuf_iterator<char>(lists)), std::istreambuf_iterator<char>());
    int links = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
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
    EXPECT_GE(links, 6) << "the link lines were not found";
}

} // namespace
