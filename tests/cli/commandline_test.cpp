// The command line as a person's shell runs it: a real process without any
// display, real pseudo-terminals, real files. Where it should agree with the
// window, the real window (offscreen) is given the same setup, and the send
// job both use renders what the window's Send would carry.

#include "badge/badgesetup.h"
#include "cli/argumentbytes.h"
#include "cli/command.h"
#include "cli/portresults.h"
#include "cli/progress.h"
#include "render/messagebuilder.h"
#include "sending/sendjob.h"
#include "support/pseudoterminal.h"
#include "support/windowfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>

using namespace glintag;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
};

// The program with DISPLAY, WAYLAND_DISPLAY and any Qt platform choice
// removed: the command line must not need a display.
QProcessEnvironment headless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

void start(QProcess &p, const QStringList &args)
{
    p.setProcessEnvironment(headless());
    p.setWorkingDirectory(QStringLiteral(GLINTAG_BIN_DIR));
    p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args);
}

// `input` goes to standard input; `stdoutFile`, when given, takes standard
// output (a full device, a terminal).
Outcome runGlintag(const QStringList &args, const QByteArray &input = {}, const QString &stdoutFile = {})
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    start(p, args);
    p.write(input);
    p.closeWriteChannel();
    Outcome r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Files in the test's folder; the window, where one is made, reads its
// settings (and so its port) from the same folder.
class CommandLine : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        english = writeFile(QStringLiteral("s.ini"), "[Language]\nLanguage=4\n");
    }

    QString writeFile(const QString &name, const QByteArray &text) const
    {
        EXPECT_TRUE(::writeFile(file(name), text));
        return file(name);
    }

    // A 40 × 12 picture with a diagonal and a box, as the user's BMP file.
    QString writePicture() const
    {
        QImage img(40, 12, QImage::Format_RGB32);
        img.fill(Qt::black);
        for (int i = 0; i < 12; ++i)
            img.setPixel(i * 3, i, qRgb(255, 255, 255)), img.setPixel(30 + i % 8, i / 2 + 3, qRgb(200, 0, 0));
        const QString picture = file(QStringLiteral("picture.bmp"));
        EXPECT_TRUE(img.save(picture, "BMP"));
        return picture;
    }

    QString english; // a settings file that asks for English
};

} // namespace

TEST_F(CommandLine, SendsTheWindowsBytesForTheSameSetup)
{
    const QString picture = writePicture();
    const QByteArray storedText = "[Language]\nLanguage=2\n"
                                  "[Message1]\nMessage1Text=Stored\nMode=4\nSpeed=6\n"
                                  "[Message2]\nMessage2Text=second\nFlash=1\n[Message3]\nSelect=0\n"
                                  "[Message4]\nMessage4Text=\xe3\x81\x8b\xe3\x81\xaa\nVerticalShow=1\n"
                                  "[Alternate]\nAlternateBeginMsg=1\nAlternateMsgNum=4\n";
    const QString stored = writeFile(QStringLiteral("stored.ini"), storedText);
    const struct {
        const char *what;
        QByteArray windowSettings; // besides the port
        std::function<void(MainWindow &)> edit;
        QStringList args;
        // Also sent over a pseudo-terminal, at the line's pace: once is
        // enough to show --port and --output put out the same bytes.
        bool overTheLine = false;
    } cases[] = {
        {"texts in two languages, frozen at speed 5",
         "[Language]\nLanguage=0\n",
         [](MainWindow &w) {
             selectTexts(w, {QStringLiteral("Hello"), QStringLiteral("你好")});
             for (int i : {0, 1})
                 w.slotRow(i).modeBox()->setCurrentIndex(4), w.slotRow(i).speedBox()->setCurrentIndex(4);
         },
         {"--language", "zh-CN", "--mode", "freeze", "--speed", "5", "Hello", "你好"},
         true},
        {"a picture between texts, flashing with a border",
         "[Language]\nLanguage=4\n",
         [&](MainWindow &w) {
             selectTexts(w, {QStringLiteral("A"), QString(), QStringLiteral("B")});
             w.slotRow(1).imageBox()->setChecked(true);
             for (int i : {0, 1, 2})
                 w.slotRow(i).flashBox()->setChecked(true), w.slotRow(i).borderBox()->setChecked(true);
         },
         {"--language", "en", "--flash", "--border", "A", "--picture", picture, "B"}},
        {"an alternate group on the R2 model, moving up, dim",
         "[Language]\nLanguage=1\n",
         [](MainWindow &w) {
             selectTexts(w,
                         {QStringLiteral("one"), QStringLiteral("二"), QStringLiteral("three"), QStringLiteral("4")});
             for (int i : {0, 1, 2, 3})
                 w.slotRow(i).modeBox()->setCurrentIndex(2), w.slotRow(i).alternateBox()->setChecked(i > 0);
             w.parts().settingsRow.modelBox()->setCurrentText(QStringLiteral("R2"));
             w.parts().settingsRow.brightnessBox()->setCurrentText(QStringLiteral("2"));
         },
         {"--alternate", "2-4", "--model", "R2", "--mode", "up", "--brightness", "2", "--language", "zh-TW", "one",
          "二", "three", "4"}},
        {"no text: the settings file as the window loads it", storedText, [](MainWindow &) {}, {"--settings", stored}},
    };
    for (const auto &c : cases) {
        Pty cliLine;
        ASSERT_TRUE(cliLine.ok());
        writeSettings(c.windowSettings);
        auto w = renderedWindow();
        dialogs->openNames = {picture};
        c.edit(*w);
        if (w->slotRow(1).imageBox()->isChecked())
            w->slotRow(1).loadButton()->click();
        ASSERT_TRUE(dialogs->shown.empty()) << c.what << ": " << dialogs->shown.front().text.toStdString();
        // What the window's Send would put on its line.
        SendJob job;
        ASSERT_TRUE(job.prepare(w->parts().model.setup(), programDir())) << c.what;
        const QByteArray expected = uploadStream(job.snapshot());
        ASSERT_GT(expected.size(), 100) << c.what;

        QStringList args = {QStringLiteral("send"), QStringLiteral("--port"), cliLine.slavePath()};
        if (!c.args.contains(QStringLiteral("--settings")))
            args << QStringLiteral("--settings") << writeFile(QStringLiteral("empty.ini"), "[Language]\nLanguage=0\n");
        if (c.overTheLine) {
            const Outcome sent = runGlintag(args + c.args);
            EXPECT_EQ(sent.exitCode, 0) << c.what << ": " << sent.err.toStdString();
            EXPECT_EQ(cliLine.read(expected.size() + 1).toHex(' '), expected.toHex(' ')) << c.what;
            EXPECT_TRUE(sent.err.endsWith(QByteArray::number(expected.size()) + " bytes sent (100%)\n"))
                << c.what << ": " << sent.err.toStdString();
        }

        args.replace(1, QStringLiteral("--output"));
        args.replace(2, QStringLiteral("-"));
        const Outcome written = runGlintag(args + c.args + QStringList{QStringLiteral("--quiet")});
        EXPECT_EQ(written.exitCode, 0) << c.what;
        EXPECT_EQ(written.out.toHex(' '), expected.toHex(' ')) << c.what << ": --output -";
        EXPECT_TRUE(written.err.isEmpty()) << c.what << ": " << written.err.toStdString();
    }
}

