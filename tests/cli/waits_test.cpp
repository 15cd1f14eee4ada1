// The command line where it waits (standard input, a settings pipe, a port
// that will not open) and where it reads standard input or draws progress:
// real processes, real pipes, FIFOs and pseudo-terminals.

#include "support/files.h"
#include "support/pseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QProcessEnvironment headless(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "TERM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    return env;
}

// True once the process has its own handler for `signal` (from
// /proc/PID/status), so a signal sent now is the program's to handle.
bool handles(QProcess &p, int signal)
{
    for (int tries = 0; tries < 3000; ++tries) {
        QFile status(QStringLiteral("/proc/%1/status").arg(p.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1)
                return true;
        if (p.waitForFinished(1))
            return false;
    }
    return false;
}

class Waits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        home = dir.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home));
        // Every port name is given a device that is not there, so the
        // machine's own serial ports cannot answer.
        QByteArray ini = "[Language]\nLanguage=4\n[Ports]\n";
        for (int n = 1; n <= 32; ++n)
            ini += "COM" + QByteArray::number(n) + "=" + QFile::encodeName(dir.filePath(QStringLiteral("later%1").arg(n)))
                + "\n";
        settings = dir.filePath(QStringLiteral("s.ini"));
        ASSERT_TRUE(writeFile(settings, ini));
    }

    void start(QProcess &p, const QStringList &args, const QProcessEnvironment &env)
    {
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args);
        ASSERT_TRUE(p.waitForStarted());
    }

    QTemporaryDir dir;
    QString home, settings;
};

