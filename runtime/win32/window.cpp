// The window system's part of the window on Windows: a Win32 window with a WGL context, full
// screen through ChangeDisplaySettings, the gamma ramp, and the show's messages and keys.
#include "runtime/state.h"
#include "platform/utf8_files.h"
#include "platform/win32/wide_text.h"

#include <string>

namespace VELMORA_PELAGOR::detail {

namespace {

constexpr const char* windowClassName = "OrvaluneWindow";

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // GetAsyncKeyState's "pressed since" bit is shared with every other program that asks:
        // the window's own key messages make sure a tap reaches the next frame.
        noteKeyPress(static_cast<int>(wParam & 0xFF));
        break;
    case WM_SETCURSOR:
        // Full screen hides the pointer; a window keeps it.
        if (LOWORD(lParam) == HTCLIENT && window().modeChanged) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerWindowClass(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = windowClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The chosen mode, or false when the display cannot switch to it (the show then plays full
// screen at the desktop's own mode, letterboxed).
bool switchDisplayMode(int width, int height, int refreshRate)
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    if (refreshRate > 0) {
        mode.dmDisplayFrequency = static_cast<DWORD>(refreshRate);
        mode.dmFields |= DM_DISPLAYFREQUENCY;
    }
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

bool createContext(WindowState& w)
{
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cAlphaBits = 8;
    format.cDepthBits = 24;
    format.cStencilBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = ChoosePixelFormat(w.dc, &format);
    if (!chosen || !SetPixelFormat(w.dc, chosen, &format))
        return false;
    // A legacy context is a compatibility one: everything the show draws is fixed-function or
    // GLSL 1.10.
    w.context = wglCreateContext(w.dc);
    return w.context && wglMakeCurrent(w.dc, w.context);
}

} // namespace

std::string lastErrorText()
{
    const DWORD code = GetLastError();
    wchar_t text[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text / sizeof text[0], nullptr);
    std::string result = utf8FromWide(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result.empty() ? "error " + std::to_string(code) : result;
}

bool openPlatformWindow(int width, int height, bool fullscreen, bool alwaysOnTop, int refreshRate)
{
    WindowState& w = window();
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerWindowClass(instance))
        return fail("Cannot open a window: " + lastErrorText());
    const bool visible = !offline().enabled;
    bool coverScreen = false;
    if (fullscreen && visible) {
        w.modeChanged = switchDisplayMode(width, height, refreshRate);
        if (!w.modeChanged)
            dmsMsg("dmsInitEx: the display cannot switch to %dx%d; full screen at the desktop's own mode\n", width,
                   height);
        coverScreen = true;
    }
    DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD extended = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, outerWidth = width, outerHeight = height;
    if (coverScreen) {
        style |= WS_POPUP;
        extended |= WS_EX_TOPMOST;
        x = y = 0;
        outerWidth = GetSystemMetrics(SM_CXSCREEN);
        outerHeight = GetSystemMetrics(SM_CYSCREEN);
    } else {
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        if (alwaysOnTop && visible)
            extended |= WS_EX_TOPMOST;
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, style, FALSE, extended);
        outerWidth = frame.right - frame.left;
        outerHeight = frame.bottom - frame.top;
        x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2);
        y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2);
    }
    w.window = CreateWindowExA(extended, windowClassName, "Orvalune", style, x, y, outerWidth, outerHeight, nullptr,
                               nullptr, instance, nullptr);
    if (!w.window)
        return fail("Cannot open a window: " + lastErrorText());
    w.dc = GetDC(w.window);
    if (!createContext(w))
        return fail("Cannot create an OpenGL context: " + lastErrorText());
    // Offline frames are never presented: no waiting for the display.
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto swapInterval = reinterpret_cast<SwapInterval>(glProcAddress("wglSwapIntervalEXT")))
        swapInterval(offline().enabled ? 0 : 1);
    if (visible) {
        ShowWindow(w.window, SW_SHOW);
        SetForegroundWindow(w.window);
        SetFocus(w.window);
    }
    if (offline().enabled) {
        w.width = width;
        w.height = height;
    } else {
        RECT client{};
        GetClientRect(w.window, &client);
        w.width = client.right - client.left;
        w.height = client.bottom - client.top;
    }
    w.gammaSaved = GetDeviceGammaRamp(w.dc, w.gammaRamp) != FALSE;
    return true;
}

void closePlatformWindow()
{
    WindowState& w = window();
    if (w.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(w.context);
    }
    if (w.dc && w.gammaSaved)
        SetDeviceGammaRamp(w.dc, w.gammaRamp);
    if (w.dc)
        ReleaseDC(w.window, w.dc);
    if (w.window)
        DestroyWindow(w.window);
    if (w.modeChanged)
        ChangeDisplaySettingsA(nullptr, 0);
    w.context = nullptr;
    w.dc = nullptr;
    w.window = nullptr;
    w.modeChanged = false;
}

void* glProcAddress(const char* name) { return reinterpret_cast<void*>(wglGetProcAddress(name)); }

std::string programFolder()
{
    // UTF-16, and long enough for any path Windows allows.
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    path.resize(length);
    const std::string folder = utf8FromWide(path);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

void dmsSetWindowTitle(const char* title)
{
    window().title = title ? title : "";
    if (window().window)
        SetWindowTextA(window().window, window().title.c_str());
}

HWND dmsGetHWND() { return window().window; }
HDC dmsGetHDC() { return window().dc; }

void dmsSetGamma(int gamma)
{
    WindowState& w = window();
    if (!w.dc || !w.gammaSaved)
        return;
    if (gamma == 0) {
        SetDeviceGammaRamp(w.dc, w.gammaRamp);
        return;
    }
    // The saved ramp scaled by the brightness, as SDL's brightness does on other platforms.
    const float brightness = 1.0f + static_cast<float>(gamma) / 100.0f;
    WORD ramp[3][256];
    for (int i = 0; i < 256; ++i) {
        const float value = std::min(65535.0f, static_cast<float>(i) * 257.0f * brightness);
        ramp[0][i] = ramp[1][i] = ramp[2][i] = static_cast<WORD>(std::max(0.0f, value));
    }
    SetDeviceGammaRamp(w.dc, ramp);
}

} // namespace VELMORA_PELAGOR
