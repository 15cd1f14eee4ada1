// Every file the command line writes for the user - the byte stream, the
// PNG and the GIF - goes out the same way: under the name's own bytes, into
// a FIFO or a device rather than over it, atomically over a regular file,
// and a write that fails is exit 3 with one line, the old file kept and no
// empty file or temporary left.

#include "support/files.h"
#include "support/programrun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The shell's printf makes the target's name from `target`, so that a name
// that is no UTF-8 reaches the program as the bytes typed; `limited` sets a
// file size limit of 1 kB. A FIFO's reader is the test, into `fromFifo`.
Outcome runTo(const QString &target, const QStringList &command, const QString &option, bool limited = false,
              QByteArray *fromFifo = nullptr)
{
    ProgramRun run;
    const int reader = fromFifo ? ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (reader >= 0)
        run.watch(reader);
    const QString script = QStringLiteral("t=$(printf \"$1\"); shift; %1exec \"$0\" \"$@\" \"$t\"")
                               .arg(limited ? QStringLiteral("ulimit -f 1; ") : QString());
    run.run(QStringList{"-c", script, kGlintag, target} + command + QStringList{option}, {}, QStringLiteral("/bin/sh"));
    if (reader >= 0)
        *fromFifo = run.got[0], ::close(reader);
    return {run.exitCode, run.out, run.err};
}

} // namespace

TEST(OutputTargets, EveryOutputOptionWritesTheSameWay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString settings = dir.filePath("english.ini");
    ASSERT_TRUE(writeFile(settings, "[Language]\nLanguage=4\n"));
    // Long enough that every output is larger than the 512-byte size limit.
    const QString text = QStringLiteral("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG ").repeated(4);
    const struct {
        const char *option;
        QStringList command;
    } options[] = {
        {"--output", {"send", "--settings", settings, "--quiet", text}},
        {"--png", {"preview", "--settings", settings, text}},
        {"--gif", {"preview", "--settings", settings, text}},
    };
    const QByteArray out = QFile::encodeName(dir.filePath("out"));
    const QByteArray latin = QFile::encodeName(dir.path()) + "/caf\xe9.out";
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    for (const auto &o : options) {
        const QString option = QString::fromLatin1(o.option);
        const Outcome reference = runTo("-", o.command, option);
        ASSERT_EQ(reference.exitCode, 0) << o.option << reference.err.toStdString();
        ASSERT_GT(reference.out.size(), 512) << o.option;
        ASSERT_TRUE(reference.err.isEmpty()) << o.option << reference.err.toStdString();

        // A regular file, replaced whole, keeping its permissions.
        ASSERT_TRUE(writeFile(dir.filePath("out"), "OLD"));
        ASSERT_EQ(::chmod(out.constData(), 0640), 0);
        Outcome w = runTo(dir.filePath("out"), o.command, option);
        EXPECT_EQ(w.exitCode, 0) << o.option << w.err.toStdString();
        EXPECT_EQ(readFile(dir.filePath("out")).toHex(), reference.out.toHex()) << o.option;
        struct stat st = {};
        ASSERT_EQ(::stat(out.constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << o.option;

        // A name that is no UTF-8 keeps its bytes.
        w = runTo(dir.filePath("caf\\351.out"), o.command, option);
        EXPECT_EQ(w.exitCode, 0) << o.option << w.err.toStdString();
        EXPECT_EQ(::access(latin.constData(), F_OK), 0) << o.option << ": written under another name";
        ::unlink(latin.constData());

        // A FIFO is written into, its reader gets every byte, and it stays a
        // FIFO (a device takes the same way: /dev/full in the command line's
        // tests).
        ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
        QByteArray fromFifo;
        w = runTo(dir.filePath("fifo"), o.command, option, false, &fromFifo);
        EXPECT_EQ(w.exitCode, 0) << o.option << w.err.toStdString();
        EXPECT_EQ(fromFifo.toHex(), reference.out.toHex()) << o.option;
        ASSERT_EQ(::stat(fifo.constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << o.option << ": the FIFO was replaced";
        ::unlink(fifo.constData());

        // The file size limit stops the write: exit 3, one line, the old
        // file as it was, and no temporary; a new file is not left empty.
        ASSERT_TRUE(writeFile(dir.filePath("out"), "OLD"));
        w = runTo(dir.filePath("out"), o.command, option, true);
        EXPECT_EQ(w.exitCode, 3) << o.option << w.err.toStdString();
        EXPECT_EQ(w.err.count('\n'), 1) << o.option << w.err.toStdString();
        EXPECT_TRUE(w.err.contains(QByteArray(o.option) + ' ' + out + ": ")) << o.option << w.err.toStdString();
        EXPECT_EQ(readFile(dir.filePath("out")), QByteArray("OLD")) << o.option;
        ::unlink(out.constData());
        w = runTo(dir.filePath("out"), o.command, option, true);
        EXPECT_EQ(w.exitCode, 3) << o.option << w.err.toStdString();
        EXPECT_NE(::access(out.constData(), F_OK), 0) << o.option << ": a failed write left a file";
        EXPECT_EQ(QDir(dir.path()).entryList({".glintag-partial-*"}, QDir::Files | QDir::Hidden | QDir::System),
                  QStringList())
            << o.option;
    }
}
