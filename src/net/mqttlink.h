#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

namespace glintag {

class BadgeService;

// The most a message may carry; larger ones are dropped with a line.
constexpr int kMqttPayloadLimit = 1024 * 1024;
// How long a broker that is away is waited for between tries, at most.
constexpr int kMqttRetryMaxSeconds = 30;

struct MqttOptions {
    QString host;
    int port = 1883;     // 8883 with a CA file unless given
    QString prefix;      // PREFIX/text/set, PREFIX/status, ...
    QStringList groups;  // shared prefixes every badge of a fleet listens on
    QString user;        // empty: none
    QByteArray password; // read from a file, never from the line
    QString caFile;      // TLS when set
    bool haDiscovery = false;
    QString clientId;
};

// "HOST" or "HOST:PORT" into options; false with *error set.
bool parseMqttBroker(const QString &text, MqttOptions &options, QString *error);
// "glintag/<this machine's name>", as a topic level may hold it.
QString defaultMqttPrefix();

// The MQTT door of `serve`: PREFIX/text/set (a text for slot 1),
// PREFIX/setup/set (a setup as JSON), PREFIX/notify (as the API's notify),
// the same under each group prefix; PREFIX/status retained after each
// upload, PREFIX/availability "online", "offline" as the will and on a
// clean stop. The client's socket runs on the event loop; a broker that is
// down or goes away is tried again with a growing pause, never given up.
class MqttLink : public QObject {
    Q_OBJECT
public:
    MqttLink(BadgeService &service, const MqttOptions &options, QObject *parent = nullptr);
    ~MqttLink() override;

    // Starts the first connection (or its retries); false with *error set
    // only when the client cannot be made at all (a CA file that cannot be
    // read, say).
    bool start(QString *error);
    // Says "offline", ends the session so the will is not sent, and waits a
    // moment for that to leave.
    void stop();
    bool isConnected() const { return m_connected; }

Q_SIGNALS:
    // One line for the log: connected, lost, a message refused.
    void notice(const QString &message);

private:
    void connectNow();
    void watchSocket();
    void dropSocket();
    void lost(const QString &reason);
    void afterLoop(int rc);
    void onConnected(int rc);
    void onMessage(const mosquitto_message *message);
    void publish(const QString &topic, const QByteArray &payload, bool retain);
    void publishStatus();
    void publishDiscovery();
    QString where() const;

    BadgeService &m_service;
    MqttOptions m_options;
    mosquitto *m_client = nullptr;
    std::unique_ptr<QSocketNotifier> m_read, m_write;
    QTimer m_misc, m_retry;
    int m_retrySeconds = 1;
    bool m_connected = false;
    bool m_toldLost = false;
    bool m_stopping = false;
};

} // namespace glintag
