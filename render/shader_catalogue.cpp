// The 31 programs the shader manager builds, in build order. Nineteen are written here (GLSL 1.10,
// no version line, fixed-function state for positions, coordinates, colours and matrices); twelve
// come from the data archive.
#include "render/driver_flags.h"
#include "render/shader_manager.h"

namespace {

// ---- shared vertex stages -------------------------------------------------------------------

const char* const passThroughVertex = R"(
void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

const char* const coordinateVertex = R"(
varying vec2 coord;
void main()
{
    coord = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
)";

const char* const tintedVertex = R"(
uniform float alpha;
varying vec4 col;
void main()
{
    col = gl_Color * alpha;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

// Five taps along the offset direction D around the unit-0 coordinate s.
#define ORV_TAPS_VERTEX(offsetUniform, direction)                                                   \
    "uniform float " offsetUniform ";\n"                                                           \
    "varying vec4 c;\n"                                                                            \
    "varying vec2 pos0, pos1, pos2, pos3, pos4;\n"                                                 \
    "void main()\n"                                                                                \
    "{\n"                                                                                          \
    "    vec2 s = gl_MultiTexCoord0.xy;\n"                                                         \
    "    vec2 d = " direction ";\n"                                                                \
    "    c = gl_Color;\n"                                                                          \
    "    pos0 = s - 2.0 * d;\n"                                                                    \
    "    pos1 = s - d;\n"                                                                          \
    "    pos2 = s;\n"                                                                              \
    "    pos3 = s + d;\n"                                                                          \
    "    pos4 = s + 2.0 * d;\n"                                                                    \
    "    gl_Position = ftransform();\n"                                                            \
    "}\n"

const char* const horizontalTapsVertex = ORV_TAPS_VERTEX("xoff", "vec2(xoff, 0.0)");
const char* const verticalTapsVertex = ORV_TAPS_VERTEX("yoff", "vec2(0.0, yoff)");
#undef ORV_TAPS_VERTEX

const char* const shadowCoordinateVertex = R"(
varying vec4 shadowCoord;
void main()
{
    shadowCoord = gl_TextureMatrix[0] * gl_ModelViewMatrix * gl_Vertex;
    gl_Position = ftransform();
}
)";

const char* const shadowTextureVertex = R"(
varying vec4 shadowCoord;
varying vec2 texCoord;
varying vec4 ccc;
void main()
{
    shadowCoord = gl_TextureMatrix[0] * gl_ModelViewMatrix * gl_Vertex;
    texCoord = gl_MultiTexCoord0.xy;
    ccc = gl_Color;
    gl_Position = ftransform();
}
)";

const char* const twoCoordinatesVertex = R"(
varying vec2 coord1;
varying vec2 coord2;
void main()
{
    coord1 = gl_MultiTexCoord0.xy;
    coord2 = gl_MultiTexCoord1.xy;
    gl_Position = ftransform();
}
)";

// ---- programs ---------------------------------------------------------------------------------

const char* const mixaaFragment = R"(
uniform sampler2D tex1;
uniform sampler2D tex2;
varying vec2 coord1;
varying vec2 coord2;
void main()
{
    gl_FragColor = (texture2D(tex1, coord1) + texture2D(tex2, coord2)) * 0.5;
}
)";

// The water surface lies in y = 0 with a fixed frame, so the view vector goes into tangent space
// by three dot products.
const char* const waterVertex = R"(
uniform vec4 viewpos;
uniform vec4 lightpos;
uniform float time;
uniform float time2;
varying vec4 waterTex0;
varying vec4 waterTex1;
varying vec4 waterTex2;
varying vec4 waterTex3;
varying vec4 waterTex4;
varying vec2 texCoord;
void main()
{
    vec4 tangent = vec4(1.0, 0.0, 0.0, 0.0);
    vec4 normal = vec4(0.0, 1.0, 0.0, 0.0);
    vec4 binormal = vec4(0.0, 0.0, 1.0, 0.0);
    vec4 v = viewpos - gl_Vertex;
    waterTex4 = vec4(dot(v, tangent), dot(v, binormal), dot(v, normal), 0.0);
    vec4 l = lightpos - gl_Vertex;
    waterTex0 = vec4(dot(l, tangent), dot(l, binormal), dot(l, normal), 0.0);
    waterTex3 = gl_ModelViewProjectionMatrix * gl_Vertex;
    texCoord = gl_MultiTexCoord1.xy;
    waterTex1 = gl_MultiTexCoord1 + vec4(0.0, -time, 0.0, 0.0);
    waterTex2 = gl_MultiTexCoord2 + vec4(0.0, -time2, 0.0, 0.0);
    gl_Position = ftransform();
}
)";