TEST_F(CommandLine, BadInputIsOneLineAndChangesNothing)
{
    const QString output = file(QStringLiteral("never-written"));
    const QString unreadable = writeFile(QStringLiteral("broken.bmp"), "BM not really a picture");
    QStringList seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen << QStringLiteral("m%1").arg(i);
    const struct {
        QStringList args;
        QByteArray message; // owns the texts built from paths below
        int exitCode = 1;
    } cases[] = {
        {{"send", "--frobnicate", "X"}, "send: Unknown option 'frobnicate'."},
        {{"send", "--speed", "0", "X"}, "send: --speed 0: allowed 1 to 8"},
        {{"send", "--mode", "sideways", "X"}, "send: --mode sideways: allowed left, right, up, down, freeze, pile"},
        {{"send", "--mode", "animation", "A", "B"}, "send: --mode animation: allowed only for slot 1, but slot 2"},
        {{"send", "--picture", unreadable}, "send: --picture " + unreadable.toUtf8() + ": "},
        {{"send", "--settings", file(QStringLiteral("nowhere.ini")), "X"},
         "send: --settings " + file(QStringLiteral("nowhere.ini")).toUtf8() + ": no such file"},
        {QStringList{"send"} + seventeen, "send: 17 messages: allowed at most 16"},
        {{"send", ""}, "send: nothing to send: the selected slots are empty"},
        {{"frobnicate"}, "frobnicate: unknown command; allowed: send, preview, ports"},
        // A port name the window would refuse, and a device that is not there.
        {{"send", "--port", "com3", "X"}, "send: --port com3: allowed COM1 to COM32 or a device path"},
        {{"send", "--port", "/dev/glintag-no-such-device", "X"}, "send: cannot open /dev/glintag-no-such-device: ", 2},
        // Writes that fail are failures, and an empty name names nothing.
        {{"send", "--output", "/dev/full", "X"}, "send: --output /dev/full: No space left on device", 3},
        {{"preview", "--png", "/dev/full", "X"}, "preview: --png /dev/full: No space left on device", 3},
        {{"send", "--output", "", "X"}, "send: --output: allowed a file name or '-'"},
        {{"send", "--settings", "", "X"}, "send: --settings: allowed a file name"},
        // Standard input is read once, and must hold a line.
        {{"send", "-", "-"}, "send: -: allowed once"},
        {{"send", "-"}, "send: -: standard input holds no line"},
        {{"ports", "--settings", file(QStringLiteral("nowhere.ini"))},
         "ports: --settings " + file(QStringLiteral("nowhere.ini")).toUtf8() + ": no such file"},
        // Options that contradict each other, and an option where a command
        // belongs.
        {{"send", "--output", output, "--port", "COM1", "X"},
         "send: --output and --port: allowed one of them (a file or a badge)"},
        // An argument of any length is quoted by its first 79 characters.
        {{"send", "--speed", QString(100000, QLatin1Char('7')), "X"},
         "send: --speed " + QByteArray(79, '7') + "\xe2\x80\xa6: allowed 1 to 8"},
        {{"send", QStringLiteral("--") + QString(100000, QLatin1Char('x')), "X"},
         "send: Unknown option '" + QByteArray(79, 'x') + "\xe2\x80\xa6'."},
        {{QString(100000, QLatin1Char('y'))}, QByteArray(79, 'y') + "\xe2\x80\xa6: unknown command"},
    };
    for (const auto &c : cases) {
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--settings")) && args.size() > 1
            && args.first() != QStringLiteral("completion"))
            args << QStringLiteral("--settings") << english;
        if (args.first() != QStringLiteral("ports") && args.first() != QStringLiteral("completion")
            && !args.contains(QStringLiteral("--port")) && !args.contains(QStringLiteral("--output"))
            && !args.contains(QStringLiteral("--png")))
            args << (args.first() == QStringLiteral("preview") ? QStringLiteral("--png") : QStringLiteral("--output"))
                 << output;
        const Outcome r = runGlintag(args);
        const QString what = args.join(QLatin1Char(' '));
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(what);
        EXPECT_TRUE(r.err.startsWith("glintag: " + c.message)) << qPrintable(what) << "\n" << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(what) << "\n" << r.err.toStdString();
        EXPECT_LT(r.err.size(), 400) << qPrintable(what.left(200));
        EXPECT_FALSE(QFile::exists(output)) << qPrintable(what);
    }
}

