// The registry of GLSL programs. ShaderManager::create builds the whole catalogue once at start-up;
// from then on callers look a program up by its catalogue name, bind it, set its uniforms by
// name (samplers to their unit numbers), draw, and unbind to return to fixed-function drawing.
//
//   ShaderProgram* blur = shaderManager->getShader("blurx");
//   blur->bind(); blur->setUniform1i("tex", 0); blur->setUniform1f("xoff", 0.005f);
//   ... draw ...
//   ShaderProgram::unbind();
//
// Problems never stop the show: a missing source, a compile error or an unknown uniform is logged
// and drawing goes on.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

class ShaderProgram {
public:
    bool initialized = false;
    const char* name = ""; // the catalogue literal itself, set once both sources are present
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint program = 0;

    // Compiles and links; the info logs are the only report, so a program that failed to compile
    // is still marked initialised. A null source leaves the program uninitialised.
    void build(const char* programName, const char* fragmentSource, const char* vertexSource);
    void bind() const;
    // Needs no program: returns to the fixed-function pipeline after any of them.
    static void unbind();
    // -1, logged, when the program has no such (active) uniform.
    GLint getUniformLocation(const char* uniform) const;
    // Act on the current program; false, setting nothing, when the uniform is not there.
    bool setUniform1f(const char* uniform, float value) const;
    bool setUniform4f(const char* uniform, float x, float y, float z, float w) const;
    bool setUniform1i(const char* uniform, int32_t value) const;
    void release();
};

struct ShaderNode {
    std::unique_ptr<ShaderProgram> program;
    char key[80] = {};
    int32_t tag = 0;
};

class ShaderManager {
public:
    uint32_t shaderCount = 0;
    // Registration order; the cursor is the index of the most recent hit, -1 before any.
    std::vector<ShaderNode> registry;
    int cursor = -1;

    // The one instance, building the catalogue on first call; throws a text when it cannot be
    // allocated.
    static ShaderManager* create();
    // Releases every program and the instance; does nothing when there is none.
    static void release();

    void init();
    bool addShader(ShaderProgram* program);
    // Exact, case-sensitive match; tries the ends and the last hit's neighbours before scanning.
    ShaderProgram* getShader(const char* name);
};

// Set by the driver from ShaderManager::create(); cleared again by ShaderManager::release().
extern ShaderManager* shaderManager;

// The catalogue, in build order (render/shader_catalogue.cpp).
struct CatalogueEntry {
    const char* name;
    const char* vertex;   // source text, or an archive file name when fromArchive
    const char* fragment; // likewise
    bool fromArchive;
};
// The entries as built now: the "Old NVidia" option picks the files of the last one.
std::vector<CatalogueEntry> shaderCatalogue();
