// The command line as a person's shell runs it: a real process without any
// display, real pseudo-terminals, real files. Where it should agree with the
// window, the real window (offscreen) is given the same setup, and the send
// job both use renders what the window's Send would carry.

#include "badge/badgesetup.h"
#include "cli/argumentbytes.h"
#include "cli/command.h"
#include "cli/portresults.h"
#include "cli/progress.h"
#include "gui/doteditordialog.h"
#include "gui/pictureediting.h"
#include "render/messagebuilder.h"
#include "sending/sendjob.h"
#include "support/gifwriter.h"
#include "support/programrun.h"
#include "support/pseudoterminal.h"
#include "support/windowfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>

using namespace glintag;

namespace {

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

    // A pseudo-terminal as a badge that takes nothing until the test lets
    // it: its output is stopped.
    static int stoppedLine(const Pty &pty)
    {
        const int slave = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY);
        EXPECT_EQ(::tcflow(slave, TCOOFF), 0);
        return slave;
    }

    // True when the master sees no one holding the port open.
    static bool hungUp(const Pty &pty)
    {
        pollfd hup{pty.masterFd(), POLLIN, 0};
        return ::poll(&hup, 1, 0) == 1 && (hup.revents & POLLHUP);
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
    // Three frames: a bar growing from the left of a 96 × 24 screen.
    GifWriter gif(96, 24);
    for (int k = 1; k <= 3; ++k) {
        std::vector<int> pixels(96 * 24, 0);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32 * k; ++x)
                pixels[size_t(y * 96 + x)] = 1;
        gif.addFrame(QRect(0, 0, 96, 24), pixels);
    }
    const QString gifPath = writeFile(QStringLiteral("anim.gif"), gif.finish());
    // Slot 1 only, a picture from the GIF question answered Yes, on `model`.
    const auto gifOn = [this, gifPath](const char *model) {
        return [this, gifPath, model](MainWindow &w) {
            selectOnly(w, {0});
            w.parts().settingsRow.modelBox()->setCurrentText(QLatin1String(model));
            w.slotRow(0).imageBox()->setChecked(true);
            dialogs->answers.push_back(Dialogs::Answer::Yes);
            dialogs->openNames = {gifPath};
            w.slotRow(0).loadButton()->click();
        };
    };
    const struct {
        const char *what;
        QByteArray windowSettings; // besides the port
        std::function<void(MainWindow &)> edit;
        QStringList args;
        // Also sent over a pseudo-terminal, at the line's pace: once is
        // enough to show --port and --output put out the same bytes.
        bool overTheLine = false;
        const char *question = nullptr; // the window asks this, once
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
        // A text keeps a leading U+FEFF, as the window's text box does.
        {"a byte order mark",
         "[Language]\nLanguage=4\n",
         [](MainWindow &w) { selectTexts(w, {"\uFEFFAB"}); },
         {"--language", "en", "\uFEFFAB"}},
        // Pictures the command line makes itself, as the dot editor and the
        // GIF question make them.
        {"the heart icon",
         "[Language]\nLanguage=4\n",
         [](MainWindow &w) {
             selectOnly(w, {0});
             w.slotRow(0).imageBox()->setChecked(true);
             w.parts().pictureEditing.open(0);
             DotEditorDialog *editor = w.parts().pictureEditing.editor();
             editor->iconBox()->setCurrentText(QStringLiteral("heart"));
             editor->button(DotEditorDialog::InsertIcon)->click();
             editor->button(DotEditorDialog::Apply)->click();
         },
         {"--language", "en", "--model", "R1", "--picture", "icon:heart"}},
        {"an animated GIF on R1",
         "[Language]\nLanguage=4\n",
         gifOn("R1"),
         {"--language", "en", "--picture", gifPath, "--mode", "animation"},
         false,
         "3 frames"},
        {"an animated GIF on R2",
         "[Language]\nLanguage=4\n",
         gifOn("R2"),
         {"--language", "en", "--picture", gifPath, "--mode", "animation", "--model", "R2"},
         false,
         "3 frames"},
    };
    for (const auto &c : cases) {
        Pty cliLine;
        ASSERT_TRUE(cliLine.ok());
        writeSettings(c.windowSettings);
        auto w = renderedWindow();
        dialogs->openNames = {picture};
        dialogs->shown.clear();
        c.edit(*w);
        if (w->slotRow(1).imageBox()->isChecked())
            w->slotRow(1).loadButton()->click();
        if (c.question) {
            ASSERT_EQ(dialogs->shown.size(), 1u) << c.what;
            EXPECT_TRUE(dialogs->shown.front().text.contains(QLatin1String(c.question))) << c.what;
        } else {
            ASSERT_TRUE(dialogs->shown.empty()) << c.what << ": " << dialogs->shown.front().text.toStdString();
        }
        // What the window's Send would put on its line.
        SendJob job;
        ASSERT_TRUE(job.prepare(w->parts().model.setup(), programDir())) << c.what;
        const QByteArray expected = uploadStream(job.snapshot());
        ASSERT_GT(expected.size(), 100) << c.what;
        EXPECT_GT(job.snapshot().rendering.sent[0], 0) << c.what;

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

// Each problem is one line on standard error, refusals and warnings alike;
// the stream is written only when a send succeeds, and a failed write (of
// the stream, help or a list) is a failure. Help and the version only
// print. No port is opened but by a scan: the settings file puts a
// pseudo-terminal behind COM1, the first port any scan opens, and the test
// counts the opens of it.
TEST_F(CommandLine, EachProblemIsOneLineAndOnlyASuccessWrites)
{
    Pty line;
    ASSERT_TRUE(line.ok());
    const QString settings
        = writeFile(QStringLiteral("ports.ini"), portSettings(programDir(), {{1, line.slavePath()}}));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(line.slavePath()).constData(), IN_OPEN), 0);
    auto opened = [watch] {
        char buffer[4096];
        bool any = false;
        while (::read(watch, buffer, sizeof buffer) > 0)
            any = true;
        return any;
    };
    const QString output = file(QStringLiteral("out.bin"));
    const QString unreadable = writeFile(QStringLiteral("broken.bmp"), "BM not really a picture");
    const QByteArray nowhere = QFile::encodeName(file(QStringLiteral("nowhere.ini")));
    const QByteArray folder = QFile::encodeName(programDir()), settingsFile = QFile::encodeName(english);
    QStringList seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen << QStringLiteral("m%1").arg(i);
    // More frames than slot 1 holds.
    GifWriter longGif(8, 8);
    for (int k = 0; k < 90; ++k)
        longGif.addFilledFrame(1 - k % 2);
    const QString longPath = writeFile(QStringLiteral("long.gif"), longGif.finish());
    // Kept pictures that cannot be read are warned of, and the rest is sent.
    writeFile(QStringLiteral("damaged.bmp"), "BM but nothing more");
    const QString kept = writeFile(QStringLiteral("kept.ini"),
                                   "[Language]\nLanguage=4\n[Message1]\nImage=1\n[Message3]\nImage=1\n"
                                   "[Glintag]\nPicture1=damaged.bmp\nPicture3=missing.bmp\n");
    const QString emptyToken = writeFile(QStringLiteral("token"), "\n");
    const QByteArray keptWarning = "send: warning: the picture kept for slot ";
    const QByteArray full = "No space left on device";
    const struct {
        QStringList args;
        QByteArrayList lines; // after "glintag: ", how each line of standard error starts
        int exitCode = 1;
        const char *stdoutFile = nullptr;
        const char *shows = nullptr; // standard output holds this, and nothing is written
        bool scans = false;          // the ports are looked at
    } cases[] = {
        {{"--version"}, {}, 0, nullptr, "glintag 6.0\n"},
        {{"--help"}, {}, 0, nullptr, "Usage: glintag [COMMAND"},
        {{"send", "--help"}, {}, 0, nullptr, "Usage: glintag send [options] [TEXT...]"},
        {{"ports", "--help"}, {}, 0, nullptr, "Usage: glintag ports [options]"},
        {{"send", "--help-all", "HELLO"}, {}, 0, nullptr, "Usage: glintag send [options] [TEXT...]"},
        {{"preview", "--help-all", "HELLO"}, {}, 0, nullptr, "Usage: glintag preview [options] [TEXT...]"},
        {{"send", "--version", "HELLO"}, {}, 0, nullptr, "glintag 6.0\n"},
        {{"preview", "--version", "HELLO"}, {}, 0, nullptr, "glintag 6.0\n"},
        // The counter itself: listing the ports opens COM1.
        {{"ports"}, {}, 0, nullptr, "COM1", true},
        {{"send", "--frobnicate", "X"}, {"send: Unknown option 'frobnicate'."}},
        {{"send", "--speed", "0", "X"}, {"send: --speed 0: allowed 1 to 8"}},
        {{"send", "--mode", "sideways", "X"}, {"send: --mode sideways: allowed left, right, up, down, freeze, pile"}},
        {{"send", "--mode", "animation", "A", "B"}, {"send: --mode animation: allowed only for slot 1, but slot 2"}},
        {{"send", "--picture", unreadable}, {"send: --picture " + unreadable.toUtf8() + ": "}},
        {{"send", "--picture", "icon:nosuch"}, {"send: --picture icon:nosuch: no such icon; allowed heart, smiley"}},
        {{"send", "--settings", nowhere, "X"}, {"send: --settings " + nowhere + ": no such file"}},
        {QStringList{"send"} + seventeen, {"send: 17 messages: allowed at most 16"}},
        {{"send", ""}, {"send: nothing to send: the selected slots are empty"}},
        {{"frobnicate"}, {"frobnicate: unknown command; allowed: send, preview, ports"}},
        // A port name the window would refuse, a device that is not there,
        // and paths that are no device, called what they are.
        {{"send", "--port", "com3", "X"}, {"send: --port com3: allowed COM1 to COM32 or a device path"}},
        {{"send", "--port", "/dev/glintag-no-such-device", "X"},
         {"send: cannot open /dev/glintag-no-such-device: "},
         2},
        {{"send", "--port", english, "X"},
         {"send: cannot open " + settingsFile + ": " + settingsFile + " is not a serial device but a regular file"},
         2},
        {{"send", "--port", folder, "X"},
         {"send: cannot open " + folder + ": " + folder + " is not a serial device but a folder"},
         2},
        // Writes that fail are failures, and an empty name names nothing.
        {{"send", "--output", "/dev/full", "X"}, {"send: --output /dev/full: " + full}, 3},
        {{"preview", "--png", "/dev/full", "X"}, {"preview: --png /dev/full: " + full}, 3},
        {{"--version"}, {"standard output: " + full}, 3, "/dev/full"},
        {{"--help"}, {"standard output: " + full}, 3, "/dev/full"},
        {{"send", "--help"}, {"standard output: " + full}, 3, "/dev/full"},
        {{"ports", "--json", "--settings", english}, {"standard output: " + full}, 3, "/dev/full"},
        {{"send", "--output", "-", "HELLO"}, {"send: --output -: " + full}, 3, "/dev/full"},
        {{"preview", "--png", "-", "HELLO"}, {"preview: --png -: " + full}, 3, "/dev/full"},
        {{"send", "--output", "", "X"}, {"send: --output: allowed a file name or '-'"}},
        {{"send", "--settings", "", "X"}, {"send: --settings: allowed a file name"}},
        // Standard input is read once, and must hold a line.
        {{"send", "-", "-"}, {"send: -: allowed once"}},
        {{"send", "-"}, {"send: -: standard input holds no line"}},
        {{"ports", "--settings", nowhere}, {"ports: --settings " + nowhere + ": no such file"}},
        // serve refuses a start it cannot keep safe or that names no badge.
        {{"serve", "--listen", "0.0.0.0:0", "--port", "/dev/null"},
         {"serve: --listen 0.0.0.0: beyond this machine only with --token FILE"},
         2},
        {{"serve", "--token", emptyToken, "--port", "/dev/null"},
         {"serve: --token " + emptyToken.toUtf8() + ": allowed a file whose first line is the secret"}},
        {{"serve", "--port", "LPT1"}, {"serve: --port LPT1: allowed COM1 to COM32 or a device path"}},
        {{"serve", "-", "--port", "/dev/null"}, {"serve: -: allowed only for send and watch"}},
        // Options that contradict each other.
        {{"send", "--output", output, "--port", "COM1", "X"},
         {"send: --output and --port: allowed one of them (a file or a badge)"}},
        // An argument of any length is quoted by its first 79 characters.
        {{"send", "--speed", QString(100000, QLatin1Char('7')), "X"},
         {"send: --speed " + QByteArray(79, '7') + "\xe2\x80\xa6: allowed 1 to 8"}},
        {{"send", QStringLiteral("--") + QString(100000, QLatin1Char('x')), "X"},
         {"send: Unknown option '" + QByteArray(79, 'x') + "\xe2\x80\xa6'."}},
        {{QString(100000, QLatin1Char('y'))}, {QByteArray(79, 'y') + "\xe2\x80\xa6: unknown command"}},
        // Losses are warned of, and the stream is still written.
        {{"send", "Hello"}, {}, 0},
        {{"send", "Hi 你好"},
         {"send: warning: Slot 1: \"你好\" is sent as \"?\" under English; send with --language zh-CN to draw it."},
         0},
        {{"send", "--language", "zh-CN", "Hi 你好", QString(600, QLatin1Char('W'))},
         {"send: warning: Slot 2: the 512-byte row limit cuts"},
         0},
        // Animation pads slot 1 to whole frames past the row; the padding is no loss.
        {{"send", "--mode", "animation", QString(511, QLatin1Char('A'))}, {}, 0},
        {{"send", "--mode", "animation", QString(600, QLatin1Char('A'))},
         {"send: warning: Slot 1: a slot holds 4096 columns; 89 of its 600 characters lie past them and are not sent."},
         0},
        {{"send", "--picture", longPath, "--mode", "animation", "--model", "R2"},
         {"send: warning: --picture " + longPath.toUtf8()
          + ": the GIF has 90 frames; 4096 columns hold 85 of them (48 columns each)"},
         0},
        {{"send", "--settings", kept},
         {keptWarning + "1 (" + QFile::encodeName(file(QStringLiteral("damaged.bmp"))) + ")",
          keptWarning + "3 (" + QFile::encodeName(file(QStringLiteral("missing.bmp"))) + ")",
          "send: warning: Slot 1: Image is ticked but no picture is loaded", "send: warning: Slot 3: Image is ticked"},
         0},
        // Texts given replace the kept slots, and their pictures are not read.
        {{"send", "--settings", kept, "HELLO"}, {}, 0},
    };
    for (const auto &c : cases) {
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--settings"))
            && (args.size() > 1 || args.first() == QStringLiteral("ports")))
            args << QStringLiteral("--settings") << settings;
        const bool writes = args.first() == QStringLiteral("send") || args.first() == QStringLiteral("preview");
        if (writes && !args.contains(QStringLiteral("--port")) && !args.contains(QStringLiteral("--output"))
            && !args.contains(QStringLiteral("--png")))
            args << (args.first() == QStringLiteral("send") ? QStringLiteral("--output") : QStringLiteral("--png"))
                 << output;
        const Outcome r = runGlintag(args, {}, QLatin1String(c.stdoutFile));
        const QString what = args.join(QLatin1Char(' ')).left(200);
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(what) << "\n" << r.err.toStdString();
        const QByteArrayList lines = r.err.split('\n');
        ASSERT_EQ(lines.size(), c.lines.size() + 1) << qPrintable(what) << "\n" << r.err.toStdString();
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            EXPECT_TRUE(lines[i].startsWith("glintag: " + c.lines[i])) << qPrintable(what) << "\n"
                                                                       << r.err.toStdString();
            EXPECT_LT(lines[i].size(), 400) << qPrintable(what);
        }
        EXPECT_EQ(QFileInfo(output).size() > 0, c.exitCode == 0 && writes && !c.shows) << qPrintable(what);
        if (c.shows) {
            EXPECT_TRUE(r.out.contains(c.shows)) << qPrintable(what) << "\n" << r.out.toStdString();
        }
        EXPECT_EQ(opened(), c.scans) << qPrintable(what);
        QFile::remove(output);
    }
    ::close(watch);
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

