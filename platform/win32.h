// The Win32-style calls that shell/ and render/ are written against.
//
// Contract, a line per call:
//   PeekMessageA      next waiting window message; closing the window, SIGINT or SIGTERM
//                     arrive as WM_QUIT. With PM_REMOVE the message is taken off the queue.
//   TranslateMessage  no-op kept for the loop's shape; returns FALSE.
//   DispatchMessageA  hands the message to the window; returns 0.
//   SwapBuffers       presents the frame of the device context's window.
//   MessageBoxA       shows text with caption and icon kind; always also written to stderr.
//   LoadIconA         an icon resource of the module (MAKEINTRESOURCEA id), or null.
//   SendMessageA      WM_SETICON sets the window icon; other messages are ignored.
//   GetModuleHandleA  the program's own module (null name).
//   GetAsyncKeyState  high bit set while the virtual key is held.
//   wglGetProcAddress a GL entry point by name, or null when the driver lacks it.
// The calls go to the active backend: SDL by default, or a scripted one in tests.
#pragma once

#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using LONG = int32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using SHORT = int16_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LPCSTR = const char*;
using PROC = void (*)();

struct HWND__;
struct HDC__;
struct HICON__;
struct HINSTANCE__;
using HWND = HWND__*;
using HDC = HDC__*;
using HICON = HICON__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct POINT {
    LONG x = 0, y = 0;
};

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
using LPMSG = MSG*;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TOPMOST = 0x00040000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SPACE = 0x20;
constexpr int VK_F1 = 0x70;

inline LPCSTR MAKEINTRESOURCEA(int id) { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id))); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL SwapBuffers(HDC dc);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
HMODULE GetModuleHandleA(LPCSTR name);
SHORT GetAsyncKeyState(int virtualKey);
PROC wglGetProcAddress(LPCSTR name);
void PostQuitMessage(int exitCode);
