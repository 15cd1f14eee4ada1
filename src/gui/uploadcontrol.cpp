#include "gui/uploadcontrol.h"

#include "gui/dialogs.h"
#include "i18n/statustexts.h"

#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace glintag {

UploadControl::UploadControl(QWidget *window, std::shared_ptr<Dialogs> dialogs, std::shared_ptr<SerialPort> port) :
    QObject(window), m_dialogs(std::move(dialogs)), m_job(std::move(port))
{
    // Escape means Stop only while there is something to stop.
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_stopKey->setEnabled(false);
    connect(m_stopKey, &QShortcut::activated, this, &UploadControl::stop);

    connect(&m_job, &SendJob::rowProgress, this, [this](int value) { m_progressBar->setValue(value); });
    connect(&m_job, &SendJob::status, this, [this](const UploadProgress &p) {
        UploadStatus s;
        s.running = true;
        s.progress = p;
        Q_EMIT status(s);
    });
    connect(&m_job, &SendJob::finished, this, &UploadControl::onFinished);
}

void UploadControl::setWidgets(QProgressBar *progressBar, QPushButton *stopButton)
{
    m_progressBar = progressBar;
    m_stopButton = stopButton;
    connect(m_stopButton, &QPushButton::clicked, this, &UploadControl::stop);
}

bool UploadControl::send(const BadgeSetup &setup, const QString &programDir, const QString &portText)
{
    m_windowMap = m_job.portMap();
    // A device path typed into the port box goes to that device as it is,
    // as the command line's --port does.
    if (!m_job.prepare(setup, programDir) || !m_job.start(portText, SendJob::PortNaming::NamesOrPaths)) {
        m_job.setPortMap(m_windowMap);
        tellRefusal(m_job.outcome(), setup.language);
        return false;
    }
    m_progressBar->setMaximum(12);
    m_progressBar->setMinimum(0);
    m_progressBar->setValue(1);
    m_stopButton->show();
    m_stopKey->setEnabled(true);
    return true;
}

void UploadControl::stop()
{
    // finished() comes before this returns, the port closed.
    m_job.cancel();
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
        QString detail = QStringLiteral("%1: %2").arg(o.device, o.openError);
        if (o.permissionDenied) {
            QString advice = permissionAdvice();
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
    m_stopKey->setEnabled(false);
    m_stopButton->hide();
    if (o.upload.cancelled || o.upload.stalled)
        m_progressBar->setValue(0);
    Q_EMIT status(finalStatus(o.upload));
}

} // namespace glintag
