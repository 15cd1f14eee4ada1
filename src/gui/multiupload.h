#pragma once

#include "protocol/uploadprogress.h"
#include "sending/multisend.h"

#include <QList>
#include <QObject>
#include <QStringList>

namespace glintag {

// The window's upload to several ports at once: one MultiSend, seen through
// the one progress bar and status line the window has. Both follow the
// slowest port still sending, so neither claims more than every badge has.
class MultiUpload : public QObject {
    Q_OBJECT
public:
    explicit MultiUpload(QObject *parent = nullptr);

    MultiSend &send() { return m_send; }
    bool isRunning() const { return m_send.isRunning(); }

    // Starts the snapshot on each port; how many started (see MultiSend).
    int start(const UploadSnapshot &snapshot, const QStringList &ports);
    void cancel() { m_send.cancel(); }
    const QList<PortResult> &results() const { return m_send.results(); }

Q_SIGNALS:
    // The slowest running port's SendJob::rowProgress and status.
    void rowProgress(int value);
    void status(const glintag::UploadProgress &progress);
    void finished(const QList<glintag::PortResult> &results);

private:
    int slowest() const;

    MultiSend m_send;
    QList<UploadProgress> m_progress;
    QList<int> m_rows;
    QList<bool> m_running;
};

// How each port's part of the upload ended, in an interface language:
// "COM3 sent 1720 bytes in 14.4 s; COM4 port gone after 300 bytes".
QString portResultsStatusText(const QList<PortResult> &results, int uiLanguage);

} // namespace glintag
