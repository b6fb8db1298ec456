#include "platform/window_system.h"

bool parseWindowSystem(const std::string& text, WindowSystem& system)
{
    if (text == "auto")
        system = WindowSystem::Automatic;
    else if (text == "x11")
        system = WindowSystem::X11;
    else if (text == "wayland")
        system = WindowSystem::Wayland;
    else
        return false;
    return true;
}

WindowSystem resolveWindowSystem(WindowSystem requested, const char* waylandDisplay)
{
    if (requested != WindowSystem::Automatic)
        return requested;
    // An empty WAYLAND_DISPLAY names no compositor.
    return waylandDisplay && *waylandDisplay ? WindowSystem::Wayland : WindowSystem::X11;
}

const char* windowSystemName(WindowSystem system)
{
    switch (system) {
    case WindowSystem::X11: return "x11";
    case WindowSystem::Wayland: return "wayland";
    default: return "auto";
    }
}