TEST(HelpWrapping, LongLinesGoOnBelowTheirIndentOrTheDescriptionColumn)
{
    const struct {
        const char *text;
        int width;
        const char *wrapped;
    } cases[] = {
        {"short line", 20, "short line"},
        {"one two three four five", 10, "one two\nthree four\nfive"},
        {"  indented words go on here", 12, "  indented\n  words go\n  on here"},
        {"  -m, --mode <MODE>  How each message moves on the badge", 45,
         "  -m, --mode <MODE>  How each message moves\n                     on the badge"},
        // On a narrow terminal the description column would leave too little.
        {"  -m, --mode <MODE>  How each message moves", 30, "  -m, --mode <MODE>  How each\n  message moves"},
        // A word longer than the width stands alone rather than being cut.
        {"a verylongwordindeed b", 8, "a\nverylongwordindeed\nb"},
        {"line one\nline two is longer", 12, "line one\nline two is\nlonger"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(wrapHelp(QString::fromUtf8(c.text), c.width).toStdString(), c.wrapped) << c.text;
}

// Help and the version only print: nothing is written, no port is opened.
// The settings file puts a pseudo-terminal behind COM1, the first port any
// scan opens, and the test counts the opens of it.
TEST_F(CommandLine, HelpAndVersionOnlyPrint)
{
    Pty line;
    ASSERT_TRUE(line.ok());
    const QString pretendPort = line.slavePath();
    const QString settings = writeFile(QStringLiteral("ports.ini"),
                                       "[Language]\nLanguage=4\n[Ports]\nCOM1=" + pretendPort.toUtf8() + "\n");
    const QString output = file(QStringLiteral("never-written"));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, pretendPort.toLocal8Bit().constData(), IN_OPEN), 0);
    auto opens = [watch] {
        int count = 0;
        char buffer[4096];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
            count += int(n / ssize_t(sizeof(inotify_event)));
        return count;
    };
    const struct {
        QStringList args;
        const char *shows;
        int opens = 0;
    } cases[] = {
        {{"--version"}, "glintag 6.0\n"},
        {{"--help"}, "Usage: glintag [COMMAND"},
        {{"send", "--help"}, "Usage: glintag send [options] [TEXT...]"},
        {{"ports", "--help"}, "Usage: glintag ports [options]"},
        {{"send", "--help-all", "HELLO"}, "Usage: glintag send [options] [TEXT...]"},
        {{"preview", "--help-all", "--png", output, "HELLO"}, "Usage: glintag preview [options] [TEXT...]"},
        {{"send", "--version", "--output", output, "HELLO"}, "glintag 6.0\n"},
        {{"preview", "--version", "--png", output, "HELLO"}, "glintag 6.0\n"},
        // The counter itself: listing the ports opens COM1.
        {{"ports"}, "", 1},
    };
    for (const auto &c : cases) {
        QStringList args = c.args;
        if (!args.first().startsWith(QLatin1Char('-')) && args.first() != QStringLiteral("help"))
            args << QStringLiteral("--settings") << settings;
        const Outcome r = runGlintag(args);
        const QString what = args.join(QLatin1Char(' '));
        EXPECT_TRUE(r.out.contains(c.shows)) << qPrintable(what) << "\n" << r.out.toStdString();
        if (c.opens == 0) {
            EXPECT_EQ(r.exitCode, 0) << qPrintable(what) << r.err.toStdString();
            EXPECT_TRUE(r.err.isEmpty()) << qPrintable(what) << r.err.toStdString();
        }
        EXPECT_FALSE(QFile::exists(output)) << qPrintable(what);
        EXPECT_EQ(opens() > 0, c.opens > 0) << qPrintable(what);
    }
    ::close(watch);
}

// A full standard output fails help, the version and lists alike.
TEST_F(CommandLine, FullStandardOutputIsAnError)
{
    for (const QStringList &args : {QStringList{"--version"}, QStringList{"--help"}, QStringList{"send", "--help"},
                                    QStringList{"ports", "--json", "--settings", english},
                                    QStringList{"send", "--settings", english, "--output", "-", "HELLO"},
                                    QStringList{"preview", "--settings", english, "--png", "-", "HELLO"}}) {
        const Outcome r = runGlintag(args, {}, QStringLiteral("/dev/full"));
        const QString what = args.join(QLatin1Char(' '));
        EXPECT_EQ(r.exitCode, 3) << qPrintable(what);
        EXPECT_TRUE(r.err.endsWith("No space left on device\n")) << qPrintable(what) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(what) << r.err.toStdString();
    }
}

// Losses are warned of on standard error, one line each, and the stream is
// still written.
TEST_F(CommandLine, LossesAreWarnedOfAndStillSent)
{
    const struct {
        QStringList args;
        QByteArrayList warnings;
    } cases[] = {
        {{"Hello"}, {}},
        {{"Hi 你好"},
         {"glintag: send: warning: Slot 1: \"你好\" is sent as \"?\" under English; send with --language zh-CN to "
          "draw it."}},
        {{"--language", "zh-CN", "Hi 你好", QString(600, QLatin1Char('W'))},
         {"glintag: send: warning: Slot 2: the 512-byte row limit cuts"}},
        // Animation pads slot 1 to whole frames past the row; the padding is no loss.
        {{"--mode", "animation", QString(511, QLatin1Char('A'))}, {}},
        {{"--mode", "animation", QString(600, QLatin1Char('A'))},
         {"glintag: send: warning: Slot 1: a slot holds 4096 columns; 89 of its 600 characters lie past them and are "
          "not sent."}},
    };
    for (const auto &c : cases) {
        const QString output = file(QStringLiteral("out.bin"));
        QFile::remove(output);
        const Outcome r = runGlintag(QStringList{"send", "--settings", english, "--output", output} + c.args);
        const QString what = c.args.join(QLatin1Char(' '));
        EXPECT_EQ(r.exitCode, 0) << qPrintable(what) << r.err.toStdString();
        EXPECT_TRUE(QFileInfo(output).size() > 0) << qPrintable(what);
        const QByteArrayList lines = r.err.split('\n');
        ASSERT_EQ(lines.size(), c.warnings.size() + 1) << qPrintable(what) << r.err.toStdString();
        for (int i = 0; i < c.warnings.size(); ++i)
            EXPECT_TRUE(lines[i].startsWith(c.warnings[i])) << lines[i].toStdString();
    }
}

