#include "tests/support/process.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string builtProgram(const std::string& name)
{
    const std::string path = std::string(ORV_BINARY_DIR) + "/" + name;
    return access(path.c_str(), X_OK) == 0 ? path : name;
}

std::string freshFolder(const std::string& name)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("orvalune-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::vector<std::string> environmentWith(const std::vector<std::string>& removed, const std::vector<std::string>& added)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        bool drop = false;
        for (const std::string& r : removed)
            drop = drop || r == name;
        for (const std::string& a : added)
            drop = drop || a.substr(0, a.find('=')) == name;
        if (!drop)
            result.push_back(variable);
    }
    result.insert(result.end(), added.begin(), added.end());
    return result;
}

namespace {

ProgramResult run(const std::vector<std::string>& argv, const std::string& workingDirectory, double timeoutSeconds,
                  double signalAfterSeconds, const std::string& signalOnOutput, bool withDisplay, int stopSignal,
                  const std::optional<std::vector<std::string>>& environment = std::nullopt,
                  const std::function<bool(const std::string&)>& whileRunning = {})
{
    ProgramResult result;
    // Built before fork: the child only execs.
    std::vector<char*> variables;
    if (environment) {
        for (const std::string& variable : *environment)
            variables.push_back(const_cast<char*>(variable.c_str()));
        variables.push_back(nullptr);
    }
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
        if (environment)
            environ = variables.data(); // execvp searches the child's own PATH
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
        const bool asked = whileRunning && whileRunning(result.output);
        const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
        const bool due = asked || (signalAfterSeconds > 0 && elapsed >= signalAfterSeconds) ||
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

ProgramResult runProgram(const ProgramRun& program)
{
    return run(program.argv, program.workingDirectory, program.timeoutSeconds, 0.0, program.signalOnOutput, true,
               program.stopSignal, program.environment, program.whileRunning);
}

ProgramResult runProgramSignalledOn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                    double timeoutSeconds, const std::string& signalOnOutput, int stopSignal)
{
    return run(argv, workingDirectory, timeoutSeconds, 0.0, signalOnOutput, true, stopSignal);
}
