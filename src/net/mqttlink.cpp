#include "net/mqttlink.h"

#include "net/badgeservice.h"
#include "net/setupjson.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace glintag {

namespace {

constexpr int kKeepAliveSeconds = 30;

MqttLink *linkOf(void *object)
{
    return static_cast<MqttLink *>(object);
}

// The library once per process, before the first client.
void initLibrary()
{
    static const int once = mosquitto_lib_init();
    Q_UNUSED(once);
}

} // namespace

QString defaultMqttPrefix()
{
    QString host = QHostInfo::localHostName();
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QStringLiteral("glintag/") + (host.isEmpty() ? QStringLiteral("badge") : host);
}

bool parseMqttBroker(const QString &text, MqttOptions &options, QString *error)
{
    QString host = text;
    int port = 0;
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    if (colon >= 0 && !text.endsWith(QLatin1Char(']'))) {
        bool ok = false;
        port = text.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            *error = QStringLiteral("--mqtt %1: allowed HOST or HOST:PORT, PORT 1 to 65535").arg(text);
            return false;
        }
        host = text.left(colon);
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) {
        *error = QStringLiteral("--mqtt %1: allowed HOST or HOST:PORT").arg(text);
        return false;
    }
    options.host = host;
    options.port = port > 0 ? port : (options.caFile.isEmpty() ? 1883 : 8883);
    return true;
}

MqttLink::MqttLink(BadgeService &service, const MqttOptions &options, QObject *parent) :
    QObject(parent), m_service(service), m_options(options)
{
    m_misc.setInterval(1000);
    connect(&m_misc, &QTimer::timeout, this, [this] {
        if (m_client)
            afterLoop(mosquitto_loop_misc(m_client));
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttLink::connectNow);
    connect(&m_service, &BadgeService::uploadFinished, this, [this] { publishStatus(); });
}

MqttLink::~MqttLink()
{
    dropSocket();
    if (m_client)
        mosquitto_destroy(m_client);
}

QString MqttLink::where() const
{
    return QStringLiteral("%1:%2").arg(m_options.host).arg(m_options.port);
}

bool MqttLink::start(QString *error)
{
    initLibrary();
    const QByteArray id = (m_options.clientId.isEmpty()
                               ? QStringLiteral("glintag-%1-%2").arg(QHostInfo::localHostName()).arg(::getpid())
                               : m_options.clientId)
                              .toUtf8()
                              .left(64);
    m_client = mosquitto_new(id.constData(), true, this);
    if (!m_client) {
        *error = QStringLiteral("--mqtt: the client cannot be made");
        return false;
    }
    // The broker says "offline" for us when we go without a word.
    const QByteArray will = (m_options.prefix + QStringLiteral("/availability")).toUtf8();
    mosquitto_will_set(m_client, will.constData(), 7, "offline", 1, true);
    if (!m_options.user.isEmpty())
        mosquitto_username_pw_set(m_client, m_options.user.toUtf8().constData(),
                                  m_options.password.isEmpty() ? nullptr : m_options.password.constData());
    if (!m_options.caFile.isEmpty()) {
        const int rc = mosquitto_tls_set(m_client, m_options.caFile.toLocal8Bit().constData(), nullptr, nullptr,
                                         nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            *error = QStringLiteral("--mqtt-cafile %1: %2")
                         .arg(m_options.caFile, QString::fromLocal8Bit(mosquitto_strerror(rc)));
            return false;
        }
    }
    mosquitto_connect_callback_set(m_client, [](mosquitto *, void *self, int rc) { linkOf(self)->onConnected(rc); });
    mosquitto_disconnect_callback_set(m_client, [](mosquitto *, void *self, int rc) {
        MqttLink *link = linkOf(self);
        if (!link->m_stopping)
            link->lost(rc == 0 ? QStringLiteral("the session ended") : QString::fromLocal8Bit(mosquitto_strerror(rc)));
    });
    mosquitto_message_callback_set(
        m_client, [](mosquitto *, void *self, const mosquitto_message *message) { linkOf(self)->onMessage(message); });
    connectNow();
    return true;
}

void MqttLink::connectNow()
{
    if (m_stopping || !m_client)
        return;
    dropSocket();
    // Resolves the name and opens the socket without waiting for the
    // broker's answer, which comes through the socket.
    const int rc
        = mosquitto_connect_async(m_client, m_options.host.toUtf8().constData(), m_options.port, kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        lost(rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                  : QString::fromLocal8Bit(mosquitto_strerror(rc)));
        return;
    }
    watchSocket();
}

void MqttLink::watchSocket()
{
    const int fd = mosquitto_socket(m_client);
    if (fd < 0) {
        lost(QStringLiteral("no socket"));
        return;
    }
    m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_read.get(), &QSocketNotifier::activated, this, [this] { afterLoop(mosquitto_loop_read(m_client, 1)); });
    connect(m_write.get(), &QSocketNotifier::activated, this, [this] { afterLoop(mosquitto_loop_write(m_client, 1)); });
    m_write->setEnabled(mosquitto_want_write(m_client));
    m_misc.start();
}

void MqttLink::dropSocket()
{
    m_misc.stop();
    // A notifier may be the one whose signal is being handled.
    if (m_read)
        m_read.release()->deleteLater();
    if (m_write)
        m_write.release()->deleteLater();
}

void MqttLink::afterLoop(int rc)
{
    if (m_stopping || !m_client)
        return;
    if (rc != MOSQ_ERR_SUCCESS) {
        // The library has closed the socket; the callback may have said so.
        if (m_read || m_connected)
            lost(rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                      : QString::fromLocal8Bit(mosquitto_strerror(rc)));
        return;
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_client));
}

