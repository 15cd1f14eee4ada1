// Peak memory and time of the program fed what no badge can show: a
// command that never stops printing, a hundred megabytes of input, a
// hundred thousand lines. Each run gets a pseudo-terminal as its badge and
// a HOME of its own; runs that never end by themselves (a watch) are
// stopped with SIGTERM once standard error tells what was done with the
// input. Prints one table row per case: exit status, peak resident size of
// the program (and what it waited for), wall time to the end.
// Usage: hostile_bench

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
    const char *what;
    std::vector<std::string> args; // after the program's name; "{port}" and "{settings}" filled in
    const char *feeder;            // a shell command for standard input, or null
    const char *stopAt;            // SIGTERM once standard error holds it, or null
};

} // namespace

int main()
{
    char home[] = "/tmp/glintag-hostile-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("HOME", home, 1);
    const std::string settings = std::string(home) + "/english.ini";
    if (FILE *f = std::fopen(settings.c_str(), "w")) {
        std::fputs("[Language]\nLanguage=4\n", f);
        std::fclose(f);
    }
    // A picture's signature and 3 KB of what follows it, as --settings.
    const std::string picture = std::string(home) + "/picture.png";
    if (FILE *f = std::fopen(picture.c_str(), "wb")) {
        std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
        for (int i = 0; i < 3000; ++i)
            std::fputc((i * 7919) % 251, f);
        std::fclose(f);
    }
    const std::vector<Case> cases = {
        {"watch --exec yes",
         {"watch", "--settings", "{settings}", "--port", "{port}", "--exec", "yes"},
         nullptr,
         "was stopped"},
        {"watch --exec (100 MB line)",
         {"watch", "--settings", "{settings}", "--port", "{port}", "--exec",
          "head -c 100000000 /dev/zero | tr '\\0' x"},
         nullptr,
         "was stopped"},
        {"watch --exec seq 1 100000",
         {"watch", "--settings", "{settings}", "--port", "{port}", "--exec", "seq 1 100000"},
         nullptr,
         " first ("},
        {"watch - fed 100 MB of lines, no empty line",
         {"watch", "--settings", "{settings}", "--port", "{port}", "-"},
         "seq 1 20000000 | head -c 100000000",
         nullptr},
        {"watch - fed a 100 MB line",
         {"watch", "--settings", "{settings}", "--port", "{port}", "-"},
         "head -c 100000000 /dev/zero | tr '\\0' x",
         nullptr},
        {"watch - fed an endless line",
         {"watch", "--settings", "{settings}", "--port", "{port}", "-"},
         "yes | tr -d '\\n'",
         "was skipped"},
        {"send - fed 100,000 lines",
         {"send", "--settings", "{settings}", "--port", "{port}", "-"},
         "seq 1 100000",
         nullptr},
        {"send --settings (a 3 KB picture)", {"send", "--settings", "{picture}", "--port", "{port}"}, nullptr, nullptr},
    };
    std::printf("| input | exit | peak memory | time |\n|---|---|---|---|\n");
    for (const Case &c : cases) {
        int master = -1, slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return 1;
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
        std::vector<std::string> args = {GLINTAG_BIN_DIR "/glintag"};
        for (std::string a : c.args) {
            if (a == "{port}")
                a = name;
            if (a == "{settings}")
                a = settings;
            if (a == "{picture}")
                a = picture;
            args.push_back(a);
        }
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int errPipe[2];
        if (pipe2(errPipe, O_CLOEXEC) != 0)
            return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        pid_t feeder = -1;
        int inPipe[2] = {-1, -1};
        if (c.feeder) {
            if (pipe2(inPipe, O_CLOEXEC) != 0)
                return 1;
            posix_spawn_file_actions_t feed;
            posix_spawn_file_actions_init(&feed);
            posix_spawn_file_actions_adddup2(&feed, inPipe[1], STDOUT_FILENO);
            const char *shArgs[] = {"/bin/sh", "-c", c.feeder, nullptr};
            posix_spawn(&feeder, "/bin/sh", &feed, nullptr, const_cast<char **>(shArgs), environ);
            posix_spawn_file_actions_destroy(&feed);
            posix_spawn_file_actions_adddup2(&actions, inPipe[0], STDIN_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        }
        const auto t0 = Clock::now();
        pid_t pid = -1;
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(errPipe[1]);
        if (inPipe[0] >= 0)
            close(inPipe[0]), close(inPipe[1]);
        std::string err;
        bool stopped = false;
        int status = 0;
        rusage usage{};
        for (;;) {
            pollfd fds[2] = {{errPipe[0], POLLIN, 0}, {master, POLLIN, 0}};
            poll(fds, 2, 20);
            char buf[65536];
            if (fds[0].revents & POLLIN) {
                const ssize_t n = read(errPipe[0], buf, sizeof buf);
                if (n > 0)
                    err.append(buf, size_t(n));
            }
            if (fds[1].revents & POLLIN)
                (void)!read(master, buf, sizeof buf);
            if (!stopped && c.stopAt && err.find(c.stopAt) != std::string::npos) {
                kill(pid, SIGTERM);
                stopped = true;
            }
            if (wait4(pid, &status, WNOHANG, &usage) == pid)
                break;
            if (Clock::now() - t0 > std::chrono::seconds(120)) {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                break;
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (feeder > 0) {
            kill(feeder, SIGKILL);
            waitpid(feeder, nullptr, 0);
        }
        close(errPipe[0]);
        close(master);
        close(slave);
        std::printf("| %s | %d | %.1f MB | %.2f s |\n", c.what, WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                    double(usage.ru_maxrss) / 1024.0, seconds);
        std::fflush(stdout);
    }
    std::filesystem::remove_all(home);
    return 0;
}
