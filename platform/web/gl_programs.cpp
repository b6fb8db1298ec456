// The show's own GLSL programs in the browser: the shader-object calls (ARB names and core ones)
// over WebGL 2, each source translated to GLSL ES 3.00 as it is handed over (glsl_es.h), and
// before each draw the built-in uniforms fed from the fixed-function state: matrices, light 0,
// the material and the clip plane.
#include "platform/web/gl_context.h"
#include "platform/web/glsl_es.h"

#include <string>
#include <unordered_map>

namespace webgl {

namespace {

struct ShowProgram {
    bool linked = false;
    GLint modelview = -1, projection = -1, modelviewProjection = -1, normal = -1, texture[2] = {-1, -1};
    GLint lightAmbient = -1, lightDiffuse = -1, lightSpecular = -1, lightPosition = -1;
    GLint materialEmission = -1, materialAmbient = -1, materialDiffuse = -1, materialSpecular = -1, shininess = -1;
    GLint productAmbient = -1, productDiffuse = -1, productSpecular = -1;
    GLint clipPlane = -1;
};

std::unordered_map<GLuint, ShowProgram>& programs()
{
    static std::unordered_map<GLuint, ShowProgram> map;
    return map;
}

std::unordered_map<GLuint, ShaderStage>& shaders()
{
    static std::unordered_map<GLuint, ShaderStage> map;
    return map;
}

void findLocations(GLuint program, ShowProgram& p)
{
    auto at = [&](const char* name) { return emscripten_glGetUniformLocation(program, name); };
    p.modelview = at("orv_ModelViewMatrix");
    p.projection = at("orv_ProjectionMatrix");
    p.modelviewProjection = at("orv_ModelViewProjectionMatrix");
    p.normal = at("orv_NormalMatrix");
    p.texture[0] = at("orv_TextureMatrix[0]");
    p.texture[1] = at("orv_TextureMatrix[1]");
    p.lightAmbient = at("orv_LightSource[0].ambient");
    p.lightDiffuse = at("orv_LightSource[0].diffuse");
    p.lightSpecular = at("orv_LightSource[0].specular");
    p.lightPosition = at("orv_LightSource[0].position");
    p.materialEmission = at("orv_FrontMaterial.emission");
    p.materialAmbient = at("orv_FrontMaterial.ambient");
    p.materialDiffuse = at("orv_FrontMaterial.diffuse");
    p.materialSpecular = at("orv_FrontMaterial.specular");
    p.shininess = at("orv_FrontMaterial.shininess");
    p.productAmbient = at("orv_FrontLightProduct[0].ambient");
    p.productDiffuse = at("orv_FrontLightProduct[0].diffuse");
    p.productSpecular = at("orv_FrontLightProduct[0].specular");
    p.clipPlane = at("orv_ClipPlane");
}

void product(GLint location, const float* a, const float* b)
{
    const float p[4] = {a[0] * b[0], a[1] * b[1], a[2] * b[2], a[3] * b[3]};
    sendUniformFloats(location, p, 4);
}

void vector(GLint location, const float* v) { sendUniformFloats(location, v, 4); }
void matrix(GLint location, const Mat4& m) { sendUniformMatrix(location, m.m, 4); }

bool isProgram(GLuint object) { return programs().count(object) != 0; }

} // namespace

void bindStandardAttributes(GLuint program)
{
    for (GLuint i = 0; i < 7; ++i)
        emscripten_glBindAttribLocation(program, i, glslEsAttributes[i]);
}

bool uniformChanged(GLint location, const void* values, size_t bytes)
{
    return shadow().uniforms.changed(shadow().program_.value(), location, values, bytes);
}

void useProgram(GLuint program)
{
    if (shadow().useProgram(program))
        emscripten_glUseProgram(program);
}

void sendUniformInt(GLint location, GLint value)
{
    if (uniformChanged(location, &value, sizeof value))
        emscripten_glUniform1i(location, value);
}

void sendUniformFloats(GLint location, const float* values, int count)
{
    if (!uniformChanged(location, values, sizeof(float) * static_cast<size_t>(count)))
        return;
    switch (count) {
    case 1: emscripten_glUniform1fv(location, 1, values); break;
    case 2: emscripten_glUniform2fv(location, 1, values); break;
    case 3: emscripten_glUniform3fv(location, 1, values); break;
    default: emscripten_glUniform4fv(location, 1, values); break;
    }
}

void sendUniformMatrix(GLint location, const float* values, int size)
{
    if (!uniformChanged(location, values, sizeof(float) * static_cast<size_t>(size * size)))
        return;
    if (size == 3)
        emscripten_glUniformMatrix3fv(location, 1, GL_FALSE, values);
    else
        emscripten_glUniformMatrix4fv(location, 1, GL_FALSE, values);
}

bool prepareShowProgram(GLuint program)
{
    const auto found = programs().find(program);
    if (found == programs().end() || !found->second.linked)
        return false;
    const ShowProgram& p = found->second;
    const Context& c = context();
    const FixedState& s = c.state;
    useProgram(program);
    matrix(p.modelview, c.modelview.top());
    matrix(p.projection, c.projection.top());
    if (p.modelviewProjection >= 0)
        matrix(p.modelviewProjection, multiply(c.projection.top(), c.modelview.top()));
    if (p.normal >= 0) {
        float n[9];
        normalMatrix(c.modelview.top(), n);
        sendUniformMatrix(p.normal, n, 3);
    }
    matrix(p.texture[0], c.texture[0].top());
    matrix(p.texture[1], c.texture[1].top());
    vector(p.lightAmbient, s.light.ambient);
    vector(p.lightDiffuse, s.light.diffuse);
    vector(p.lightSpecular, s.light.specular);
    vector(p.lightPosition, s.light.position);
    vector(p.materialEmission, s.material.emission);
    vector(p.materialAmbient, s.material.ambient);
    vector(p.materialDiffuse, s.material.diffuse);
    vector(p.materialSpecular, s.material.specular);
    sendUniformFloats(p.shininess, &s.material.shininess, 1);
    product(p.productAmbient, s.light.ambient, s.material.ambient);
    product(p.productDiffuse, s.light.diffuse, s.material.diffuse);
    product(p.productSpecular, s.light.specular, s.material.specular);
    static const float off[4] = {0, 0, 0, 0};
    vector(p.clipPlane, s.clipPlane0 ? s.clipPlane : off);
    return true;
}

} // namespace webgl

