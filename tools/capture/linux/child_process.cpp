#include "tools/capture/child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace {

std::vector<char*> argumentPointers(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Starts the program with `childEnd` as its descriptor `childFd` (and `extraFd` as its 3). The
// child ends with us: should we die without closing it (SIGKILL, a crash), the system kills it
// too, and a half-made video is never finished to look complete.
pid_t spawnWith(const std::vector<std::string>& arguments, int childEnd, int childFd, int extraFd, bool ownGroup)
{
    // Everything the child needs is made before the fork: after it, only calls that are safe
    // in a copy of a threaded process.
    const std::string path = findOnPath(arguments[0]);
    if (path.empty())
        return -1;
    std::vector<char*> argv = argumentPointers(arguments);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) {
        // On both sides, so that no Ctrl-C at the terminal reaches it before it has moved.
        if (pid > 0 && ownGroup)
            setpgid(pid, pid);
        return pid;
    }
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) // we died before it could ask
        _exit(127);
    // We ignore SIGPIPE for ourselves; the child starts with the usual handling (the signals we
    // catch are reset by exec).
    struct sigaction usual {};
    usual.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &usual, nullptr);
    if (ownGroup)
        setpgid(0, 0);
    if (dup2(childEnd, childFd) < 0 || (extraFd >= 0 && dup2(extraFd, 3) < 0))
        _exit(127);
    execve(path.c_str(), argv.data(), environ);
    _exit(127);
}

int waitFor(pid_t pid)
{
    int status = 0;
    pid_t waited;
    do
        waited = waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool ChildProcess::start(const std::vector<std::string>& arguments, int extraFd)
{
    if (arguments.empty())
        return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
#ifdef F_SETPIPE_SZ
    // A frame is megabytes: through the default 64 KB pipe it would cross in dozens of turns
    // between us and the child. A larger pipe where the system allows it; the default otherwise.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
#endif
    pid = spawnWith(arguments, fds[0], STDIN_FILENO, extraFd, true);
    close(fds[0]);
    if (pid <= 0) {
        close(fds[1]);
        pid = -1;
        return false;
    }
    input = fdopen(fds[1], "wb");
    if (!input) {
        close(fds[1]);
        finish();
        return false;
    }
    return true;
}

bool ChildProcess::finish()
{
    bool ok = true;
    if (input) {
        ok = std::fclose(input) == 0;
        input = nullptr;
    }
    if (pid <= 0)
        return false;
    const int code = waitFor(pid);
    pid = -1;
    return ok && code == 0;
}

std::string findOnPath(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0 ? program : "";
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= folders.size()) {
        size_t end = folders.find(':', begin);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > begin ? folders.substr(begin, end - begin) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return "";
}

bool programOutput(const std::vector<std::string>& arguments, std::string& output, size_t limit)
{
    output.clear();
    if (arguments.empty())
        return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = spawnWith(arguments, fds[1], STDOUT_FILENO, -1, false);
    close(fds[1]);
    if (pid <= 0) {
        close(fds[0]);
        return false;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (output.size() < limit)
            output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    return waitFor(pid) == 0;
}
