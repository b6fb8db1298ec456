// What the setup dialog hands the driver.
#pragma once

struct ShowMode {
    int width = 1024;
    int height = 768;
    int refreshRate = 60;
    bool fullscreen = false;
    bool alwaysOnTop = false;
    int aspectIndex = 0; // 0 "4:3", 1 "16:10", 2 "16:9"
};

struct SetupChoice {
    bool play = false;
    ShowMode mode;
    int exitCode = 0; // 1 when the dialog could not be shown (no display)
};

// Runs the setup dialog; play is false when the user quits or the dialog cannot be shown.
SetupChoice runSetupDialog();
