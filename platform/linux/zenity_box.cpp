#include "platform/linux/zenity_box.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

volatile sig_atomic_t signalWhileShown = 0;

void noteSignal(int signal) { signalWhileShown = signal; }

// Catches SIGINT and SIGTERM while the box shows, and puts the handlers back after.
class SignalWatch {
public:
    SignalWatch()
    {
        signalWhileShown = 0;
        struct sigaction watch {};
        watch.sa_handler = noteSignal;
        sigemptyset(&watch.sa_mask);
        sigaction(SIGINT, &watch, &interruptBefore);
        sigaction(SIGTERM, &watch, &terminateBefore);
    }
    ~SignalWatch() { restore(); }
    void restore()
    {
        if (restored)
            return;
        restored = true;
        sigaction(SIGINT, &interruptBefore, nullptr);
        sigaction(SIGTERM, &terminateBefore, nullptr);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

private:
    struct sigaction interruptBefore {}, terminateBefore {};
    bool restored = false;
};

// Ends the child: politely, then for certain.
void endChild(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

BoxOutcome showZenityBox(BoxKind kind, const char* caption, const char* text, int limitSeconds)
{
    // Everything the child needs is built before fork: after it, only exec-safe calls.
    // "--text=" keeps a text that starts with a dash from reading as an option.
    const std::string kindFlag = kind == BoxKind::Error     ? "--error"
                                 : kind == BoxKind::Warning ? "--warning"
                                                            : "--info";
    const std::string title = std::string("--title=") + (caption ? caption : "");
    const std::string body = std::string("--text=") + (text ? text : "");
    const std::string timeout = "--timeout=" + std::to_string(limitSeconds > 0 ? limitSeconds : 1);
    const char* argv[] = {"zenity", kindFlag.c_str(), "--no-markup", title.c_str(), body.c_str(), timeout.c_str(),
                          nullptr};
    const pid_t parent = getpid();

    SignalWatch watch;
    const pid_t child = fork();
    if (child < 0)
        return BoxOutcome::NotShown;
    if (child == 0) {
        // The box goes with the program, however the program ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(126);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
        }
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }

    using clock = std::chrono::steady_clock;
    // A second beyond zenity's own timeout, for a zenity that does not keep it.
    const auto deadline = clock::now() + std::chrono::seconds(limitSeconds + 1);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            // 0 OK, 1 closed, 5 timed out; 127 no zenity, 255 or a signal: it could not show.
            const bool shown = WIFEXITED(status) && (WEXITSTATUS(status) <= 1 || WEXITSTATUS(status) == 5);
            return shown ? BoxOutcome::Closed : BoxOutcome::NotShown;
        }
        if (done < 0)
            return BoxOutcome::NotShown;
        if (const int signal = signalWhileShown) {
            endChild(child);
            // Whoever handled the signal before the box (SDL: a quit; nobody: the end) gets it.
            watch.restore();
            raise(signal);
            return BoxOutcome::Interrupted;
        }
        if (clock::now() > deadline) {
            endChild(child);
            return BoxOutcome::Closed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
