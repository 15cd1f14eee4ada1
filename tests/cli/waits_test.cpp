// The command line where it waits (standard input, a settings pipe, a port
// that will not open) and where it reads standard input or draws progress:
// real processes, real pipes, FIFOs and pseudo-terminals.

#include "support/files.h"
#include "support/programrun.h"
#include "support/pseudoterminal.h"

#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

class Waits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings = dir.filePath(QStringLiteral("s.ini"));
        ASSERT_TRUE(writeFile(settings, portSettings(dir.path())));
    }

    QTemporaryDir dir;
    QString settings;
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
        {"a picture from standard input",
         {"send", "--settings", settings, "--output", out, "--picture", "-"},
         "send: "},
        {"a settings pipe", {"send", "--settings", fifo, "--output", out, "HELLO"}, "send: "},
        {"a settings pipe, ports", {"ports", "--settings", fifo}, "ports: "},
        {"an output FIFO without a reader",
         {"send", "--settings", settings, "--output", outFifo, "HELLO"},
         "send: --output " + QFile::encodeName(outFifo) + ": stopped while waiting for a reader; nothing was written\n",
         "waiting for a reader"},
        {"a port that will not open",
         {"watch", "--settings", settings, "HELLO"},
         "watch: stopped while waiting for a port\n",
         "looking again every 3 s"},
    };
    const struct {
        int signal, status;
    } signals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto &w : waits)
        for (const auto &s : signals) {
            ProgramRun run;
            // Standard input stays open and empty.
            ASSERT_TRUE(run.start(w.args, {}, true)) << w.what;
            ASSERT_TRUE(run.handles(s.signal)) << w.what;
            if (w.waitsFor) {
                ASSERT_TRUE(run.waitForError(w.waitsFor)) << w.what << ": " << run.err.toStdString();
            }
            run.kill(s.signal);
            EXPECT_EQ(run.finish(), s.status) << w.what << " " << s.signal << ": " << run.err.toStdString();
            const QByteArray last = run.err.mid(run.err.lastIndexOf("glintag: ", run.err.size() - 2));
            if (w.waitsFor) {
                EXPECT_EQ(last, "glintag: " + w.last) << w.what << ": " << run.err.toStdString();
            } else {
                EXPECT_TRUE(last.startsWith("glintag: " + w.last) && last.contains("stopped") && last.endsWith('\n'))
                    << w.what << ": " << run.err.toStdString();
            }
            EXPECT_FALSE(run.err.contains("Interrupted system call")) << w.what;
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
    ProgramRun run;
    run.watch(line.masterFd());
    ASSERT_TRUE(run.start({"watch", "--settings", settings, "--every", "1", "HELLO"}, {}, true));
    ASSERT_TRUE(run.waitForError("looking again")) << run.err.toStdString();
    ASSERT_TRUE(run.err.contains("glintag: watch: no serial port opened")) << run.err.toStdString();
    // The badge appears behind COM1.
    const QByteArray com1 = QFile::encodeName(dir.filePath(QStringLiteral("glintag-no-port-1")));
    ASSERT_EQ(::symlink(QFile::encodeName(line.slavePath()).constData(), com1.constData()), 0);
    EXPECT_TRUE(run.waitUntil([&] { return run.got[0].size() >= 16; })) << "nothing reached the badge";
    run.kill(SIGTERM);
    EXPECT_EQ(run.finish(), 143);
    EXPECT_TRUE(run.err.contains("(" + com1 + ") opened")) << run.err.toStdString();
    ::close(slave);
}

// Standard input as the texts, the settings or a picture, the same bytes
// as the arguments or the file; read once only.
TEST_F(Waits, DashReadsStandardInputForSettingsAndPicture)
{
    QImage picture(8, 12, QImage::Format_RGB32);
    picture.fill(Qt::black);
    for (int y = 0; y < 12; ++y)
        picture.setPixel(y % 8, y, qRgb(255, 255, 255));
    const QString bmp = dir.filePath(QStringLiteral("p.bmp"));
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    const QByteArray ini = readFile(settings);
    const QStringList send = {"send", "--settings", settings, "--output", "-"};
    const QStringList preview = {"preview", "--settings", settings, "--png", "-", "--scale", "1"};
    const struct {
        QStringList fromFile, fromInput;
        QByteArray input;
    } cases[] = {
        // Texts, a line per slot.
        {send + QStringList{"12:34", "", "Z"}, send + QStringList{"-"}, "12:34\n\nZ\n"},
        {send + QStringList{"12:34", "", "Z"}, send + QStringList{"-"}, "12:34\r\n\r\nZ"},
        {send + QStringList{"12:34", "", "Z"}, send + QStringList{"12:34", "-"}, "\nZ\n"},
        {send + QStringList{"HELLO"}, {"send", "--settings", "-", "--output", "-", "HELLO"}, ini},
        {send + QStringList{"--picture", bmp}, send + QStringList{"--picture", "-"}, readFile(bmp)},
        {preview + QStringList{"--picture", bmp}, preview + QStringList{"--picture", "-"}, readFile(bmp)},
        // One reader of standard input at a time (two texts: the command
        // line's table).
        {{}, {"send", "--settings", "-", "--output", "-", "--picture", "-"}, ini},
    };
    for (const auto &c : cases) {
        const QString what = c.fromInput.join(QLatin1Char(' '));
        const Outcome got = runGlintag(c.fromInput, c.input);
        if (c.fromFile.isEmpty()) {
            EXPECT_EQ(got.exitCode, 1) << qPrintable(what);
            EXPECT_TRUE(got.err.startsWith("glintag: send: -: allowed once")) << got.err.toStdString();
            EXPECT_TRUE(got.out.isEmpty()) << qPrintable(what);
            continue;
        }
        const Outcome want = runGlintag(c.fromFile);
        ASSERT_EQ(want.exitCode, 0) << qPrintable(what) << ": " << want.err.toStdString();
        ASSERT_EQ(got.exitCode, 0) << qPrintable(what) << ": " << got.err.toStdString();
        EXPECT_FALSE(want.out.isEmpty()) << qPrintable(what);
        EXPECT_EQ(got.out, want.out) << qPrintable(what);
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
        ProgramRun run;
        if (c.term)
            run.env.insert(QStringLiteral("TERM"), QLatin1String(c.term));
        run.process.setStandardErrorFile(terminal.slavePath());
        run.watch(port.masterFd());
        EXPECT_EQ(run.run({"send", "--settings", settings, "--port", port.slavePath(), "HELLO"}), 0)
            << (c.term ? c.term : "unset");
        QByteArray shown = terminal.read(1 << 16);
        const bool redrawn = shown.contains("\x1b[K") || shown.replace("\r\n", "\n").contains('\r');
        EXPECT_EQ(redrawn, c.redraws) << (c.term ? c.term : "unset") << ": " << shown.toStdString();
        if (!c.redraws) {
            EXPECT_TRUE(shown.contains("of 160 bytes sent (")) << shown.toStdString();
        }
    }
}

} // namespace
