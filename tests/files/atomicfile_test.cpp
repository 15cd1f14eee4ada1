#include "files/atomicfile.h"
#include "files/folderlock.h"
#include "support/files.h"
#include "support/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace glintag;

namespace {

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(AtomicFile, WhatIsNoRegularFileIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const int sock = makeUnusualFiles(dir.path());
    ASSERT_GE(sock, 0);
    const QStringList before = entries(dir);
    struct stat null;
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    for (const char *name : {"fifo", "folder", "device", "socket"}) {
        SCOPED_TRACE(name);
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat old, now;
        ASSERT_EQ(::lstat(path, &old), 0);
        QString reason;
        EXPECT_FALSE(writeFileAtomically(dir.filePath(name), "new", &reason));
        EXPECT_FALSE(reason.isEmpty());
        ASSERT_EQ(::lstat(path, &now), 0);
        EXPECT_TRUE(old.st_ino == now.st_ino && old.st_mode == now.st_mode && old.st_size == now.st_size);
    }
    QString reason;
    EXPECT_FALSE(writeFileAtomically(QString(), "new", &reason) || reason.isEmpty()) << "no name";
    EXPECT_EQ(entries(dir), before); // no temporary left behind
    struct stat stillNull;
    ASSERT_EQ(::stat("/dev/null", &stillNull), 0);
    EXPECT_TRUE(null.st_ino == stillNull.st_ino && S_ISCHR(stillNull.st_mode));
    ::close(sock);
}

TEST(AtomicFile, AWriteTheSystemRefusesPartWayKeepsTheOldFileAndNamesTheReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("target");
    ASSERT_TRUE(writeFile(path, "the old file\n"));
    QString reason;
    bool written;
    {
        const FullDisk full(4096);
        written = writeFileAtomically(path, QByteArray(64 * 1024, 'x'), &reason);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reason,
              QStringLiteral("The file cannot be written: %1.").arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_EQ(readFile(path), "the old file\n");
    EXPECT_EQ(entries(dir), QStringList{"target"});
}

TEST(AtomicFile, ALinkKeepsPointingAtTheFileItReplaces)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("real"), "old"));
    ASSERT_EQ(::symlink("real", QFile::encodeName(dir.filePath("link")).constData()), 0);
    QString reason;
    ASSERT_TRUE(writeFileAtomically(dir.filePath("link"), "new", &reason)) << reason.toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath("link")).symLinkTarget(), dir.filePath("real"));
    EXPECT_EQ(readFile(dir.filePath("real")), "new");
    EXPECT_EQ(entries(dir), (QStringList{"link", "real"}));
}

TEST(AtomicFile, ATemporaryCarriesThePrefixThatTheNextStartRemoves)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("target"), "old"));
    ASSERT_TRUE(writeFile(dir.filePath("target.Ab3dE6"), "someone's"));
    AtomicFile file(dir.filePath("target"));
    ASSERT_TRUE(file.open(AtomicFile::Buffering::Buffered));
    file.device()->write("half");
    // As a process killed here leaves it: the temporary beside the target.
    const QStringList during = entries(dir);
    ASSERT_EQ(during.size(), 3);
    EXPECT_TRUE(during[0].startsWith(QLatin1String(kTemporaryPrefix))) << during[0].toStdString();
    EXPECT_EQ(removeLeftoverTemporaries(dir.path()), 1);
    EXPECT_EQ(entries(dir), (QStringList{"target", "target.Ab3dE6"}));
    EXPECT_FALSE(file.commit()) << "its temporary is gone, so the target stays as it was";
    EXPECT_EQ(readFile(dir.filePath("target")), "old");
}

TEST(FolderLock, AWriterIsAloneAndTheLockGoesWithItsHolder)
{
    // Each lock opens the folder anew, as another process would.
    using K = FolderLock::Kind;
    const struct {
        K held, wanted;
        bool granted;
    } cases[] = {
        {K::Shared, K::Shared, true},
        {K::Shared, K::Exclusive, false},
        {K::Exclusive, K::Shared, false},
        {K::Exclusive, K::Exclusive, false},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.held) * 10 + int(c.wanted));
        {
            const FolderLock first(dir.path(), c.held, FolderLock::Wait::Try);
            ASSERT_TRUE(first.held());
            EXPECT_EQ(FolderLock(dir.path(), c.wanted, FolderLock::Wait::Try).held(), c.granted);
        }
        EXPECT_TRUE(FolderLock(dir.path(), K::Exclusive, FolderLock::Wait::Try).held()) << "released with its holder";
    }
    EXPECT_EQ(entries(dir), QStringList()) << "no lock file";
    EXPECT_FALSE(FolderLock(dir.filePath("missing"), K::Shared, FolderLock::Wait::Block).held());
}
