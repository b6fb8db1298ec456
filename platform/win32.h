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
//   SendMessageA      to the show's window: WM_SETICON sets its icon, other messages are
//                     ignored (dialogs and their controls: below).
//   GetModuleHandleA  the program's own module (null name).
//   GetAsyncKeyState  high bit set while the virtual key is held; low bit set when it was pressed
//                     since the last call for that key (a tap let go before anyone asked).
//   wglGetProcAddress a GL entry point by name, or null when the driver lacks it.
//
// Display modes and dialogs (a dialog's controls are window handles too):
//   EnumDisplaySettingsA mode number n of the display (null device) in the driver's order; TRUE
//                     while n is a mode. Modes whose pixels are four bytes count as 32 bits.
//   DialogBoxParamA   shows dialog resource (MAKEINTRESOURCEA id) modally; the procedure gets
//                     WM_INITDIALOG with the init parameter, then WM_COMMAND for clicks, Enter
//                     (IDOK) and Escape (IDCANCEL), WM_CLOSE for the close box (and SIGINT or
//                     SIGTERM), WM_DESTROY once it has ended. Returns EndDialog's result, or -1
//                     when the dialog cannot be shown (no display, unknown resource).
//   EndDialog         ends the modal loop with that result once the procedure returns.
//   GetDlgItem        the control of that id, or null.
//   SendMessageA      to a control: CB_* on drop-down lists, BM_* on check boxes;
//                     to a dialog: WM_SETICON sets its icon, any other message goes to its
//                     procedure and its result comes back.
//   SendDlgItemMessageA  SendMessageA to GetDlgItem(dialog, id).
//   IsDlgButtonChecked, CheckDlgButton  a check box's state, BST_CHECKED or BST_UNCHECKED.
//   EnableWindow      greys a control out (or back); returns nonzero when it was disabled.
//   IsWindowEnabled, IsWindowVisible  what the user can use and see.
//   GetDesktopWindow, GetWindowRect  the screen, a dialog or a control, in screen pixels.
//   SetWindowPos      moves or sizes a dialog (SWP_NOMOVE, SWP_NOSIZE); HWND_TOPMOST keeps it
//                     above other windows.
//   ShowWindow        SW_SHOW or SW_HIDE a dialog or control; returns nonzero when it was visible.
//   SetActiveWindow, SetForegroundWindow  raise the dialog and give it the keyboard.
//   SetFocus          the control (or the dialog's first control) that gets the keys.
//   InitCommonControls nothing to register here; kept for the dialog's shape.
// On Windows the calls are the system's own (platform/win32/native.h); elsewhere they are emulated
// once (platform/emulated/) and go to the active backend (platform/emulated/backend.h): on Linux
// SDL with GTK dialogs, in the browser the page (keys from its canvas, message boxes onto it, no
// display modes and no dialogs: the page's start screen chooses the mode), in tests a scripted
// one.
#pragma once

#if defined(_WIN32)
#include "platform/win32/native.h"
#else
#include "platform/emulated/win32_emulation.h"
#endif
