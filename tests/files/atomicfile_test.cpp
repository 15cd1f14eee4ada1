#include "files/atomicfile.h"
#include "files/folderlock.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace glintag;

namespace {

// The one-shot write and a writer streaming through the device.
const struct {
    const char *name;
    std::function<bool(const QString &, const QByteArray &, QString *)> write;
} kWriters[] = {
    {"whole",
     [](const QString &path, const QByteArray &bytes, QString *reason) {
         return writeFileAtomically(path, bytes, reason);
     }},
    {"streamed",
     [](const QString &path, const QByteArray &bytes, QString *reason) {
         AtomicFile file(path);
         if (!file.open(AtomicFile::Buffering::Buffered, reason))
             return false;
         for (qsizetype at = 0; at < bytes.size(); at += 100)
             file.device()->write(bytes.mid(at, 100));
         return file.commit(reason);
     }},
};

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(AtomicFile, WhatIsNoRegularFileIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char *name) { return QFile::encodeName(dir.filePath(name)); };
    const int sock = makeUnusualFiles(dir.path());
    ASSERT_GE(sock, 0);
    const QStringList before = entries(dir);
    struct stat null;
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    for (const auto &w : kWriters) {
        for (const char *name : {"fifo", "folder", "device", "socket"}) {
            SCOPED_TRACE(std::string(w.name) + " " + name);
            struct stat old, now;
            ASSERT_EQ(::lstat(path(name), &old), 0);
            QString reason;
            EXPECT_FALSE(w.write(dir.filePath(name), "new", &reason));
            EXPECT_FALSE(reason.isEmpty());
            ASSERT_EQ(::lstat(path(name), &now), 0);
            EXPECT_TRUE(old.st_ino == now.st_ino && old.st_mode == now.st_mode && old.st_size == now.st_size);
        }
        QString reason;
        EXPECT_FALSE(w.write(QString(), "new", &reason) || reason.isEmpty()) << w.name;
    }
    EXPECT_EQ(entries(dir), before); // no temporary left behind
    struct stat stillNull;
    ASSERT_EQ(::stat("/dev/null", &stillNull), 0);
    EXPECT_TRUE(null.st_ino == stillNull.st_ino && S_ISCHR(stillNull.st_mode));
    ::close(sock);
}

TEST(AtomicFile, AWriteTheSystemRefusesPartWayKeepsTheOldFileAndNamesTheReason)
{
    const QByteArray old = "the old file\n";
    const QByteArray large(64 * 1024, 'x');
    for (const auto &w : kWriters) {
        SCOPED_TRACE(w.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("target");
        ASSERT_TRUE(writeFile(path, old));
        // A file size limit fails the write as a full disk would.
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString reason;
        const bool written = w.write(path, large, &reason);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(written);
        EXPECT_EQ(reason.toStdString(),
                  QStringLiteral("The file cannot be written: %1.")
                      .arg(QString::fromLocal8Bit(std::strerror(EFBIG)))
                      .toStdString());
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(entries(dir), QStringList{"target"});
    }
}

TEST(AtomicFile, ALinkKeepsPointingAtTheFileItReplaces)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("real"), "old"));
    ASSERT_EQ(::symlink("real", QFile::encodeName(dir.filePath("link")).constData()), 0);
    for (const auto &w : kWriters) {
        SCOPED_TRACE(w.name);
        QString reason;
        ASSERT_TRUE(w.write(dir.filePath("link"), w.name, &reason)) << reason.toStdString();
        EXPECT_EQ(QFileInfo(dir.filePath("link")).symLinkTarget(), dir.filePath("real"));
        EXPECT_EQ(readFile(dir.filePath("real")), w.name);
    }
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
    EXPECT_EQ(readFile(dir.filePath("target")), "old");
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
