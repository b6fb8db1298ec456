// The registry and the catalogue list, without GL: registration, lookups and the cursor, the
// missing-source path, and the catalogue's order and file names.
#include "render/driver_flags.h"
#include "render/shader_manager.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

namespace {

// A registry of programs that were never compiled (no GL needed), named as given.
void registerNamed(ShaderManager& manager, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        auto* program = new ShaderProgram;
        program->name = name;
        program->initialized = true;
        manager.addShader(program);
    }
}

TEST(ShaderRegistry, AddLogsEachProgramAndCounts)
{
    ShaderManager manager;
    LogCapture log;
    registerNamed(manager, {"alpha", "beta"});
    EXPECT_EQ(manager.shaderCount, 2u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ShaderManager::addShader(): Shader \"alpha\" loaded.\n",
                                                   "ShaderManager::addShader(): Shader \"beta\" loaded.\n"}));
}

TEST(ShaderRegistry, LookupIsExactAndCaseSensitive)
{
    ShaderManager manager;
    EXPECT_EQ(manager.getShader("blurx"), nullptr); // empty registry
    registerNamed(manager, {"blurx", "blury", "glowc"});
    EXPECT_EQ(manager.getShader("blury"), manager.registry[1].program.get());
    EXPECT_EQ(manager.getShader("BlurY"), nullptr);
    EXPECT_EQ(manager.getShader("blur"), nullptr);
    EXPECT_EQ(manager.getShader("bluryy"), nullptr);
    EXPECT_EQ(manager.getShader(nullptr), nullptr);
}

TEST(ShaderRegistry, CursorFollowsHitsAndStaysOnMisses)
{
    ShaderManager manager;
    registerNamed(manager, {"a", "b", "c", "d", "e", "f"});
    EXPECT_EQ(manager.cursor, -1);
    EXPECT_EQ(manager.getShader("c"), manager.registry[2].program.get()); // found by the scan
    EXPECT_EQ(manager.cursor, 2);
    EXPECT_EQ(manager.getShader("c"), manager.registry[2].program.get()); // the cursor itself
    EXPECT_EQ(manager.getShader("d"), manager.registry[3].program.get()); // next neighbour
    EXPECT_EQ(manager.cursor, 3);
    EXPECT_EQ(manager.getShader("c"), manager.registry[2].program.get()); // previous neighbour
    EXPECT_EQ(manager.cursor, 2);
    EXPECT_EQ(manager.getShader("missing"), nullptr);
    EXPECT_EQ(manager.cursor, 2);
    EXPECT_EQ(manager.getShader("f"), manager.registry[5].program.get()); // the tail
    EXPECT_EQ(manager.cursor, 5);
    EXPECT_EQ(manager.getShader("a"), manager.registry[0].program.get()); // the head
    EXPECT_EQ(manager.cursor, 0);
}

// A missing archive file: logged with the program's name, registered under an empty name, and
// its catalogue name finds nothing.
TEST(ShaderRegistry, MissingSourceRegistersAnUninitialisedProgram)
{
    ShaderManager manager;
    LogCapture log;
    auto* program = new ShaderProgram;
    program->build("tyonto", nullptr, "void main() {}");
    manager.addShader(program);
    EXPECT_FALSE(program->initialized);
    EXPECT_STREQ(program->name, "");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{
                  "ERROR: couldn't init shader! fragment or vertex shader contents were missing [tyonto] \n",
                  "Added shader was not initialized: id ", "ShaderManager::addShader(): Shader \"\" loaded.\n"}));
    EXPECT_EQ(manager.getShader("tyonto"), nullptr);
    EXPECT_EQ(manager.shaderCount, 1u);
}

// The message buffer holds 100 characters: a long name is cut, never overrun.
TEST(ShaderRegistry, LongNameInTheMissingSourceMessageIsCut)
{
    LogCapture log;
    ShaderProgram program;
    const std::string name(200, 'n');
    program.build(name.c_str(), "void main() {}", nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].size(), 99u);
    EXPECT_EQ(log.lines[0].rfind("ERROR: couldn't init shader!", 0), 0u);
}

TEST(ShaderCatalogue, ThirtyOneProgramsInBuildOrder)
{
    const std::vector<std::string> names = {
        "mixaa",  "ground",     "uppophong", "waterRefl",  "lightray",    "phong",        "fishbone",
        "normal_mapping", "water_normal_mapping", "depth_col_adjust", "tyonto", "noise", "color", "sindistort",
        "chrome", "meta",       "blurx",     "blury",      "blur2x",      "blur2y",       "darken",
        "glowc",  "edge",       "invert",    "blackwhite", "dof",         "caustic",      "shadowmap",
        "shadowmaptex", "greetwater", "fisu_shadowmaptex"};
    const std::vector<CatalogueEntry> catalogue = shaderCatalogue();
    ASSERT_EQ(catalogue.size(), names.size());
    int fromArchive = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(catalogue[i].name, names[i]) << "entry " << i + 1;
        fromArchive += catalogue[i].fromArchive;
    }
    EXPECT_EQ(fromArchive, 12);
    EXPECT_STREQ(catalogue[26].vertex, "caustics_vert.glsl");
    EXPECT_STREQ(catalogue[26].fragment, "caustics_frag.glsl");
}

// Blur A and blur B share their tap stages and differ only in the fragment stage.
TEST(ShaderCatalogue, BlursShareTheirTapStages)
{
    const std::vector<CatalogueEntry> c = shaderCatalogue();
    EXPECT_STREQ(c[16].vertex, c[18].vertex);   // blurx, blur2x
    EXPECT_STREQ(c[17].vertex, c[19].vertex);   // blury, blur2y
    EXPECT_STRNE(c[16].vertex, c[17].vertex);   // horizontal, vertical
    EXPECT_STREQ(c[16].fragment, c[17].fragment);
    EXPECT_STRNE(c[16].fragment, c[18].fragment);
}

TEST(ShaderCatalogue, OldNvidiaSwitchesOnlyTheFishFloorFiles)
{
    const std::vector<CatalogueEntry> normal = shaderCatalogue();
    oldNvidia = true;
    const std::vector<CatalogueEntry> old = shaderCatalogue();
    oldNvidia = false;
    EXPECT_STREQ(normal[30].vertex, "fisu_ground_vert.glsl");
    EXPECT_STREQ(normal[30].fragment, "fisu_ground_frag.glsl");
    EXPECT_STREQ(old[30].vertex, "fisu_ground_vert_nv7.glsl");
    EXPECT_STREQ(old[30].fragment, "fisu_ground_frag_nv7.glsl");
    EXPECT_STREQ(old[30].name, "fisu_shadowmaptex");
    for (size_t i = 0; i < 30; ++i)
        EXPECT_STREQ(old[i].vertex, normal[i].vertex) << i;
}

} // namespace
