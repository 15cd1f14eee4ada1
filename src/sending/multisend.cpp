#include "sending/multisend.h"

#include "link/serialport.h"

namespace glintag {

bool fullySent(const SendOutcome &outcome)
{
    const UploadOutcome &u = outcome.upload;
    return outcome.end == SendEnd::Uploaded && !u.cancelled && !u.lineLost && !u.stalled && u.failedWrites == 0
        && u.bytesSent >= u.totalBytes;
}

MultiSend::MultiSend(PortMaker maker, QObject *parent) : QObject(parent), m_maker(std::move(maker))
{}

MultiSend::~MultiSend()
{
    // The jobs' finished() must not reach a half-destroyed object.
    for (SendJob *job : std::as_const(m_jobs))
        job->disconnect(this);
}

void MultiSend::setPortMap(const PortMap &map)
{
    m_map = map;
    m_haveMap = true;
    for (SendJob *job : std::as_const(m_jobs))
        job->setPortMap(map);
}

void MultiSend::setClock(Uploader::Clock clock)
{
    m_clock = std::move(clock);
    for (SendJob *job : std::as_const(m_jobs))
        job->setClock(m_clock);
}

void MultiSend::setStallLimit(qint64 ms)
{
    m_stallLimitMs = ms;
    for (SendJob *job : std::as_const(m_jobs))
        job->setStallLimit(ms);
}

SendJob &MultiSend::jobFor(const QString &port)
{
    if (SendJob *job = m_jobs.value(port))
        return *job;
    auto *job = new SendJob(m_maker ? m_maker(port) : nullptr, this);
    if (m_haveMap)
        job->setPortMap(m_map);
    if (m_clock)
        job->setClock(m_clock);
    if (m_stallLimitMs >= 0)
        job->setStallLimit(m_stallLimitMs);
    m_jobs.insert(port, job);
    return *job;
}

int MultiSend::start(const UploadSnapshot &snapshot, const QStringList &ports, SendJob::PortNaming naming)
{
    if (isRunning())
        return 0;
    m_results.clear();
    QList<SendJob *> started;
    for (int i = 0; i < ports.size(); ++i) {
        SendJob &job = jobFor(ports[i]);
        job.disconnect(this);
        m_results.append({ports[i], {}});
        job.adopt(snapshot);
        if (!job.start(ports[i], naming)) {
            m_results[i].outcome = job.outcome();
            continue;
        }
        m_results[i].outcome = job.outcome();
        connect(&job, &SendJob::status, this, [this, i](const UploadProgress &p) { Q_EMIT status(i, p); });
        connect(&job, &SendJob::finished, this, [this, i](const SendOutcome &o) {
            m_results[i].outcome = o;
            Q_EMIT portFinished(i);
            if (--m_running == 0)
                Q_EMIT finished();
        });
        started << &job;
    }
    // Counted only once all have opened, so a port that finishes at once
    // cannot end the send while others are still to start.
    m_running = int(started.size());
    return m_running;
}

void MultiSend::cancel()
{
    for (SendJob *job : std::as_const(m_jobs))
        job->cancel();
}

} // namespace glintag