// The line is a pseudo-terminal whose output is stopped, as a badge that
// takes nothing: the upload waits until the test acts, at once or once it
// has let part of the stream through, a step at a time.
TEST_F(CommandLine, StoppedUploads)
{
    const QString stopped = QStringLiteral("^glintag: %1: stopped after %2 of \\d+ bytes; the port is closed\n$");
    const QString zero = stopped.arg("send", "0").remove(0, 1), some = stopped.arg("send", "[1-9]\\d*").remove(0, 1);
    const struct {
        QStringList args;
        const char *until; // on standard error; nullptr: bytes reach the port
        bool steps;        // lets the line go a step at a time until then
        int signal;        // 0: the line is lost
        int exitCode;
        QString message; // how standard error ends
    } cases[] = {
        {{"send", "HELLO"}, "(0%)\n", false, SIGINT, 130, zero},
        {{"send", "HELLO"},
         "(0%)\n",
         false,
         0,
         3,
         QStringLiteral("glintag: send: the line was lost after 0 of 160 bytes\n$")},
        // A service manager's stop and the end of a session, like Ctrl+C.
        {{"send", "HELLO"}, "(0%)\n", false, SIGTERM, 143, zero},
        {{"send", "HELLO"}, "(0%)\n", false, SIGHUP, 129, zero},
        // Part of the stream has left when the signal comes; the rest never does.
        {{"send", QString(200, QLatin1Char('W'))}, "(10%)\n", true, SIGTERM, 143, some},
        {{"watch", "--every", "1", "{time:%H:%M:%S}"}, nullptr, true, SIGTERM, 143, stopped.arg("watch", "\\d+")},
    };
    for (const auto &c : cases) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        const int slave = stoppedLine(pty);
        ProgramRun run;
        ASSERT_TRUE(run.start(c.args + QStringList{"--settings", english, "--port", pty.slavePath()}));
        // Lets the queued bytes through, a step each time the uploader
        // shows progress (or the line has read as quiet for a while),
        // until it says `until`.
        QByteArray line;
        ASSERT_TRUE(run.waitUntil([&] {
            if ((c.until && run.err.contains(c.until)) || !c.steps)
                return c.until && run.err.contains(c.until);
            ::tcflow(slave, TCOON);
            line += pty.read(1);
            ::tcflow(slave, TCOOFF);
            run.process.waitForReadyRead(2000);
            return !c.until && !line.isEmpty();
        })) << c.message.toStdString()
            << run.err.toStdString();
        ::close(slave);
        if (c.signal)
            run.kill(c.signal);
        else
            pty.closeMaster();
        EXPECT_EQ(run.finish(), c.exitCode) << c.message.toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(QRegularExpression(c.message).match(QString::fromUtf8(run.err)).hasMatch())
            << c.message.toStdString() << ": " << run.err.toStdString();
        if (pty.ok()) {
            // Nothing passed the stopped line, and nobody holds the port open.
            EXPECT_TRUE(hungUp(pty)) << c.message.toStdString() << ": the port is still open";
            EXPECT_TRUE(pty.read(1).isEmpty()) << c.message.toStdString();
        }
    }
}

