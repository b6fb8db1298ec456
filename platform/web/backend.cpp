// The page as the emulated Win32 layer's backend. Keys come from the page's key events; a message
// box is written to standard error (the browser's console) and shown on the page; the browser
// presents the canvas itself once the animation callback has returned. There are no display
// modes to list and no dialogs: the page's start screen chooses the mode.
#include "platform/emulated/backend.h"
#include "platform/web/gl_proc_address.h"
#include "platform/window_system.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <bitset>
#include <cstdio>

namespace {

class PageBackend final : public PlatformBackend {
public:
    PageBackend()
    {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onKey);
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, onKey);
    }

    bool peekMessage(MSG& out, bool remove) override
    {
        if (!quitPosted)
            return false;
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(quitCode);
        if (remove)
            quitPosted = false;
        return true;
    }

    void postQuit(int exitCode) override
    {
        quitPosted = true;
        quitCode = exitCode;
    }

    void swapBuffers(HDC) override {}

    int messageBox(HWND, const char* text, const char* caption, UINT) override
    {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        EM_ASM(
            {
                if (typeof Module.orvMessage == 'function')
                    Module.orvMessage(UTF8ToString($0), UTF8ToString($1));
            },
            caption, text);
        return IDOK;
    }

    bool keyDown(int virtualKey) override { return known(virtualKey) && held.test(static_cast<size_t>(virtualKey)); }

    bool takeKeyPress(int virtualKey) override
    {
        if (!known(virtualKey) || !pressed.test(static_cast<size_t>(virtualKey)))
            return false;
        pressed.reset(static_cast<size_t>(virtualKey));
        return true;
    }

    PROC getProcAddress(const char* name) override { return browserGlProcAddress(name); }

    // The page carries its own icon.
    void setWindowIcon(HWND, HICON) override {}

private:
    static constexpr int virtualKeyCount = 256;

    static bool known(int virtualKey) { return virtualKey >= 0 && virtualKey < virtualKeyCount; }

    static EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void* self)
    {
        auto& page = *static_cast<PageBackend*>(self);
        const unsigned long code = event->keyCode;
        if (code < virtualKeyCount) {
            const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
            page.held.set(code, down);
            if (down)
                page.pressed.set(code);
        }
        // Escape, F1 and the arrows are the show's: the page neither scrolls nor opens its help.
        return code == VK_ESCAPE || code == VK_F1 || (code >= VK_LEFT && code <= VK_DOWN);
    }

    std::bitset<virtualKeyCount> held;
    // Pressed since the show last asked: a tap between two frames is not lost.
    std::bitset<virtualKeyCount> pressed;
    bool quitPosted = false;
    int quitCode = 0;
};

} // namespace

PlatformBackend& defaultBackend()
{
    static PageBackend page;
    return page;
}

// A page has one window system, the browser's: nothing to choose.
void useWindowSystem(WindowSystem) {}
WindowSystem windowSystemInUse() { return WindowSystem::Automatic; }
