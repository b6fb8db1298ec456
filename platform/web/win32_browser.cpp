// The Win32-style calls of platform/win32.h in the browser, and its frame loop. Keys come from the
// page's key events; a message box is written to standard error (the browser's console) and
// shown on the page; the show's frames run from the browser's animation callback. There are no
// display modes to list and no dialogs: the page's start screen chooses the mode.
#include "platform/backend.h"
#include "platform/frame_loop.h"
#include "platform/web/browser.h"
#include "platform/window_system.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

namespace {

bool keys[256] = {};
bool quitPosted = false;
int quitCode = 0;

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void*)
{
    const unsigned long code = event->keyCode;
    if (code < 256)
        keys[code] = type == EMSCRIPTEN_EVENT_KEYDOWN;
    // Escape, F1 and the arrows are the show's: the page neither scrolls nor opens its help.
    return code == VK_ESCAPE || code == VK_F1 || (code >= VK_LEFT && code <= VK_DOWN);
}

void listenToKeys()
{
    static bool listening = false;
    if (listening)
        return;
    listening = true;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, true, onKey);
}

struct Loop {
    bool (*frame)(void*) = nullptr;
    void* context = nullptr;
};
Loop loop;

void animationFrame()
{
    const bool more = loop.frame(loop.context);
    // The page counts the frames shown: its start-up time and frame rate come from there.
    EM_ASM({ Module.orvFrames = (Module.orvFrames || 0) + 1; });
    if (more)
        return;
    emscripten_cancel_main_loop();
    EM_ASM({
        if (typeof Module.orvEnded == 'function')
            Module.orvEnded();
    });
}

HINSTANCE__* const programModule = reinterpret_cast<HINSTANCE__*>(uintptr_t{0x400000});

} // namespace

// ---- the frame loop -------------------------------------------------------------------------

void runFrameLoop(bool (*frame)(void* context), void* context)
{
    listenToKeys();
    loop = {frame, context};
    // 0: at the browser's own rate (its animation frames); false: return now, the page lives on.
    emscripten_set_main_loop(animationFrame, 0, false);
}

// ---- messages, keys, the window -------------------------------------------------------------

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeMsg)
{
    if (!quitPosted)
        return FALSE;
    if (msg) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(quitCode);
    }
    if (removeMsg & PM_REMOVE)
        quitPosted = false;
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    quitPosted = true;
    quitCode = exitCode;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }
LRESULT DispatchMessageA(const MSG*) { return 0; }
// The browser shows the canvas once the animation callback has returned.
BOOL SwapBuffers(HDC) { return TRUE; }

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    EM_ASM(
        {
            if (typeof Module.orvMessage == 'function')
                Module.orvMessage(UTF8ToString($0), UTF8ToString($1));
        },
        caption ? caption : "", text ? text : "");
    return IDOK;
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    const ModuleResource* resource = findModuleResource(static_cast<int>(reinterpret_cast<uintptr_t>(name)));
    return reinterpret_cast<HICON>(const_cast<ModuleResource*>(resource));
}

// The page carries its own icon.
LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
HMODULE GetModuleHandleA(LPCSTR) { return programModule; }

SHORT GetAsyncKeyState(int virtualKey)
{
    listenToKeys();
    return virtualKey >= 0 && virtualKey < 256 && keys[virtualKey] ? static_cast<SHORT>(0x8000) : SHORT{0};
}

PROC wglGetProcAddress(LPCSTR name)
{
    if (!name)
        return nullptr;
    if (PROC replacement = procAddressOverride(name))
        return replacement;
    return browserGlProcAddress(name);
}

void useWindowSystem(WindowSystem) {}
WindowSystem windowSystemInUse() { return WindowSystem::Automatic; }

// ---- display modes and dialogs: none in a page ----------------------------------------------

BOOL EnumDisplaySettingsA(LPCSTR, DWORD, LPDEVMODEA) { return FALSE; }
INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return -1; }
BOOL EndDialog(HWND, INT_PTR) { return FALSE; }
HWND GetDlgItem(HWND, int) { return nullptr; }
LRESULT SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM) { return 0; }
UINT IsDlgButtonChecked(HWND, int) { return BST_UNCHECKED; }
BOOL CheckDlgButton(HWND, int, UINT) { return FALSE; }
BOOL EnableWindow(HWND, BOOL) { return FALSE; }
BOOL IsWindowEnabled(HWND) { return FALSE; }
BOOL IsWindowVisible(HWND) { return FALSE; }
HWND GetDesktopWindow() { return nullptr; }
BOOL GetWindowRect(HWND, LPRECT rect)
{
    if (rect)
        *rect = RECT{};
    return FALSE;
}
BOOL SetWindowPos(HWND, HWND, int, int, int, int, UINT) { return FALSE; }
BOOL ShowWindow(HWND, int) { return FALSE; }
HWND SetActiveWindow(HWND) { return nullptr; }
BOOL SetForegroundWindow(HWND) { return FALSE; }
HWND SetFocus(HWND) { return nullptr; }
void InitCommonControls() {}