// The line is a pseudo-terminal whose output is stopped, as a badge that
// takes nothing: the upload waits on its first block until the test acts.
TEST_F(CommandLine, StoppedUploads)
{
    const struct {
        const char *what;
        std::function<void(QProcess &, Pty &)> act;
        int exitCode;
        const char *message;
    } cases[] = {
        {"Ctrl+C", [](QProcess &p, Pty &) { ::kill(pid_t(p.processId()), SIGINT); }, 130,
         "glintag: send: stopped after 0 of 160 bytes; the port is closed\n"},
        {"line lost", [](QProcess &, Pty &pty) { pty.closeMaster(); }, 3,
         "glintag: send: the line was lost after 0 of 160 bytes\n"},
        // A service manager's stop and the end of a session, like Ctrl+C.
        {"SIGTERM", [](QProcess &p, Pty &) { ::kill(pid_t(p.processId()), SIGTERM); }, 143,
         "glintag: send: stopped after 0 of 160 bytes; the port is closed\n"},
        {"SIGHUP", [](QProcess &p, Pty &) { ::kill(pid_t(p.processId()), SIGHUP); }, 129,
         "glintag: send: stopped after 0 of 160 bytes; the port is closed\n"},
    };
    for (const auto &c : cases) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        const int slave = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);
        ASSERT_EQ(::tcflow(slave, TCOOFF), 0);
        ::close(slave);

        QProcess p;
        start(p, {"send", "--settings", english, "--port", pty.slavePath(), "HELLO"});
        p.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("(0%)\n") && p.waitForReadyRead(10000))
            err += p.readAllStandardError();
        ASSERT_TRUE(err.contains("glintag: 0 of 160 bytes sent (0%)\n")) << c.what << ": " << err.toStdString();
        c.act(p, pty);
        ASSERT_TRUE(p.waitForFinished(10000)) << c.what;
        err += p.readAllStandardError();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.what;
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.what << ": " << err.toStdString();
        EXPECT_TRUE(err.endsWith(c.message)) << c.what << ": " << err.toStdString();
        if (pty.ok()) {
            // Nothing passed the stopped line, and nobody holds the port open.
            pollfd hup{pty.masterFd(), POLLIN, 0};
            EXPECT_EQ(::poll(&hup, 1, 0), 1) << c.what;
            EXPECT_TRUE(hup.revents & POLLHUP) << c.what << ": the port is still open";
            EXPECT_TRUE(pty.read(1).isEmpty()) << c.what;
        }
    }
}

// A SIGTERM while the line takes data at its own pace: the test lets the
// stopped line go in steps, so part of the stream has left when the signal
// comes, and the rest never does.
TEST_F(CommandLine, TerminatedMidUpload)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int slave = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    ASSERT_EQ(::tcflow(slave, TCOOFF), 0);
    QProcess p;
    start(p, {"send", "--settings", english, "--port", pty.slavePath(), QString(200, QLatin1Char('W'))});
    p.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray err, line;
    // Lets the queued bytes through, one step each time the uploader shows
    // progress, until a tenth has gone.
    while (!err.contains("(10%)\n") && p.state() == QProcess::Running) {
        ASSERT_EQ(::tcflow(slave, TCOON), 0);
        line += pty.read(1);
        ASSERT_EQ(::tcflow(slave, TCOOFF), 0);
        if (p.waitForReadyRead(2000))
            err += p.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("(10%)\n")) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    err += p.readAllStandardError();
    ::close(slave);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 143) << err.toStdString();
    const QByteArrayList lines = err.trimmed().split('\n');
    EXPECT_TRUE(lines.back().startsWith("glintag: send: stopped after ")) << err.toStdString();
    EXPECT_TRUE(lines.back().endsWith(" bytes; the port is closed")) << err.toStdString();
    EXPECT_FALSE(lines.back().startsWith("glintag: send: stopped after 0 ")) << err.toStdString();
    line += pty.read(100000);
    EXPECT_GT(line.size(), 0);
}

// Names that are not UTF-8 reach the system as the bytes typed; a text keeps
// a leading U+FEFF, as the window's text box does. The shell's printf makes
// the bytes, since a QProcess argument is a string.
TEST_F(CommandLine, NamesAreBytesAndTextsKeepEveryCharacter)
{
    const QByteArray latin1 = QFile::encodeName(file(QString())) + "/lat\xe9";
    ASSERT_TRUE(writePicture() != QString());
    ASSERT_EQ(::rename(QFile::encodeName(file(QStringLiteral("picture.bmp"))).constData(), latin1 + ".bmp"), 0);
    {
        QFile settings;
        const int fd = ::open(latin1 + ".ini", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(settings.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        settings.write("[Language]\nLanguage=4\n[Message1]\nMessage1Text=from the file\n");
    }
    auto shell = [&](const QByteArray &line) {
        QProcess p;
        p.setProcessEnvironment(headless());
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QString::fromUtf8("dir=\"$1\"; glintag=\"$2\"; " + line), QStringLiteral("sh"),
                 file(QString()), QStringLiteral(GLINTAG_BIN_DIR "/glintag")});
        Outcome r;
        if (p.waitForFinished(30000))
            r.exitCode = p.exitCode(), r.out = p.readAllStandardOutput(), r.err = p.readAllStandardError();
        return r;
    };
    const QByteArray raw = "\"$dir/$(printf 'lat\\351')";
    const struct {
        QByteArray line;
        int exitCode;
        QByteArray err;
    } cases[] = {
        {"\"$glintag\" send --language en --output " + raw + ".bin\" HELLO", 0, ""},
        {"\"$glintag\" send --language en --output - --picture " + raw + ".bmp\"", 0, ""},
        {"\"$glintag\" send --output - --settings " + raw + ".ini\" --mode freeze", 0, ""},
        {"\"$glintag\" send --output - --picture " + raw + ".png\"", 1,
         "glintag: send: --picture " + latin1 + ".png: "},
    };
    for (const auto &c : cases) {
        const Outcome r = shell(c.line);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.line.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(c.err)) << c.line.toStdString() << "\n" << r.err.toStdString();
        if (c.exitCode == 0) {
            EXPECT_TRUE(r.err.isEmpty()) << c.line.toStdString() << "\n" << r.err.toStdString();
        }
    }
    EXPECT_EQ(::access(latin1 + ".bin", F_OK), 0) << "the output file lost its name's bytes";
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("lat\uFFFD.bin")))) << "written under another name";
    for (const char *end : {".bin", ".bmp", ".ini"})
        ::unlink(latin1 + end); // names the temporary folder's clean-up cannot spell

    // The texts as the window holds them, U+FEFF included.
    auto windowBytes = [](const QStringList &texts) {
        BadgeSetup setup = defaultBadgeSetup();
        setup.language = 4;
        for (int i = 0; i < kSlotCount; ++i)
            setup.slots[i].select = i < texts.size(), setup.slots[i].text = texts.value(i);
        SendJob job;
        EXPECT_TRUE(job.prepare(setup, QStringLiteral(GLINTAG_BIN_DIR)));
        return uploadStream(job.snapshot());
    };
    const QString bom = QStringLiteral("\uFEFFAB");
    const Outcome sent = runGlintag({"send", "--settings", english, "--output", "-", bom});
    EXPECT_EQ(sent.out.toHex(), windowBytes({bom}).toHex());
    EXPECT_NE(sent.out.toHex(), windowBytes({QStringLiteral("AB")}).toHex());
}

