// Whatever arrives as slot texts - a command that never stops printing, a
// line without end, a file that is no
// settings file - the program takes at most sixteen slots, says in one line
// what it dropped or refused, sends nothing it made up, and stays small.

#include "support/files.h"
#include "support/programrun.h"
#include "support/pseudoterminal.h"

#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>

TEST(HostileSources, BoundedTakenOnceOrRefusedInOneLine)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString settings = home.filePath("english.ini");
    ASSERT_TRUE(writeFile(settings, "[Language]\nLanguage=4\n"));
    const QString empty = home.filePath("empty.ini");
    ASSERT_TRUE(writeFile(empty, ""));
    const QString picture = home.filePath("picture.png");
    QImage image(40, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(picture, "PNG"));

    QStringList oneToSixteen = {"--settings", settings};
    for (int i = 1; i <= 16; ++i)
        oneToSixteen << QString::number(i);
    const QByteArray sixteen = sendOutput(home.path(), oneToSixteen);
    ASSERT_GT(sixteen.size(), 100);

    const auto exec = [&](const char *command) {
        return QStringList{"watch", "--settings", settings, "--every", "3600", "--exec", command};
    };
    const QStringList input = {"watch", "--settings", settings, "-"};
    const QByteArray dropped = "glintag: watch: --exec: warning: ";
    const QByteArray tooLong = "glintag: watch: -: a group of lines longer than 1048576 bytes was skipped\n";
    const QByteArray notSettings = "not a settings or setup file";
    const struct {
        QStringList args;
        const char *feeder; // standard input's maker; none: nothing
        QByteArray stopAt;  // SIGTERM once standard error holds this
        int exitCode;
        QByteArray line;   // a line standard error must hold
        QByteArray atPort; // what the badge gets
    } cases[] = {
        {exec("seq 1 17"), nullptr, " first (", 143, dropped + "1 line after slot 16 was dropped\n", sixteen},
        {exec("seq 1 100000"), nullptr, " first (", 143, dropped + "99984 lines after slot 16 were dropped\n", sixteen},
        {exec("yes"), nullptr, "and was stopped", 143,
         "glintag: watch: --exec: the command printed more than 1048576 bytes and was stopped; keeping the last "
         "content\n"},
        {exec("true"), nullptr, "no line", 143,
         "glintag: watch: --exec: the command printed no line; keeping the last content\n"},
        {input, "yes | tr -d '\\n'", "was skipped", 143, tooLong},
        {input,
         "printf '\\n\\n\\r\\n'",
         {},
         1,
         "glintag: watch: -: standard input held no line to send; nothing was sent\n"},
        {{"send", "--settings", settings, "-"},
         "seq 1 17",
         {},
         0,
         "glintag: send: -: warning: 1 line after slot 16 was dropped\n",
         sixteen},
        {{"send", "--settings", empty}, nullptr, {}, 1, notSettings},
        {{"send", "--settings", picture}, nullptr, {}, 1, notSettings},
        {{"send", "--settings", settings},
         nullptr,
         {},
         1,
         "nothing to send: the file has no [Message1] to [Message16] section"},
    };
    for (const auto &c : cases) {
        const QString what = c.args.join(QLatin1Char(' ')) + QLatin1String(c.feeder ? c.feeder : "");
        Pty pty;
        ProgramRun run(home.path());
        run.process.setWorkingDirectory(home.path());
        run.watch(pty.masterFd());
        if (c.feeder)
            run.feedFrom(QLatin1String(c.feeder));
        ASSERT_TRUE(run.start(c.args + QStringList{"--port", pty.slavePath()}, {}, c.feeder != nullptr))
            << qPrintable(what);
        if (!c.stopAt.isEmpty() && run.waitForError(c.stopAt)) {
            run.got[0] += pty.read(100000); // whatever was under way reaches the port before the stop
            run.kill(SIGTERM);
        }
        EXPECT_EQ(run.finish(), c.exitCode) << qPrintable(what) << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.line)) << qPrintable(what) << ": " << run.err.toStdString();
        EXPECT_EQ(run.got[0].toHex(), c.atPort.toHex()) << qPrintable(what);
        // Every run so far, this one included, stayed within the bound.
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        EXPECT_LE(usage.ru_maxrss, 64 * 1024) << qPrintable(what);
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
    const QByteArray hello = sendOutput(home.path(), {"--settings", settings, "HELLO"});
    ASSERT_GT(hello.size(), 100);
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const QString link = home.filePath("badge");
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));

    const struct {
        QStringList ports;
        bool holdLock; // another program has the port open and locked
        int exitCode;
        QByteArray line;
        QByteArray atPort;
    } cases[] = {
        {{link, pty.slavePath()},
         false,
         0,
         "glintag: send: --port " + QFile::encodeName(pty.slavePath()) + ": the same device as --port "
             + QFile::encodeName(link) + "; it gets the stream once\n",
         hello},
        {{pty.slavePath()}, true, 2, "The port is busy: another program has it open", {}},
    };
    for (const auto &c : cases) {
        int holder = -1;
        if (c.holdLock) {
            holder = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        QStringList args = {"send", "--settings", settings, "--quiet", "HELLO"};
        for (const QString &port : c.ports)
            args << "--port" << port;
        ProgramRun run(home.path());
        run.watch(pty.masterFd());
        EXPECT_EQ(run.run(args), c.exitCode) << qPrintable(c.ports.join(' ')) << ": " << run.err.toStdString();
        if (holder >= 0)
            ::close(holder);
        EXPECT_TRUE(run.err.contains(c.line)) << qPrintable(c.ports.join(' ')) << ": " << run.err.toStdString();
        EXPECT_EQ(run.got[0].toHex(), c.atPort.toHex()) << qPrintable(c.ports.join(' '));
    }
}
