// The offline GL context on EGL, with no window system at all: the capture and the tests render
// on a server or in a render job with neither X nor Wayland, and a display that goes away
// cannot touch them.
#pragma once

#include <string>

namespace VELMORA_PELAGOR::detail {

// A desktop GL context with the compatibility profile, current on this thread, with no surface
// (the runtime's frame buffer is drawn into) and the viewport and scissor box a window of that
// size would start with. Null with `error` set when the system offers none.
void* openOffscreenContext(int width, int height, std::string& error);
void closeOffscreenContext();
void* offscreenProcAddress(const char* name);

} // namespace VELMORA_PELAGOR::detail
