// Running the built programs from tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ProgramResult {
    int exitCode = -1;     // -1 when killed by a signal or timed out
    bool timedOut = false;
    std::string output;    // standard output and error together
};

// Runs the program with arguments in the working directory; `signalAfterSeconds` > 0 sends
// `stopSignal` (SIGTERM by default) after that long (prefer runProgramSignalledOn: a fixed time is
// a guess on a loaded machine). Gives up (SIGKILL) after timeoutSeconds, which should be
// generous: it only bounds a failing run. Without a display the program runs headless (its
// message boxes then only reach the output instead of waiting for a click).
ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         double timeoutSeconds, double signalAfterSeconds = 0.0, bool withDisplay = true,
                         int stopSignal = 15);
// The same, sending `stopSignal` once the program's output holds `signalOnOutput`, never before.
ProgramResult runProgramSignalledOn(const std::vector<std::string>& argv, const std::string& workingDirectory,
                                    double timeoutSeconds, const std::string& signalOnOutput, int stopSignal = 15);
std::string builtProgram(const std::string& name);

// The general form of the two above.
struct ProgramRun {
    std::vector<std::string> argv;
    std::string workingDirectory = ORV_BINARY_DIR;
    double timeoutSeconds = 120.0;
    std::string signalOnOutput; // sends stopSignal once the output holds it
    int stopSignal = 15;
    // The child's whole environment ("NAME=value" each); without it, the test's own.
    std::optional<std::vector<std::string>> environment;
    // Called about every 20 ms with the output so far while the program runs (a user's hands);
    // true sends stopSignal.
    std::function<bool(const std::string& output)> whileRunning;
    // Starts the program with descriptors 0, 1 and 2 closed, as a careless launcher may (the
    // output is then empty).
    bool closedStandardStreams = false;
    // The reader of the output quits (closes its end) once it has this many bytes, as
    // `| head -c N` does; 0 reads to the end.
    size_t readerQuitsAfter = 0;
};
ProgramResult runProgram(const ProgramRun& run);

// The test's environment without the named variables, plus `added` ("NAME=value" each).
std::vector<std::string> environmentWith(const std::vector<std::string>& removed, const std::vector<std::string>& added);

// An empty folder of that name under the temporary folder, this process's own.
std::string freshFolder(const std::string& name);
