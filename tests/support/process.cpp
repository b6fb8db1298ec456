#include "tests/support/process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string builtProgram(const std::string& name)
{
    const std::string path = std::string(ORV_BINARY_DIR) + "/" + name;
    return access(path.c_str(), X_OK) == 0 ? path : name;
}

namespace {

ProgramResult run(const std::vector<std::string>& argv, const std::string& workingDirectory, double timeoutSeconds,
                  double signalAfterSeconds, const std::string& signalOnOutput, bool withDisplay, int stopSignal)
{
    ProgramResult result;
    int pipeFds[2];
    if (argv.empty() || pipe(pipeFds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (!withDisplay) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(127);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);

    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    bool signalled = false;
    int status = 0;
    char buffer[4096];
    for (;;) {
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
            result.output.append(buffer, static_cast<size_t>(n));
        if (waitpid(child, &status, WNOHANG) == child)
            break;
        const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
        const bool due = (signalAfterSeconds > 0 && elapsed >= signalAfterSeconds) ||
                         (!signalOnOutput.empty() && result.output.find(signalOnOutput) != std::string::npos);
        if (due && !signalled) {
            kill(child, stopSignal);
            signalled = true;
        }
        if (elapsed >= timeoutSeconds) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    if (!result.timedOut && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds, double signalAfterSeconds, bool withDisplay, int stopSignal)
{
    return run(argv, workingDirectory, timeoutSeconds, signalAfterSeconds, {}, withDisplay, stopSignal);
}

ProgramResult runProgramSignalledOn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                    double timeoutSeconds, const std::string& signalOnOutput, int stopSignal)
{
    return run(argv, workingDirectory, timeoutSeconds, 0.0, signalOnOutput, true, stopSignal);
}
