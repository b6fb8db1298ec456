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
    FILE* input = nullptr; // the child's standard input

    // Looks the program (arguments[0]) up on PATH like a shell would. False if it cannot start.
    bool start(const std::vector<std::string>& arguments);
    // Closes the child's input and waits for it; true when it exited with code 0.
    bool finish();
};
