// Whatever arrives as slot texts - a command that never stops printing, a
// line of a hundred megabytes, an input without end, a file that is no
// settings file - the program takes at most sixteen slots, says in one line
// what it dropped or refused, sends nothing it made up, and stays small.

#include "support/files.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>

namespace {

QProcessEnvironment plainEnvironment(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    return env;
}

// The largest resident size of any child this process has waited for.
long childPeakKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

struct RunResult {
    int exitCode = -1;
    QByteArray err, atPort;
};

// Runs the program with its port on a pseudo-terminal and standard input
// from `feeder` (a shell command; none: empty). Once standard error holds
// `stopAfter`, the program gets SIGTERM, as a watch never ends by itself.
RunResult runWithPort(const QString &home, QStringList args, const QString &feeder, const QByteArray &stopAfter)
{
    RunResult r;
    Pty pty;
    if (!pty.ok())
        return r;
    args << QStringLiteral("--port") << pty.slavePath();
    QProcess producer, p;
    const QProcessEnvironment env = plainEnvironment(home);
    producer.setProcessEnvironment(env);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(home);
    if (!feeder.isEmpty()) {
        producer.setStandardOutputProcess(&p);
        producer.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), feeder});
    } else {
        p.setStandardInputFile(QProcess::nullDevice());
    }
    p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args);
    if (!p.waitForStarted(10000))
        return r;
    bool stopped = false;
    for (int rounds = 0; p.state() != QProcess::NotRunning && rounds < 3000; ++rounds) {
        pollfd fd{pty.masterFd(), POLLIN, 0};
        char buf[4096];
        if (::poll(&fd, 1, 10) > 0 && (fd.revents & POLLIN)) {
            const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
            if (n > 0)
                r.atPort.append(buf, int(n));
        }
        p.waitForFinished(1);
        r.err += p.readAllStandardError();
        if (!stopped && !stopAfter.isEmpty() && r.err.contains(stopAfter)) {
            // Whatever was under way reaches the port before the stop.
            r.atPort += pty.read(100000);
            ::kill(pid_t(p.processId()), SIGTERM);
            stopped = true;
        }
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(10000);
        return r;
    }
    producer.kill();
    producer.waitForFinished(10000);
    r.err += p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QByteArray streamFor(const QString &home, const QString &settings, const QStringList &texts)
{
    QProcess p;
    p.setProcessEnvironment(plainEnvironment(home));
    p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"),
            QStringList{"send", "--settings", settings, "--quiet", "--output", "-"} + texts);
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

} // namespace

