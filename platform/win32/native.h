// On Windows the calls of platform/win32.h are the system's own, with two exceptions that need
// the program's help:
//   wglGetProcAddress  also answers the GL entry points the runtime reroutes (offline, frame
//                      buffer 0 is the runtime's own frame buffer) and, unlike the system's,
//                      the OpenGL 1.1 ones that opengl32 exports.
//   DialogBoxParamA    builds the dialog from the program's dialog table
//                      (platform/dialog_resource.h) as an in-memory template, so the Windows
//                      dialog and the GTK one come from the same layout. Bitmap controls show
//                      the program's built-in PNG resources.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

// Sixteen-bit pointer qualifiers, defined empty: names the show's code is free to use.
#undef near
#undef far

PROC orvGetProcAddress(LPCSTR name);
INT_PTR orvDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                           LPARAM initParam);
// The system's box, with its caption and text on standard error first, as on the other platforms:
// a run from a script or a console still says what went wrong.
int orvMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#undef DialogBoxParam
#undef DialogBoxParamA
#define wglGetProcAddress orvGetProcAddress
#define DialogBoxParamA orvDialogBoxParamA
#undef MessageBox
#undef MessageBoxA
#define MessageBoxA orvMessageBoxA
