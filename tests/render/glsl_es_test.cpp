// The browser's translation of the show's GLSL 1.10 into GLSL ES 3.00 (platform/web/glsl_es.cpp,
// pure text, checked here natively): every program of the catalogue and every shader file of the
// archive comes out with no fixed-function built-in left, which WebGL would refuse at start-up.
#include "platform/web/glsl_es.h"
#include "render/shader_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void expectEs(const std::string& source, ShaderStage stage, const std::string& name)
{
    const std::string out = translateGlslToEs(source, stage);
    EXPECT_EQ(out.rfind("#version 300 es\n", 0), 0u) << name;
    // What GLSL ES 3.00 keeps of the gl_ names; any other is a fixed-function built-in.
    static const std::regex builtIn(R"(\bgl_(?!Position\b|FragCoord\b|PointCoord\b|PointSize\b|FrontFacing\b)\w+)");
    static const std::regex olderWords(R"(\b(varying|attribute|texture2D|texture2DProj|shadow2D|shadow2DProj|ftransform)\b)");
    std::smatch match;
    EXPECT_FALSE(std::regex_search(out, match, builtIn)) << name << " keeps " << match.str();
    EXPECT_FALSE(std::regex_search(out, match, olderWords)) << name << " keeps " << match.str();
    EXPECT_NE(out.find("void orv_main()"), std::string::npos) << name;
    EXPECT_EQ(out.find("#version", 1), std::string::npos) << name << " keeps a version line of its own";
}

TEST(GlslEs, EveryProgramOfTheShowLeavesNoFixedFunctionBuiltIn)
{
    int stages = 0;
    for (const CatalogueEntry& entry : shaderCatalogue()) {
        if (entry.fromArchive)
            continue; // the archive's files are read below, every variant of them
        expectEs(entry.vertex, ShaderStage::Vertex, std::string(entry.name) + " (vertex)");
        expectEs(entry.fragment, ShaderStage::Fragment, std::string(entry.name) + " (fragment)");
        stages += 2;
    }
    for (const auto& file : fs::directory_iterator(fs::path(ORV_SOURCE_DIR) / "data")) {
        const std::string name = file.path().filename().string();
        if (file.path().extension() != ".glsl")
            continue;
        const bool vertex = name.find("_vert") != std::string::npos;
        expectEs(readFile(file.path()), vertex ? ShaderStage::Vertex : ShaderStage::Fragment, name);
        ++stages;
    }
    EXPECT_GT(stages, 50) << "the programs were not found";
}

TEST(GlslEs, ColourAndCoordinatesMeanTheVaryingsInTheFragmentStage)
{
    // gl_Color is the vertex's colour attribute in one stage and the interpolated front colour in
    // the other; gl_TexCoord is written by one and read by the other.
    const std::string vertex = translateGlslToEs(
        "void main() { gl_FrontColor = gl_Color; gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }",
        ShaderStage::Vertex);
    EXPECT_NE(vertex.find("orv_FrontColor = orv_Color;"), std::string::npos) << vertex;
    EXPECT_NE(vertex.find("orv_TexCoord[0] = orv_MultiTexCoord0;"), std::string::npos) << vertex;
    const std::string fragment = translateGlslToEs(
        "// a version line of its own\n#version 110\nvoid main() { gl_FragColor = gl_Color * gl_TexCoord[0].x; }",
        ShaderStage::Fragment);
    EXPECT_EQ(fragment.find("#version", 1), std::string::npos) << fragment;
    EXPECT_NE(fragment.find("orv_FragColor = orv_FrontColor * orv_TexCoord[0].x;"), std::string::npos) << fragment;
}

} // namespace
