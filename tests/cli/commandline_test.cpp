// The command line as a person's shell runs it: a real process without any
// display, real pseudo-terminals, real files. Where it should agree with the
// window, the real window (offscreen) is given the same setup, and the send
// job both use renders what the window's Send would carry.

#include "cli/argumentbytes.h"
#include "cli/command.h"
#include "cli/progress.h"
#include "gui/doteditordialog.h"
#include "gui/pictureediting.h"
#include "sending/sendjob.h"
#include "support/gifwriter.h"
#include "support/programrun.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"
#include "support/windowfixture.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
        EXPECT_TRUE(img.save(file(QStringLiteral("picture.bmp")), "BMP"));
        return file(QStringLiteral("picture.bmp"));
    }

    QString english; // a settings file that asks for English
};

} // namespace

TEST_F(CommandLine, SendsTheWindowsBytesForTheSameSetup)
{
    const QString picture = writePicture();
    // Three frames: a bar growing from the left of a 96 × 24 screen.
    GifWriter gif(96, 24);
    for (int k = 1; k <= 3; ++k)
        gif.addFrame(QRect(0, 0, 32 * k, 24), std::vector<int>(size_t(32 * k * 24), 1));
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
        std::function<void(MainWindow &)> edit;
        QStringList args;
        QByteArray windowSettings = "[Language]\nLanguage=4\n"; // besides the port
    } cases[] = {
        {"texts in two languages, frozen at speed 5",
         [](MainWindow &w) {
             selectTexts(w, {QStringLiteral("Hello"), QStringLiteral("你好")});
             for (int i : {0, 1})
                 w.slotRow(i).modeBox()->setCurrentIndex(4), w.slotRow(i).speedBox()->setCurrentIndex(4);
         },
         {"--language", "zh-CN", "--mode", "freeze", "--speed", "5", "Hello", "你好"},
         "[Language]\nLanguage=0\n"},
        {"a picture between texts, flashing with a border",
         [](MainWindow &w) {
             selectTexts(w, {QStringLiteral("A"), QString(), QStringLiteral("B")});
             w.slotRow(1).imageBox()->setChecked(true);
             for (int i : {0, 1, 2})
                 w.slotRow(i).flashBox()->setChecked(true), w.slotRow(i).borderBox()->setChecked(true);
         },
         {"--language", "en", "--flash", "--border", "A", "--picture", picture, "B"}},
        // A text keeps a leading U+FEFF, as the window's text box does.
        {"a byte order mark", [](MainWindow &w) { selectTexts(w, {"\uFEFFAB"}); }, {"--language", "en", "\uFEFFAB"}},
        {"an alternate group on the R2 model, moving up, dim",
         [](MainWindow &w) {
             selectTexts(w,
                         {QStringLiteral("one"), QStringLiteral("二"), QStringLiteral("three"), QStringLiteral("4")});
             for (int i : {0, 1, 2, 3})
                 w.slotRow(i).modeBox()->setCurrentIndex(2), w.slotRow(i).alternateBox()->setChecked(i > 0);
             w.parts().settingsRow.modelBox()->setCurrentText(QStringLiteral("R2"));
             w.parts().settingsRow.brightnessBox()->setCurrentText(QStringLiteral("2"));
         },
         {"--alternate", "2-4", "--model", "R2", "--mode", "up", "--brightness", "2", "--language", "zh-TW", "one",
          "二", "three", "4"},
         "[Language]\nLanguage=1\n"},
        // Pictures the command line makes itself, as the dot editor and the
        // GIF question make them.
        {"the heart icon",
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
        {"an animated GIF on R1", gifOn("R1"), {"--language", "en", "--picture", gifPath, "--mode", "animation"}},
        {"an animated GIF on R2",
         gifOn("R2"),
         {"--language", "en", "--picture", gifPath, "--mode", "animation", "--model", "R2"}},
    };
    // Where the window would ask or refuse, its setup differs from the
    // command line's and the bytes tell.
    for (const auto &c : cases) {
        writeSettings(c.windowSettings);
        auto w = renderedWindow();
        dialogs->openNames = {picture};
        c.edit(*w);
        if (w->slotRow(1).imageBox()->isChecked())
            w->slotRow(1).loadButton()->click();
        // What the window's Send would put on its line.
        SendJob job;
        ASSERT_TRUE(job.prepare(w->parts().model.setup(), programDir())) << c.what;
        EXPECT_GT(job.snapshot().rendering.sent[0], 0) << c.what;
        QStringList args = {"send", "--output", "-", "--quiet"};
        args << QStringLiteral("--settings") << writeFile(QStringLiteral("empty.ini"), "[Language]\nLanguage=0\n");
        const Outcome written = runGlintag(args + c.args);
        EXPECT_EQ(written.exitCode, 0) << c.what;
        EXPECT_EQ(written.out.toHex(' '), uploadStream(job.snapshot()).toHex(' ')) << c.what;
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
    const QByteArray listed = "{\"chosen\":true,\"device\":\"" + QFile::encodeName(line.slavePath())
        + "\",\"name\":\"COM1\",\"opens\":true},{\"chosen\":false,\"device\":\"" + folder
        + "/glintag-no-port-2\",\"name\":\"COM2\",\"opens\":false,\"permissionDenied\":false,\"reason\":\"No such";
    const QStringList seventeen(17, QStringLiteral("m"));
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
    // A full disk of our own: a writer that wrongly replaced what it writes
    // to must not take the system's node with it. Where no node can be made
    // (not root, or a folder mounted without devices) that row is left out.
    const QByteArray fullNode = QFile::encodeName(file(QStringLiteral("full")));
    bool haveFull = ::mknod(fullNode.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    if (haveFull) {
        const int fd = ::open(fullNode.constData(), O_WRONLY);
        haveFull = fd >= 0 && ::write(fd, "x", 1) < 0 && errno == ENOSPC;
        if (fd >= 0)
            ::close(fd);
    }
    Pty terminal;
    ASSERT_TRUE(terminal.ok());
    const struct {
        QStringList args;
        QByteArrayList lines; // after "glintag: ", how each line of standard error starts
        int exitCode = 1;
        QString stdoutFile;
        QByteArray shows;   // standard output holds this (JSON compacted), and nothing is written
        bool scans = false; // the ports are looked at
    } cases[] = {
        {{"--version"}, {}, 0, {}, "glintag 6.0\n"},
        {{"--help"}, {}, 0, {}, "Usage: glintag [COMMAND"},
        // A command's own help and version never go on to act.
        {{"send", "--help-all", "HELLO"}, {}, 0, {}, "Usage: glintag send [options] [TEXT...]"},
        {{"preview", "--version", "HELLO"}, {}, 0, {}, "glintag 6.0\n"},
        // The counter itself: listing the ports opens COM1. Every port name
        // with a device is listed, whether it opens and why not.
        {{"ports"}, {}, 0, {}, "COM1", true},
        {{"ports", "--json"}, {}, 0, {}, listed, true},
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
        {{"send", "--output", fullNode, "X"}, {"send: --output " + fullNode + ": " + full}, 3},
        {{"ports", "--json", "--settings", english}, {"standard output: " + full}, 3, "/dev/full"},
        {{"send", "--output", "-", "HELLO"}, {"send: --output -: " + full}, 3, "/dev/full"},
        // "-" is refused as a terminal unless forced.
        {{"preview", "--png", "-", "HELLO"},
         {"preview: --png -: standard output is a terminal; redirect it, or add --force"},
         1,
         terminal.slavePath()},
        {{"send", "--output", "-", "--force", "HELLO"}, {}, 0, terminal.slavePath()},
        {{"send", "--output", "", "X"}, {"send: --output: allowed a file name or '-'"}},
        {{"send", "--settings", "", "X"}, {"send: --settings: allowed a file name"}},
        {{"send", "-"}, {"send: -: standard input holds no line"}},
        // serve refuses a start it cannot keep safe or that names no badge.
        {{"serve", "--listen", "0.0.0.0:0", "--port", "/dev/null"},
         {"serve: --listen 0.0.0.0: beyond this machine only with --token FILE"},
         2},
        {{"serve", "--token", emptyToken, "--port", "/dev/null"},
         {"serve: --token " + emptyToken.toUtf8() + ": allowed a file whose first line is the secret"}},
        {{"serve", "-", "--port", "/dev/null"}, {"serve: -: allowed only for send and watch"}},
        // Options that contradict each other.
        {{"send", "--output", output, "--port", "COM1", "X"},
         {"send: --output and --port: allowed one of them (a file or a badge)"}},
        // An argument of any length is quoted by its first 79 characters, an
        // option's value and an unknown option alike.
        {{"send", "--speed", QString(100000, QLatin1Char('7')), "X"},
         {"send: --speed " + QByteArray(79, '7') + "\xe2\x80\xa6: allowed 1 to 8"}},
        {{"send", QStringLiteral("--") + QString(100000, QLatin1Char('x')), "X"},
         {"send: Unknown option '" + QByteArray(79, 'x') + "\xe2\x80\xa6'."}},
        // Losses are warned of (each kind as the window finds it), and the
        // stream is still written.
        {{"send", "Hi 你好"},
         {"send: warning: Slot 1: \"你好\" is sent as \"?\" under English; send with --language zh-CN to draw it."},
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
        if (!haveFull && c.args.contains(QString::fromLocal8Bit(fullNode)))
            continue;
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--settings"))
            && (args.size() > 1 || args.first() == QStringLiteral("ports")))
            args << QStringLiteral("--settings") << settings;
        if ((args.first() == QStringLiteral("send") || args.first() == QStringLiteral("preview"))
            && !args.contains(QStringLiteral("--port")) && !args.contains(QStringLiteral("--output"))
            && !args.contains(QStringLiteral("--png")))
            args << (args.first() == QStringLiteral("send") ? QStringLiteral("--output") : QStringLiteral("--png"))
                 << output;
        const Outcome r = runGlintag(args, {}, c.stdoutFile);
        SCOPED_TRACE((args.join(QLatin1Char(' ')).left(200).toUtf8() + "\n" + r.err + r.out.left(200)).toStdString());
        EXPECT_EQ(r.exitCode, c.exitCode);
        const QByteArrayList lines = r.err.split('\n');
        ASSERT_EQ(lines.size(), c.lines.size() + 1);
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            EXPECT_TRUE(lines[i].startsWith("glintag: " + c.lines[i]));
            EXPECT_LT(lines[i].size(), 400);
        }
        EXPECT_EQ(QFileInfo(output).size() > 0, c.exitCode == 0 && args.contains(output) && c.shows.isEmpty());
        const QJsonDocument json = QJsonDocument::fromJson(r.out);
        EXPECT_TRUE((json.isNull() ? r.out : json.toJson(QJsonDocument::Compact)).contains(c.shows));
        EXPECT_EQ(opened(), c.scans);
        QFile::remove(output);
    }
    ::close(watch);
    // The terminal turns LF into CR LF; the forced stream's start comes through.
    EXPECT_TRUE(terminal.read(5).startsWith("Hell"));
}

TEST(HelpWrapping, LongLinesGoOnBelowTheirIndentOrTheDescriptionColumn)
{
    const struct {
        const char *text;
        int width;
        const char *wrapped;
    } cases[] = {
        {"  -m, --mode <MODE>  How each message moves on the badge", 45,
         "  -m, --mode <MODE>  How each message moves\n                     on the badge"},
        // On a narrow terminal the description column would leave too little:
        // the line's own indent instead.
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
    const QString some = stopped.arg("send", "[1-9]\\d*").remove(0, 1);
    const struct {
        QStringList args;
        const char *until; // on standard error; nullptr: bytes reach the port
        bool steps;        // lets the line go a step at a time until then
        int exitCode;      // 143: stopped by SIGTERM; 3: the line is lost
        QString message;   // how standard error ends
    } cases[] = {
        {{"send", "HELLO"}, "(0%)\n", false, 3, "glintag: send: the line was lost after 0 of 160 bytes\n$"},
        // Part of the stream has left when the signal comes; the rest never does.
        {{"send", QString(200, QLatin1Char('W'))}, "(10%)\n", true, 143, some},
        {{"watch", "--every", "1", "{time:%H:%M:%S}"}, nullptr, true, 143, stopped.arg("watch", "\\d+")},
    };
    for (const auto &c : cases) {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        // A badge that takes nothing until the test lets it: output stopped.
        const int slave = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY);
        ASSERT_EQ(::tcflow(slave, TCOOFF), 0);
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
        if (c.exitCode == 3)
            pty.closeMaster();
        else
            run.kill(SIGTERM);
        const int status = run.finish();
        SCOPED_TRACE(c.message.toStdString() + ": " + run.err.toStdString());
        EXPECT_EQ(status, c.exitCode);
        EXPECT_TRUE(QRegularExpression(c.message).match(QString::fromUtf8(run.err)).hasMatch());
        if (pty.ok()) {
            // Nothing passed the stopped line, and nobody holds the port open.
            pollfd hup{pty.masterFd(), POLLIN, 0};
            EXPECT_TRUE(::poll(&hup, 1, 0) == 1 && (hup.revents & POLLHUP));
            EXPECT_TRUE(pty.read(1).isEmpty());
        }
    }
}

// Names that are not UTF-8 reach the system as the bytes typed. The shell's
// printf makes the bytes, since a QProcess argument is a string.
TEST_F(CommandLine, NamesAreBytes)
{
    const QByteArray latin1 = QFile::encodeName(programDir()) + "/lat\xe9";
    ASSERT_EQ(::rename(QFile::encodeName(writePicture()).constData(), latin1 + ".bmp"), 0);
    ASSERT_EQ(::rename(QFile::encodeName(english).constData(), latin1 + ".ini"), 0);
    // The settings file and the first picture open under their bytes; the
    // second, missing, is the one problem, named by its bytes.
    const QString command
        = QStringLiteral("l=\"$1/$(printf 'lat\\351')\"; \"$2\" send --output - --settings \"$l.ini\" "
                         "--picture \"$l.bmp\" --picture \"$l.png\"");
    ProgramRun run;
    ASSERT_TRUE(run.start({"-c", command, "sh", programDir(), kGlintag}, {}, false, QStringLiteral("/bin/sh")));
    EXPECT_EQ(run.finish(), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("glintag: send: --picture " + latin1 + ".png: ")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    for (const char *end : {".bmp", ".ini"})
        ::unlink(latin1 + end); // names the temporary folder's clean-up cannot spell
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
            EXPECT_EQ(run.finish(), 2);
            // As nobody, the build tree's font files may lie in a folder it
            // cannot enter (a checkout in a private temporary folder); that
            // warning may come too, and is not what this test is about.
            SCOPED_TRACE(args.first().toStdString() + ' ' + c.group + ": " + run.err.toStdString());
            EXPECT_TRUE(run.err.contains("glintag: " + args.first().toUtf8() + ": no serial port opened: COM1 ("
                                         + device + "): "));
            EXPECT_FALSE(run.err.contains("glintag-no-port")) << "the missing devices hide the answer";
            for (const QByteArray &s : c.says)
                EXPECT_TRUE(run.err.contains(s));
            EXPECT_FALSE(run.err.contains(c.neverSays));
        }
    }
}

