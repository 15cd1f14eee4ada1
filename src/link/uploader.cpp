#include "link/uploader.h"

#include "link/serialport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>

namespace glintag {

namespace {

// How often a drain wait re-reads the driver's queue count.
constexpr int kPollMs = 10;

} // namespace

UploadEnd uploadEnd(const UploadOutcome &o)
{
    if (o.cancelled)
        return UploadEnd::Stopped;
    if (o.stalled)
        return UploadEnd::Stalled;
    if (o.lineLost)
        return UploadEnd::LineLost;
    if (o.failedWrites > 0)
        return UploadEnd::WritesRefused;
    return UploadEnd::Sent;
}

UploadStatus finalStatus(const UploadOutcome &o)
{
    UploadStatus s;
    s.end = uploadEnd(o);
    s.progress = uploadProgress(o.totalBytes, o.bytesSent, 0);
    s.elapsedMs = o.elapsedMs;
    return s;
}

Uploader::Uploader(SerialPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &Uploader::tick);
}

Uploader::~Uploader() = default;

void Uploader::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void Uploader::setStallLimit(qint64 ms)
{
    m_stallLimitMs = ms;
}

void Uploader::setStatusInterval(qint64 ms)
{
    m_statusIntervalMs = ms;
}

bool Uploader::start(const UploadSnapshot &snapshot)
{
    if (m_running)
        return false; // one upload at a time

    // Everything that goes on the wire is built before the first write.
    const RowBytes &sent = snapshot.rendering.sent;
    m_header = buildUploadHeader(snapshot.setup, snapshot.rendering);
    m_outcome = UploadOutcome();
    m_outcome.totalBytes = kPreambleSize + m_header.size();
    for (int r = 0; r < kRowCount; ++r) {
        m_packets[size_t(r)] = buildRowPacket(snapshot.rendering.dots, sent, r);
        m_outcome.totalBytes += m_packets[size_t(r)].size();
    }
    m_nextBlock = 0;
    m_draining = false;
    m_running = true;
    m_startedAt = m_lastReportAt = m_lastMoveAt = m_clock();
    m_timer.start();
    // The first block need not wait a poll interval; the caller gets its
    // signals from the event loop all the same, never from inside start().
    QTimer::singleShot(0, this, &Uploader::tick);
    return true;
}

void Uploader::cancel()
{
    if (!m_running)
        return;
    m_outcome.cancelled = true;
    finish();
}

void Uploader::tick()
{
    if (!m_running)
        return; // cancelled before the first block went out
    // The next block goes out as soon as the line has taken the last one,
    // and the count is read right after queueing.
    for (;;) {
        if (!m_draining && !queueNextBlock())
            return;
        if (!lineDrained())
            return;
    }
}

bool Uploader::queueNextBlock()
{
    if (m_nextBlock > 0) {
        const int value = m_nextBlock <= kRowCount ? m_nextBlock : 0;
        Q_EMIT rowProgress(value);
        if (!m_running)
            return false; // stopped from a slot
        if (value == 0) {
            finish();
            return false;
        }
    }
    if (m_nextBlock == 0) {
        queue(QByteArray(kPreamble, kPreambleSize));
        queue(m_header);
    } else {
        queue(m_packets[size_t(m_nextBlock - 1)]);
    }
    ++m_nextBlock;
    m_draining = true;
    m_lowest = -1;
    report(m_clock());
    return m_running;
}

bool Uploader::lineDrained()
{
    const qint64 waiting = m_port.bytesWaiting();
    // Reading the count may run other code (a test's port does), which may
    // have stopped the upload and closed the port.
    if (!m_running)
        return false;
    if (waiting < 0) {
        // The count is gone with the line; the rest is still offered to the
        // port, which refuses it.
        m_outcome.lineLost = true;
        m_draining = false;
        return true;
    }
    const qint64 now = m_clock();
    const qint64 sent = std::min(uploadProgress(m_outcome.totalBytes, m_outcome.bytesQueued, waiting).sent,
                                 lineFloor(now - m_startedAt));
    if (sent > m_outcome.bytesSent) {
        m_outcome.bytesSent = sent;
        m_lastMoveAt = now;
    }
    if (waiting == 0) {
        // The driver has handed the last row on, but the line may still be
        // carrying it: the final wait lasts until it can have carried it all.
        if (m_nextBlock > kRowCount && m_outcome.bytesSent < m_outcome.bytesQueued) {
            if (now - m_lastReportAt >= m_statusIntervalMs)
                report(now);
            return false;
        }
        m_draining = false;
        return true;
    }
    if (m_lowest < 0 || waiting < m_lowest) {
        m_lowest = waiting;
        m_lastDropAt = now;
    } else if (now - m_lastDropAt >= m_stallLimitMs) {
        m_outcome.stalled = true;
        finish();
        return false;
    }
    if (now - m_lastReportAt >= m_statusIntervalMs)
        report(now);
    return false;
}

void Uploader::queue(const QByteArray &block)
{
    if (m_port.write(block))
        m_outcome.bytesQueued += block.size();
    else
        ++m_outcome.failedWrites;
}

void Uploader::report(qint64 now)
{
    m_lastReportAt = now;
    UploadProgress progress = uploadProgress(m_outcome.totalBytes, m_outcome.bytesSent, 0);
    // A count that stands still says more than a countdown that does. It is
    // the count the user sees that must stand still: the driver's queue may
    // sit empty while the line still carries what the adapter holds.
    if (m_draining && progress.sent < progress.total && now - m_lastMoveAt >= kQuietHintMs)
        progress.quietSeconds = int((now - m_lastMoveAt) / 1000);
    Q_EMIT status(progress);
}

void Uploader::finish()
{
    m_timer.stop();
    m_running = false;
    m_outcome.elapsedMs = m_clock() - m_startedAt;
    Q_EMIT finished(m_outcome); // last: a slot may start the next upload
}

} // namespace glintag
