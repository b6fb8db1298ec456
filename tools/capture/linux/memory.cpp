#include "tools/capture/memory.h"

#include <cstdio>

long long availableMemoryBytes()
{
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file)
        return -1;
    long long kilobytes = -1;
    char line[256];
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "MemAvailable: %lld kB", &kilobytes) == 1)
            break;
    std::fclose(file);
    return kilobytes < 0 ? -1 : kilobytes * 1024;
}
