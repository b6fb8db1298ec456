// A backend for tests: messages, key states, display modes and what the user does in a dialog
// are scripted, message boxes and swaps recorded. GL entry points still come from the real
// driver, so GL code runs for real.
#pragma once

#include "platform/emulated/backend.h"

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

class ScriptedBackend final : public PlatformBackend {
public:
    struct RecordedBox {
        std::string text, caption;
        UINT type;
    };

    std::deque<MSG> messages;       // returned by PeekMessageA in order
    std::set<int> keysHeld;         // virtual keys reported as held
    std::set<int> keysPressed;      // pressed since GetAsyncKeyState last asked
    std::vector<RecordedBox> boxes; // every MessageBoxA
    std::vector<std::string> missingProcs; // names wglGetProcAddress pretends not to know
    int swaps = 0;
    HICON lastIcon = nullptr;
    // Runs after each swap, with the number of swaps so far: scripts the next frame's input.
    std::function<void(int)> onSwap;

    void postMessage(UINT message, WPARAM wParam = 0);
    void press(int vk)
    {
        keysHeld.insert(vk);
        keysPressed.insert(vk);
    }
    void release(int vk) { keysHeld.erase(vk); }
    // Pressed and let go before anyone looked.
    void tap(int vk) { keysPressed.insert(vk); }

    bool peekMessage(MSG& out, bool remove) override;
    void postQuit(int exitCode) override { postMessage(WM_QUIT, static_cast<WPARAM>(exitCode)); }
    void swapBuffers(HDC dc) override;
    int messageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    bool keyDown(int virtualKey) override { return keysHeld.count(virtualKey) != 0; }
    bool takeKeyPress(int virtualKey) override { return keysPressed.erase(virtualKey) != 0; }
    PROC getProcAddress(const char* name) override;
    void setWindowIcon(HWND, HICON icon) override { lastIcon = icon; }

    // Dialogs.
    std::vector<DEVMODEA> displayModes; // what EnumDisplaySettingsA lists, in order
    RECT desktop{0, 0, 1920, 1080};
    bool noDisplay = false;   // dialogs cannot be shown
    bool realDialogs = false; // shows them on screen with the real backend (modes stay scripted)
    int dialogsShown = 0;
    // The user, once a dialog shows: gets the dialog's handle. A dialog the script leaves open
    // is closed with its close box, so a test never hangs.
    std::function<void(HWND dialog)> onDialog;

    void addDisplayMode(int width, int height, int bitsPerPixel, int refreshRate);
    // What the user does in a showing dialog.
    static void click(HWND dialog, int id);
    static void select(HWND dialog, int id, int index);
    static void key(HWND dialog, int virtualKey);
    static void closeBox(HWND dialog);
    // Whether a showing dialog is kept above other windows.
    static bool topmost(HWND dialog);

    bool displayMode(DWORD index, DEVMODEA& mode) override;
    RECT desktopRect() override;
    DialogUnits dialogUnits(const DialogTemplate& resource) override;
    bool openDialog(DialogWindow& dialog) override;
    void refreshDialog(DialogWindow& dialog, DialogControl* control) override;
    void runDialog(DialogWindow& dialog) override;
    void closeDialog(DialogWindow& dialog) override;
};