using namespace webgl;

extern "C" {

GLuint glCreateShader(GLenum type)
{
    const GLuint shader = emscripten_glCreateShader(type);
    if (shader)
        shaders()[shader] = type == GL_VERTEX_SHADER ? ShaderStage::Vertex : ShaderStage::Fragment;
    return shader;
}

void glShaderSource(GLuint shader, GLsizei count, const GLchar* const* text, const GLint* length)
{
    const auto stage = shaders().find(shader);
    if (stage == shaders().end()) {
        setError(GL_INVALID_VALUE);
        return;
    }
    std::string source;
    for (GLsizei i = 0; i < count; ++i)
        source += length && length[i] >= 0 ? std::string(text[i], static_cast<size_t>(length[i])) : std::string(text[i]);
    const std::string translated = translateGlslToEs(source, stage->second);
    const char* translatedText = translated.c_str();
    emscripten_glShaderSource(shader, 1, &translatedText, nullptr);
}

void glCompileShader(GLuint shader) { emscripten_glCompileShader(shader); }

GLuint glCreateProgram()
{
    const GLuint program = emscripten_glCreateProgram();
    if (program)
        programs()[program] = ShowProgram{};
    return program;
}

void glAttachShader(GLuint program, GLuint shader) { emscripten_glAttachShader(program, shader); }

void glLinkProgram(GLuint program)
{
    bindStandardAttributes(program);
    emscripten_glLinkProgram(program);
    // Linking resets every uniform of the program.
    shadow().uniforms.forget(program);
    GLint linked = 0;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    ShowProgram& p = programs()[program];
    p.linked = linked != 0;
    if (p.linked)
        findLocations(program, p);
}

void glUseProgram(GLuint program)
{
    context().program = program;
    // WebGL's uniform calls go to the program in use: it must be this one from now on.
    useProgram(program);
}

void glDeleteShader(GLuint shader)
{
    shaders().erase(shader);
    emscripten_glDeleteShader(shader);
}

void glDeleteProgram(GLuint program)
{
    programs().erase(program);
    if (context().program == program)
        context().program = 0;
    shadow().programDeleted(program);
    emscripten_glDeleteProgram(program);
}

GLboolean glIsProgram(GLuint program) { return isProgram(program) ? GL_TRUE : GL_FALSE; }
GLboolean glIsShader(GLuint shader) { return shaders().count(shader) ? GL_TRUE : GL_FALSE; }

void glGetShaderiv(GLuint shader, GLenum name, GLint* value) { emscripten_glGetShaderiv(shader, name, value); }
void glGetProgramiv(GLuint program, GLenum name, GLint* value) { emscripten_glGetProgramiv(program, name, value); }

void glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, GLchar* log)
{
    emscripten_glGetShaderInfoLog(shader, size, length, log);
}

