#include "files/regularfile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace glintag {

namespace {

RegularFileOpen refused(const QString &reason)
{
    return {RegularFileOpen::Status::Refused, reason};
}

} // namespace

QString notARegularFileReason(bool folder)
{
    return folder ? QStringLiteral("The name belongs to a folder, not a file.")
                  : QStringLiteral("The name belongs to a device, pipe or socket, not a file.");
}

RegularFileOpen openRegularFile(QFile &file, const QString &path)
{
    if (path.isEmpty())
        return {RegularFileOpen::Status::Missing, QStringLiteral("The file does not exist.")};
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {RegularFileOpen::Status::Missing, QStringLiteral("The file does not exist.")};
        return refused(
            QStringLiteral("The file cannot be opened: %1.").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!S_ISREG(st.st_mode))
        return refused(notARegularFileReason(S_ISDIR(st.st_mode)));
    // The name may have been swapped for a FIFO since the check; with
    // O_NONBLOCK its open returns at once and the second check catches it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(
            QStringLiteral("The file cannot be opened: %1.").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refused(notARegularFileReason(S_ISDIR(st.st_mode)));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(QStringLiteral("The file cannot be opened: %1.").arg(file.errorString()));
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {RegularFileOpen::Status::Missing, QStringLiteral("The file does not exist.")};
    if (!info.isFile())
        return refused(notARegularFileReason(info.isDir()));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(QStringLiteral("The file cannot be opened: %1.").arg(file.errorString()));
#endif
    return {RegularFileOpen::Status::Opened, {}};
}

} // namespace glintag
