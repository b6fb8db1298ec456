// glLineWidth and glPointSize of the whole program come here first: the link wraps them
// (-Wl,--wrap, in cmake/linux.cmake and cmake/web.cmake: GNU ld and wasm-ld
// both wrap plain symbols), so the runtime can scale them to the frame buffer drawn into.
#include "runtime/state.h"

#include <GL/gl.h>

extern "C" {
void __real_glLineWidth(GLfloat width);
void __real_glPointSize(GLfloat size);
void __wrap_glLineWidth(GLfloat width) { VELMORA_PELAGOR::detail::lineWidthAsked(width); }
void __wrap_glPointSize(GLfloat size) { VELMORA_PELAGOR::detail::pointSizeAsked(size); }
}

namespace VELMORA_PELAGOR::detail {

void realLineWidth(float width) { __real_glLineWidth(width); }
void realPointSize(float size) { __real_glPointSize(size); }

} // namespace VELMORA_PELAGOR::detail
