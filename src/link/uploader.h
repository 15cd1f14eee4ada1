#pragma once

#include "protocol/uploadprogress.h"
#include "protocol/uploadstream.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

namespace glintag {

class SerialPort;

// How long a line may take no data before an upload gives up on it: a
// device that no longer drains would otherwise hold the port for ever.
constexpr qint64 kStallLimitMs = 10000;

struct UploadOutcome {
    bool cancelled = false; // cancel() was called; the port was left alone
    bool lineLost = false;  // a drain wait ended because the count was unreadable
    bool stalled = false;   // the count stayed put for the stall limit; the rest was not sent
    int failedWrites = 0;   // blocks the port refused (skipped)
    qint64 bytesQueued = 0; // bytes the port accepted
    qint64 bytesSent = 0;   // bytes known to have left the port, at most what the line rate allows
    qint64 totalBytes = 0;  // the whole stream
    qint64 elapsedMs = 0;   // by the uploader's clock
};

// What the status line says about a finished upload.
UploadEnd uploadEnd(const UploadOutcome &outcome);
UploadStatus finalStatus(const UploadOutcome &outcome);

// Sends an UploadSnapshot: "HellD" and the header back to back, a drain wait,
// then each row packet followed by a drain wait. The port must be open; the
// caller opens it, sets DTR and closes it once finished() has come.
//
// Everything happens in the thread's event loop: start() returns at once and
// a timer re-reads the driver's queue count every 10 ms, so the window stays
// usable and the command line just runs its loop. A wait whose count has not
// gone down for the stall limit ends the upload. A driver may report its
// queue empty long before the line has carried it (an adapter buffers it):
// the bytes sent never exceed what 1200 baud allows for the time taken, and
// the upload ends only once that much time has passed.
class Uploader : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back

    static constexpr qint64 kDefaultStatusIntervalMs = 250;

    explicit Uploader(SerialPort &port, QObject *parent = nullptr);
    ~Uploader() override;

    // Tests put in a clock they advance themselves; the default is a
    // monotonic timer.
    void setClock(Clock clock);
    void setStallLimit(qint64 ms);
    // How often status() comes while the line drains.
    void setStatusInterval(qint64 ms);

    // Builds everything that goes on the wire from the snapshot, then sends
    // it from the event loop; nothing is written before start() returns.
    // False (and nothing done) while an upload runs.
    bool start(const UploadSnapshot &snapshot);

    // Ends the upload at once, without touching the port again: finished()
    // comes before this returns, reporting cancelled. The caller may then
    // close the port. Nothing when no upload runs.
    void cancel();

    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // r + 1 before row r goes out, and 0 at the end.
    void rowProgress(int value);
    // When a block is queued, then at most once per interval while the line
    // drains, with the bytes that have left the port.
    void status(const glintag::UploadProgress &progress);
    // The last signal of an upload.
    void finished(const glintag::UploadOutcome &outcome);

private:
    void tick();
    // False when the upload has ended (or was stopped from a slot).
    bool queueNextBlock();
    // True when the drain wait is over: the line is empty, or lost.
    bool lineDrained();
    void queue(const QByteArray &block);
    void report(qint64 now);
    void finish();

    SerialPort &m_port;
    QTimer m_timer;
    Clock m_clock;
    qint64 m_stallLimitMs = kStallLimitMs;
    qint64 m_statusIntervalMs = kDefaultStatusIntervalMs;

    bool m_running = false;
    QByteArray m_header;
    std::array<QByteArray, kRowCount> m_packets;
    int m_nextBlock = 0; // 0: "HellD" and the header; r + 1: row r
    bool m_draining = false;
    qint64 m_lowest = -1, m_lastDropAt = 0; // of the running drain wait
    qint64 m_startedAt = 0, m_lastReportAt = 0;
    qint64 m_lastMoveAt = 0; // when bytesSent last went up
    UploadOutcome m_outcome;
};

} // namespace glintag
