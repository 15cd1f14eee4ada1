// Time and peak memory of the command line given hostile GIFs, as a still
// and as slot 1's animation frames: a 2 KB file whose empty screen hides
// 110 frames of 5,700 x 5,700, and a 10 MB file of two million tiny blocks.
// Each case is a fresh process, so its peak resident size is its own.
//
//   hostile_gif_bench            prints one line per case
//
// Every case should end within 1 s and 64 MB.
//
// A process's peak resident size starts from that of the image it was
// exec'd from, so the program is not started from this one (which holds the
// files' bytes and Qt): a small copy of this program in "--run" mode starts
// it and reports on it.

#include "support/gifwriter.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// --run PROGRAM ARGS...: runs it with standard error to /dev/null and prints
// "EXIT MILLISECONDS PEAK_KB". Touches nothing that would grow this process.
int runAndReport(char **argv)
{
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return 2;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%d %.0f %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1, ms, usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::string(argv[1]) == "--run")
        return runAndReport(argv + 2);

    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    // The program's own settings stay out of it: a HOME of its own and the
    // settings named.
    setenv("HOME", dir.path().toLocal8Bit().constData(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    if (!writeFile(settings, "[Language]\nLanguage=4\n"))
        return 2;
    const char *const names[] = {"claim-0x0-110x5700x5700.gif", "tiny-blocks-2000000.gif"};
    {
        GifWriter tiny(96, 24);
        tiny.addFilledFrame(1);
        tiny.addFilledFrame(2);
        if (!writeFile(dir.filePath(QLatin1String(names[0])), claimingGif(0, 0, 5700, 5700, 110))
            || !writeFile(dir.filePath(QLatin1String(names[1])), withTinyBlocks(tiny.finish(), 2000000)))
            return 2;
    }

    bool within = true;
    std::printf("%-30s %-10s %6s %8s %9s\n", "file", "as", "exit", "time ms", "peak MB");
    for (const char *name : names) {
        const std::string path = dir.filePath(QLatin1String(name)).toStdString();
        for (const bool animation : {false, true}) {
            std::vector<std::string> args{
                "/proc/self/exe", "--run",      GLINTAG_BIN_DIR "/glintag", "send",      "--output", "/dev/null",
                "--quiet",        "--settings", settings.toStdString(),     "--picture", path};
            if (animation)
                args.insert(args.end(), {"--mode", "animation", "--model", "R2"});
            std::vector<char *> argvRun;
            for (auto &a : args)
                argvRun.push_back(a.data());
            argvRun.push_back(nullptr);
            int pipeFds[2];
            if (pipe(pipeFds) != 0)
                return 2;
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
            posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
            pid_t pid = -1;
            const bool started = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argvRun.data(), environ) == 0;
            posix_spawn_file_actions_destroy(&actions);
            close(pipeFds[1]);
            char report[128] = {};
            const ssize_t n = started ? read(pipeFds[0], report, sizeof report - 1) : -1;
            close(pipeFds[0]);
            int status = 0;
            if (!started || waitpid(pid, &status, 0) != pid || n <= 0)
                return 2;
            int exitCode = -1;
            double ms = 0;
            long peakKb = 0;
            if (std::sscanf(report, "%d %lf %ld", &exitCode, &ms, &peakKb) != 3)
                return 2;
            const double mb = peakKb / 1024.0;
            within = within && ms <= 1000 && mb <= 64;
            std::printf("%-30s %-10s %6d %8.0f %9.1f  (%lld bytes)\n", name, animation ? "animation" : "still",
                        exitCode, ms, mb, static_cast<long long>(QFileInfo(QString::fromStdString(path)).size()));
        }
    }
    std::printf(within ? "every case within 1 s and 64 MB\n" : "some case over 1 s or 64 MB\n");
    return within ? 0 : 1;
}