// Names that are not UTF-8 reach the system as the bytes typed. The shell's
// printf makes the bytes, since a QProcess argument is a string.
TEST_F(CommandLine, NamesAreBytes)
{
    const QByteArray latin1 = QFile::encodeName(programDir()) + "/lat\xe9";
    ASSERT_EQ(::rename(QFile::encodeName(writePicture()).constData(), latin1 + ".bmp"), 0);
    {
        QFile settings;
        const int fd = ::open(latin1 + ".ini", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_TRUE(settings.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        settings.write("[Language]\nLanguage=4\n[Message1]\nMessage1Text=from the file\n");
    }
    const struct {
        QByteArray option;
        int exitCode;
        QByteArray err;
    } cases[] = {
        {"--language en --picture \"$dir/$(printf 'lat\\351').bmp\"", 0, ""},
        {"--settings \"$dir/$(printf 'lat\\351').ini\" --mode freeze", 0, ""},
        {"--picture \"$dir/$(printf 'lat\\351').png\"", 1, "glintag: send: --picture " + latin1 + ".png: "},
    };
    for (const auto &c : cases) {
        ProgramRun run;
        ASSERT_TRUE(run.start({"-c", "dir=\"$1\"; \"$2\" send --output - " + c.option, "sh", programDir(), kGlintag},
                              {}, false, QStringLiteral("/bin/sh")));
        EXPECT_EQ(run.finish(), c.exitCode) << c.option.toStdString() << run.err.toStdString();
        EXPECT_TRUE(c.exitCode ? run.err.startsWith(c.err) : run.err.isEmpty()) << c.option.toStdString() << "\n"
                                                                                << run.err.toStdString();
    }
    for (const char *end : {".bmp", ".ini"})
        ::unlink(latin1 + end); // names the temporary folder's clean-up cannot spell
}

// "-" as the output or the PNG is standard output, refused when it is a
// terminal.
TEST_F(CommandLine, StandardOutput)
{
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
        = writeFile(QStringLiteral("ports.ini"), portSettings(programDir(), {{30, line.slavePath()}}));
    const Outcome r = runGlintag({"ports", "--json", "--settings", settings});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QMap<QString, QJsonObject> byName;
    for (const QJsonValue &v : QJsonDocument::fromJson(r.out).array())
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
// so, naming the device's own group and mode, and advise joining the group
// only where that would help.
TEST_F(CommandLine, PortsRefusedForPermissionSayWhetherJoiningTheGroupHelps)
{
    // Root opens anything: the program runs as nobody instead.
    if (::geteuid() != 0 || !QFileInfo::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "giving a pseudo-terminal to a group and running as nobody needs root and setpriv";
    ASSERT_EQ(::chmod(QFile::encodeName(programDir()).constData(), 0755), 0); // for the settings file
    const struct {
        const char *group;
        mode_t mode;
        QByteArrayList says;
        QByteArray neverSays;
    } cases[] = {
        {"dialout", 0660, {"group dialout, mode 0660", "sudo adduser $USER dialout"}, "would not help"},
        // A pseudo-terminal's own group, but only root may write to it.
        {"tty", 0600, {"group tty, mode 0600", "joining group tty would not help"}, "adduser"},
        // Writable by the group alone is enough: the port is only written.
        {"tty", 0620, {"group tty, mode 0620", "sudo adduser $USER tty"}, "dialout"},
    };
    for (const auto &c : cases) {
        const struct group *g = ::getgrnam(c.group);
        if (!g)
            continue;
        Pty line;
        const QByteArray device = QFile::encodeName(line.slavePath());
        ASSERT_EQ(::chown(device.constData(), 0, g->gr_gid), 0);
        ASSERT_EQ(::chmod(device.constData(), c.mode), 0);
        const QString settings
            = writeFile(QStringLiteral("ports.ini"), portSettings(programDir(), {{1, line.slavePath()}}));
        for (const QStringList &args : {QStringList{"ports"}, QStringList{"send", "HELLO"}}) {
            ProgramRun run;
            run.process.setWorkingDirectory(QStringLiteral("/"));
            const QStringList nobody = {"--reuid=65534", "--regid=65534", "--clear-groups", "--", kGlintag};
            ASSERT_TRUE(run.start(nobody + args + QStringList{"--settings", settings}, {}, false, "/usr/bin/setpriv"));
            const QString what = args.first() + QLatin1Char(' ') + QLatin1String(c.group);
            EXPECT_EQ(run.finish(), 2) << qPrintable(what) << run.err.toStdString();
            // As nobody, the build tree's font files may lie in a folder it
            // cannot enter (a checkout in a private temporary folder); that
            // warning is not what this test is about.
            QByteArrayList lines;
            for (const QByteArray &l : run.err.trimmed().split('\n'))
                if (!l.contains(": warning: "))
                    lines << l;
            ASSERT_EQ(lines.size(), 2) << qPrintable(what) << run.err.toStdString();
            EXPECT_TRUE(lines[0].startsWith("glintag: " + args.first().toUtf8() + ": no serial port opened: COM1 ("
                                            + device + "): "))
                << lines[0].toStdString();
            EXPECT_FALSE(lines[0].contains("glintag-no-port")) << "the missing devices hide the answer";
            for (const QByteArray &s : c.says)
                EXPECT_TRUE(lines[1].contains(s)) << qPrintable(what) << ": " << lines[1].toStdString();
            EXPECT_FALSE(lines[1].contains(c.neverSays)) << qPrintable(what) << ": " << lines[1].toStdString();
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

// Four badges take the same stream at once; when one is pulled out the
// others still finish, and the status and the summary say which did what.
TEST_F(CommandLine, SeveralPortsEachTakeTheExactStream)
{
    const QByteArray reference = sendOutput(programDir(), {"--settings", english, "HELLO"});
    ASSERT_EQ(reference.size(), 160);
    for (const int hangUp : {-1, 2}) {
        Pty ptys[4];
        ProgramRun run;
        QStringList args = {"send", "--settings", english, "HELLO"};
        for (const Pty &pty : ptys) {
            ASSERT_TRUE(pty.ok());
            args << "--port" << pty.slavePath();
            run.watch(pty.masterFd());
        }
        run.onData = [&](size_t i) {
            if (int(i) == hangUp)
                ptys[i].closeMaster();
            return int(i) != hangUp;
        };
        ASSERT_TRUE(run.start(args));
        EXPECT_EQ(run.finish(), hangUp < 0 ? 0 : 3) << run.err.toStdString();
        QStringList expected;
        for (int i = 0; i < 4; ++i) {
            const QString port = QRegularExpression::escape(ptys[i].slavePath());
            if (i == hangUp) {
                EXPECT_TRUE(reference.startsWith(run.got[i])) << i;
                expected << port + " port gone after \\d+ bytes";
            } else {
                EXPECT_EQ(run.got[i].toHex(), reference.toHex()) << i;
                expected << port + " sent 160 bytes in \\d+\\.\\d s";
            }
        }
        const QRegularExpression summary(QStringLiteral("\nglintag: send: %1\n$").arg(expected.join("; ")));
        EXPECT_TRUE(summary.match(QString::fromUtf8(run.err)).hasMatch()) << run.err.toStdString();
    }
}

// Lines from standard input, a group ending with an empty line, each group
// one upload; the watch ends with its input.
TEST_F(CommandLine, WatchSendsEachGroupOfInputLines)
{
    const QByteArray first = sendOutput(programDir(), {"--settings", english, "A", "B"});
    const QByteArray second = sendOutput(programDir(), {"--settings", english, "C"});
    Pty pty;
    ProgramRun run;
    run.watch(pty.masterFd());
    ASSERT_TRUE(run.start({"watch", "--settings", english, "--port", pty.slavePath(), "-"}, "A\nB\n\nC\n"));
    EXPECT_EQ(run.finish(), 0) << run.err.toStdString();
    EXPECT_EQ(run.got[0].toHex(), (first + second).toHex());
    EXPECT_EQ(run.err.count("\n"), 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(" first (" + QByteArray::number(first.size()) + " bytes): ")) << run.err.toStdString();
}
