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

ProgramResult run(const ProgramRun& program, double signalAfterSeconds = 0.0, bool withDisplay = true)
{
    ProgramResult result;
    const std::vector<std::string>& argv = program.argv;
    // Built before fork: the child only execs.
    std::vector<char*> variables;
    if (program.environment) {
        for (const std::string& variable : *program.environment)
            variables.push_back(const_cast<char*>(variable.c_str()));
        variables.push_back(nullptr);
    }
    int pipeFds[2];
    if (argv.empty() || pipe(pipeFds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        if (program.closedStandardStreams) {
            for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
                close(fd);
        } else {
            dup2(pipeFds[1], STDOUT_FILENO);
            dup2(pipeFds[1], STDERR_FILENO);
        }
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (!withDisplay) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        if (chdir(program.workingDirectory.c_str()) != 0)
            _exit(127);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (program.environment)
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
    // Reads what is there; the reader that quits closes its end once it has enough.
    const auto readAvailable = [&] {
        ssize_t n;
        while (pipeFds[0] >= 0 && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            result.output.append(buffer, static_cast<size_t>(n));
            if (program.readerQuitsAfter > 0 && result.output.size() >= program.readerQuitsAfter) {
                result.output.resize(program.readerQuitsAfter);
                close(pipeFds[0]);
                pipeFds[0] = -1;
            }
        }
    };
    for (;;) {
        readAvailable();
        if (waitpid(child, &status, WNOHANG) == child)
            break;
        const bool asked = program.whileRunning && program.whileRunning(result.output);
        const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
        const bool due = asked || (signalAfterSeconds > 0 && elapsed >= signalAfterSeconds) ||
                         (!program.signalOnOutput.empty() && result.output.find(program.signalOnOutput) != std::string::npos);
        if (due && !signalled) {
            kill(child, program.stopSignal);
            signalled = true;
        }
        if (elapsed >= program.timeoutSeconds) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    readAvailable();
    if (pipeFds[0] >= 0)
        close(pipeFds[0]);
    if (!result.timedOut && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds, double signalAfterSeconds, bool withDisplay, int stopSignal)
{
    ProgramRun program;
    program.argv = argv;
    program.workingDirectory = workingDirectory;
    program.timeoutSeconds = timeoutSeconds;
    program.stopSignal = stopSignal;
    return run(program, signalAfterSeconds, withDisplay);
}

ProgramResult runProgram(const ProgramRun& program) { return run(program); }

ProgramResult runProgramSignalledOn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                    double timeoutSeconds, const std::string& signalOnOutput, int stopSignal)
{
    ProgramRun program;
    program.argv = argv;
    program.workingDirectory = workingDirectory;
    program.timeoutSeconds = timeoutSeconds;
    program.signalOnOutput = signalOnOutput;
    program.stopSignal = stopSignal;
    return run(program);
}
