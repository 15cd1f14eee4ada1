#pragma once

#include "protocol/uploadprogress.h"
#include "sending/sendjob.h"

#include <QObject>

#include <memory>

class QProgressBar;
class QPushButton;
class QShortcut;
class QWidget;

namespace glintag {

class Dialogs;
class MultiUpload;
struct PortResult;
class SerialPort;

// The window's side of sending: the send job, its refusals as message boxes,
// the progress bar, the Stop button and Escape while an upload runs, and the
// status the upload reports.
class UploadControl : public QObject {
    Q_OBJECT
public:
    // Sends through `port` (null: the machine's serial ports); Escape is
    // watched on `window`, refusals are told through `dialogs`.
    UploadControl(QWidget *window, std::shared_ptr<Dialogs> dialogs, std::shared_ptr<SerialPort> port);

    SendJob &job() { return m_job; }
    MultiUpload &multi() { return *m_multi; }
    // For the job and the upload to several ports alike.
    void setClock(const Uploader::Clock &clock);
    void setStallLimit(qint64 ms);
    // The window's progress bar and Stop button.
    void setWidgets(QProgressBar *progressBar, QPushButton *stopButton);

    bool isRunning() const;

    // The Send button: the setup rendered once, a refusal said in a message
    // box, or the upload started from the event loop (true). With
    // `alsoPorts` the same rendering goes to those too, side by side.
    bool send(const BadgeSetup &setup, const QString &programDir, const QString &portText,
              const QStringList &alsoPorts = {});
    // Ends a running upload at once and closes the port; nothing otherwise.
    void stop();

Q_SIGNALS:
    // While the line drains, and how the upload ended.
    void status(const glintag::UploadStatus &status);
    // How an upload to several ports ended, each port's result.
    void portsFinished(const QList<glintag::PortResult> &results);
    // Every port is closed again.
    void finished();
    // An upload started (true) or every port is closed again (false).
    void sendingChanged(bool sending);

private:
    void tellRefusal(const SendOutcome &outcome, int uiLanguage);
    void onFinished(const SendOutcome &outcome);
    bool sendToSeveral(const BadgeSetup &setup, const QString &programDir, const QStringList &ports);
    void showProgress(const glintag::UploadProgress &progress);
    void showStarted();
    void showEnded();

    std::shared_ptr<Dialogs> m_dialogs;
    SendJob m_job;
    MultiUpload *m_multi = nullptr;
    // The window's own port names; a send to a typed device path borrows
    // the job's map only while it runs.
    PortMap m_windowMap;
    QShortcut *m_stopKey = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_stopButton = nullptr;
};

} // namespace glintag