const char* const waterFragment = R"(
uniform sampler2D water_normalmap;
uniform sampler2D water_reflection;
uniform sampler2D water_refraction;
uniform sampler2D water_dudvmap;
uniform sampler2D water_depthmap;
uniform sampler2D water_envmap;
uniform vec4 waterColor;
uniform float fade;
varying vec4 waterTex1;
varying vec4 waterTex2;
varying vec4 waterTex3;
varying vec4 waterTex4;
varying vec2 texCoord;
void main()
{
    const vec4 distortion = vec4(0.005);
    const vec4 secondLookup = vec4(0.02);
    const vec4 textureScale = vec4(0.25);
    vec4 viewT = normalize(waterTex4);
    vec4 d1 = texture2D(water_dudvmap, (waterTex2 * textureScale).xy);
    vec2 at = (waterTex1 + d1 * secondLookup).xy;
    vec4 d2 = texture2D(water_dudvmap, at);
    vec4 fdist = normalize(d2 * vec4(2.0, 2.0, 2.0, 1.0) + vec4(-1.0, -1.0, -1.0, 1.0)) * distortion;
    vec4 n = texture2D(water_normalmap, at);
    vec4 vNorm = normalize((n - vec4(0.5, 0.5, 0.5, 1.0)) * vec4(2.0, 2.0, 2.0, 1.0));
    vec4 proj = (waterTex3 / waterTex3.w + 1.0) * 0.5;
    vec4 t = clamp(proj + fdist, 0.001, 0.999);
    vec4 refl = texture2D(water_reflection, t.xy);
    vec4 refr = texture2D(water_refraction, t.xy);
    float w = pow(texture2D(water_depthmap, t.xy).x, 4.0);
    float f = dot(vNorm, viewT);
    refr = refr * f * (1.0 - w) + waterColor * w * f;
    refl = refl * (1.0 - f);
    gl_FragColor = vec4((refr + refl).rgb, waterColor.a) * texture2D(water_envmap, texCoord).r;
}
)";

const char* const lightrayFragment = R"(
uniform sampler2D caustic;
uniform sampler2DShadow shadowMap;
varying vec4 shadowCoord;
void main()
{
    gl_FragColor = texture2DProj(caustic, shadowCoord) * 24.0 * vec4(0.102065, 0.102065, 0.1020790565, 1.0);
}
)";

const char* const colorFragment = R"(
uniform sampler2D tex;
uniform float saturate;
uniform float brightness;
uniform float contrast;
void main()
{
    vec3 c = texture2D(tex, gl_TexCoord[0].xy).rgb;
    float x = length(c);
    c = pow(c + 0.01, vec3(saturate));
    gl_FragColor.rgb = clamp(0.866 + contrast * (x - 0.866), 0.05, 1.73) * normalize(c) * brightness;
}
)";

const char* const sindistortFragment = R"(
uniform sampler2D tex;
uniform float xfreq;
uniform float yfreq;
uniform float xphase;
uniform float yphase;
uniform float xamp;
uniform float yamp;
varying vec4 col;
void main()
{
    float s = gl_TexCoord[0].x;
    float t = gl_TexCoord[0].y;
    float a = yphase + s + sin(t * 3.14159 * xfreq) * xamp;
    float b = xphase + t + sin(s * 3.14159 * yfreq) * yamp;
    gl_FragColor = texture2D(tex, vec2(a, b)) * col;
}
)";

const char* const chromeFragment = R"(
uniform sampler2D tex;
uniform int times;
void main()
{
    vec4 c = texture2D(tex, gl_TexCoord[0].xy);
    gl_FragColor = vec4(abs(sin(3.14159 * c.rgb)), c.a);
}
)";