// "-" reads the texts from standard input, a line per slot; "-" as the
// output or the PNG is standard output, refused when it is a terminal.
TEST_F(CommandLine, StandardInputAndOutput)
{
    const Outcome texts = runGlintag({"send", "--settings", english, "--output", "-"}, {});
    const Outcome given = runGlintag({"send", "--settings", english, "--output", "-", "12:34", "", "Z"});
    ASSERT_EQ(given.exitCode, 0) << given.err.toStdString();
    for (const QByteArray &input : {QByteArray("12:34\n\nZ\n"), QByteArray("12:34\r\n\r\nZ")}) {
        const Outcome piped = runGlintag({"send", "--settings", english, "--output", "-", "-"}, input);
        EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
        EXPECT_EQ(piped.out.toHex(), given.out.toHex()) << input.toStdString();
    }
    const Outcome between = runGlintag({"send", "--settings", english, "--output", "-", "12:34", "-"}, "\nZ\n");
    EXPECT_EQ(between.out.toHex(), given.out.toHex());

    const Outcome png = runGlintag({"preview", "--settings", english, "--png", "-", "HELLO"});
    EXPECT_EQ(png.exitCode, 0) << png.err.toStdString();
    EXPECT_EQ(QImage::fromData(png.out, "PNG").height(), 6 * kRowCount);

    Pty terminal;
    ASSERT_TRUE(terminal.ok());
    const struct {
        QStringList args;
        int exitCode;
        QByteArray err;
    } cases[] = {
        {{"send", "--output", "-", "HELLO"},
         1,
         "glintag: send: --output -: standard output is a terminal; redirect it, or add --force\n"},
        {{"preview", "--png", "-", "HELLO"},
         1,
         "glintag: preview: --png -: standard output is a terminal; redirect it, or add --force\n"},
        {{"send", "--output", "-", "--force", "HELLO"}, 0, ""},
    };
    for (const auto &c : cases) {
        const Outcome r = runGlintag(c.args + QStringList{"--settings", english}, {}, terminal.slavePath());
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(c.args.join(' '));
        EXPECT_EQ(r.err, c.err) << qPrintable(c.args.join(' '));
        // The terminal turns LF into CR LF; the header's start comes through.
        EXPECT_EQ(terminal.read(5).startsWith("Hell"), c.exitCode == 0) << qPrintable(c.args.join(' '));
    }
}

// Every port name with a device, whether it opens and why not.
TEST_F(CommandLine, PortsAsJson)
{
    Pty line;
    ASSERT_TRUE(line.ok());
    const QString settings
        = writeFile(QStringLiteral("ports.ini"),
                    "[Ports]\nCOM30=" + line.slavePath().toUtf8() + "\nCOM31=/dev/glintag-no-such-device\n");
    const Outcome r = runGlintag({"ports", "--json", "--settings", settings});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_TRUE(doc.isArray()) << error.errorString().toStdString();
    QMap<QString, QJsonObject> byName;
    for (const QJsonValue &v : doc.array())
        byName.insert(v[QStringLiteral("name")].toString(), v.toObject());
    ASSERT_TRUE(byName.contains(QStringLiteral("COM30")) && byName.contains(QStringLiteral("COM31"))) << r.out.data();
    const QJsonObject opens = byName[QStringLiteral("COM30")], refused = byName[QStringLiteral("COM31")];
    EXPECT_EQ(opens[QStringLiteral("device")].toString(), line.slavePath());
    EXPECT_TRUE(opens[QStringLiteral("opens")].toBool());
    EXPECT_FALSE(opens.contains(QStringLiteral("reason")));
    EXPECT_FALSE(refused[QStringLiteral("opens")].toBool());
    EXPECT_FALSE(refused[QStringLiteral("reason")].toString().isEmpty());
    EXPECT_FALSE(refused[QStringLiteral("permissionDenied")].toBool());
}

