// Time and peak memory of the command line given hostile GIFs, as a still
// and as slot 1's animation frames: a 2 KB file whose empty screen hides
// 110 frames of 5,700 x 5,700, and a 10 MB file of two million tiny blocks.
// Each case is a fresh process, so its peak resident size is its own.
//
//   hostile_gif_bench            prints one line per case
//
// Every case should end within 1 s and 64 MB.

#include "spawnprogram.h"
#include "support/gifwriter.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>
#include <sys/wait.h>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    // The program's own settings stay out of it: a HOME of its own and the
    // settings named.
    setenv("HOME", dir.path().toLocal8Bit().constData(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    GifWriter tiny(96, 24);
    tiny.addFilledFrame(1);
    tiny.addFilledFrame(2);
    const struct {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"claim-0x0-110x5700x5700.gif", claimingGif(0, 0, 5700, 5700, 110)},
        {"tiny-blocks-2000000.gif", withTinyBlocks(tiny.finish(), 2000000)},
    };
    if (!writeFile(settings, "[Language]\nLanguage=4\n"))
        return 2;

    bool within = true;
    std::printf("%-30s %-10s %6s %8s %9s\n", "file", "as", "exit", "time ms", "peak MB");
    for (const auto &f : files) {
        const QString path = dir.filePath(QLatin1String(f.name));
        if (!writeFile(path, f.bytes))
            return 2;
        for (const bool animation : {false, true}) {
            std::vector<std::string> args{"send",      "--output",        "/dev/null",
                                          "--quiet",   "--settings",      settings.toStdString(),
                                          "--picture", path.toStdString()};
            if (animation)
                args.insert(args.end(), {"--mode", "animation", "--model", "R2"});
            const auto t0 = std::chrono::steady_clock::now();
            const pid_t pid = spawnGlintag(args);
            int status = 0;
            rusage usage{};
            if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
                return 2;
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            const double mb = usage.ru_maxrss / 1024.0; // kilobytes on Linux
            within = within && ms <= 1000 && mb <= 64;
            std::printf("%-30s %-10s %6d %8.0f %9.1f  (%lld bytes)\n", f.name, animation ? "animation" : "still",
                        WIFEXITED(status) ? WEXITSTATUS(status) : -1, ms, mb, static_cast<long long>(f.bytes.size()));
        }
    }
    std::printf(within ? "every case within 1 s and 64 MB\n" : "some case over 1 s or 64 MB\n");
    return within ? 0 : 1;
}
