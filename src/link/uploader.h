#pragma once

#include "protocol/uploadprogress.h"
#include "protocol/uploadstream.h"

#include <functional>
#include <memory>

namespace glintag {

class SerialPort;

struct UploadOutcome {
    bool cancelled = false;    // cancel() was called; the port was left alone
    bool lineLost = false;     // a drain wait ended because the count was unreadable
    bool stalled = false;      // the count stayed put for the stall limit; the rest was not sent
    int failedWrites = 0;      // blocks the port refused (skipped)
    qint64 bytesQueued = 0;    // bytes the port accepted
    qint64 bytesSent = 0;      // bytes known to have left the port
    qint64 totalBytes = 0;     // the whole stream
    qint64 elapsedMs = 0;      // by the uploader's clock
};

// What the status line says about a finished upload.
UploadEnd uploadEnd(const UploadOutcome &outcome);
UploadStatus finalStatus(const UploadOutcome &outcome);

// Sends an UploadSnapshot: "HellD" and the header back to back, a drain wait,
// then each row packet followed by a drain wait. The port must be open; the
// caller opens it, sets DTR and closes it afterwards.
//
// While a drain wait runs the application's events are handled, so the
// window stays usable. Waits block in the event dispatcher and re-read the
// queue count at least every 10 ms; they never spin. A wait whose count has
// not gone down for the stall limit gives up and ends the upload: a device
// that no longer drains would otherwise hold it for ever.
class Uploader {
public:
    using Progress = std::function<void(int)>;
    using Status = std::function<void(const UploadProgress &)>;
    using Clock = std::function<qint64()>;   // milliseconds, never going back

    static constexpr qint64 kDefaultStallLimitMs = 10000;
    static constexpr qint64 kDefaultStatusIntervalMs = 250;

    explicit Uploader(SerialPort &port);
    ~Uploader();

    Uploader(const Uploader &) = delete;
    Uploader &operator=(const Uploader &) = delete;

    // Called with r + 1 before row r goes out, and with 0 at the end.
    void setProgressCallback(Progress progress);
    // Called when a block is queued and then at most once per interval while
    // the line drains, with the bytes that have left the port.
    void setStatusCallback(Status status, qint64 intervalMs = kDefaultStatusIntervalMs);
    // Tests put in a clock they advance themselves; the default is a
    // monotonic timer.
    void setClock(Clock clock);
    void setStallLimit(qint64 ms);

    // Returns when everything has left the port, or at once after cancel().
    UploadOutcome run(const UploadSnapshot &snapshot);

    // From an event handled during a drain wait: run() returns as soon as the
    // handler is done, without touching the port or calling back again. The
    // caller may then close the port, or even destroy this object.
    void cancel();

    bool isRunning() const;

private:
    struct State;
    SerialPort &m_port;
    Progress m_progress;
    Status m_status;
    qint64 m_statusIntervalMs = kDefaultStatusIntervalMs;
    Clock m_clock;
    qint64 m_stallLimitMs = kDefaultStallLimitMs;
    std::shared_ptr<State> m_state;
};

} // namespace glintag
