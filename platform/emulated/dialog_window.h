// Dialogs as the Win32-style calls see them. The state of every control lives here, the same
// for every backend: a backend builds the view, shows this state whenever it changes, and reports
// what the user does through the dialogUser* calls, which answer as Windows' dialog manager does.
#pragma once

#include "platform/dialog_resource.h"
#include "platform/win32.h"

#include <memory>
#include <string>
#include <vector>

struct DialogWindow;

struct DialogControl {
    DialogWindow* dialog = nullptr;
    DialogItem item;
    RECT rect;                        // pixels in the dialog's client area; a list's field only
    std::vector<std::string> entries; // a drop-down list's texts
    int selection = -1;               // -1 when nothing is selected
    UINT check = BST_UNCHECKED;
    bool enabled = true;
    bool visible = true;
    void* view = nullptr; // the backend's widget
};

struct DialogWindow {
    const DialogTemplate* resource = nullptr;
    DLGPROC proc = nullptr;
    DialogUnits units;
    std::vector<std::unique_ptr<DialogControl>> controls;
    RECT rect;                   // the client area in screen pixels
    bool visible = false;
    bool topmost = false;
    bool raiseRequested = false; // SetActiveWindow or SetForegroundWindow not yet carried out
    HWND focus = nullptr;        // a control, or the dialog itself (its first tab stop)
    HICON icon = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    void* view = nullptr; // the backend's window
};

HWND handleOf(const DialogWindow& dialog);
HWND handleOf(const DialogControl& control);
// Only dialogs that are showing (between DialogBoxParamA's start and its return) are found.
DialogWindow* findDialog(HWND hwnd);
DialogControl* findControl(HWND hwnd);
DialogControl* findControl(DialogWindow& dialog, int id);

// SendMessageA for dialogs and their controls: false when hwnd is neither.
bool sendDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

// What the user does. Disabled or hidden controls and ended dialogs ignore it.
// A click: check boxes tick or untick themselves, then the procedure hears of it.
void dialogUserClick(DialogControl& control);
// An entry picked from a drop-down list.
void dialogUserSelect(DialogControl& control, int index);
// Enter presses the focused push button, else the default one; Escape is IDCANCEL. True when
// the dialog used the key. `focused` is the control with the keys (null: none of them).
bool dialogUserKey(DialogWindow& dialog, int virtualKey, DialogControl* focused);
// The close box.
void dialogUserClose(DialogWindow& dialog);
