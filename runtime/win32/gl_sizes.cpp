// glLineWidth and glPointSize of the whole program come here first. MinGW calls DLL functions
// through their import pointers (__imp_glLineWidth), so the link wraps those pointers
// (-Wl,--wrap=__imp_..., cmake/windows.cmake) and ours point at functions that let the runtime
// scale the sizes to the frame buffer drawn into.
#include "runtime/state.h"

#include <windows.h>

#include <GL/gl.h>

namespace {

void APIENTRY lineWidthWrapped(GLfloat width) { VELMORA_PELAGOR::detail::lineWidthAsked(width); }
void APIENTRY pointSizeWrapped(GLfloat size) { VELMORA_PELAGOR::detail::pointSizeAsked(size); }

} // namespace

extern "C" {
extern void(APIENTRY* __real___imp_glLineWidth)(GLfloat);
extern void(APIENTRY* __real___imp_glPointSize)(GLfloat);
void(APIENTRY* __wrap___imp_glLineWidth)(GLfloat) = &lineWidthWrapped;
void(APIENTRY* __wrap___imp_glPointSize)(GLfloat) = &pointSizeWrapped;
}

namespace VELMORA_PELAGOR::detail {

void realLineWidth(float width) { __real___imp_glLineWidth(width); }
void realPointSize(float size) { __real___imp_glPointSize(size); }

} // namespace VELMORA_PELAGOR::detail
