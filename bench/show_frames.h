// The show started offline at 1280x720 by the driver's own start-up, for the benchmarks that draw
// through it. Run from the build directory (data.pak there).
#pragma once

#include "runtime/dms.h"
#include "runtime/offline.h"
#include "shell/driver.h"

// Once per process; false when the show could not start (no display, no data.pak).
inline bool startOfflineShow(int fps = 60)
{
    static const bool started = [fps] {
        dmsEnableOffline({fps, 0});
        ShowMode mode;
        mode.width = 1280;
        mode.height = 720;
        mode.aspectIndex = 2;
        return startShow(mode, "data.pak");
    }();
    return started;
}