// A device the user may not open: listing and sending without --port say
// so and tell how to join the group.
TEST_F(CommandLine, PortsRefusedForPermissionSayHowToJoinTheGroup)
{
    Pty line;
    ASSERT_TRUE(line.ok());
    QStringList program = {QStringLiteral(GLINTAG_BIN_DIR "/glintag")};
    if (::geteuid() == 0) {
        // Root opens anything; the program runs as nobody instead.
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/setpriv")))
            GTEST_SKIP() << "running as root without setpriv";
        program = QStringList{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"} + program;
        ASSERT_EQ(::chmod(line.slavePath().toLocal8Bit().constData(), 0600), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(programDir()).constData(), 0755), 0); // for the settings file
    } else {
        ASSERT_EQ(::chmod(line.slavePath().toLocal8Bit().constData(), 0), 0);
    }
    // Every other port name is taken by a device that is not there, so the
    // machine's own serial ports cannot answer instead.
    QByteArray settings = "[Language]\nLanguage=4\n[Ports]\nCOM1=" + line.slavePath().toUtf8() + "\n";
    for (int n = 2; n <= 32; ++n)
        settings += "COM" + QByteArray::number(n) + "=/dev/glintag-none-" + QByteArray::number(n) + "\n";
    const QString settingsFile = writeFile(QStringLiteral("ports.ini"), settings);
    for (const QStringList &args : {QStringList{"ports"}, QStringList{"send", "HELLO"}}) {
        QProcess p;
        p.setProcessEnvironment(headless());
        p.setWorkingDirectory(QStringLiteral("/"));
        p.start(program.first(), program.mid(1) + args + QStringList{"--settings", settingsFile});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray err = p.readAllStandardError();
        const QString what = args.join(QLatin1Char(' '));
        EXPECT_EQ(p.exitCode(), 2) << qPrintable(what) << err.toStdString();
        // As nobody, the build tree's font files may lie in a folder it cannot
        // enter (a checkout in a private temporary folder); that warning is
        // not what this test is about.
        QByteArrayList lines;
        for (const QByteArray &l : err.trimmed().split('\n'))
            if (!l.contains(": warning: "))
                lines << l;
        ASSERT_EQ(lines.size(), 2) << qPrintable(what) << err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("glintag: " + args.first().toUtf8() + ": no serial port opened: COM1 ("
                                        + line.slavePath().toUtf8() + "): "))
            << lines[0].toStdString();
        // The advice names the device's own group and mode; a pseudo-terminal
        // belongs to group tty, and at mode 0600 joining it would not help.
        if (::geteuid() == 0) {
            struct stat st = {};
            ASSERT_EQ(::stat(line.slavePath().toLocal8Bit().constData(), &st), 0);
            const struct group *g = ::getgrgid(st.st_gid);
            const QByteArray group = g ? QByteArray(g->gr_name) : QByteArray::number(st.st_gid);
            EXPECT_TRUE(lines[1].contains("group " + group + ", mode 0600")) << lines[1].toStdString();
            EXPECT_TRUE(lines[1].contains("joining group " + group + " would not help")) << lines[1].toStdString();
            EXPECT_FALSE(lines[1].contains("adduser")) << lines[1].toStdString();
        } else {
            EXPECT_TRUE(lines[1].contains("mode 0000")) << lines[1].toStdString();
        }
        EXPECT_FALSE(lines[0].contains("glintag-none")) << "the missing devices hide the answer";
    }
}

TEST_F(CommandLine, PreviewAtScaleOneReadsBackAsTheSlotBits)
{
    const QString settings = writeFile(QStringLiteral("s.ini"), "[Language]\nLanguage=0\n");
    const QString png = file(QStringLiteral("preview.png"));
    const Outcome r = runGlintag({"preview", "--settings", settings, "--png", png, "--scale", "1", "--model", "R2",
                                  "--mode", "freeze", "Hi!", "你好", "--picture", writePicture()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    BadgeSetup setup = defaultBadgeSetup();
    setup.model = QStringLiteral("R2");
    for (int i = 0; i < kSlotCount; ++i)
        setup.slots[i].select = i < 2, setup.slots[i].mode = 4;
    setup.slots[0].text = QStringLiteral("Hi!");
    setup.slots[1].text = QStringLiteral("你好");
    const Rendering rendering = renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR));
    const DotBuffer &dots = rendering.dots;
    const RowBytes &rowBytes = rendering.rendered;
    // The picture's own pixels, as drawn by writePicture.
    const QImage picture(file(QStringLiteral("picture.bmp")));

    const QImage image(png);
    ASSERT_EQ(image.height(), 3 * kRowCount);
    ASSERT_EQ(image.width(), 40); // the widest strip: the picture's 40 columns
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int slot = y / kRowCount, row = y % kRowCount;
            const bool want = slot < 2 ? x < rowBytes[slot] * 8 && (dots.at(slot, row, x / 8) & (0x80 >> (x % 8)))
                                       : qRed(picture.pixel(x, row)) >= 128;
            const QRgb px = image.pixel(x, y);
            EXPECT_EQ(px, want ? qRgb(255, 255, 255) : qRgb(0, 0, 0))
                << "slot " << slot << " row " << row << " x " << x;
            lit += want;
        }
    EXPECT_GT(lit, 40);
}

TEST(ProgressReport, BarAndLogLines)
{
    const struct {
        qint64 sent, total;
        int quietSeconds;
        const char *bar;
    } bars[] = {
        {0, 1200, 0, "[....................]    0/1200 bytes   0% 10 s left"},
        {599, 1200, 0, "[#########...........]  599/1200 bytes  49% 6 s left"},
        {1200, 1200, 0, "[####################] 1200/1200 bytes 100% 0 s left"},
        // A line that stands still gets no countdown that stands still too.
        {599, 1200, 3, "[#########...........]  599/1200 bytes  49% the line has taken nothing for 3 s"},
    };
    for (const auto &b : bars)
        EXPECT_EQ(ProgressReport::barLine(b.sent, b.total, 120, b.quietSeconds).toStdString(), b.bar);

    char *buffer = nullptr;
    size_t size = 0;
    std::FILE *log = ::open_memstream(&buffer, &size);
    ProgressReport report(log, ProgressReport::Style::Lines, 1000, 120);
    for (qint64 sent : {0, 50, 99, 100, 340, 300, 999, 1000, 1000})
        report.update(sent);
    report.update(1000, 4); // a log keeps to its tenths
    report.finish();
    std::fclose(log);
    EXPECT_STREQ(buffer,
                 "glintag: 0 of 1000 bytes sent (0%)\n"
                 "glintag: 100 of 1000 bytes sent (10%)\n"
                 "glintag: 340 of 1000 bytes sent (30%)\n"
                 "glintag: 999 of 1000 bytes sent (90%)\n"
                 "glintag: 1000 of 1000 bytes sent (100%)\n");
    std::free(buffer);
}

