// The setup dialog shown before anything else: display mode, aspect ratio, Fullscreen, Always
// on top, Old NVidia, then Play or Quit. The driver reads the choices afterwards.
#pragma once

#include "platform/win32.h"
#include "shell/display_mode_list.h"

class SetupDialog {
public:
    DisplayModeList modeList;
    int selectedMode = 0;
    int bitsPerPixel = 32; // the show always runs in 32 bits
    int aspectIndex = 0;   // 0 "4:3", 1 "16:10", 2 "16:9"
    bool fullscreen = false;
    bool alwaysOnTop = false;
    bool play = false;

    // The defaults, and the display's usable modes.
    SetupDialog();
    // Shows the dialog modally until Play, Quit or the close box. False when it cannot be shown
    // (no display); `play` then stays false.
    bool run();

    // The selected mode; 0 when the display offers none.
    int width() const;
    int height() const;
    int refreshRate() const;

private:
    static INT_PTR procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    const DEVMODEA* selected() const;
    void initDialog(HWND dialog);
    void command(HWND dialog, WORD id);
};
