// The seam behind win32.h: every Win32-style call goes to the active backend.
#pragma once

#include "platform/win32.h"

#include <cstddef>

class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;
    virtual bool peekMessage(MSG& out, bool remove) = 0;
    virtual void postQuit(int exitCode) = 0;
    virtual void swapBuffers(HDC dc) = 0;
    virtual int messageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
    virtual bool keyDown(int virtualKey) = 0;
    virtual PROC getProcAddress(const char* name) = 0;
    virtual void setWindowIcon(HWND hwnd, HICON icon) = 0;
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

// Defined by the generated resources of the program (the window icon and the dialog banner).
void registerBuiltInResources();
