#pragma once

#include "net/setupjson.h"
#include "sending/multisend.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

namespace glintag {

// One upload the service made, for its log line and its status.
struct ServeUpload {
    qint64 id = 0;
    QString reason;        // "send", "notify", "notify over"
    QDateTime at;          // when it started
    qint64 bytes = 0;      // the stream
    qint64 durationMs = 0; // from the start to the last port closed
    QList<PortResult> results;
};

// Keeps the badges of `serve` and the setup they should show, and sends on
// request from whichever door asked (the HTTP API, MQTT). Uploads never
// overlap: a request that comes while one runs waits, and a newer one takes
// its place, so a burst of requests ends in one upload of the newest. A
// notification shows its setup for a number of seconds after its upload has
// ended, then the current setup is sent again.
class BadgeService : public QObject {
    Q_OBJECT
public:
    BadgeService(const QStringList &ports, const BadgeSetup &setup, const QString &programDir,
                 MultiSend::PortMaker portMaker = {}, QObject *parent = nullptr);
    ~BadgeService() override;

    MultiSend &sender() { return m_send; }
    // How "COMn" port names find their devices.
    void setPortMap(const PortMap &map);
    const PortMap &portMap() const { return m_map; }
    const QStringList &ports() const { return m_ports; }
    const QString &programDir() const { return m_programDir; }

    // The setup the badges show when no notification is up.
    const BadgeSetup &setup() const { return m_setup; }
    void setSetup(const BadgeSetup &setup);
    // What a text alone is laid into: slot 1 selected, the others not, the
    // options `serve` was started with applied (see textOnlySetup).
    const BadgeSetup &textBase() const { return m_textBase; }
    void setTextBase(const BadgeSetup &base) { m_textBase = base; }

    // Sends `setup` (which becomes the current setup) and returns the
    // upload's id, or 0 with *error set when it renders to nothing.
    qint64 send(const BadgeSetup &setup, QString *error);
    // Shows `shown` for `seconds` after its upload ends, then sends the
    // current setup again. A newer notification replaces a waiting one.
    qint64 notify(const BadgeSetup &shown, int seconds, QString *error);

    bool isSending() const { return m_send.isRunning(); }
    // "state" (sending, idle), "upload" (the running or last id), "waiting"
    // (an id or null), "bytes" and "sent" of the running or last upload,
    // "uploads" made, "ports" (the last upload's per-port results) and
    // "notifyUntil" (ISO time, or null).
    QJsonObject status() const;

    // Stops the running upload and any waiting request; the ports are
    // closed when it returns.
    void stop();

Q_SIGNALS:
    void uploadStarted(qint64 id, const QString &reason, qint64 bytes);
    void progress(qint64 id, qint64 sent, qint64 total);
    void uploadFinished(const glintag::ServeUpload &upload);
    // Anything in status() changed.
    void statusChanged();

private:
    struct Request {
        qint64 id = 0;
        QString reason;
        std::shared_ptr<UploadSnapshot> snapshot;
        int notifySeconds = 0; // > 0: a notification
    };
    qint64 enqueue(const BadgeSetup &setup, const QString &reason, int notifySeconds, QString *error);
    void startNext();
    void onFinished();

    QStringList m_ports;
    QString m_programDir;
    BadgeSetup m_setup;
    BadgeSetup m_textBase;
    MultiSend m_send;
    PortMap m_map;
    std::optional<Request> m_waiting;
    Request m_running;
    ServeUpload m_last;
    qint64 m_nextId = 1;
    qint64 m_sent = 0;
    int m_uploads = 0;
    qint64 m_startedMs = 0;
    QTimer m_notifyOver;
    QDateTime m_notifyUntil;
    QList<qint64> m_portSent;
};

// A port's result as the network reports it: "port", "device", "result"
// ("sent", "stopped", "stalled", "line lost", "writes refused", "busy",
// "nothing to send", "bad port name", "cannot open", "open failed"),
// "bytesSent", "totalBytes" and, when it did not open, "reason".
QJsonObject portResultToJson(const PortResult &result);

} // namespace glintag
