#include "shell/display_mode_list.h"

namespace {
constexpr WORD devModeSize = 148; // the structure's size as the display driver expects it
}

bool DisplayModeList::usable(const DEVMODEA& mode) { return mode.dmBitsPerPel >= 32 && mode.dmPelsWidth >= 640; }

void DisplayModeList::enumerate()
{
    for (DWORD n = 0;; ++n) {
        DEVMODEA mode;
        mode.dmSize = devModeSize;
        if (EnumDisplaySettingsA(nullptr, n, &mode) != TRUE)
            return;
        if (usable(mode))
            modes.push_back(mode);
    }
}
