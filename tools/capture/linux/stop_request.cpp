// Stop requests on POSIX systems: SIGINT and SIGTERM.
#include "tools/capture/stop_request.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t requested = 0;
void onStopSignal(int signal) { requested = signal; }
} // namespace

void catchStopRequests()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopRequest() { return requested; }

const char* stopRequestName(int request) { return request == SIGINT ? "SIGINT" : "SIGTERM"; }

void stopRequestsSettled() {}
