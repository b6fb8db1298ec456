// The seam behind win32.h: every Win32-style call goes to the active backend.
#pragma once

#include "platform/dialog_resource.h"
#include "platform/win32.h"

#include <cstddef>

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

    // Display modes and dialogs. A dialog's state lives in DialogWindow (platform/linux/dialog_window.h);
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

// The SDL backend, active unless a test installs another.
PlatformBackend& sdlBackend();
PlatformBackend& activeBackend();
// Installs a backend (nullptr returns to SDL).
void setActiveBackend(PlatformBackend* backend);

// Icons and bitmaps built into the program (the dialog banner, the window icon).
struct ModuleResource {
    int id;
    const unsigned char* data; // PNG bytes
    size_t size;
};
void registerModuleResources(const ModuleResource* resources, size_t count);
const ModuleResource* findModuleResource(int id);

// GL entry points that the runtime reroutes (the offline frame buffer stands in for the window).
void setProcAddressOverride(const char* name, PROC replacement);
// The rerouted entry point of that name, or null.
PROC procAddressOverride(const char* name);
// Where the backend finds GL entry points while the runtime holds a context of its own, made
// without the backend (offline, on EGL); nullptr returns to the backend's own lookup.
using ProcAddressLookup = void* (*)(const char* name);
void setProcAddressSource(ProcAddressLookup lookup);
ProcAddressLookup procAddressSource();

// Defined by the generated resources of the program (the window icon and the dialog banner).
void registerBuiltInResources();
