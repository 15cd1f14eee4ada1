#pragma once

// Replacing a file the user names in one step - written beside it, synced,
// then renamed over it - so a crash or a full disk leaves either the old
// file or the new one; what the bytes mean is no concern of this file.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace glintag {

// A folder, device, FIFO or socket under the name, or a file the user made
// read-only, is refused before anything is written: the rename would
// replace it with a file where an in-place write would have failed. A
// symbolic link to a regular file is followed and its target replaced.
//
// The temporary is written beside the target under a name that starts with
// kTemporaryPrefix, so that one a killed process left behind can be told
// from the user's own files and removed (removeLeftoverTemporaries).
// Whatever fails, it is gone afterwards and the old file is untouched.
// Reasons are plain sentences that end in the system's own words.
class AtomicFile {
public:
    explicit AtomicFile(const QString &path);
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    enum class Buffering {
        Buffered,
        Unbuffered
    };
    // Either way the device writes through without Qt's buffer: that buffer
    // names a write the system refused only as "Unknown error". Writers
    // that stream many small pieces may ask for Buffered all the same.
    bool open(Buffering buffering, QString *reason = nullptr);

    // Where a writer streams the content to.
    QIODevice *device() { return &m_file; }
    // True once the system refused a write to the device.
    bool writeFailed() const { return m_file.error() != QFileDevice::NoError; }

    // Puts the new file in place. Throws the temporary away and returns
    // false when anything written so far failed, or the last steps do.
    bool commit(QString *reason = nullptr);
    // Throws the temporary away; the old file stays.
    void cancel();

    ~AtomicFile();

private:
    QFile m_file;
    QString m_target;    // the file replaced: a link's final target
    QString m_temporary; // empty while none exists
};

// How every temporary of an atomic save is named: a hidden file beside the
// target, the prefix followed by a few random letters.
inline constexpr char kTemporaryPrefix[] = ".glintag-partial-";
// One such name, without its folder: the caller tries another when it is
// taken.
QByteArray temporaryName();
// Makes a rename in folder reach the disk with the folder's entry.
void syncFolder(const QByteArray &folder);

// Removes the regular files in dir whose names start with kTemporaryPrefix:
// what a save that was killed before its rename left behind. Links and any
// other names are left alone. Returns how many were removed. The caller
// makes sure no save of its own program is running there.
int removeLeftoverTemporaries(const QString &dir);

// Replaces the file at path with bytes, as AtomicFile does.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

} // namespace glintag
