// The Win32-style calls of platform/win32.h where the system has none (Linux, the browser): each
// one goes to the active backend (SDL and GTK, the page, or the scripted one of the tests), with
// dialogs kept in DialogWindow.
#include "platform/emulated/backend.h"
#include "platform/emulated/dialog_window.h"
#include "platform/gl_proc_overrides.h"
#include "platform/module_resources.h"

#include <cstring>

namespace {
// The program's one module; its address is all the handle means.
HINSTANCE__* const programModule = reinterpret_cast<HINSTANCE__*>(uintptr_t{0x400000});
} // namespace

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeMsg)
{
    MSG scratch;
    return activeBackend().peekMessage(msg ? *msg : scratch, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG*) { return 0; }

BOOL SwapBuffers(HDC dc)
{
    activeBackend().swapBuffers(dc);
    return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return activeBackend().messageBox(owner, text ? text : "", caption ? caption : "", type);
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    const ModuleResource* resource = findModuleResource(static_cast<int>(reinterpret_cast<uintptr_t>(name)));
    return reinterpret_cast<HICON>(const_cast<ModuleResource*>(resource));
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (sendDialogMessage(hwnd, msg, wParam, lParam, result))
        return result;
    if (msg == WM_SETICON)
        activeBackend().setWindowIcon(hwnd, reinterpret_cast<HICON>(lParam));
    return 0;
}

HMODULE GetModuleHandleA(LPCSTR) { return programModule; }

SHORT GetAsyncKeyState(int virtualKey)
{
    PlatformBackend& backend = activeBackend();
    return static_cast<SHORT>((backend.keyDown(virtualKey) ? 0x8000 : 0) | (backend.takeKeyPress(virtualKey) ? 1 : 0));
}

PROC wglGetProcAddress(LPCSTR name)
{
    return resolveProcAddress(name, [](const char* known) { return activeBackend().getProcAddress(known); });
}

void PostQuitMessage(int exitCode) { activeBackend().postQuit(exitCode); }
