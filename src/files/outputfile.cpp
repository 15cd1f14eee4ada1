#include "files/outputfile.h"

#include "files/atomicfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glintag {

namespace {

OutputResult result(OutputResult::Status status, int error)
{
    return {status, error};
}

// The folder part of a name as bytes: "." for a bare name.
QByteArray folderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// The final target of a link, as bytes; the name itself when it is none.
QByteArray followLinks(const QByteArray &name)
{
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved))
        return QByteArray(resolved);
    return name;
}

// Opened without O_TRUNC and written from the start: a FIFO, a device.
OutputResult writeInto(const QByteArray &name, const QByteArray &bytes, const struct stat &st,
                       const OutputOptions &options)
{
    int fd = -1;
    if (S_ISFIFO(st.st_mode)) {
        fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        // Nobody reads yet (ENXIO). Tried again a few times a second rather
        // than in a blocking open, which a signal coming just before it
        // could never end.
        for (bool first = true; fd < 0 && errno == ENXIO && options.waitForReader; first = false) {
            if (!options.waitForReader(first))
                return result(OutputResult::Status::Interrupted, EINTR);
            ::poll(nullptr, 0, first ? 0 : 50);
            fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        }
        if (fd >= 0)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    } else {
        fd = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    }
    if (fd < 0)
        return result(OutputResult::Status::CannotOpen, errno);
    OutputResult r = writeAllTo(fd, bytes);
    if (::close(fd) != 0 && r.ok() && errno != EINTR)
        r = result(OutputResult::Status::WriteFailed, errno);
    return r;
}

// Written beside the target, synced, then renamed over it.
OutputResult replaceFile(const QByteArray &target, const QByteArray &bytes, const struct stat *old)
{
    if (old && ::access(target.constData(), W_OK) != 0)
        return result(OutputResult::Status::CannotOpen, errno);
    const QByteArray folder = folderOf(target);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + '/' + temporaryName();
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return result(OutputResult::Status::CannotOpen, errno);
    }
    if (fd < 0)
        return result(OutputResult::Status::CannotOpen, EEXIST);
    // The new file takes the old one's permissions, as an edit in place
    // would have kept them.
    if (old)
        ::fchmod(fd, old->st_mode & 07777);
    OutputResult r = writeAllTo(fd, bytes);
    if (r.ok() && ::fsync(fd) != 0)
        r = result(OutputResult::Status::WriteFailed, errno);
    if (::close(fd) != 0 && r.ok())
        r = result(OutputResult::Status::WriteFailed, errno);
    if (r.ok() && ::rename(temporary.constData(), target.constData()) != 0)
        r = result(OutputResult::Status::WriteFailed, errno);
    if (!r.ok()) {
        ::unlink(temporary.constData());
        return r;
    }
    syncFolder(folder);
    return r;
}

} // namespace

QString OutputResult::reason() const
{
    return QString::fromLocal8Bit(std::strerror(error));
}

OutputResult writeAllTo(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            return result(OutputResult::Status::WriteFailed, errno);
        else if (n == 0)
            return result(OutputResult::Status::WriteFailed, EIO);
    }
    return {};
}

OutputResult writeOutputFile(const QByteArray &name, const QByteArray &bytes, const OutputOptions &options)
{
    if (name.isEmpty())
        return result(OutputResult::Status::CannotOpen, ENOENT);
    if (options.dashIsStandardOutput && name == "-")
        return writeAllTo(STDOUT_FILENO, bytes);
    const QByteArray target = followLinks(name);
    struct stat st = {};
    if (::stat(target.constData(), &st) != 0) {
        if (errno != ENOENT)
            return result(OutputResult::Status::CannotOpen, errno);
        return replaceFile(target, bytes, nullptr);
    }
    if (S_ISDIR(st.st_mode))
        return result(OutputResult::Status::CannotOpen, EISDIR);
    if (S_ISREG(st.st_mode))
        return replaceFile(target, bytes, &st);
    return writeInto(target, bytes, st, options);
}

} // namespace glintag
