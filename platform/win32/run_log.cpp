// Where a program on Windows keeps its logs: under the user's local application data.
#include "platform/run_log.h"

#include <cstdlib>

std::filesystem::path runLogFolder()
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && *local ? std::filesystem::path(local) / "Orvalune" : std::filesystem::path();
}
