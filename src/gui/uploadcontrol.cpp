#include "gui/uploadcontrol.h"

#include "gui/dialogs.h"
#include "i18n/statustexts.h"

#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace glintag {

namespace {

// Every port goes through the one port a test gave; the machine's ports
// otherwise, one for each name.
MultiSend::PortMaker portMaker(const std::shared_ptr<SerialPort> &port)
{
    if (!port)
        return {};
    return [port](const QString &) { return port; };
}

} // namespace

UploadControl::UploadControl(QWidget *window, std::shared_ptr<Dialogs> dialogs, std::shared_ptr<SerialPort> port) :
    QObject(window), m_dialogs(std::move(dialogs)), m_renderer(port), m_send(portMaker(port))
{
    // Escape means Stop only while there is something to stop.
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_stopKey->setEnabled(false);
    connect(m_stopKey, &QShortcut::activated, this, &UploadControl::stop);

    connect(&m_send, &MultiSend::status, this, &UploadControl::onStatus);
    connect(&m_send, &MultiSend::portFinished, this, [this](int i) { m_running[i] = false; });
    connect(&m_send, &MultiSend::finished, this, &UploadControl::onFinished);
}

void UploadControl::setWidgets(QProgressBar *progressBar, QPushButton *stopButton)
{
    m_progressBar = progressBar;
    m_stopButton = stopButton;
    connect(m_stopButton, &QPushButton::clicked, this, &UploadControl::stop);
}

bool UploadControl::send(const BadgeSetup &setup, const QString &programDir, const QString &port,
                         const QStringList &alsoPorts)
{
    if (m_send.isRunning()) {
        SendOutcome busy;
        busy.end = SendEnd::Busy;
        tellRefusal(busy, setup.language);
        return false;
    }
    if (!m_renderer.prepare(setup, programDir)) {
        tellRefusal(m_renderer.outcome(), setup.language);
        return false;
    }
    const QStringList ports = QStringList{port} + alsoPorts;
    m_progress = QList<UploadProgress>(ports.size());
    m_running = QList<bool>(ports.size(), false);
    // A device path typed into the port box goes to that device as it is,
    // as the command line's --port does.
    m_send.setPortMap(m_renderer.portMap());
    const bool started = m_send.start(m_renderer.snapshot(), ports) > 0;
    for (int i = 0; i < ports.size(); ++i)
        m_running[i] = m_send.results()[i].outcome.end == SendEnd::Uploaded;
    if (!started) {
        // No badge to wait for: the Port box's refusal as one port's, the
        // others' in the status line.
        tellRefusal(m_send.results().front().outcome, setup.language);
        if (ports.size() > 1)
            Q_EMIT portsFinished(m_send.results());
        return false;
    }
    showStarted();
    return true;
}

int UploadControl::slowest() const
{
    int k = -1;
    for (int i = 0; i < m_running.size(); ++i)
        if (m_running[i] && (k < 0 || m_progress[i].sent < m_progress[k].sent))
            k = i;
    return k;
}

void UploadControl::onStatus(int index, const UploadProgress &progress)
{
    m_progress[index] = progress;
    const int k = slowest();
    if (k < 0)
        return;
    const UploadProgress &p = m_progress[k];
    // The bar counts the bytes the status line counts: those the line can
    // have carried, not the rows handed to the driver.
    m_progressBar->setRange(0, int(std::max<qint64>(p.total, 1)));
    m_progressBar->setValue(int(p.sent));
    UploadStatus s;
    s.running = true;
    s.progress = p;
    Q_EMIT status(s);
}

void UploadControl::onFinished()
{
    // The ports' own ends are each one's; the bar empties at the last.
    showEnded();
    const QList<PortResult> &results = m_send.results();
    if (results.size() == 1)
        Q_EMIT status(finalStatus(results.front().outcome.upload));
    else
        Q_EMIT portsFinished(results);
    Q_EMIT finished();
}

void UploadControl::showStarted()
{
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    m_stopButton->show();
    m_stopKey->setEnabled(true);
    Q_EMIT sendingChanged(true);
}

void UploadControl::showEnded()
{
    m_stopKey->setEnabled(false);
    m_stopButton->hide();
    // The status line says how it ended; the bar is ready for the next.
    m_progressBar->setValue(0);
    Q_EMIT sendingChanged(false);
}

void UploadControl::stop()
{
    m_send.cancel(); // finished() comes before this returns, every port closed
}

void UploadControl::tellRefusal(const SendOutcome &o, int uiLanguage)
{
    const auto ok = Dialogs::Buttons::Ok;
    switch (o.end) {
    case SendEnd::Uploaded:
        break;
    case SendEnd::Busy:
        m_dialogs->message(QStringLiteral("Sending!"), QStringLiteral("Waiting"), ok);
        break;
    case SendEnd::NothingToSend:
        m_dialogs->message(QStringLiteral("No Sending Text! Do Not Send!"), QStringLiteral("Note"), ok);
        break;
    case SendEnd::BadPortName:
        m_dialogs->message(QStringLiteral("Set Port Number Error!"), QStringLiteral("Error"), ok,
                           statusTexts(uiLanguage).portAllowed);
        break;
    case SendEnd::CannotOpen: {
        // A number with no device behind it has only the reason to give.
        QString detail = o.device.isEmpty() ? o.openError : QStringLiteral("%1: %2").arg(o.device, o.openError);
        if (o.permissionDenied) {
            QString advice = permissionAdvice(statusTexts(uiLanguage), o.device);
            advice[0] = advice[0].toUpper();
            detail += QLatin1Char('\n') + advice + QLatin1Char('.');
        }
        m_dialogs->message(QStringLiteral("Port in use or not port"), QStringLiteral("Warning"), ok, detail);
        break;
    }
    case SendEnd::OpenFailed:
        m_dialogs->message(QStringLiteral("Open port fail!"), QStringLiteral("Error"), ok);
        break;
    }
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
