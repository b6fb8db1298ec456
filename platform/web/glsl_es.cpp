#include "platform/web/glsl_es.h"

#include <regex>
#include <utility>

const char* const glslEsAttributes[7] = {"orv_Vertex",          "orv_Color",           "orv_Normal",
                                         "orv_MultiTexCoord0", "orv_MultiTexCoord1", "orv_MultiTexCoord2",
                                         "orv_MultiTexCoord3"};

namespace {

// Whole-word replacements, the same in both stages.
const std::pair<const char*, const char*> commonNames[] = {
    {"gl_ModelViewProjectionMatrix", "orv_ModelViewProjectionMatrix"},
    {"gl_ModelViewMatrix", "orv_ModelViewMatrix"},
    {"gl_ProjectionMatrix", "orv_ProjectionMatrix"},
    {"gl_NormalMatrix", "orv_NormalMatrix"},
    {"gl_TextureMatrix", "orv_TextureMatrix"},
    {"gl_LightSource", "orv_LightSource"},
    {"gl_FrontMaterial", "orv_FrontMaterial"},
    {"gl_FrontLightProduct", "orv_FrontLightProduct"},
    {"gl_TexCoord", "orv_TexCoord"},
    {"texture2DProj", "textureProj"},
    {"texture2D", "texture"},
    {"shadow2DProj", "orv_shadow2DProj"},
    {"shadow2D", "orv_shadow2D"},
    {"ftransform", "orv_ftransform"},
};

const std::pair<const char*, const char*> vertexNames[] = {
    {"gl_Vertex", "orv_Vertex"},
    {"gl_Normal", "orv_Normal"},
    {"gl_Color", "orv_Color"},
    {"gl_FrontColor", "orv_FrontColor"},
    {"gl_MultiTexCoord0", "orv_MultiTexCoord0"},
    {"gl_MultiTexCoord1", "orv_MultiTexCoord1"},
    {"gl_MultiTexCoord2", "orv_MultiTexCoord2"},
    {"gl_MultiTexCoord3", "orv_MultiTexCoord3"},
    {"attribute", "in"},
    {"varying", "out"},
};

const std::pair<const char*, const char*> fragmentNames[] = {
    {"gl_Color", "orv_FrontColor"},
    {"gl_FragColor", "orv_FragColor"},
    {"varying", "in"},
};

// The uniforms both stages may read. Unused ones cost nothing: the compiler drops them.
const char* const uniforms = R"(uniform mat4 orv_ModelViewMatrix;
uniform mat4 orv_ProjectionMatrix;
uniform mat4 orv_ModelViewProjectionMatrix;
uniform mat3 orv_NormalMatrix;
uniform mat4 orv_TextureMatrix[2];
struct orv_LightSourceParameters { vec4 ambient; vec4 diffuse; vec4 specular; vec4 position; };
uniform orv_LightSourceParameters orv_LightSource[1];
struct orv_MaterialParameters { vec4 emission; vec4 ambient; vec4 diffuse; vec4 specular; float shininess; };
uniform orv_MaterialParameters orv_FrontMaterial;
struct orv_LightProducts { vec4 ambient; vec4 diffuse; vec4 specular; };
uniform orv_LightProducts orv_FrontLightProduct[1];
uniform vec4 orv_ClipPlane;
)";

const char* const vertexPrefix = R"(in vec4 orv_Vertex;
in vec4 orv_Color;
in vec3 orv_Normal;
in vec4 orv_MultiTexCoord0;
in vec4 orv_MultiTexCoord1;
in vec4 orv_MultiTexCoord2;
in vec4 orv_MultiTexCoord3;
out vec4 orv_FrontColor;
out vec4 orv_TexCoord[2];
out float orv_ClipDistance;
vec4 orv_ftransform() { return orv_ModelViewProjectionMatrix * orv_Vertex; }
)";

const char* const fragmentPrefix = R"(in vec4 orv_FrontColor;
in vec4 orv_TexCoord[2];
in float orv_ClipDistance;
out vec4 orv_FragColor;
vec4 orv_shadow2DProj(sampler2DShadow s, vec4 c) { return vec4(textureProj(s, c)); }
vec4 orv_shadow2D(sampler2DShadow s, vec3 c) { return vec4(texture(s, c)); }
)";

const char* const vertexMain = R"(
void main()
{
    orv_main();
    orv_ClipDistance = dot(orv_ModelViewMatrix * orv_Vertex, orv_ClipPlane);
}
)";

const char* const fragmentMain = R"(
void main()
{
    if (orv_ClipDistance < 0.0)
        discard;
    orv_main();
}
)";

std::string replaceWords(std::string text, const char* from, const char* to)
{
    const std::regex word(std::string("\\b") + from + "\\b");
    return std::regex_replace(text, word, to);
}

} // namespace

std::string translateGlslToEs(const std::string& source, ShaderStage stage)
{
    // A version line of the source's own goes (emptied, so that line numbers stay): ours comes first.
    std::string body = std::regex_replace(source, std::regex(R"((^|\n)[ \t]*#[ \t]*version[^\n]*)"), "$1");
    for (const auto& [from, to] : commonNames)
        body = replaceWords(body, from, to);
    if (stage == ShaderStage::Vertex)
        for (const auto& [from, to] : vertexNames)
            body = replaceWords(body, from, to);
    else
        for (const auto& [from, to] : fragmentNames)
            body = replaceWords(body, from, to);
    body = std::regex_replace(body, std::regex(R"(\bvoid\s+main\s*\(\s*(void)?\s*\))"), "void orv_main()");

    std::string out = "#version 300 es\nprecision highp float;\nprecision highp int;\n";
    if (stage == ShaderStage::Fragment)
        out += "precision highp sampler2DShadow;\n";
    out += uniforms;
    out += stage == ShaderStage::Vertex ? vertexPrefix : fragmentPrefix;
    out += "#line 1\n";
    out += body;
    out += stage == ShaderStage::Vertex ? vertexMain : fragmentMain;
    return out;
}
