#include "cli/outputtarget.h"

#include "cli/argumentbytes.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glintag {

bool checkOutputTarget(const Command &c, const QString &option)
{
    const QString target = c.parser.value(option);
    if (target.isEmpty()) {
        printError(QStringLiteral("%1: --%2: allowed a file name or '-' for standard output").arg(c.name, option));
        return false;
    }
    if (target == QLatin1String("-") && ::isatty(STDOUT_FILENO) && !c.parser.isSet(QStringLiteral("force"))) {
        printError(QStringLiteral("%1: --%2 -: standard output is a terminal; redirect it, or add --force")
                       .arg(c.name, option));
        return false;
    }
    return true;
}

namespace {

// Opens a file for the output, or a FIFO once its reader has come. A FIFO
// without a reader is said to be waited for: the open then blocks in the
// kernel, and as the signal handlers are installed without SA_RESTART,
// Ctrl+C, SIGTERM or SIGHUP end that wait with EINTR.
int openOutputFile(const QString &command, const QString &option, const QString &target)
{
    const QByteArray name = argumentBytes(target);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISFIFO(st.st_mode))
        return ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    if (errno != ENXIO) // ENXIO: nobody reads yet
        return -1;
    printError(QStringLiteral("%1: --%2 %3: waiting for a reader (Ctrl+C stops)").arg(command, option, target));
    if (InterruptWatch::interrupted()) {
        errno = EINTR;
        return -1;
    }
    return ::open(name.constData(), O_WRONLY | O_CLOEXEC);
}

} // namespace

int writeOutput(const QString &command, const QString &option, const QString &target, const QByteArray &bytes)
{
    const bool toStdout = target == QLatin1String("-");
    int fd = toStdout ? STDOUT_FILENO : openOutputFile(command, option, target);
    if (fd < 0 && errno == EINTR && InterruptWatch::interrupted()) {
        printError(QStringLiteral("%1: --%2 %3: stopped while waiting for a reader; nothing was written")
                       .arg(command, option, target));
        return InterruptWatch::exitCode();
    }
    if (fd < 0) {
        printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, systemError(errno)));
        return kExitPortFailed;
    }
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (!toStdout && ::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, systemError(error)));
        return kExitLineFailed;
    }
    return kExitSent;
}

} // namespace glintag
