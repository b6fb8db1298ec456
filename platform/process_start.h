// What both programs do first in main, before anything opens a file, and the signals that end
// them.
#pragma once

#include <string>
#include <vector>

// Descriptors 0, 1 and 2 open (on the null device where a launcher left one closed), so that no
// file or connection opened later takes one and has log lines written into it; and SIGPIPE
// ignored, so that a reader of the output that quits turns the writes into errors, dropped,
// instead of ending the program.
void prepareProcess();

// The signals that end a program by default and that a user, a terminal or a service manager
// sends to ask it to stop: SIGINT and SIGTERM, a hang-up, SIGQUIT, SIGUSR1 and the like. Empty
// on Windows.
struct StopSignal {
    int number;
    const char* name; // "SIGHUP"
};
const std::vector<StopSignal>& stopSignals();
// Installs `handler` for each stop signal not ignored when the program started (nohup ignores a
// hang-up; that choice stands). Interrupted system calls resume.
void catchStopSignals(void (*handler)(int));
// The stop signals other than SIGINT and SIGTERM act as SIGTERM does, through whatever handles
// SIGTERM at the time (SDL's quit, the dialog's close), and end the program as SIGTERM would
// where nothing does.
void stopSignalsActAsTerminate();

// Windows: a GUI program has no console of its own. Started from a command prompt, it writes to
// that prompt's console (where its output is not already redirected). Nothing elsewhere.
void useParentConsole();

// The command line as UTF-8. Windows gives main its arguments in the ANSI code page, which cannot
// hold every file name: there they are read again from the UTF-16 command line.
class ProgramArguments {
public:
    ProgramArguments(int argc, char** argv);
    int count() const { return static_cast<int>(pointers.size()); }
    char** values() { return pointers.data(); }

private:
    std::vector<std::string> arguments;
    std::vector<char*> pointers;
};
