#include "gui/uploadcontrol.h"

#include "gui/dialogs.h"
#include "gui/multiupload.h"
#include "i18n/statustexts.h"

#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace glintag {

UploadControl::UploadControl(QWidget *window, std::shared_ptr<Dialogs> dialogs, std::shared_ptr<SerialPort> port) :
    QObject(window), m_dialogs(std::move(dialogs)), m_job(std::move(port))
{
    // Escape means Stop only while there is something to stop.
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_stopKey->setEnabled(false);
    connect(m_stopKey, &QShortcut::activated, this, &UploadControl::stop);

    connect(&m_job, &SendJob::status, this, &UploadControl::showProgress);
    connect(&m_job, &SendJob::finished, this, &UploadControl::onFinished);

    m_multi = new MultiUpload(this);
    connect(m_multi, &MultiUpload::status, this, &UploadControl::showProgress);
    connect(m_multi, &MultiUpload::finished, this, [this](const QList<PortResult> &results) {
        // The ports' own ends are each one's; the bar empties at the last.
        showEnded();
        Q_EMIT portsFinished(results);
        Q_EMIT finished();
    });
}

void UploadControl::setClock(const Uploader::Clock &clock)
{
    m_job.setClock(clock);
    m_multi->send().setClock(clock);
}

void UploadControl::setStallLimit(qint64 ms)
{
    m_job.setStallLimit(ms);
    m_multi->send().setStallLimit(ms);
}

bool UploadControl::isRunning() const
{
    return m_job.isRunning() || m_multi->isRunning();
}

void UploadControl::setWidgets(QProgressBar *progressBar, QPushButton *stopButton)
{
    m_progressBar = progressBar;
    m_stopButton = stopButton;
    connect(m_stopButton, &QPushButton::clicked, this, &UploadControl::stop);
}

bool UploadControl::send(const BadgeSetup &setup, const QString &programDir, const QString &portText,
                         const QStringList &alsoPorts)
{
    if (m_multi->isRunning()) {
        SendOutcome busy;
        busy.end = SendEnd::Busy;
        tellRefusal(busy, setup.language);
        return false;
    }
    if (!alsoPorts.isEmpty())
        return sendToSeveral(setup, programDir, QStringList{portText} + alsoPorts);
    m_windowMap = m_job.portMap();
    // A device path typed into the port box goes to that device as it is,
    // as the command line's --port does.
    if (!m_job.prepare(setup, programDir) || !m_job.start(portText, SendJob::PortNaming::NamesOrPaths)) {
        m_job.setPortMap(m_windowMap);
        tellRefusal(m_job.outcome(), setup.language);
        return false;
    }
    showStarted();
    return true;
}

bool UploadControl::sendToSeveral(const BadgeSetup &setup, const QString &programDir, const QStringList &ports)
{
    if (!m_job.prepare(setup, programDir)) {
        tellRefusal(m_job.outcome(), setup.language);
        return false;
    }
    m_multi->send().setPortMap(m_job.portMap());
    if (m_multi->start(m_job.snapshot(), ports) == 0) {
        // No badge to wait for: the Port box's refusal as one port's, the
        // others' in the status line.
        tellRefusal(m_multi->results().front().outcome, setup.language);
        Q_EMIT portsFinished(m_multi->results());
        return false;
    }
    showStarted();
    return true;
}

void UploadControl::showProgress(const UploadProgress &p)
{
    // The bar counts the bytes the status line counts: those the line can
    // have carried, not the rows handed to the driver.
    m_progressBar->setRange(0, int(std::max<qint64>(p.total, 1)));
    m_progressBar->setValue(int(p.sent));
    UploadStatus s;
    s.running = true;
    s.progress = p;
    Q_EMIT status(s);
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
    // finished() comes before this returns, every port closed.
    m_job.cancel();
    m_multi->cancel();
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

void UploadControl::onFinished(const SendOutcome &o)
{
    m_job.setPortMap(m_windowMap);
    showEnded();
    Q_EMIT status(finalStatus(o.upload));
    Q_EMIT finished();
}

} // namespace glintag
