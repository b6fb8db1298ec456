// A program started with an argument vector (never through a shell, so no character of a user's
// path is ever interpreted), whose standard input is a pipe the caller writes to.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

class ChildProcess {
public:
    pid_t pid = -1;
    // The child's standard input. Writes after the child has ended fail, and do not kill us:
    // SIGPIPE is ignored from the program's start (platform/process_start.h).
    FILE* input = nullptr;

    // Looks the program (arguments[0]) up on PATH like a shell would. `extraFd` >= 0 is handed to
    // the child as its file descriptor 3. The child gets a process group of its own, so that a
    // Ctrl-C at the terminal reaches only us and we decide how the child ends; should we die
    // without ending it (SIGKILL, a crash), the system kills it. False if it cannot start.
    bool start(const std::vector<std::string>& arguments, int extraFd = -1);
    // Closes the child's input and waits for it; true when it exited with code 0.
    bool finish();
};

// The program's path as a shell would find it on PATH; empty when there is none.
std::string findOnPath(const std::string& program);
// Runs a program to its end and collects its standard output (at most `limit` bytes kept).
// False when it could not start or exited with a non-zero code.
bool programOutput(const std::vector<std::string>& arguments, std::string& output, size_t limit = 1 << 20);
