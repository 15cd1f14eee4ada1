#pragma once

#include <QString>

namespace glintag {

// An advisory lock on a folder, held by this process until the object goes
// away. The kernel drops it when the process ends in any way, kill -9
// included, so a crashed instance never leaves the folder locked, and no
// lock file is left lying beside the user's files. Only instances of this
// program take it; it keeps out nobody else.
class FolderLock {
public:
    enum class Kind {
        Shared,    // readers: many at once
        Exclusive, // a writer that also removes files: alone
    };
    enum class Wait {
        Block,
        Try, // give up at once when another holds it
    };
    FolderLock(const QString &folder, Kind kind, Wait wait);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // False when the folder could not be opened or another holds the lock
    // (Try only).
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace glintag
