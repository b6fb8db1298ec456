#include "render/shader_manager.h"

#include "render/gl_entry.h"
#include "runtime/dms.h"

#include <cstdio>
#include <cstring>
#include <new>

ShaderManager* shaderManager = nullptr;

namespace {

ShaderManager* instance = nullptr;
bool created = false;

void printInfoLog(GLuint object, const char* name)
{
    char log[1024];
    GLsizei length = 0;
    if (gl::glIsShader(object))
        gl::glGetShaderInfoLog(object, sizeof log, &length, log);
    else
        gl::glGetProgramInfoLog(object, sizeof log, &length, log);
    if (length > 0)
        dmsMsg("%s, %s", name, log);
}

GLuint compileStage(GLenum type, const char* source, const char* name)
{
    const GLuint shader = gl::glCreateShaderObjectARB(type);
    gl::glShaderSourceARB(shader, 1, &source, nullptr);
    gl::glCompileShaderARB(shader);
    printInfoLog(shader, name);
    return shader;
}

} // namespace

void ShaderProgram::build(const char* programName, const char* fragmentSource, const char* vertexSource)
{
    if (!fragmentSource || !vertexSource) {
        char message[100];
        std::snprintf(message, sizeof message,
                      "ERROR: couldn't init shader! fragment or vertex shader contents were missing [%s] \n",
                      programName);
        dmsMsg("%s", message);
        return;
    }
    name = programName;
    vertexShader = compileStage(GL_VERTEX_SHADER_ARB, vertexSource, name);
    fragmentShader = compileStage(GL_FRAGMENT_SHADER_ARB, fragmentSource, name);
    program = gl::glCreateProgramObjectARB();
    gl::glAttachObjectARB(program, vertexShader);
    gl::glAttachObjectARB(program, fragmentShader);
    gl::glLinkProgramARB(program);
    printInfoLog(program, name);
    gl::glUseProgramObjectARB(program);
    initialized = true;
}

void ShaderProgram::bind() const { gl::glUseProgramObjectARB(program); }

void ShaderProgram::unbind() { gl::glUseProgramObjectARB(0); }

GLint ShaderProgram::getUniformLocation(const char* uniform) const
{
    const GLint location = gl::glGetUniformLocationARB(program, uniform);
    if (location == -1)
        dmsMsg("ERROR: can't find uniform variable %s from %s\n", uniform, name);
    return location;
}

// Every setter looks the location up afresh and sets nothing when the uniform is not there.
template <typename Set>
bool setAt(const ShaderProgram& program, const char* uniform, Set set)
{
    const GLint location = program.getUniformLocation(uniform);
    if (location == -1)
        return false;
    set(location);
    return true;
}

bool ShaderProgram::setUniform1f(const char* uniform, float value) const
{
    return setAt(*this, uniform, [&](GLint at) { gl::glUniform1f(at, value); });
}

bool ShaderProgram::setUniform4f(const char* uniform, float x, float y, float z, float w) const
{
    return setAt(*this, uniform, [&](GLint at) { gl::glUniform4f(at, x, y, z, w); });
}

bool ShaderProgram::setUniform1i(const char* uniform, int32_t value) const
{
    return setAt(*this, uniform, [&](GLint at) { gl::glUniform1i(at, value); });
}

void ShaderProgram::release()
{
    gl::glDeleteShader(vertexShader);
    gl::glDeleteShader(fragmentShader);
    gl::glDeleteProgram(program);
    initialized = false;
}

ShaderManager* ShaderManager::create()
{
    if (created)
        return instance;
    instance = new (std::nothrow) ShaderManager;
    if (!instance)
        throw "ShaderManager::create(): Memory allocation error";
    instance->init();
    created = true;
    dmsMsg("ShaderManager::create(): ShaderManager instance created\n");
    return instance;
}

void ShaderManager::release()
{
    if (!created)
        return;
    created = false;
    for (ShaderNode& node : instance->registry)
        node.program->release();
    if (shaderManager == instance)
        shaderManager = nullptr;
    delete instance;
    instance = nullptr;
    dmsMsg("ShaderManager::release(): Instance deleted\n");
}

void ShaderManager::init()
{
    dmsMsg("ShaderManager::init() : Initializing shaders\n");
    for (const CatalogueEntry& entry : shaderCatalogue()) {
        const char* vertex = entry.vertex;
        const char* fragment = entry.fragment;
        if (entry.fromArchive) {
            vertex = dmsGetText(entry.vertex);
            fragment = dmsGetText(entry.fragment);
        }
        auto* program = new ShaderProgram;
        program->build(entry.name, fragment, vertex);
        addShader(program);
    }
    ShaderProgram::unbind();
    dmsMsg("ShaderManager::init() : Shaders created\n");
}

bool ShaderManager::addShader(ShaderProgram* program)
{
    ShaderNode node;
    node.program.reset(program);
    std::snprintf(node.key, sizeof node.key, "%s", program->name);
    if (!program->initialized)
        dmsMsg("Added shader was not initialized: id %s", node.key);
    registry.push_back(std::move(node));
    ++shaderCount;
    dmsMsg("ShaderManager::addShader(): Shader \"%s\" loaded.\n", registry.back().key);
    return true;
}

ShaderProgram* ShaderManager::getShader(const char* name)
{
    if (registry.empty() || !name)
        return nullptr;
    auto matches = [&](int index) { return std::strcmp(registry[index].key, name) == 0; };
    auto hit = [&](int index) {
        cursor = index;
        return registry[index].program.get();
    };
    const int last = static_cast<int>(registry.size()) - 1;
    if (matches(0))
        return hit(0);
    if (matches(last))
        return hit(last);
    if (cursor >= 0) {
        if (matches(cursor))
            return hit(cursor);
        if (cursor < last && matches(cursor + 1))
            return hit(cursor + 1);
        if (cursor > 0 && matches(cursor - 1))
            return hit(cursor - 1);
    }
    for (int i = 0; i <= last; ++i)
        if (matches(i))
            return hit(i);
    return nullptr;
}
