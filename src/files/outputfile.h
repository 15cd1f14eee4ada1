#pragma once

// The one way out: every file the program writes for the user - a byte
// stream, a PNG or GIF preview, a saved picture, a saved setup - goes
// through writeOutputFile(). The settings folder's own files keep the
// stricter path of atomicfile.h, which refuses anything but a regular file.

#include <QByteArray>
#include <QString>

#include <functional>

namespace glintag {

struct OutputResult {
    enum class Status {
        Written,
        CannotOpen,  // nothing was written: error says why
        WriteFailed, // part may have reached a FIFO or device; a file is unchanged
        Interrupted, // a signal ended the wait for a FIFO's reader; nothing was written
    };
    Status status = Status::Written;
    int error = 0; // errno

    bool ok() const { return status == Status::Written; }
    // The system's own words for error.
    QString reason() const;
};

struct OutputOptions {
    // "-" is standard output (the caller decides whether a terminal may take
    // it); otherwise it is a file named "-".
    bool dashIsStandardOutput = false;
    // While a FIFO has no reader: called first with true, then a few times
    // a second as the write waits for one; false gives up (Interrupted).
    // Without it a FIFO without a reader cannot be opened (ENXIO): a window
    // must not hang on it.
    std::function<bool(bool first)> waitForReader = {};
};

// Writes all of bytes under name, the name's bytes exactly as given (a name
// that is not UTF-8 is kept, never re-encoded):
// - a regular file, or none yet, is written beside the target under
//   kTemporaryPrefix, synced and renamed over it, keeping the old file's
//   permissions; a link to a regular file has its target replaced. On any
//   failure the old file is untouched and no temporary or empty file stays;
// - a FIFO, a device or a socket is opened and written into, never
//   replaced;
// - a folder is refused.
OutputResult writeOutputFile(const QByteArray &name, const QByteArray &bytes, const OutputOptions &options = {});

// All of bytes to an open descriptor, retried after signals and short writes.
OutputResult writeAllTo(int fd, const QByteArray &bytes);

} // namespace glintag
