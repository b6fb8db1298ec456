// Which window system the show's dialog and window open on. Automatic means Wayland when
// WAYLAND_DISPLAY names a compositor, X11 otherwise; the user can force either.
#pragma once

#include <string>

enum class WindowSystem { Automatic, X11, Wayland };

// "auto", "x11" or "wayland" (exactly); false for anything else.
bool parseWindowSystem(const std::string& text, WindowSystem& system);
// The system Automatic stands for, given the value of WAYLAND_DISPLAY (null when unset).
WindowSystem resolveWindowSystem(WindowSystem requested, const char* waylandDisplay);
const char* windowSystemName(WindowSystem system);

// Makes SDL and GTK (and the message boxes they start) use that system; call before either
// opens a display. The name of the system in use is windowSystemName(windowSystemInUse()).
// On Windows there is one window system and both calls change nothing.
void useWindowSystem(WindowSystem system);
WindowSystem windowSystemInUse();
