#include "platform/process_start.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

void actAsTerminate(int) { raise(SIGTERM); }

void catchUnlessIgnored(int signal, void (*handler)(int))
{
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

void prepareProcess()
{
    // The lowest free descriptor is the one opened: going up from 0 fills each gap in turn.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    std::signal(SIGPIPE, SIG_IGN);
}

const std::vector<StopSignal>& stopSignals()
{
    // Not SIGPROF (profilers use it) nor SIGPIPE (ignored, above).
    static const std::vector<StopSignal> signals = {
        {SIGINT, "SIGINT"},   {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"},   {SIGQUIT, "SIGQUIT"},
        {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"}, {SIGALRM, "SIGALRM"}, {SIGXCPU, "SIGXCPU"},
        {SIGVTALRM, "SIGVTALRM"}, {SIGXFSZ, "SIGXFSZ"}, {SIGPWR, "SIGPWR"}};
    return signals;
}

void catchStopSignals(void (*handler)(int))
{
    for (const StopSignal& signal : stopSignals())
        catchUnlessIgnored(signal.number, handler);
}

void stopSignalsActAsTerminate()
{
    for (const StopSignal& signal : stopSignals())
        if (signal.number != SIGINT && signal.number != SIGTERM)
            catchUnlessIgnored(signal.number, actAsTerminate);
}
