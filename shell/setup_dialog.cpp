#include "shell/setup_dialog.h"

#include "platform/window_system.h"
#include "render/driver_flags.h"
#include "shell/setup_choice.h"

#include <cstdio>

namespace {

// Dialog resource 101 and its controls.
constexpr int setupDialogResource = 101;
constexpr int aspectListId = 1022;
constexpr int modeListId = 1023;
constexpr int fullscreenBox = 1005;
constexpr int alwaysOnTopBox = 1007;
constexpr int oldNvidiaBox = 1008;
constexpr int noModeNote = 1030;
constexpr int iconResource = 113;

const char* const aspectNames[] = {"4:3", "16:10", "16:9"};
constexpr int aspectCount = 3;

// The dialog being shown: the procedure is a plain function.
SetupDialog* shown = nullptr;

// "Always on top" only makes sense for a window: greyed out while "Fullscreen" is ticked.
void enableAlwaysOnTop(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, alwaysOnTopBox), IsDlgButtonChecked(dialog, fullscreenBox) != BST_CHECKED);
}

int listSelection(HWND dialog, int list)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0));
}

} // namespace

SetupDialog::SetupDialog() { modeList.enumerate(); }

bool SetupDialog::run()
{
    shown = this;
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(setupDialogResource), nullptr, &procedure, 0);
    shown = nullptr;
    return result != -1;
}

const DEVMODEA* SetupDialog::selected() const
{
    if (selectedMode < 0 || static_cast<size_t>(selectedMode) >= modeList.size())
        return nullptr;
    return &modeList[static_cast<size_t>(selectedMode)];
}

int SetupDialog::width() const { return selected() ? static_cast<int>(selected()->dmPelsWidth) : 0; }
int SetupDialog::height() const { return selected() ? static_cast<int>(selected()->dmPelsHeight) : 0; }
int SetupDialog::refreshRate() const { return selected() ? static_cast<int>(selected()->dmDisplayFrequency) : 0; }

void SetupDialog::initDialog(HWND dialog)
{
    InitCommonControls();

    // Centred on the desktop and above other windows.
    if (HWND desktop = GetDesktopWindow()) {
        RECT d, r;
        GetWindowRect(desktop, &d);
        GetWindowRect(dialog, &r);
        SetWindowPos(dialog, HWND_TOPMOST, d.right / 2 - (r.right - r.left) / 2, d.bottom / 2 - (r.bottom - r.top) / 2, 0,
                     0, SWP_NOSIZE);
    }

    for (const char* name : aspectNames)
        SendDlgItemMessageA(dialog, aspectListId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendDlgItemMessageA(dialog, aspectListId, CB_SETCURSEL, 0, 0);
    aspectIndex = 0;

    // 1024 x 768 is preselected; of several such modes the last one listed.
    int preselected = 0;
    for (size_t i = 0; i < modeList.size(); ++i) {
        const DEVMODEA& mode = modeList[i];
        char text[64];
        std::snprintf(text, sizeof text, "%dx%d 32 bpp %d hz", static_cast<int>(mode.dmPelsWidth),
                      static_cast<int>(mode.dmPelsHeight), static_cast<int>(mode.dmDisplayFrequency));
        SendDlgItemMessageA(dialog, modeListId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (mode.dmPelsWidth == 1024 && mode.dmPelsHeight == 768)
            preselected = static_cast<int>(i);
    }
    SendDlgItemMessageA(dialog, modeListId, CB_SETCURSEL, static_cast<WPARAM>(preselected), 0);
    selectedMode = preselected;
    bitsPerPixel = 32;
    // Nothing to play in: say why instead of starting the show in a mode that does not exist.
    if (modeList.empty()) {
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        ShowWindow(GetDlgItem(dialog, noModeNote), SW_SHOW);
    }

    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    SetForegroundWindow(dialog);
    SetFocus(dialog);
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconResource))));

    CheckDlgButton(dialog, alwaysOnTopBox, BST_UNCHECKED);
    CheckDlgButton(dialog, fullscreenBox, BST_UNCHECKED);
    enableAlwaysOnTop(dialog);
}

void SetupDialog::command(HWND dialog, WORD id)
{
    enableAlwaysOnTop(dialog);
    if (id == IDOK) {
        if (modeList.empty())
            return; // Play is greyed out then; Enter or a stray command must not start the show
        const int mode = listSelection(dialog, modeListId);
        if (mode >= 0 && static_cast<size_t>(mode) < modeList.size())
            selectedMode = mode;
        const int aspect = listSelection(dialog, aspectListId);
        if (aspect >= 0 && aspect < aspectCount)
            aspectIndex = aspect;
        // A ticked box sets its flag; nothing here clears one. "Always on top" counts even while
        // greyed out by "Fullscreen".
        if (IsDlgButtonChecked(dialog, fullscreenBox) == BST_CHECKED)
            fullscreen = true;
        if (IsDlgButtonChecked(dialog, alwaysOnTopBox) == BST_CHECKED)
            alwaysOnTop = true;
        if (IsDlgButtonChecked(dialog, oldNvidiaBox) == BST_CHECKED)
            oldNvidia = true;
        play = true;
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        play = false;
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

INT_PTR SetupDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (!shown)
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        shown->initDialog(dialog);
        break;
    case WM_COMMAND:
        shown->command(dialog, LOWORD(wParam));
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        break;
    case WM_DESTROY:
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

SetupChoice runSetupDialog()
{
    SetupChoice choice;
    SetupDialog dialog;
    if (!dialog.run()) {
        const char* text = windowSystemInUse() == WindowSystem::Wayland
                               ? "Cannot show the setup dialog: no display (no Wayland compositor answers at "
                                 "WAYLAND_DISPLAY; --video x11 uses X11)"
                               : "Cannot show the setup dialog: no display (set DISPLAY or start a desktop session)";
        MessageBoxA(nullptr, text, "Orvalune", MB_OK | MB_ICONERROR);
        choice.exitCode = 1;
        return choice;
    }
    choice.play = dialog.play;
    choice.mode.width = dialog.width();
    choice.mode.height = dialog.height();
    choice.mode.refreshRate = dialog.refreshRate();
    choice.mode.fullscreen = dialog.fullscreen;
    choice.mode.alwaysOnTop = dialog.alwaysOnTop;
    choice.mode.aspectIndex = dialog.aspectIndex;
    return choice;
}
