#pragma once
// Starts the built program as a whole process, as a user's shell would, for
// the benchmarks that time it from outside.

#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

// The program with these arguments; its standard error goes to errFd, or
// to /dev/null when errFd is -1. The child's pid, or -1.
inline pid_t spawnGlintag(std::vector<std::string> args, int errFd = -1)
{
    args.insert(args.begin(), GLINTAG_BIN_DIR "/glintag");
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}
