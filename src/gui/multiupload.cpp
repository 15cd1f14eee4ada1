#include "gui/multiupload.h"

#include "i18n/statustexts.h"

namespace glintag {

MultiUpload::MultiUpload(QObject *parent) : QObject(parent)
{
    connect(&m_send, &MultiSend::rowProgress, this, [this](int i, int value) {
        if (value == 0) // a port's end, which portFinished tells
            return;
        m_rows[i] = value;
        if (const int k = slowest(); k >= 0)
            Q_EMIT rowProgress(m_rows[k]);
    });
    connect(&m_send, &MultiSend::status, this, [this](int i, const UploadProgress &p) {
        m_progress[i] = p;
        if (const int k = slowest(); k >= 0)
            Q_EMIT status(m_progress[k]);
    });
    connect(&m_send, &MultiSend::portFinished, this, [this](int i) { m_running[i] = false; });
    connect(&m_send, &MultiSend::finished, this, [this] { Q_EMIT finished(m_send.results()); });
}

int MultiUpload::start(const UploadSnapshot &snapshot, const QStringList &ports)
{
    m_progress = QList<UploadProgress>(ports.size());
    m_rows = QList<int>(ports.size(), 1);
    m_running = QList<bool>(ports.size(), false);
    const int started = m_send.start(snapshot, ports);
    for (int i = 0; i < ports.size(); ++i)
        m_running[i] = m_send.results()[i].outcome.end == SendEnd::Uploaded;
    return started;
}

int MultiUpload::slowest() const
{
    int k = -1;
    for (int i = 0; i < m_running.size(); ++i)
        if (m_running[i] && (k < 0 || m_progress[i].sent < m_progress[k].sent))
            k = i;
    return k;
}

QString portResultsStatusText(const QList<PortResult> &results, int uiLanguage)
{
    const StatusTexts &t = statusTexts(uiLanguage);
    QStringList parts;
    bool stopped = false, anyLeft = false;
    for (const PortResult &r : results) {
        stopped = stopped || r.outcome.upload.cancelled;
        anyLeft = anyLeft || r.outcome.upload.bytesSent > 0;
        const SendOutcome &o = r.outcome;
        const UploadOutcome &u = o.upload;
        const QString bytes = QString::number(u.bytesSent);
        if (o.end == SendEnd::CannotOpen)
            parts << t.portCannotOpen.arg(r.port, o.openError);
        else if (o.end == SendEnd::BadPortName)
            parts << t.portBadName.arg(r.port);
        else if (o.end != SendEnd::Uploaded)
            parts << t.portNotOpened.arg(r.port);
        else if (u.cancelled)
            parts << t.portStopped.arg(r.port, bytes);
        else if (u.stalled)
            parts << t.portStalled.arg(r.port, bytes);
        else if (!fullySent(o))
            parts << t.portGone.arg(r.port, bytes);
        else
            parts << t.portSent.arg(r.port, bytes, QString::number(double(u.elapsedMs) / 1000.0, 'f', 1));
    }
    const QString joined = parts.join(t.resultsJoin);
    // A stop leaves each badge as a stop to one port does: say so as then.
    if (stopped)
        return (anyLeft ? t.severalStopped : t.severalStoppedBeforeAny).arg(joined);
    return joined;
}

} // namespace glintag
