// The show's GLSL 1.10 programs turned into GLSL ES 3.00 for WebGL 2, mechanically: the
// fixed-function built-ins they read (ftransform, gl_Vertex, gl_Color, gl_MultiTexCoordN,
// gl_Normal, the matrices, gl_LightSource[0], gl_FrontMaterial, gl_FrontLightProduct[0]) become
// the orv_* attributes and uniforms the browser's GL layer feeds, gl_FrontColor and gl_TexCoord
// become varyings, gl_FragColor an output, texture2D and the shadow look-ups their ES names. The
// shader's main is kept as orv_main, called by a main of ours that adds the clip plane (WebGL has
// no user clip planes: the vertex stage passes the distance, the fragment stage discards below 0).
// Pure text: no GL.
#pragma once

#include <string>

enum class ShaderStage { Vertex, Fragment };

std::string translateGlslToEs(const std::string& source, ShaderStage stage);

// Attribute names of a translated program, for glBindAttribLocation: index i of the list goes to
// location i (null entries are left to the linker).
extern const char* const glslEsAttributes[7];
