#include "link/uploader.h"

#include "link/serialport.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace glintag {

struct Uploader::State {
    bool running = false;
    bool cancelled = false;
};

namespace {

constexpr int kPollMs = 10;

enum class Drain { Empty, Lost, Cancelled };

// `cancelled` lives in state the caller holds by its own shared_ptr, so it
// outlives an Uploader deleted by an event handled in here.
Drain drainWait(SerialPort &port, const bool &cancelled)
{
    QTimer tick;
    tick.setInterval(kPollMs);
    tick.start();
    const bool haveDispatcher = QCoreApplication::instance() != nullptr
        && QAbstractEventDispatcher::instance(QThread::currentThread()) != nullptr;
    for (;;) {
        if (cancelled)
            return Drain::Cancelled;
        const qint64 waiting = port.bytesWaiting();
        if (waiting == 0)
            return Drain::Empty;
        if (waiting < 0)
            return Drain::Lost;
        if (haveDispatcher)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        else
            QThread::msleep(kPollMs);   // no event loop to block in (command-line use)
    }
}

} // namespace

Uploader::Uploader(SerialPort &port) : m_port(port), m_state(std::make_shared<State>()) {}

Uploader::~Uploader()
{
    m_state->cancelled = true;
}

void Uploader::setProgressCallback(Progress progress)
{
    m_progress = std::move(progress);
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
    RowBytes clamped{};
    const QByteArray header = buildUploadHeader(snapshot.options, snapshot.rowBytes, clamped);
    std::array<QByteArray, kRowCount> packets;
    for (int r = 0; r < kRowCount; ++r)
        packets[r] = buildRowPacket(snapshot.dots, clamped, r);

    // Local copies: after a cancel `this` may be gone.
    const std::shared_ptr<State> state = m_state;
    SerialPort &port = m_port;
    const Progress progress = m_progress;
    state->running = true;
    state->cancelled = false;

    auto queue = [&](const QByteArray &block) {
        if (port.write(block))
            outcome.bytesQueued += block.size();
        else
            ++outcome.failedWrites;
    };
    auto wait = [&]() {
        const Drain d = drainWait(port, state->cancelled);
        if (d == Drain::Lost)
            outcome.lineLost = true;
        return d != Drain::Cancelled;
    };
    auto finish = [&](bool cancelled) {
        outcome.cancelled = cancelled;
        state->running = false;
        return outcome;
    };

    queue(QByteArray(kPreamble, kPreambleSize));
    queue(header);
    if (!wait())
        return finish(true);
    for (int r = 0; r < kRowCount; ++r) {
        if (progress)
            progress(r + 1);
        if (state->cancelled)
            return finish(true);
        queue(packets[r]);
        if (!wait())
            return finish(true);
    }
    if (progress)
        progress(0);
    return finish(false);
}

} // namespace glintag