// A signal while the program waits ends it as Ctrl+C ends an upload: one
// line, 128 + the signal's number, nothing written.
TEST_F(Waits, ASignalEndsEveryWaitWithItsStatus)
{
    const QString out = dir.filePath(QStringLiteral("out.bin"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // The writer end stays open and silent, as "<(sleep 30)" would be.
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const QString outFifo = dir.filePath(QStringLiteral("out-fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(outFifo).constData(), 0600), 0);
    const QByteArray outFifoName = QFile::encodeName(outFifo);
    // Where the program says that it waits, the signal follows that line and
    // the last line is known exactly; elsewhere the signal may also come
    // while the program is still reading or drawing, and the last line says
    // it stopped, in the command's name.
    const struct {
        const char *what;
        QStringList args;
        QByteArray last; // after "glintag: ": the whole line, or its start
        const char *waitsFor = nullptr;
    } waits[] = {
        {"standard input, send", {"send", "--settings", settings, "--output", out, "-"}, "send: "},
        {"standard input, preview", {"preview", "--settings", settings, "--png", out, "-"}, "preview: "},
        {"a picture from standard input", {"send", "--settings", settings, "--output", out, "--picture", "-"},
         "send: "},
        {"a settings pipe", {"send", "--settings", fifo, "--output", out, "HELLO"}, "send: "},
        {"a settings pipe, ports", {"ports", "--settings", fifo}, "ports: "},
        {"an output FIFO without a reader", {"send", "--settings", settings, "--output", outFifo, "HELLO"},
         "send: --output " + outFifoName + ": stopped while waiting for a reader; nothing was written\n",
         "waiting for a reader"},
        {"a port that will not open", {"watch", "--settings", settings, "HELLO"},
         "watch: stopped while waiting for a port\n", "looking again every 3 s"},
    };
    const struct {
        int signal, status;
    } signals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto &w : waits)
        for (const auto &s : signals) {
            QProcess p;
            start(p, w.args, headless(home));
            // Standard input stays open and empty.
            ASSERT_TRUE(handles(p, s.signal)) << w.what;
            if (w.waitsFor) {
                p.setReadChannel(QProcess::StandardError);
                // What came while handles() waited is already buffered, and
                // waitForReadyRead waits only for more.
                QByteArray told = p.peek(1 << 16);
                while (!told.contains(w.waitsFor) && p.waitForReadyRead(10000))
                    told = p.peek(1 << 16);
                ASSERT_TRUE(told.contains(w.waitsFor)) << w.what << ": " << told.toStdString();
            }
            ::kill(pid_t(p.processId()), s.signal);
            ASSERT_TRUE(p.waitForFinished(10000)) << w.what;
            const QByteArray err = p.readAllStandardError();
            EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << w.what << " " << s.signal;
            EXPECT_EQ(p.exitCode(), s.status) << w.what << " " << s.signal << ": " << err.toStdString();
            const QByteArray last = err.mid(err.lastIndexOf("glintag: ", err.size() - 2));
            if (w.waitsFor) {
                EXPECT_EQ(last, "glintag: " + w.last) << w.what << ": " << err.toStdString();
            } else {
                EXPECT_TRUE(last.startsWith("glintag: " + w.last) && last.contains("stopped") && last.endsWith('\n'))
                    << w.what << ": " << err.toStdString();
            }
            EXPECT_FALSE(err.contains("Interrupted system call")) << w.what;
            EXPECT_FALSE(QFile::exists(out)) << w.what;
        }
    ::close(writer);
}

// Without --port, watch waits for a port as the manual page says: a badge
// plugged in later is found at the next look, and the text goes to it.
TEST_F(Waits, WatchWithoutAPortFindsOnePluggedInLater)
{
    Pty line;
    ASSERT_TRUE(line.ok());
    // Held open here too, so the line does not hang up before the program
    // opens it.
    const int slave = ::open(QFile::encodeName(line.slavePath()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    QProcess p;
    start(p, {"watch", "--settings", settings, "--every", "1", "HELLO"}, headless(home));
    p.setReadChannel(QProcess::StandardError);
    QByteArray told = p.peek(1 << 16);
    while (!told.contains("looking again") && p.waitForReadyRead(10000))
        told = p.peek(1 << 16);
    ASSERT_TRUE(told.contains("glintag: watch: no serial port opened")) << told.toStdString();
    ASSERT_TRUE(p.state() == QProcess::Running) << "watch gave up: " << told.toStdString();
    // The badge appears behind COM1.
    ASSERT_EQ(::symlink(QFile::encodeName(line.slavePath()).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("later1"))).constData()),
              0);
    QByteArray got;
    for (int reads = 0; reads < 10 && got.size() < 16; ++reads)
        got += line.read(16 - int(got.size()));
    EXPECT_GE(got.size(), 16) << "nothing reached the badge";
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 143);
    EXPECT_TRUE(p.readAllStandardError().contains("(" + QFile::encodeName(dir.filePath(QStringLiteral("later1")))
                                                  + ") opened"));
    ::close(slave);
}

// Standard input as the settings or as a picture, the same bytes as the
// file; read once only.
TEST_F(Waits, DashReadsStandardInputForSettingsAndPicture)
{
    QImage picture(8, 12, QImage::Format_RGB32);
    picture.fill(Qt::black);
    for (int y = 0; y < 12; ++y)
        picture.setPixel(y % 8, y, qRgb(255, 255, 255));
    const QString bmp = dir.filePath(QStringLiteral("p.bmp"));
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    const auto run = [&](const QStringList &args, const QByteArray &input, QByteArray *out, QByteArray *err) {
        QProcess p;
        start(p, args, headless(home));
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000))
            return -1;
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitCode();
    };
    const QByteArray ini = readFile(settings);
    const QByteArray picBytes = readFile(bmp);
    const struct {
        const char *what;
        QStringList fromFile, fromInput;
        QByteArray input;
    } cases[] = {
        {"--settings -", {"send", "--settings", settings, "--output", "-", "HELLO"},
         {"send", "--settings", "-", "--output", "-", "HELLO"}, ini},
        {"--picture -", {"send", "--settings", settings, "--output", "-", "--picture", bmp},
         {"send", "--settings", settings, "--output", "-", "--picture", "-"}, picBytes},
        {"--picture - in a preview", {"preview", "--settings", settings, "--png", "-", "--scale", "1", "--picture", bmp},
         {"preview", "--settings", settings, "--png", "-", "--scale", "1", "--picture", "-"}, picBytes},
    };
    for (const auto &c : cases) {
        QByteArray want, got, err;
        ASSERT_EQ(run(c.fromFile, {}, &want, &err), 0) << c.what << ": " << err.toStdString();
        ASSERT_EQ(run(c.fromInput, c.input, &got, &err), 0) << c.what << ": " << err.toStdString();
        EXPECT_FALSE(want.isEmpty()) << c.what;
        EXPECT_EQ(got, want) << c.what;
    }
    // One reader of standard input at a time.
    const QStringList twice[] = {
        {"send", "--settings", "-", "--output", "-", "-"},
        {"send", "--settings", "-", "--output", "-", "--picture", "-"},
        {"send", "--settings", settings, "--output", "-", "--picture", "-", "-"},
    };
    for (const QStringList &args : twice) {
        QByteArray out, err;
        EXPECT_EQ(run(args, ini, &out, &err), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(err.startsWith("glintag: send: -: allowed once")) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
}

// Progress is redrawn in place only where the terminal can; elsewhere it
// is plain lines.
TEST_F(Waits, ProgressRedrawsOnlyWhereTheTerminalCan)
{
    const struct {
        const char *term; // nullptr: unset
        bool redraws;
    } cases[] = {{"xterm", true}, {"dumb", false}, {nullptr, false}};
    for (const auto &c : cases) {
        Pty port, terminal;
        ASSERT_TRUE(port.ok() && terminal.ok());
        QProcessEnvironment env = headless(home);
        if (c.term)
            env.insert(QStringLiteral("TERM"), QLatin1String(c.term));
        QProcess p;
        p.setStandardErrorFile(terminal.slavePath());
        start(p, {"send", "--settings", settings, "--port", port.slavePath(), "HELLO"}, env);
        QByteArray sent;
        for (int reads = 0; reads < 20 && sent.size() < 160; ++reads)
            sent += port.read(160 - int(sent.size()));
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << (c.term ? c.term : "unset");
        QByteArray shown = terminal.read(1 << 16);
        const bool redrawn = shown.contains("\x1b[K") || shown.replace("\r\n", "\n").contains('\r');
        EXPECT_EQ(redrawn, c.redraws) << (c.term ? c.term : "unset") << ": " << shown.toStdString();
        if (!c.redraws) {
            EXPECT_TRUE(shown.contains("of 160 bytes sent (")) << shown.toStdString();
        }
    }
}

} // namespace
