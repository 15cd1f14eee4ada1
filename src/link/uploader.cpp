#include "link/uploader.h"

#include "link/serialport.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace glintag {

struct Uploader::State {
    bool running = false;
    bool cancelled = false;
};

namespace {

constexpr int kPollMs = 10;

enum class Drain { Empty, Lost, Stalled, Cancelled };

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

Uploader::Uploader(SerialPort &port) : m_port(port), m_state(std::make_shared<State>())
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
}

Uploader::~Uploader()
{
    m_state->cancelled = true;
}

void Uploader::setProgressCallback(Progress progress)
{
    m_progress = std::move(progress);
}

void Uploader::setStatusCallback(Status status, qint64 intervalMs)
{
    m_status = std::move(status);
    m_statusIntervalMs = intervalMs;
}

void Uploader::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void Uploader::setStallLimit(qint64 ms)
{
    m_stallLimitMs = ms;
}

void Uploader::cancel()
{
    if (m_state->running)
        m_state->cancelled = true;
}

bool Uploader::isRunning() const
{
    return m_state->running;
}

UploadOutcome Uploader::run(const UploadSnapshot &snapshot)
{
    UploadOutcome outcome;
    if (m_state->running)
        return outcome;   // one upload at a time

    // Everything that goes on the wire is built before the first wait.
    const RowBytes &sent = snapshot.rendering.sent;
    const QByteArray header = buildUploadHeader(snapshot.setup, sent);
    std::array<QByteArray, kRowCount> packets;
    for (int r = 0; r < kRowCount; ++r)
        packets[r] = buildRowPacket(snapshot.rendering.dots, sent, r);
    outcome.totalBytes = kPreambleSize + header.size();
    for (const QByteArray &p : packets)
        outcome.totalBytes += p.size();

    // Local copies: after a cancel `this` may be gone.
    const std::shared_ptr<State> state = m_state;
    SerialPort &port = m_port;
    const Progress progress = m_progress;
    const Status status = m_status;
    const Clock clock = m_clock;
    const qint64 statusInterval = m_statusIntervalMs, stallLimit = m_stallLimitMs;
    state->running = true;
    state->cancelled = false;

    const qint64 startedAt = clock();
    qint64 lastReportAt = startedAt;
    auto report = [&](qint64 now) {
        lastReportAt = now;
        if (status)
            status(uploadProgress(outcome.totalBytes, outcome.bytesSent, 0));
    };
    auto queue = [&](const QByteArray &block) {
        if (port.write(block))
            outcome.bytesQueued += block.size();
        else
            ++outcome.failedWrites;
    };
    const bool haveDispatcher = QCoreApplication::instance() != nullptr
        && QAbstractEventDispatcher::instance(QThread::currentThread()) != nullptr;

    auto drainWait = [&]() {
        QTimer tick;
        tick.setInterval(kPollMs);
        tick.start();
        qint64 lowest = -1, lastDropAt = clock();
        for (;;) {
            if (state->cancelled)
                return Drain::Cancelled;
            const qint64 waiting = port.bytesWaiting();
            // The port may have been closed by an event handled in the
            // dispatcher below; a cancel then comes first.
            if (state->cancelled)
                return Drain::Cancelled;
            if (waiting < 0)
                return Drain::Lost;
            const qint64 now = clock();
            outcome.bytesSent = uploadProgress(outcome.totalBytes, outcome.bytesQueued, waiting).sent;
            if (waiting == 0)
                return Drain::Empty;
            if (lowest < 0 || waiting < lowest) {
                lowest = waiting;
                lastDropAt = now;
            } else if (now - lastDropAt >= stallLimit) {
                return Drain::Stalled;
            }
            if (now - lastReportAt >= statusInterval)
                report(now);
            if (haveDispatcher)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            else
                QThread::msleep(kPollMs);   // no event loop to block in (command-line use)
        }
    };
    auto wait = [&]() {
        const Drain d = drainWait();
        outcome.lineLost = outcome.lineLost || d == Drain::Lost;
        outcome.stalled = d == Drain::Stalled;
        return d == Drain::Empty || d == Drain::Lost;
    };
    auto finish = [&]() {
        outcome.cancelled = state->cancelled;
        outcome.elapsedMs = clock() - startedAt;
        state->running = false;
        return outcome;
    };

    queue(QByteArray(kPreamble, kPreambleSize));
    queue(header);
    report(clock());
    if (!wait())
        return finish();
    for (int r = 0; r < kRowCount; ++r) {
        if (progress)
            progress(r + 1);
        if (state->cancelled)
            return finish();
        queue(packets[r]);
        report(clock());
        if (!wait())
            return finish();
    }
    if (progress)
        progress(0);
    return finish();
}

} // namespace glintag
