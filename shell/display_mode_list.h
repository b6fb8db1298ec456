// The display modes the setup dialog offers.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <vector>

class DisplayModeList {
public:
    // In the driver's order, unsorted, duplicates kept: one entry per mode the driver reports.
    std::vector<DEVMODEA> modes;

    // Appends every mode the display reports that the show can use.
    void enumerate();
    // At least 32 bits per pixel and 640 pixels across.
    static bool usable(const DEVMODEA& mode);

    size_t size() const { return modes.size(); }
    bool empty() const { return modes.empty(); }
    const DEVMODEA& operator[](size_t i) const { return modes[i]; }
};
