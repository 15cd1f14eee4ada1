#include "files/folderlock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace glintag {

FolderLock::FolderLock(const QString &folder, Kind kind, Wait wait)
{
#ifdef Q_OS_UNIX
    // The folder itself carries the lock: opening it read-only works in a
    // folder we may not write to, and creates nothing.
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    const int operation = (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | (wait == Wait::Try ? LOCK_NB : 0);
    int result;
    do
        result = ::flock(m_fd, operation);
    while (result != 0 && errno == EINTR);
    m_held = result == 0;
#else
    Q_UNUSED(folder);
    Q_UNUSED(kind);
    Q_UNUSED(wait);
    m_held = true;
#endif
}

FolderLock::~FolderLock()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock
#endif
}

} // namespace glintag
