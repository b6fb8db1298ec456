// Stop requests on Windows, from the console: Ctrl+C and Ctrl+Break interrupt like SIGINT; the
// console closing, a log-off or a shutdown end the session like SIGTERM. The console calls the
// handler on a thread of its own.
#include "tools/capture/stop_request.h"

#include <windows.h>

#include <csignal>

namespace {

volatile LONG requested = 0;
HANDLE settled = nullptr; // set once the output is finished or removed

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        InterlockedCompareExchange(&requested, SIGINT, 0);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        InterlockedCompareExchange(&requested, SIGTERM, 0);
        // The system ends the process as soon as this returns (and after 5 s at the latest):
        // wait for the frame being written and the clean-up.
        if (settled)
            WaitForSingleObject(settled, 4500);
        return TRUE;
    default: return FALSE;
    }
}

} // namespace

void catchStopRequests()
{
    if (!settled)
        settled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int stopRequest() { return static_cast<int>(InterlockedCompareExchange(&requested, 0, 0)); }

const char* stopRequestName(int request) { return request == SIGINT ? "Ctrl+C" : "the console closing"; }

void stopRequestsSettled()
{
    if (settled)
        SetEvent(settled);
}
