// The real backend: SDL2 events, keyboard, GL entry points, message boxes and display modes;
// dialogs are GTK's (dialog_gtk.cpp).
#include "platform/emulated/backend.h"
#include "platform/gl_proc_overrides.h"
#include "platform/module_resources.h"
#include "platform/linux/dialog_gtk.h"
#include "platform/window_system.h"
#include "platform/linux/zenity_box.h"
#include "platform/run_log.h"

#include <SDL.h>
#include <stb/stb_image.h>

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <deque>
#include <vector>

namespace {

WindowSystem systemInUse = WindowSystem::Automatic;

// How long a box on Wayland waits for its reader before it closes itself (the text is on
// standard error as well).
constexpr int waylandBoxSeconds = 300;

bool onWayland()
{
    if (systemInUse != WindowSystem::Automatic)
        return systemInUse == WindowSystem::Wayland;
    // Not chosen (the capture tool): where SDL went, or would go.
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return resolveWindowSystem(WindowSystem::Automatic, std::getenv("WAYLAND_DISPLAY")) == WindowSystem::Wayland;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string(driver) == "wayland";
}

SDL_Scancode scancodeForVirtualKey(int vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (vk - 'A'));
    if (vk >= '1' && vk <= '9')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1'));
    if (vk == '0')
        return SDL_SCANCODE_0;
    if (vk >= VK_F1 && vk < VK_F1 + 12)
        return static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (vk - VK_F1));
    switch (vk) {
    case VK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case VK_LEFT: return SDL_SCANCODE_LEFT;
    case VK_RIGHT: return SDL_SCANCODE_RIGHT;
    case VK_UP: return SDL_SCANCODE_UP;
    case VK_DOWN: return SDL_SCANCODE_DOWN;
    case VK_RETURN: return SDL_SCANCODE_RETURN;
    case VK_SPACE: return SDL_SCANCODE_SPACE;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

class SdlBackend final : public PlatformBackend {
public:
    bool peekMessage(MSG& out, bool remove) override
    {
        if (pending.empty())
            pollSdl();
        if (pending.empty())
            return false;
        out = pending.front();
        if (remove)
            pending.pop_front();
        return true;
    }

    void postQuit(int exitCode) override
    {
        MSG quit;
        quit.message = WM_QUIT;
        quit.wParam = static_cast<WPARAM>(exitCode);
        pending.push_back(quit);
    }

    void swapBuffers(HDC dc) override
    {
        if (dc)
            SDL_GL_SwapWindow(reinterpret_cast<SDL_Window*>(dc));
    }

    int messageBox(HWND owner, const char* text, const char* caption, UINT type) override
    {
        // Written first: whatever becomes of the box, the reason is on record.
        printAndLog("%s: %s\n", caption, text);
        const UINT icon = type & 0xF0;
        // SDL's box on Wayland is a zenity it waits for without limit; ours has one, and goes
        // away with the program.
        if (onWayland()) {
            const BoxKind kind = icon == MB_ICONERROR     ? BoxKind::Error
                                 : icon == MB_ICONWARNING ? BoxKind::Warning
                                                          : BoxKind::Information;
            if (showZenityBox(kind, caption, text, waylandBoxSeconds) == BoxOutcome::NotShown)
                std::fputs("(no message box: zenity could not show one; the message above is all)\n", stderr);
            return IDOK;
        }
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if (icon == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if (icon == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        // Without a display (or on desktops where SDL's box fails) stderr is all there is.
        if (SDL_WasInit(SDL_INIT_VIDEO) || SDL_getenv("DISPLAY"))
            SDL_ShowSimpleMessageBox(flags, caption, text, reinterpret_cast<SDL_Window*>(owner));
        return IDOK;
    }

    bool keyDown(int virtualKey) override
    {
        const SDL_Scancode code = scancodeForVirtualKey(virtualKey);
        if (code == SDL_SCANCODE_UNKNOWN || !SDL_WasInit(SDL_INIT_VIDEO))
            return false;
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        return code < count && state[code] != 0;
    }

    bool takeKeyPress(int virtualKey) override
    {
        if (virtualKey <= 0 || virtualKey >= virtualKeyCount || !pressed.test(static_cast<size_t>(virtualKey)))
            return false;
        pressed.reset(static_cast<size_t>(virtualKey));
        return true;
    }

    PROC getProcAddress(const char* name) override
    {
        if (const ProcAddressLookup lookup = procAddressSource())
            return reinterpret_cast<PROC>(lookup(name));
        return reinterpret_cast<PROC>(SDL_GL_GetProcAddress(name));
    }

    void setWindowIcon(HWND hwnd, HICON icon) override
    {
        const auto* resource = reinterpret_cast<const ModuleResource*>(icon);
        if (!hwnd || !resource)
            return;
        int w = 0, h = 0, channels = 0;
        unsigned char* pixels = stbi_load_from_memory(resource->data, static_cast<int>(resource->size), &w, &h,
                                                      &channels, 4);
        if (!pixels)
            return;
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels, w, h, 32, w * 4, SDL_PIXELFORMAT_RGBA32);
        if (surface) {
            SDL_SetWindowIcon(reinterpret_cast<SDL_Window*>(hwnd), surface);
            SDL_FreeSurface(surface);
        }
        stbi_image_free(pixels);
    }

    bool displayMode(DWORD index, DEVMODEA& mode) override
    {
        const std::vector<SDL_DisplayMode>& modes = displayModes();
        if (index >= modes.size())
            return false;
        const SDL_DisplayMode& found = modes[index];
        // SDL counts the padding byte of XRGB8888 out: four bytes a pixel are the 32-bit modes.
        const int bytes = SDL_BYTESPERPIXEL(found.format);
        mode.dmBitsPerPel = static_cast<DWORD>(bytes == 4 ? 32 : SDL_BITSPERPIXEL(found.format));
        mode.dmPelsWidth = static_cast<DWORD>(found.w);
        mode.dmPelsHeight = static_cast<DWORD>(found.h);
        mode.dmDisplayFrequency = static_cast<DWORD>(found.refresh_rate);
        return true;
    }

    RECT desktopRect() override { return gtkDesktopRect(); }
    DialogUnits dialogUnits(const DialogTemplate& resource) override { return gtkDialogUnits(resource); }
    bool openDialog(DialogWindow& dialog) override { return gtkOpenDialog(dialog); }
    void refreshDialog(DialogWindow& dialog, DialogControl* control) override { gtkRefreshDialog(dialog, control); }
    void runDialog(DialogWindow& dialog) override { gtkRunDialog(dialog); }
    void closeDialog(DialogWindow& dialog) override { gtkCloseDialog(dialog); }

private:
    // The primary display's modes in the driver's order, read once. Video stays started: on a
    // bare X server, closing the only connection resets the server, and the dialog's connection
    // opened at that moment would be turned away. (The dialog hands SIGINT and SIGTERM back to
    // SDL when it closes.)
    const std::vector<SDL_DisplayMode>& displayModes()
    {
        if (modesRead)
            return modes;
        modesRead = true;
        if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return modes;
        // The invisible drivers SDL falls back to without a display have nothing to switch to.
        const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        if (driver == "offscreen" || driver == "dummy")
            return modes;
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0)
                modes.push_back(mode);
        }
        return modes;
    }

    void pollSdl()
    {
        if (!SDL_WasInit(SDL_INIT_VIDEO))
            return;
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            MSG msg;
            if (event.type == SDL_QUIT) {
                msg.message = WM_QUIT; // window closed, SIGINT or SIGTERM
            } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
                if (event.type == SDL_KEYDOWN)
                    notePress(event.key.keysym.scancode);
                msg.message = event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP;
                msg.wParam = static_cast<WPARAM>(event.key.keysym.sym);
            } else {
                continue;
            }
            msg.time = event.common.timestamp;
            pending.push_back(msg);
            return;
        }
    }

    // By the time anyone asks, a key tapped between two looks is up again in SDL's keyboard
    // state: its press is kept here until asked for.
    void notePress(SDL_Scancode code)
    {
        if (code == SDL_SCANCODE_UNKNOWN)
            return;
        for (int vk = 1; vk < virtualKeyCount; ++vk)
            if (scancodeForVirtualKey(vk) == code)
                pressed.set(static_cast<size_t>(vk));
    }

    static constexpr int virtualKeyCount = 256;
    std::bitset<virtualKeyCount> pressed;
    std::deque<MSG> pending;
    std::vector<SDL_DisplayMode> modes;
    bool modesRead = false;
};

} // namespace

void useWindowSystem(WindowSystem system)
{
    systemInUse = resolveWindowSystem(system, std::getenv("WAYLAND_DISPLAY"));
    const char* name = windowSystemName(systemInUse);
    // Over whatever SDL_VIDEODRIVER or GDK_BACKEND say (SDL alone might take XWayland), so the
    // dialog, the window and the boxes all open on the same system.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, name, SDL_HINT_OVERRIDE);
    setenv("GDK_BACKEND", name, 1);
}

WindowSystem windowSystemInUse() { return systemInUse; }

PlatformBackend& defaultBackend()
{
    static SdlBackend backend;
    return backend;
}
