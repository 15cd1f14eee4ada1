#pragma once

#include "link/uploadstream.h"

#include <functional>
#include <memory>

namespace glintag {

class SerialPort;

struct UploadOutcome {
    bool cancelled = false;    // cancel() was called; the port was left alone
    bool lineLost = false;     // a drain wait ended because the count was unreadable
    int failedWrites = 0;      // blocks the port refused (skipped)
    qint64 bytesQueued = 0;    // bytes the port accepted
};

// Sends an UploadSnapshot: "HellD" and the header back to back, a drain wait,
// then each row packet followed by a drain wait. The port must be open; the
// caller opens it, sets DTR and closes it afterwards.
//
// While a drain wait runs the application's events are handled, so the
// window stays usable. Waits block in the event dispatcher and re-read the
// queue count at least every 10 ms; they never spin.
class Uploader {
public:
    using Progress = std::function<void(int)>;

    explicit Uploader(SerialPort &port);
    ~Uploader();

    Uploader(const Uploader &) = delete;
    Uploader &operator=(const Uploader &) = delete;

    // Called with r + 1 before row r goes out, and with 0 at the end.
    void setProgressCallback(Progress progress);

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
    std::shared_ptr<State> m_state;
};

} // namespace glintag
