#include "link/outqueue.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace glintag {

#ifdef Q_OS_WIN

qint64 driverOutQueue(qintptr handle)
{
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(reinterpret_cast<HANDLE>(handle), &errors, &status))
        return -1;
    return qint64(status.cbOutQue);
}

#else

qint64 driverOutQueue(qintptr handle)
{
    const int fd = int(handle);
    if (fd < 0)
        return -1;
    // A device that went away (USB adapter pulled, other end of a
    // pseudo-terminal closed) reports a hang-up; its queue will never drain.
    pollfd p{fd, 0, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return -1;
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) < 0)
        return -1;
    return queued;
}

#endif

} // namespace glintag
