// The command line as a person's shell runs it: a real process without any
// display, real pseudo-terminals, real files. Where it should agree with the
// window, the real window (offscreen) is given the same setup, and the send
// job both use renders what the window's Send would carry.

#include "badge/badgesetup.h"
#include "cli/progress.h"
#include "render/messagebuilder.h"
#include "sending/sendjob.h"
#include "support/pseudoterminal.h"
#include "support/windowfixture.h"

#include <QProcess>

#include <csignal>
#include <cstdio>
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

Outcome runGlintag(const QStringList &args)
{
    QProcess p;
    start(p, args);
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
    } cases[] = {
        {"texts in two languages, frozen at speed 5",
         "[Language]\nLanguage=0\n",
         [](MainWindow &w) {
             selectTexts(w, {QStringLiteral("Hello"), QStringLiteral("你好")});
             for (int i : {0, 1})
                 w.slotRow(i).modeBox()->setCurrentIndex(4), w.slotRow(i).speedBox()->setCurrentIndex(4);
         },
         {"--language", "zh-CN", "--mode", "freeze", "--speed", "5", "Hello", "你好"}},
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
             w.settingsRow().modelBox()->setCurrentText(QStringLiteral("R2"));
             w.settingsRow().brightnessBox()->setCurrentText(QStringLiteral("2"));
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
        ASSERT_TRUE(job.prepare(w->badgeSetup(), w->programDir())) << c.what;
        const QByteArray expected = uploadStream(job.snapshot());
        ASSERT_GT(expected.size(), 100) << c.what;

        QStringList args = {QStringLiteral("send"), QStringLiteral("--port"), cliLine.slavePath()};
        if (!c.args.contains(QStringLiteral("--settings")))
            args << QStringLiteral("--settings") << writeFile(QStringLiteral("empty.ini"), "[Language]\nLanguage=0\n");
        const Outcome sent = runGlintag(args + c.args);
        EXPECT_EQ(sent.exitCode, 0) << c.what << ": " << sent.err.toStdString();
        EXPECT_EQ(cliLine.read(expected.size() + 1).toHex(' '), expected.toHex(' ')) << c.what;
        EXPECT_TRUE(sent.err.endsWith(QByteArray::number(expected.size()) + " bytes sent (100%)\n"))
            << c.what << ": " << sent.err.toStdString();

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
        {{"send", "--speed", "9", "X"}, "send: --speed 9: allowed 1 to 8"},
        {{"send", "--mode", "sideways", "X"}, "send: --mode sideways: allowed left, right, up, down, freeze, pile"},
        {{"send", "--mode", "animation", "A", "B"}, "send: --mode animation: allowed only for slot 1, but slot 2"},
        {{"send", "--brightness", "5", "X"}, "send: --brightness 5: allowed 1 to 4"},
        {{"send", "--model", "R3", "X"}, "send: --model R3: allowed R1 or R2"},
        {{"send", "--language", "fr", "X"}, "send: --language fr: allowed en, zh-CN"},
        {{"send", "--alternate", "3-2", "X"}, "send: --alternate 3-2: allowed FIRST-LAST"},
        {{"send", "--alternate", "16-16", "X"}, "send: --alternate 16-16: allowed FIRST-LAST"},
        {{"send", "--picture", unreadable}, "send: --picture " + unreadable.toUtf8() + ": "},
        {{"send", "--settings", file(QStringLiteral("nowhere.ini")), "X"},
         "--settings " + file(QStringLiteral("nowhere.ini")).toUtf8() + ": no such file"},
        {QStringList{"send"} + seventeen, "send: 17 messages: allowed at most 16"},
        {{"send", ""}, "send: nothing to send: the selected slots are empty"},
        {{"preview", "--scale", "0", "X"}, "preview: --scale 0: allowed 1 to 8"},
        {{"frobnicate"}, "frobnicate: unknown command; allowed: send, preview, ports"},
        // A port name the window would refuse, and a device that is not there.
        {{"send", "--port", "com3", "X"}, "send: --port com3: allowed COM1 to COM32 or a device path"},
        {{"send", "--port", "/dev/glintag-no-such-device", "X"}, "send: cannot open /dev/glintag-no-such-device: ", 2},
    };
    for (const auto &c : cases) {
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--settings")) && args.size() > 1)
            args << QStringLiteral("--settings") << english;
        if (!args.contains(QStringLiteral("--port")))
            args << (args.first() == QStringLiteral("preview") ? QStringLiteral("--png") : QStringLiteral("--output"))
                 << output;
        const Outcome r = runGlintag(args);
        const QString what = args.join(QLatin1Char(' '));
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(what);
        EXPECT_TRUE(r.err.startsWith("glintag: " + c.message)) << qPrintable(what) << "\n" << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(what) << "\n" << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(output)) << qPrintable(what);
    }
}

TEST_F(CommandLine, HelpAndVersionNeedNoDisplay)
{
    const struct {
        QStringList args;
        const char *shows;
    } cases[] = {
        {{"--version"}, "glintag 6.0\n"},
        {{"--help"}, "Usage: glintag [COMMAND"},
        {{"send", "--help"}, "Usage: glintag send [options] [TEXT...]"},
        {{"preview", "--help"}, "--png <FILE>"},
        {{"ports", "--help"}, "Usage: glintag ports [options]"},
    };
    for (const auto &c : cases) {
        const Outcome r = runGlintag(c.args);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(c.args.join(' ')) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.shows)) << qPrintable(c.args.join(' ')) << "\n" << r.out.toStdString();
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
        {{"Hi 你好"}, {"glintag: send: warning: Slot 1: \"你好\" is sent as \"?\" under English; choose SimpChinese"}},
        {{"--language", "zh-CN", "Hi 你好", QString(600, QLatin1Char('W'))},
         {"glintag: send: warning: Slot 2: the 512-byte row limit cuts"}},
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
        const char *bar;
    } bars[] = {
        {0, 1200, "[....................]    0/1200 bytes   0% 10 s left"},
        {599, 1200, "[#########...........]  599/1200 bytes  49% 6 s left"},
        {1200, 1200, "[####################] 1200/1200 bytes 100% 0 s left"},
    };
    for (const auto &b : bars)
        EXPECT_EQ(ProgressReport::barLine(b.sent, b.total, 120).toStdString(), b.bar);

    char *buffer = nullptr;
    size_t size = 0;
    std::FILE *log = ::open_memstream(&buffer, &size);
    ProgressReport report(log, ProgressReport::Style::Lines, 1000, 120);
    for (qint64 sent : {0, 50, 99, 100, 340, 300, 999, 1000, 1000})
        report.update(sent);
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
