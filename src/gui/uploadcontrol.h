#pragma once

#include "protocol/uploadprogress.h"
#include "sending/multisend.h"
#include "sending/sendjob.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

class QProgressBar;
class QPushButton;
class QShortcut;
class QWidget;

namespace glintag {

class Dialogs;
class SerialPort;

// The window's side of sending, to the Port box's port and any ticked
// besides it alike: one rendering, its refusals as message boxes, one
// MultiSend for the ports, the progress bar, the Stop button and Escape
// while an upload runs, and the status the upload reports. The bar and the
// status line follow the slowest port still sending, so neither claims more
// than every badge has.
class UploadControl : public QObject {
    Q_OBJECT
public:
    // Sends through `port` (null: the machine's serial ports); Escape is
    // watched on `window`, refusals are told through `dialogs`.
    UploadControl(QWidget *window, std::shared_ptr<Dialogs> dialogs, std::shared_ptr<SerialPort> port);

    // The port the window's start-up probe and port list use between
    // uploads, and the port names that stand for devices.
    SerialPort &probePort() const { return m_renderer.port(); }
    void setPortMap(const PortMap &map) { m_renderer.setPortMap(map); }
    const PortMap &portMap() const { return m_renderer.portMap(); }

    // What the last send rendered (also when it was refused).
    const UploadSnapshot &snapshot() const { return m_renderer.snapshot(); }
    // Each port's part of the last send, in the order sent.
    const QList<PortResult> &results() const { return m_send.results(); }

    void setClock(const Uploader::Clock &clock) { m_send.setClock(clock); }
    void setStallLimit(qint64 ms) { m_send.setStallLimit(ms); }
    // The window's progress bar and Stop button.
    void setWidgets(QProgressBar *progressBar, QPushButton *stopButton);

    bool isRunning() const { return m_send.isRunning(); }

    // The Send button: the setup rendered once, a refusal said in a message
    // box, or the upload started from the event loop (true). The same
    // rendering goes to `port` and to each of `alsoPorts`, side by side.
    bool send(const BadgeSetup &setup, const QString &programDir, const QString &port,
              const QStringList &alsoPorts = {});
    // Ends a running upload at once and closes every port; nothing otherwise.
    void stop();

Q_SIGNALS:
    // While the line drains, and how a one-port upload ended.
    void status(const glintag::UploadStatus &status);
    // How an upload to several ports ended, each port's result.
    void portsFinished(const QList<glintag::PortResult> &results);
    // Every port is closed again.
    void finished();
    // An upload started (true) or every port is closed again (false).
    void sendingChanged(bool sending);

private:
    void tellRefusal(const SendOutcome &outcome, int uiLanguage);
    void onStatus(int index, const UploadProgress &progress);
    void onFinished();
    int slowest() const;
    void showStarted();
    void showEnded();

    std::shared_ptr<Dialogs> m_dialogs;
    // Renders and refuses what there is nothing to send; it never opens a
    // port, so its own port is free for probing.
    SendJob m_renderer;
    MultiSend m_send;
    QList<UploadProgress> m_progress; // per port of the running send
    QList<bool> m_running;
    QShortcut *m_stopKey = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_stopButton = nullptr;
};

// How each port's part of the upload ended, in an interface language:
// "COM3 sent 1720 bytes in 14.4 s; COM4 port gone after 300 bytes".
QString portResultsStatusText(const QList<PortResult> &results, int uiLanguage);

} // namespace glintag