TEST(ArgumentBytes, DecodeAndBackGiveTheSameBytes)
{
    const struct {
        QByteArray bytes;
        QString text; // as the badge draws it
    } cases[] = {
        {"plain", QStringLiteral("plain")},
        {"\xef\xbb\xbf"
         "AB",
         QStringLiteral("\uFEFFAB")},
        {"lat\xe9.bin", QStringLiteral("lat\uFFFD.bin")},
        {"\xe4\xbd\xa0\xe5\xa5\xbd", QStringLiteral("你好")},
        {"\xf0\x9f\x98\x80", QStringLiteral("\U0001F600")},
        {"\xc0\xaf", QStringLiteral("\uFFFD\uFFFD")},                     // an overlong '/'
        {"\xed\xa0\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD")},           // an encoded surrogate
        {"\xe4\xbd", QStringLiteral("\uFFFD\uFFFD")},                     // cut short
        {"\xf4\x90\x80\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD")}, // past U+10FFFF
        {"a\xff\xfe"
         "b",
         QStringLiteral("a\uFFFD\uFFFDb")},
    };
    for (const auto &c : cases) {
        const QString decoded = decodeArgument(c.bytes);
        EXPECT_EQ(argumentBytes(decoded).toHex(), c.bytes.toHex());
        EXPECT_EQ(argumentText(decoded), c.text) << c.bytes.toHex().data();
        EXPECT_EQ(hasStrayBytes(decoded), c.text.contains(QChar::ReplacementCharacter)) << c.bytes.toHex().data();
    }
}

TEST_F(CommandLine, KeptPicturesThatCannotBeReadAreWarnedOfAndTheRestIsSent)
{
    writeFile(QStringLiteral("damaged.bmp"), "BM but nothing more");
    const QString ini = writeFile(QStringLiteral("kept.ini"),
                                  "[Language]\nLanguage=4\n[Message1]\nImage=1\n[Message3]\nImage=1\n"
                                  "[Glintag]\nPicture1=damaged.bmp\nPicture3=missing.bmp\n");
    const struct {
        QStringList texts;
        int warnings;
    } cases[] = {{{}, 2}, {{QStringLiteral("HELLO")}, 0}};
    for (const auto &c : cases) {
        const Outcome r
            = runGlintag(QStringList{"send", "--settings", ini, "-o", file(QStringLiteral("out.bin"))} + c.texts);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.count("glintag: send: warning: the picture kept for slot "), c.warnings) << r.err.toStdString();
        if (c.warnings == 0)
            continue;
        EXPECT_TRUE(r.err.contains(QFile::encodeName("slot 1 (" + file(QStringLiteral("damaged.bmp")) + ")")))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QFile::encodeName("slot 3 (" + file(QStringLiteral("missing.bmp")) + ")")))
            << r.err.toStdString();
        EXPECT_GT(readFile(file(QStringLiteral("out.bin"))).size(), 0) << "the other slots were still sent";
    }
}

TEST_F(CommandLine, PicturesNamedOutsideTheSettingsFilesFolderAreNotOpened)
{
    const QString mine = writePicture(); // the receiver's, beside the shared folder
    ASSERT_TRUE(QDir(programDir()).mkdir(QStringLiteral("shared")));
    const QString ini = writeFile(QStringLiteral("shared/kept.ini"),
                                  "[Language]\nLanguage=4\n[Message1]\nImage=1\n[Message3]\nImage=1\n"
                                  "[Glintag]\nPicture1=../picture.bmp\nPicture3="
                                      + QFile::encodeName(mine) + "\n");
    const Outcome r = runGlintag({"send", "--settings", ini, "-o", file(QStringLiteral("out.bin"))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const int slot : {1, 3}) {
        EXPECT_TRUE(r.err.contains(QFile::encodeName(
            QStringLiteral("glintag: send: warning: the picture named for slot %1 (%2) is outside the settings "
                           "file's folder, so it was not opened and the slot is blank")
                .arg(slot)
                .arg(mine))))
            << r.err.toStdString();
    }
    // Slots 1 and 3 send nothing; the other fourteen their texts.
    const QByteArray sent = readFile(file(QStringLiteral("out.bin")));
    ASSERT_GT(sent.size(), 100);
    EXPECT_EQ(sent.mid(5 + 33, 2).toHex(), "0000");
    EXPECT_EQ(sent.mid(5 + 33 + 8, 2).toHex(), "0000");
}

TEST_F(CommandLine, AnAnimationsFirstHeaderByteCountsItsPaddedLength)
{
    // Slot 1 in Animation is padded to whole frames (6 bytes on R2, 5 on R1),
    // and its length in sixes is taken before the 512-byte row limit.
    const struct {
        const char *model;
        int letters;
        const char *byte1, *sentLength;
    } cases[] = {{"R2", 511, "56", "0200"},
                 {"R2", 512, "56", "0200"},
                 {"R2", 504, "54", "01f8"},
                 {"R1", 511, "55", "0200"},
                 {"R1", 12, "02", "000f"}};
    for (const auto &c : cases) {
        const Outcome r = runGlintag({"send", "--settings", english, "--quiet", "--output", "-", "--model", c.model,
                                      "--mode", "animation", QString(c.letters, QLatin1Char('A'))});
        EXPECT_EQ(r.exitCode, 0) << c.model << c.letters << r.err.toStdString();
        EXPECT_EQ(r.out.mid(6, 1).toHex(), QByteArray(c.byte1)) << c.model << " " << c.letters;
        EXPECT_EQ(r.out.mid(5 + 33, 2).toHex(), QByteArray(c.sentLength)) << c.model << " " << c.letters;
    }
}

TEST_F(CommandLine, OutputToAFifoWithoutAReaderStopsOnCtrlC)
{
    const QString fifo = file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess p;
    start(p, {"send", "--settings", english, "-o", fifo, "HELLO"});
    p.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("waiting for a reader") && p.waitForReadyRead(10000))
        err += p.readAllStandardError();
    ASSERT_TRUE(err.contains("waiting for a reader")) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(err.endsWith(QFile::encodeName("glintag: send: --output " + fifo
                                               + ": stopped while waiting for a reader; nothing was written\n")))
        << err.toStdString();
}