const char* const metaFragment = R"(
uniform sampler2D tex;
uniform int times;
void main()
{
    vec4 c = texture2D(tex, gl_TexCoord[0].xy);
    float v = abs(sin(3.14159 * c.b));
    gl_FragColor = vec4(v * 0.345, v * 0.56, v * 0.79, c.r > 0.0 ? 1.0 : 0.0);
}
)";

// Weights add up to 1.2: every pass brightens, which the glow relies on.
const char* const blurAFragment = R"(
uniform sampler2D tex;
uniform float alpha;
varying vec4 c;
varying vec2 pos0, pos1, pos2, pos3, pos4;
void main()
{
    vec4 sum = 0.1 * texture2D(tex, pos0) + 0.25 * texture2D(tex, pos1) + 0.5 * texture2D(tex, pos2)
             + 0.25 * texture2D(tex, pos3) + 0.1 * texture2D(tex, pos4);
    gl_FragColor = sum * alpha * c;
}
)";

const char* const blurBFragment = R"(
uniform sampler2D tex;
uniform float alpha;
varying vec4 c;
varying vec2 pos0, pos1, pos2, pos3, pos4;
void main()
{
    vec4 sum = 0.1 * texture2D(tex, pos0) + 0.2 * texture2D(tex, pos1) + 0.4 * texture2D(tex, pos2)
             + 0.2 * texture2D(tex, pos3) + 0.1 * texture2D(tex, pos4);
    gl_FragColor = vec4(sum.rgb, 1.0) * alpha * c;
}
)";

const char* const darkenFragment = R"(
uniform sampler2D tex;
uniform float alpha;
varying vec2 coord;
void main()
{
    vec4 c = texture2D(tex, coord);
    gl_FragColor = c * c * alpha;
}
)";

const char* const glowFragment = R"(
uniform sampler2D texunit0;
uniform sampler2D texunit1;
uniform float glow_amount;
varying vec2 coord;
void main()
{
    gl_FragColor = texture2D(texunit0, coord) + texture2D(texunit1, coord) * glow_amount;
}
)";

// The offset is one texel of a 512 texture whatever the size of the one bound.
const char* const edgeFragment = R"(
uniform sampler2D tex;
void main()
{
    const float o = 1.0 / 512.0;
    vec2 p = gl_TexCoord[0].xy;
    vec4 s00 = texture2D(tex, p + vec2(-o, -o));
    vec4 s01 = texture2D(tex, p + vec2(0.0, -o));
    vec4 s02 = texture2D(tex, p + vec2(o, -o));
    vec4 s10 = texture2D(tex, p + vec2(-o, 0.0));
    vec4 s12 = texture2D(tex, p + vec2(o, 0.0));
    vec4 s20 = texture2D(tex, p + vec2(-o, o));
    vec4 s21 = texture2D(tex, p + vec2(0.0, o));
    vec4 s22 = texture2D(tex, p + vec2(o, o));
    vec4 gx = s00 + 2.0 * s10 + s20 - s02 - 2.0 * s12 - s22;
    vec4 gy = s00 + 2.0 * s01 + s02 - s20 - 2.0 * s21 - s22;
    vec4 e = gx * gx + gy * gy;
    float v = e.r + e.g + e.b;
    gl_FragColor = vec4(v, v, v, v <= 0.0 ? 0.0 : 1.0);
}
)";

const char* const invertFragment = R"(
uniform sampler2D texunit0;
uniform float invert_amount;
uniform float alpha;
varying vec2 coord;
void main()
{
    vec4 c = texture2D(texunit0, coord);
    c.rgb = c.rgb * (1.0 - invert_amount) + (1.0 - c.rgb) * invert_amount;
    gl_FragColor = c * alpha;
}
)";

const char* const blackwhiteFragment = R"(
uniform sampler2D tex;
uniform float threshold;
varying vec2 coord;
void main()
{
    vec4 c = texture2D(tex, coord);
    gl_FragColor = (c.r + c.g + c.b) / 3.0 < threshold ? vec4(0.0, 0.0, 0.0, 1.0) : vec4(1.0);
}
)";

