// The seam behind the emulated Win32-style calls (platform/emulated/win32_emulation.cpp): every
// call goes to the active backend. A platform without the system's own calls implements one
// PlatformBackend in its folder (linux/backend.cpp: SDL and GTK; web/backend.cpp: the page) and
// returns it from defaultBackend(); tests install a scripted one.
#pragma once

#include "platform/dialog_resource.h"
#include "platform/win32.h"

struct DialogWindow;
struct DialogControl;

class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;
    virtual bool peekMessage(MSG& out, bool remove) = 0;
    virtual void postQuit(int exitCode) = 0;
    virtual void swapBuffers(HDC dc) = 0;
    virtual int messageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
    virtual bool keyDown(int virtualKey) = 0;
    // Whether the key was pressed since the last time this was asked for it.
    virtual bool takeKeyPress(int virtualKey) = 0;
    virtual PROC getProcAddress(const char* name) = 0;
    virtual void setWindowIcon(HWND hwnd, HICON icon) = 0;

    // Display modes and dialogs. A dialog's state lives in DialogWindow (platform/emulated/dialog_window.h);
    // a backend shows it and reports what the user does through the dialogUser* calls. A backend
    // without them lists no modes and shows no dialogs.
    virtual bool displayMode(DWORD /*index*/, DEVMODEA& /*mode*/) { return false; } // false past the last
    virtual RECT desktopRect() { return {}; }
    virtual DialogUnits dialogUnits(const DialogTemplate& /*resource*/) { return {}; }
    // Builds the dialog's view, hidden; false when it cannot be shown (no display).
    virtual bool openDialog(DialogWindow& /*dialog*/) { return false; }
    // Shows what changed: a control, or (null) the dialog itself, ended included.
    virtual void refreshDialog(DialogWindow& /*dialog*/, DialogControl* /*control*/) {}
    // The modal loop: returns once the dialog has ended.
    virtual void runDialog(DialogWindow& /*dialog*/) {}
    virtual void closeDialog(DialogWindow& /*dialog*/) {}
};

// The platform's own backend (SDL with GTK dialogs on Linux, the page in a browser), defined in
// the platform's folder; active unless a test installs another.
PlatformBackend& defaultBackend();
PlatformBackend& activeBackend();
// Installs a backend (nullptr returns to the platform's own).
void setActiveBackend(PlatformBackend* backend);
