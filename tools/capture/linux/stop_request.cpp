// Stop requests on POSIX systems: every signal that asks a program to stop (SIGINT, SIGTERM, a
// hang-up, SIGQUIT, SIGUSR1...), each named in the capture's last lines.
#include "tools/capture/stop_request.h"

#include "platform/process_start.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t requested = 0;
void onStopSignal(int signal) { requested = signal; }
} // namespace

void catchStopRequests() { catchStopSignals(onStopSignal); }

int stopRequest() { return requested; }

const char* stopRequestName(int request)
{
    for (const StopSignal& signal : stopSignals())
        if (signal.number == request)
            return signal.name;
    return "a signal";
}

void stopRequestsSettled() {}
