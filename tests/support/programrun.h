#pragma once
// The built program as a user's shell runs it: a HOME of its own, no display,
// the standard input the test gives, and what it printed, its status and what
// reached its ports read back. The command-line tests and serve's share it.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <functional>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

inline const QString kGlintag = QStringLiteral(GLINTAG_BIN_DIR "/glintag");

// No display (the command line must not need one), no terminal type, a
// HOME and configuration folder of the run's own, and the built program
// first on PATH, for the shells a test runs.
inline QProcessEnvironment programEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "TERM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("PATH"), QStringLiteral(GLINTAG_BIN_DIR ":") + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    return env;
}

// A settings file in English whose every port name leads to a device in
// `folder` that is not there ("glintag-no-port-N"), but for those given: so
// the machine's own serial ports are never opened.
inline QByteArray portSettings(const QString &folder, const QMap<int, QString> &devices = {})
{
    QByteArray ini = "[Language]\nLanguage=4\n[Ports]\n";
    for (int n = 1; n <= 32; ++n)
        ini += "COM" + QByteArray::number(n) + '='
            + QFile::encodeName(devices.value(n, QDir(folder).filePath(QStringLiteral("glintag-no-port-%1").arg(n))))
            + '\n';
    return ini;
}

class ProgramRun {
    QTemporaryDir m_home; // before env, which names it

public:
    // `home` empty: a temporary one of the run's own.
    explicit ProgramRun(const QString &home = {}) : env(programEnvironment(home.isEmpty() ? m_home.path() : home))
    {
        process.setWorkingDirectory(QStringLiteral(GLINTAG_BIN_DIR));
        process.setReadChannel(QProcess::StandardError);
    }
    ~ProgramRun()
    {
        for (QProcess *p : {&process, &feeder}) {
            if (p->state() != QProcess::NotRunning)
                p->kill(), p->waitForFinished(10000);
        }
    }

    QString home() const { return env.value(QStringLiteral("HOME")); }

    // Standard input from a shell command's output (one without end, say).
    void feedFrom(const QString &command)
    {
        feeder.setProcessEnvironment(env);
        feeder.setStandardOutputProcess(&process);
        feeder.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    }

    // Also read while the program runs (a pseudo-terminal's master, a FIFO),
    // into the matching entry of `got`.
    void watch(int fd)
    {
        m_fds.push_back(fd);
        got.append(QByteArray());
    }

    // Starts the program (or another, a shell, say). `input` is written to
    // standard input, which is then closed unless `keepInputOpen`.
    bool start(const QStringList &args, const QByteArray &input = {}, bool keepInputOpen = false,
               const QString &program = kGlintag)
    {
        process.setProcessEnvironment(env);
        process.start(program, args);
        if (!process.waitForStarted(20000))
            return false;
        process.write(input);
        if (!keepInputOpen)
            process.closeWriteChannel();
        return true;
    }

    // Runs it to its end; its status.
    int run(const QStringList &args, const QByteArray &input = {}, const QString &program = kGlintag)
    {
        return start(args, input, false, program) ? finish() : -1;
    }

    // Until `done` holds, reading all the while; false when the program ended
    // or the time ran out first.
    bool waitUntil(const std::function<bool()> &done, int limitMs = 20000)
    {
        const QDeadlineTimer limit(limitMs);
        while (!done()) {
            if (process.state() != QProcess::Running || limit.hasExpired())
                return done();
            readRound();
        }
        return true;
    }
    bool waitForError(const QByteArray &text)
    {
        return waitUntil([&] { return err.contains(text); });
    }

    // True once the program has its own handler for `signal` (from
    // /proc/PID/status), so a signal sent now is the program's to handle.
    bool handles(int signal)
    {
        const auto caught = [&] {
            QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
            const QByteArray all = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
            const qsizetype at = all.indexOf("SigCgt:");
            return at >= 0 && (all.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        };
        return waitUntil(caught);
    }
    void kill(int signal) { ::kill(pid_t(process.processId()), signal); }

    // Waits for the end, reading all the while, then whatever the watched
    // descriptors still hold; the status, -1 unless it ended by itself.
    int finish()
    {
        waitUntil([] { return false; }, 60000);
        if (process.state() != QProcess::NotRunning)
            process.kill(), process.waitForFinished(10000);
        for (size_t i = 0; i < m_fds.size(); ++i) {
            pollfd p{m_fds[i], POLLIN, 0};
            char buf[65536];
            for (ssize_t n = 1; n > 0 && m_fds[i] >= 0 && ::poll(&p, 1, 2000) > 0;)
                if ((n = ::read(m_fds[i], buf, sizeof buf)) > 0)
                    got[qsizetype(i)].append(buf, int(n));
        }
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return exitCode;
    }

    QProcessEnvironment env;
    QProcess process, feeder;
    QByteArray out, err; // standard output and error read so far
    QList<QByteArray> got;
    int exitCode = -1;
    // Called with the index of a watched descriptor that brought data; it
    // may hang that line up (closing the descriptor and returning false).
    std::function<bool(size_t)> onData;

private:
    void readRound()
    {
        std::vector<pollfd> fds;
        for (int fd : m_fds)
            fds.push_back({fd, POLLIN, 0});
        if (fds.empty())
            process.waitForReadyRead(20);
        else if (::poll(fds.data(), nfds_t(fds.size()), 10) > 0) {
            for (size_t i = 0; i < fds.size(); ++i) {
                char buf[65536];
                const ssize_t n = fds[i].fd >= 0 && (fds[i].revents & POLLIN) ? ::read(fds[i].fd, buf, sizeof buf) : 0;
                if (n > 0)
                    got[qsizetype(i)].append(buf, int(n));
                if (n > 0 && onData && !onData(i))
                    m_fds[i] = -1;
            }
        }
        process.waitForFinished(1);
        err += process.readAllStandardError();
    }

    std::vector<int> m_fds;
};

// What `glintag send --output -` writes for these arguments, run with the
// home given: the bytes every other way of sending must put on the line.
inline QByteArray sendOutput(const QString &home, const QStringList &args)
{
    ProgramRun run(home);
    const QStringList send
        = {QStringLiteral("send"), QStringLiteral("--quiet"), QStringLiteral("--output"), QStringLiteral("-")};
    return run.run(send + args) == 0 ? run.out : QByteArray();
}

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
};

// One whole run in a home of its own; `stdoutFile`, when given, takes
// standard output (a full device, a terminal).
inline Outcome runGlintag(const QStringList &args, const QByteArray &input = {}, const QString &stdoutFile = {})
{
    ProgramRun run;
    if (!stdoutFile.isEmpty())
        run.process.setStandardOutputFile(stdoutFile);
    run.run(args, input);
    return {run.exitCode, run.out, run.err};
}