void glGetProgramInfoLog(GLuint program, GLsizei size, GLsizei* length, GLchar* log)
{
    emscripten_glGetProgramInfoLog(program, size, length, log);
}

void glValidateProgram(GLuint program) { emscripten_glValidateProgram(program); }

GLint glGetUniformLocation(GLuint program, const GLchar* name) { return emscripten_glGetUniformLocation(program, name); }

void glGetActiveUniform(GLuint program, GLuint index, GLsizei size, GLsizei* length, GLint* count, GLenum* type, GLchar* name)
{
    emscripten_glGetActiveUniform(program, index, size, length, count, type, name);
}

void glGetUniformiv(GLuint program, GLint location, GLint* value) { emscripten_glGetUniformiv(program, location, value); }
void glGetUniformfv(GLuint program, GLint location, GLfloat* value) { emscripten_glGetUniformfv(program, location, value); }

// ---- the ARB names of the same calls ---------------------------------------------------------

GLhandleARB glCreateShaderObjectARB(GLenum type) { return glCreateShader(type); }
GLhandleARB glCreateProgramObjectARB() { return glCreateProgram(); }
void glShaderSourceARB(GLhandleARB shader, GLsizei count, const GLcharARB** text, const GLint* length)
{
    glShaderSource(shader, count, text, length);
}
void glCompileShaderARB(GLhandleARB shader) { glCompileShader(shader); }
void glAttachObjectARB(GLhandleARB program, GLhandleARB shader) { glAttachShader(program, shader); }
void glLinkProgramARB(GLhandleARB program) { glLinkProgram(program); }
void glUseProgramObjectARB(GLhandleARB program) { glUseProgram(program); }
GLint glGetUniformLocationARB(GLhandleARB program, const GLcharARB* name) { return glGetUniformLocation(program, name); }
void glGetUniformivARB(GLhandleARB program, GLint location, GLint* value) { glGetUniformiv(program, location, value); }
void glGetUniformfvARB(GLhandleARB program, GLint location, GLfloat* value) { glGetUniformfv(program, location, value); }

void glDeleteObjectARB(GLhandleARB object)
{
    if (isProgram(object))
        glDeleteProgram(object);
    else
        glDeleteShader(object);
}

void glGetObjectParameterivARB(GLhandleARB object, GLenum name, GLint* value)
{
    // The ARB names share their values with the core ones (GL_OBJECT_COMPILE_STATUS_ARB is
    // GL_COMPILE_STATUS, and so on).
    if (isProgram(object))
        emscripten_glGetProgramiv(object, name, value);
    else
        emscripten_glGetShaderiv(object, name, value);
}

void glGetInfoLogARB(GLhandleARB object, GLsizei size, GLsizei* length, GLcharARB* log)
{
    if (isProgram(object))
        emscripten_glGetProgramInfoLog(object, size, length, log);
    else
        emscripten_glGetShaderInfoLog(object, size, length, log);
}

void glGetActiveUniformARB(GLhandleARB program, GLuint index, GLsizei size, GLsizei* length, GLint* count, GLenum* type,
                           GLcharARB* name)
{
    glGetActiveUniform(program, index, size, length, count, type, name);
}

} // extern "C"
