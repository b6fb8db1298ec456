// Running the built programs from the Windows tests: CreateProcess with a command line quoted
// as the C runtime splits it, both output streams into one pipe.
#include "tests/support/process.h"

#include <windows.h>

#include <chrono>
#include <csignal>
#include <thread>

std::string builtProgram(const std::string& name)
{
    const std::string path = std::string(ORV_BINARY_DIR) + "/" + name + ".exe";
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : name + ".exe";
}

namespace {

// One argument as the C runtime's parser reads it back: quoted when it holds blanks or quotes,
// backslashes doubled only where they precede a quote.
std::string quoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

ProgramResult run(const std::vector<std::string>& argv, const std::string& workingDirectory, double timeoutSeconds,
                  double signalAfterSeconds, const std::string& signalOnOutput, int stopSignal)
{
    ProgramResult result;
    if (argv.empty())
        return result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine;
    for (const std::string& arg : argv) {
        if (!commandLine.empty())
            commandLine += ' ';
        commandLine += quoteArgument(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    // A group of its own, so that a console break reaches the child and not this process.
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                                        nullptr, workingDirectory.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        result.output = "cannot start " + argv[0] + " (error " + std::to_string(GetLastError()) + ")";
        CloseHandle(readEnd);
        return result;
    }

    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    bool signalled = false;
    char buffer[4096];
    auto drain = [&] {
        DWORD available = 0, got = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(readEnd, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) && got > 0)
            result.output.append(buffer, got);
    };
    for (;;) {
        drain();
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0)
            break;
        const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
        const bool due = (signalAfterSeconds > 0 && elapsed >= signalAfterSeconds) ||
                         (!signalOnOutput.empty() && result.output.find(signalOnOutput) != std::string::npos);
        if (due && !signalled) {
            // Ctrl+Break is the console's interrupt for another process group; anything else
            // ends the program as TerminateProcess does.
            if (stopSignal == SIGINT) {
                if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId))
                    result.output += "\n(the console interrupt could not be sent: error " +
                                     std::to_string(GetLastError()) + ")\n";
            } else
                TerminateProcess(process.hProcess, 128 + stopSignal);
            signalled = true;
        }
        if (elapsed >= timeoutSeconds) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
            break;
        }
    }
    drain();
    DWORD code = 0;
    if (!result.timedOut && GetExitCodeProcess(process.hProcess, &code))
        result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return result;
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds, double signalAfterSeconds, bool, int stopSignal)
{
    return run(argv, workingDirectory, timeoutSeconds, signalAfterSeconds, {}, stopSignal);
}

ProgramResult runProgramSignalledOn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                    double timeoutSeconds, const std::string& signalOnOutput, int stopSignal)
{
    return run(argv, workingDirectory, timeoutSeconds, 0.0, signalOnOutput, stopSignal);
}
