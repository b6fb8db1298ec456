#include "tools/capture/child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

extern char** environ;

bool ChildProcess::start(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return false;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    // A child that dies early must turn our writes into errors, not kill us with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (error != 0) {
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
    int status = 0;
    pid_t waited;
    do
        waited = waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    pid = -1;
    return ok && waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