const char* const dofFragment = R"(
uniform sampler2D texunit0;
uniform sampler2D texunit1;
uniform sampler2D texunit2;
uniform float near;
uniform float focus;
uniform float far;
varying vec2 coord;
void main()
{
    float d = texture2D(texunit2, coord).r;
    float f = d < focus ? 1.0 - clamp((d - near) / (focus - near), 0.0, 1.0)
                        : clamp((d - focus) / (far - focus), 0.0, 1.0);
    gl_FragColor = texture2D(texunit0, coord) * (1.0 - f) + texture2D(texunit1, coord) * f;
}
)";

const char* const shadowOnlyFragment = R"(
uniform sampler2DShadow shadowMap;
varying vec4 shadowCoord;
void main()
{
    gl_FragColor = shadow2DProj(shadowMap, shadowCoord).r * vec4(1.0);
}
)";

const char* const shadowTextureFragment = R"(
uniform sampler2D texture0;
uniform sampler2DShadow shadowMap;
varying vec4 shadowCoord;
varying vec2 texCoord;
varying vec4 ccc;
void main()
{
    gl_FragColor = shadow2DProj(shadowMap, shadowCoord).r * texture2D(texture0, texCoord) * ccc;
}
)";

CatalogueEntry text(const char* name, const char* vertex, const char* fragment)
{
    return {name, vertex, fragment, false};
}

CatalogueEntry files(const char* name, const char* vertex, const char* fragment)
{
    return {name, vertex, fragment, true};
}

} // namespace

std::vector<CatalogueEntry> shaderCatalogue()
{
    return {
        text("mixaa", twoCoordinatesVertex, mixaaFragment),
        files("ground", "ground_vert.glsl", "ground_frag.glsl"),
        files("uppophong", "uppophong_vert.glsl", "uppophong_frag.glsl"),
        text("waterRefl", waterVertex, waterFragment),
        text("lightray", shadowCoordinateVertex, lightrayFragment),
        files("phong", "phong_vert.glsl", "phong_frag.glsl"),
        files("fishbone", "fishbone_vert.glsl", "fishbone_frag.glsl"),
        files("normal_mapping", "normal_mapping_vert.glsl", "normal_mapping_frag.glsl"),
        files("water_normal_mapping", "water_normal_mapping_vert.glsl", "water_normal_mapping_frag.glsl"),
        files("depth_col_adjust", "depth_col_adjust_vert.glsl", "depth_col_adjust_frag.glsl"),
        files("tyonto", "tyonto_vert.glsl", "tyonto_frag.glsl"),
        files("noise", "noise_vert.glsl", "noise_frag.glsl"),
        text("color", passThroughVertex, colorFragment),
        text("sindistort", tintedVertex, sindistortFragment),
        text("chrome", passThroughVertex, chromeFragment),
        text("meta", passThroughVertex, metaFragment),
        text("blurx", horizontalTapsVertex, blurAFragment),
        text("blury", verticalTapsVertex, blurAFragment),
        text("blur2x", horizontalTapsVertex, blurBFragment),
        text("blur2y", verticalTapsVertex, blurBFragment),
        text("darken", coordinateVertex, darkenFragment),
        text("glowc", coordinateVertex, glowFragment),
        text("edge", passThroughVertex, edgeFragment),
        text("invert", coordinateVertex, invertFragment),
        text("blackwhite", coordinateVertex, blackwhiteFragment),
        text("dof", coordinateVertex, dofFragment),
        files("caustic", "caustics_vert.glsl", "caustics_frag.glsl"),
        text("shadowmap", shadowCoordinateVertex, shadowOnlyFragment),
        text("shadowmaptex", shadowTextureVertex, shadowTextureFragment),
        files("greetwater", "greetwater_vert.glsl", "greetwater_frag.glsl"),
        oldNvidia ? files("fisu_shadowmaptex", "fisu_ground_vert_nv7.glsl", "fisu_ground_frag_nv7.glsl")
                  : files("fisu_shadowmaptex", "fisu_ground_vert.glsl", "fisu_ground_frag.glsl"),
    };
}
