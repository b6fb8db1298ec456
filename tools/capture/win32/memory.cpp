#include "tools/capture/memory.h"

#include <windows.h>

long long availableMemoryBytes()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return -1;
    return static_cast<long long>(status.ullAvailPhys);
}