void MqttLink::lost(const QString &reason)
{
    dropSocket();
    const bool wasConnected = m_connected;
    m_connected = false;
    if (m_retry.isActive())
        return;
    if (wasConnected || !m_toldLost) {
        Q_EMIT notice(QStringLiteral("broker %1: %2; trying again until it answers").arg(where(), reason));
        m_toldLost = true;
    }
    if (wasConnected)
        m_retrySeconds = 1;
    m_retry.start(m_retrySeconds * 1000);
    m_retrySeconds = std::min(m_retrySeconds * 2, kMqttRetryMaxSeconds);
}

void MqttLink::onConnected(int rc)
{
    if (rc != 0) {
        lost(QStringLiteral("refused: %1").arg(QString::fromLocal8Bit(mosquitto_connack_string(rc))));
        return;
    }
    m_connected = true;
    m_toldLost = false;
    m_retrySeconds = 1;
    Q_EMIT notice(QStringLiteral("connected to broker %1 as %2").arg(where(), m_options.prefix));
    QStringList bases = {m_options.prefix};
    bases += m_options.groups;
    for (const QString &base : std::as_const(bases))
        for (const char *leaf : {"/text/set", "/setup/set", "/notify"})
            mosquitto_subscribe(m_client, nullptr, (base + QLatin1String(leaf)).toUtf8().constData(), 1);
    publish(m_options.prefix + QStringLiteral("/availability"), "online", true);
    publishStatus();
    if (m_options.haDiscovery)
        publishDiscovery();
}

void MqttLink::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_client || !m_connected)
        return;
    mosquitto_publish(m_client, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(), 1,
                      retain);
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_client));
}

void MqttLink::publishStatus()
{
    publish(m_options.prefix + QStringLiteral("/status"),
            QJsonDocument(m_service.status()).toJson(QJsonDocument::Compact), true);
}

void MqttLink::publishDiscovery()
{
    QString id = m_options.prefix;
    id.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    const QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{id}},
                             {QStringLiteral("name"), QStringLiteral("LED name badge %1").arg(m_options.prefix)},
                             {QStringLiteral("model"), QStringLiteral("Glintag")}};
    const QString availability = m_options.prefix + QStringLiteral("/availability");
    const QJsonObject text{
        {QStringLiteral("name"), QStringLiteral("Badge text")},
        {QStringLiteral("unique_id"), id + QStringLiteral("_text")},
        {QStringLiteral("command_topic"), m_options.prefix + QStringLiteral("/text/set")},
        {QStringLiteral("availability_topic"), availability},
        {QStringLiteral("max"), 255},
        {QStringLiteral("device"), device},
    };
    const QJsonObject status{
        {QStringLiteral("name"), QStringLiteral("Badge status")},
        {QStringLiteral("unique_id"), id + QStringLiteral("_status")},
        {QStringLiteral("state_topic"), m_options.prefix + QStringLiteral("/status")},
        {QStringLiteral("value_template"), QStringLiteral("{{ value_json.state }}")},
        {QStringLiteral("json_attributes_topic"), m_options.prefix + QStringLiteral("/status")},
        {QStringLiteral("availability_topic"), availability},
        {QStringLiteral("device"), device},
    };
    publish(QStringLiteral("homeassistant/text/%1/config").arg(id), QJsonDocument(text).toJson(QJsonDocument::Compact),
            true);
    publish(QStringLiteral("homeassistant/sensor/%1/config").arg(id),
            QJsonDocument(status).toJson(QJsonDocument::Compact), true);
}

void MqttLink::onMessage(const mosquitto_message *message)
{
    const QString topic = QString::fromUtf8(message->topic);
    if (message->payloadlen > kMqttPayloadLimit) {
        Q_EMIT notice(QStringLiteral("%1: dropped, larger than %2 bytes").arg(topic).arg(kMqttPayloadLimit));
        return;
    }
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    QString why;
    qint64 id = 0;
    if (topic.endsWith(QLatin1String("/text/set"))) {
        const auto setup = textOnlySetup(m_service.textBase(), QString::fromUtf8(payload).trimmed(),
                                         QJsonValue::Undefined, QJsonValue::Undefined, &why);
        if (setup)
            id = m_service.send(*setup, &why);
    } else {
        QJsonParseError parse{};
        const QJsonDocument doc = QJsonDocument::fromJson(payload, &parse);
        if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
            why = QStringLiteral("no JSON object");
        } else if (topic.endsWith(QLatin1String("/setup/set"))) {
            const auto setup = setupFromJson(doc.object(), m_service.setup(), &why);
            if (setup)
                id = m_service.send(*setup, &why);
        } else if (const auto notification = notificationFromJson(doc.object(), m_service.textBase(), &why)) {
            id = m_service.notify(notification->shown, notification->seconds, &why);
        }
    }
    if (id == 0)
        Q_EMIT notice(QStringLiteral("%1: refused: %2").arg(topic, why));
}

void MqttLink::stop()
{
    if (!m_client || m_stopping)
        return;
    m_retry.stop();
    if (m_connected) {
        publish(m_options.prefix + QStringLiteral("/availability"), "offline", true);
        m_stopping = true;
        mosquitto_disconnect(m_client);
        // The last words leave before the process does; a broker that does
        // not take them within a second gets the will instead.
        const QDeadlineTimer limit(1000);
        while (mosquitto_want_write(m_client) && !limit.hasExpired())
            if (mosquitto_loop_write(m_client, 1) != MOSQ_ERR_SUCCESS)
                break;
    }
    m_stopping = true;
    m_connected = false;
    dropSocket();
}

} // namespace glintag