TEST(HostileSources, BoundedTakenOnceOrRefusedInOneLine)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString settings = home.filePath("english.ini");
    ASSERT_TRUE(writeFile(settings, "[Language]\nLanguage=4\n"));
    const QString empty = home.filePath("empty.ini");
    ASSERT_TRUE(writeFile(empty, ""));
    const QString junk = home.filePath("junk.ini");
    QByteArray junkBytes;
    for (int i = 0; i < 4096; ++i)
        junkBytes += char((i * 7919) % 251);
    ASSERT_TRUE(writeFile(junk, junkBytes));
    const QString picture = home.filePath("picture.png");
    QImage image(40, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(picture, "PNG"));

    QStringList oneToSixteen;
    for (int i = 1; i <= 16; ++i)
        oneToSixteen << QString::number(i);
    const QByteArray sixteen = streamFor(home.path(), settings, oneToSixteen);
    ASSERT_GT(sixteen.size(), 100);

    const QStringList watchExec = {"watch", "--settings", settings, "--every", "3600", "--exec"};
    const QStringList watchInput = {"watch", "--settings", settings, "-"};
    const struct {
        const char *what;
        QStringList args;
        QString feeder;    // standard input's maker; empty: nothing
        QByteArray stopAt; // SIGTERM once standard error holds this
        int exitCode;
        const char *line;  // a line standard error must hold
        QByteArray atPort; // what the badge gets
    } cases[] = {
        {"17 command lines",
         watchExec + QStringList{"seq 1 17"},
         {},
         " first (",
         143,
         "glintag: watch: --exec: warning: 1 line after slot 16 was dropped\n",
         sixteen},
        {"100 command lines",
         watchExec + QStringList{"seq 1 100"},
         {},
         " first (",
         143,
         "glintag: watch: --exec: warning: 84 lines after slot 16 were dropped\n",
         sixteen},
        {"100,000 command lines",
         watchExec + QStringList{"seq 1 100000"},
         {},
         " first (",
         143,
         "glintag: watch: --exec: warning: 99984 lines after slot 16 were dropped\n",
         sixteen},
        {"a command without end",
         watchExec + QStringList{"yes"},
         {},
         "and was stopped",
         143,
         "glintag: watch: --exec: the command printed more than 1048576 bytes and was stopped; keeping the last "
         "content\n",
         {}},
        {"a 100 MB command line",
         watchExec + QStringList{"head -c 100000000 /dev/zero | tr '\\0' x"},
         {},
         "and was stopped",
         143,
         "the command printed more than 1048576 bytes and was stopped",
         {}},
        {"a command that prints nothing",
         watchExec + QStringList{"true"},
         {},
         "no line",
         143,
         "glintag: watch: --exec: the command printed no line; keeping the last content\n",
         {}},
        {"a 100 MB input line",
         watchInput,
         "head -c 100000000 /dev/zero | tr '\\0' x",
         {},
         1,
         "glintag: watch: -: a group of lines longer than 1048576 bytes was skipped\n",
         {}},
        {"an input line without end",
         watchInput,
         "yes | tr -d '\\n'",
         "was skipped",
         143,
         "glintag: watch: -: a group of lines longer than 1048576 bytes was skipped\n",
         {}},
        {"only empty input lines",
         watchInput,
         "printf '\\n\\n\\r\\n'",
         {},
         1,
         "glintag: watch: -: standard input held no line to send; nothing was sent\n",
         {}},
        {"17 input lines",
         {"send", "--settings", settings, "-"},
         "seq 1 17",
         {},
         0,
         "glintag: send: -: warning: 1 line after slot 16 was dropped\n",
         sixteen},
        {"an empty settings file", {"send", "--settings", empty}, {}, {}, 1, "not a settings or setup file", {}},
        {"junk as settings file", {"send", "--settings", junk}, {}, {}, 1, "not a settings or setup file", {}},
        {"a picture as settings file", {"send", "--settings", picture}, {}, {}, 1, "not a settings or setup file", {}},
        {"a settings file without slots",
         {"send", "--settings", settings},
         {},
         {},
         1,
         "nothing to send: the file has no [Message1] to [Message16] section",
         {}},
    };
    for (const auto &c : cases) {
        const RunResult r = runWithPort(home.path(), c.args, c.feeder, c.stopAt);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.line)) << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(r.atPort.toHex(), c.atPort.toHex()) << c.what;
        // Every run so far, this one included, stayed within the bound.
        EXPECT_LE(childPeakKiB(), 64 * 1024) << c.what;
    }
}

// One badge, one stream: a link to the port and the port itself are used
// once with a note, and a port another program holds is said to be busy.
TEST(HostileSources, OneBadgeGetsOneStream)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString settings = home.filePath("english.ini");
    ASSERT_TRUE(writeFile(settings, "[Language]\nLanguage=4\n"));
    const QByteArray hello = streamFor(home.path(), settings, {"HELLO"});
    ASSERT_GT(hello.size(), 100);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const QString link = home.filePath("badge");
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));

    const struct {
        const char *what;
        QStringList ports;
        bool holdLock; // another program has the port open and locked
        int exitCode;
        QByteArray line;
        QByteArray atPort;
    } cases[] = {
        {"a link and its target",
         {link, pty.slavePath()},
         false,
         0,
         "glintag: send: --port " + QFile::encodeName(pty.slavePath()) + ": the same device as --port "
             + QFile::encodeName(link) + "; it gets the stream once\n",
         hello},
        {"one name twice", {link, link}, false, 0, "; it gets the stream once\n", hello},
        {"a port another program holds",
         {pty.slavePath()},
         true,
         2,
         "The port is busy: another program has it open",
         {}},
    };
    for (const auto &c : cases) {
        int holder = -1;
        if (c.holdLock) {
            holder = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            ASSERT_GE(holder, 0);
            ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        QStringList args = {"send", "--settings", settings, "--quiet"};
        for (const QString &port : c.ports)
            args << "--port" << port;
        QProcess p;
        p.setProcessEnvironment(plainEnvironment(home.path()));
        p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args + QStringList{"HELLO"});
        QByteArray atPort;
        for (int rounds = 0; p.state() != QProcess::NotRunning && rounds < 3000; ++rounds) {
            atPort += pty.read(1);
            p.waitForFinished(1);
        }
        atPort += pty.read(100000);
        if (holder >= 0)
            ::close(holder);
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.what << ": " << err.toStdString();
        EXPECT_TRUE(err.contains(c.line)) << c.what << ": " << err.toStdString();
        EXPECT_EQ(atPort.toHex(), c.atPort.toHex()) << c.what;
    }
}