namespace {

// Reads every pseudo-terminal while the program runs; `onData` may act on
// what came (hang a line up, say).
void captureUntilFinished(QProcess &p, std::vector<std::unique_ptr<Pty>> &ptys, QList<QByteArray> &captures,
                          const std::function<void(size_t)> &onData = {})
{
    captures = QList<QByteArray>(qsizetype(ptys.size()));
    for (int rounds = 0; p.state() != QProcess::NotRunning && rounds < 2000; ++rounds) {
        std::vector<pollfd> fds;
        for (const auto &pty : ptys)
            fds.push_back({pty->masterFd(), POLLIN, 0});
        if (::poll(fds.data(), nfds_t(fds.size()), 20) > 0)
            for (size_t i = 0; i < ptys.size(); ++i) {
                char buf[1024];
                const ssize_t n = ptys[i]->ok() && (fds[i].revents & POLLIN) ? ::read(fds[i].fd, buf, sizeof buf) : 0;
                if (n > 0) {
                    captures[qsizetype(i)].append(buf, int(n));
                    if (onData)
                        onData(i);
                }
            }
        p.waitForFinished(1);
    }
    for (size_t i = 0; i < ptys.size(); ++i)
        if (ptys[i]->ok())
            captures[qsizetype(i)] += ptys[i]->read(100000);
}

} // namespace

// Four badges take the same stream at once; when one is pulled out the
// others still finish, and the status and the summary say which did what.
TEST_F(CommandLine, SeveralPortsEachTakeTheExactStream)
{
    const Outcome reference = runGlintag({"send", "--settings", english, "--output", "-", "HELLO"});
    ASSERT_EQ(reference.exitCode, 0);
    for (const int hangUp : {-1, 2}) {
        std::vector<std::unique_ptr<Pty>> ptys;
        QStringList args = {"send", "--settings", english, "HELLO"};
        for (int i = 0; i < 4; ++i) {
            ptys.push_back(std::make_unique<Pty>());
            ASSERT_TRUE(ptys.back()->ok());
            args << "--port" << ptys.back()->slavePath();
        }
        QProcess p;
        start(p, args);
        ASSERT_TRUE(p.waitForStarted(10000));
        QList<QByteArray> captures;
        captureUntilFinished(p, ptys, captures, [&](size_t i) {
            if (int(i) == hangUp)
                ptys[i]->closeMaster();
        });
        ASSERT_EQ(p.state(), QProcess::NotRunning);
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), hangUp < 0 ? 0 : 3) << err.toStdString();
        QStringList expected;
        for (int i = 0; i < 4; ++i) {
            if (i == hangUp) {
                EXPECT_TRUE(reference.out.startsWith(captures[i])) << i;
                expected << QRegularExpression::escape(ptys[size_t(i)]->slavePath()) + " port gone after \\d+ bytes";
                continue;
            }
            EXPECT_EQ(captures[i].toHex(), reference.out.toHex()) << i;
            expected << QRegularExpression::escape(args[5 + 2 * i]) + " sent 160 bytes in \\d+\\.\\d s";
        }
        const QRegularExpression summary(QStringLiteral("\nglintag: send: %1\n$").arg(expected.join("; ")));
        EXPECT_TRUE(summary.match(QString::fromUtf8(err)).hasMatch()) << err.toStdString();
    }
}

// Lines from standard input, a group ending with an empty line, each group
// one upload; the watch ends with its input.
TEST_F(CommandLine, WatchSendsEachGroupOfInputLines)
{
    const Outcome first = runGlintag({"send", "--settings", english, "--output", "-", "A", "B"});
    const Outcome second = runGlintag({"send", "--settings", english, "--output", "-", "C"});
    std::vector<std::unique_ptr<Pty>> ptys;
    ptys.push_back(std::make_unique<Pty>());
    QProcess p;
    start(p, {"watch", "--settings", english, "--port", ptys[0]->slavePath(), "-"});
    p.write("A\nB\n\nC\n");
    p.closeWriteChannel();
    QList<QByteArray> captures;
    captureUntilFinished(p, ptys, captures);
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(captures[0].toHex(), (first.out + second.out).toHex());
    EXPECT_EQ(err.count("\n"), 2) << err.toStdString();
    EXPECT_TRUE(err.contains(" first (" + QByteArray::number(first.out.size()) + " bytes): ")) << err.toStdString();
}

// A service manager's stop while the watch uploads: the upload ends, the
// port is closed, and the status is 143 with a message.
TEST_F(CommandLine, WatchStopsOnSigtermMidUpload)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QProcess p;
    start(p, {"watch", "--settings", english, "--port", pty.slavePath(), "--every", "1", "{time:%H:%M:%S}"});
    ASSERT_TRUE(p.waitForStarted(10000));
    // Until the program has the port open, the master reads as hung up.
    QByteArray first;
    for (int i = 0; i < 500 && first.isEmpty() && p.state() == QProcess::Running; ++i) {
        char c = 0;
        if (::read(pty.masterFd(), &c, 1) == 1)
            first += c;
        else
            p.waitForFinished(20);
    }
    ASSERT_FALSE(first.isEmpty());
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 143) << err.toStdString();
    const QRegularExpression stopped(QStringLiteral("^glintag: watch: stopped after \\d+ of \\d+ bytes; the port is "
                                                    "closed\n$"));
    EXPECT_TRUE(stopped.match(QString::fromUtf8(err)).hasMatch()) << err.toStdString();
    pty.read(100000);
    pollfd hup{pty.masterFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&hup, 1, 0), 1);
    EXPECT_TRUE(hup.revents & POLLHUP) << "the port is still open";
}