TEST_F(CommandLine, PreviewAtScaleOneReadsBackAsTheSlotBits)
{
    const QString png = file(QStringLiteral("preview.png"));
    const Outcome r = runGlintag({"preview", "--settings", english, "--language", "zh-CN", "--png", png, "--scale", "1",
                                  "--model", "R2", "--mode", "freeze", "Hi!", "你好"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    BadgeSetup setup = setupWithTexts({QStringLiteral("Hi!"), QStringLiteral("你好")});
    setup.model = QStringLiteral("R2");
    setup.slots[0].mode = setup.slots[1].mode = 4;
    const Rendering rendering = renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR));
    const RowBytes &rowBytes = rendering.rendered;
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(8 * std::max(rowBytes[0], rowBytes[1]), 2 * kRowCount)); // the widest strip
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int slot = y / kRowCount, row = y % kRowCount;
            const bool want = x < rowBytes[slot] * 8 && (rendering.dots.at(slot, row, x / 8) & (0x80 >> (x % 8)));
            EXPECT_EQ(image.pixel(x, y), want ? qRgb(255, 255, 255) : qRgb(0, 0, 0))
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
        {599, 1200, 0, "[#########...........]  599/1200 bytes  49% 6 s left"},
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
        {"\xef\xbb\xbf\x41\x42", QStringLiteral("\uFEFFAB")},
        {"lat\xe9.bin", QStringLiteral("lat\uFFFD.bin")},
        {"\xe4\xbd\xa0\xe5\xa5\xbd", QStringLiteral("你好")},
        {"\xf0\x9f\x98\x80", QStringLiteral("\U0001F600")},
        {"\xc0\xaf", QStringLiteral("\uFFFD\uFFFD")},                     // an overlong '/'
        {"\xed\xa0\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD")},           // an encoded surrogate
        {"\xe4\xbd", QStringLiteral("\uFFFD\uFFFD")},                     // cut short
        {"\xf4\x90\x80\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD")}, // past U+10FFFF
        {"a\xff\xfe\x62", QStringLiteral("a\uFFFD\uFFFDb")},
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
    const QString warning = QStringLiteral("glintag: send: warning: the picture named for slot %1 (%2) is outside the "
                                           "settings file's folder, so it was not opened and the slot is blank");
    for (const int slot : {1, 3})
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(warning.arg(slot).arg(mine))) << r.err.toStdString();
    // Slots 1 and 3 send nothing; the other fourteen their texts.
    const QByteArray sent = readFile(file(QStringLiteral("out.bin")));
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
