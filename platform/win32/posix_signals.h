// The two POSIX signal calls the capture tool uses, for the Windows build (forced into its main
// file by cmake/windows.cmake): the C runtime's signal() delivers SIGINT and SIGTERM there.
#pragma once

#include <csignal>

struct sigaction {
    void (*sa_handler)(int);
    int sa_mask;
    int sa_flags;
};

inline int sigemptyset(int* set)
{
    *set = 0;
    return 0;
}

inline int sigaction(int signal, const struct sigaction* action, struct sigaction*)
{
    return std::signal(signal, action->sa_handler) == SIG_ERR ? -1 : 0;
}
