// Shared by the render suites: one GL start-up per test binary, and the tools the death tests
// use to see what a dying child showed.
#pragma once

#include "platform/emulated/scripted_backend.h"

#include <GL/gl.h>

#include <string>
#include <vector>

// 4:3, so the letterboxed picture fills the whole window.
constexpr int testWidth = 320;
constexpr int testHeight = 240;

// The offline window, initGl (with the generator at its first state) and the shader manager,
// done once; the log of that start-up is kept.
struct RenderSetup {
    bool ok = false;
    std::vector<std::string> startLog;
};
const RenderSetup& renderSetup();

// The driver's extension string without any occurrence of the given part.
std::string extensionsWithout(const std::string& part);

// In a death-test child: installs a scripted backend and, at exit, writes "BOX OK" to stderr if
// exactly one message box was shown with this text, caption and type (else what was shown).
void expectBoxAtExit(const std::string& text, const std::string& caption, UINT type,
                     const std::vector<std::string>& missingProcs = {});
// ... or "NO BOX" when none was shown.
void expectNoBoxAtExit();

// Centre pixel of the window as a test reads it (RGBA, 0..255).
struct Pixel {
    int r, g, b, a;
};
Pixel windowPixel(int x, int y); // GL window coordinates, origin bottom left
Pixel targetPixel(int x, int y); // from the bound frame buffer, same coordinates

// The projection dmsPerspective3D sets.
std::vector<float> perspective3DMatrix();
std::vector<float> currentMatrix(GLenum which);
