#include "net/badgeservice.h"

#include "render/messagebuilder.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>

#include <algorithm>

namespace glintag {

namespace {

QString resultName(const SendOutcome &o)
{
    switch (o.end) {
    case SendEnd::Uploaded:
        switch (uploadEnd(o.upload)) {
        case UploadEnd::Sent:
            return QStringLiteral("sent");
        case UploadEnd::Stopped:
            return QStringLiteral("stopped");
        case UploadEnd::Stalled:
            return QStringLiteral("stalled");
        case UploadEnd::LineLost:
            return QStringLiteral("line lost");
        case UploadEnd::WritesRefused:
            return QStringLiteral("writes refused");
        }
        break;
    case SendEnd::Busy:
        return QStringLiteral("busy");
    case SendEnd::NothingToSend:
        return QStringLiteral("nothing to send");
    case SendEnd::BadPortName:
        return QStringLiteral("bad port name");
    case SendEnd::CannotOpen:
        return QStringLiteral("cannot open");
    case SendEnd::OpenFailed:
        return QStringLiteral("open failed");
    }
    return QString();
}

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

QJsonObject portResultToJson(const PortResult &result)
{
    const SendOutcome &o = result.outcome;
    QJsonObject json{
        {QStringLiteral("port"), result.port},
        {QStringLiteral("device"), o.device},
        {QStringLiteral("result"), resultName(o)},
        {QStringLiteral("bytesSent"), o.end == SendEnd::Uploaded ? o.upload.bytesSent : 0},
        {QStringLiteral("totalBytes"), o.upload.totalBytes},
    };
    if (o.end == SendEnd::CannotOpen)
        json.insert(QStringLiteral("reason"), o.openError);
    return json;
}

BadgeService::BadgeService(const QStringList &ports, const BadgeSetup &setup, const QString &programDir,
                           MultiSend::PortMaker portMaker, QObject *parent) :
    QObject(parent),
    m_ports(ports), m_programDir(programDir), m_setup(setup), m_send(std::move(portMaker))
{
    m_textBase = defaultBadgeSetup();
    m_textBase.language = setup.language;
    m_textBase.model = setup.model;
    m_textBase.brightness = setup.brightness;
    for (int i = 1; i < kSlotCount; ++i)
        m_textBase.slots[size_t(i)].select = false;
    m_notifyOver.setSingleShot(true);
    m_notifyOver.setTimerType(Qt::PreciseTimer);
    connect(&m_notifyOver, &QTimer::timeout, this, [this] {
        m_notifyUntil = QDateTime();
        QString ignored;
        enqueue(m_setup, QStringLiteral("notify over"), 0, &ignored);
    });
    connect(&m_send, &MultiSend::status, this, [this](int index, const UploadProgress &p) {
        if (index < 0 || index >= m_portSent.size())
            return;
        m_portSent[index] = p.sent;
        // The slowest port is how far the upload has got.
        m_sent = *std::min_element(m_portSent.begin(), m_portSent.end());
        Q_EMIT progress(m_running.id, m_sent, m_last.bytes);
    });
    connect(&m_send, &MultiSend::finished, this, &BadgeService::onFinished);
}

BadgeService::~BadgeService()
{
    stop();
}

void BadgeService::setPortMap(const PortMap &map)
{
    m_map = map;
    m_send.setPortMap(map);
}

void BadgeService::setSetup(const BadgeSetup &setup)
{
    m_setup = setup;
}

qint64 BadgeService::send(const BadgeSetup &setup, QString *error)
{
    const qint64 id = enqueue(setup, QStringLiteral("send"), 0, error);
    if (id > 0) {
        m_setup = setup;
        // The new setup is what the badge shows now: a notification that was
        // up has nothing to come back to.
        m_notifyOver.stop();
        m_notifyUntil = QDateTime();
    }
    return id;
}

qint64 BadgeService::notify(const BadgeSetup &shown, int seconds, QString *error)
{
    if (seconds < 1 || seconds > kNotifySecondsMax) {
        *error = QStringLiteral("seconds: allowed 1 to %1").arg(kNotifySecondsMax);
        return 0;
    }
    const qint64 id = enqueue(shown, QStringLiteral("notify"), seconds, error);
    if (id > 0) {
        m_notifyOver.stop();
        m_notifyUntil = QDateTime();
    }
    return id;
}

qint64 BadgeService::enqueue(const BadgeSetup &setup, const QString &reason, int notifySeconds, QString *error)
{
    auto snapshot = std::make_shared<UploadSnapshot>();
    snapshot->setup = setup;
    snapshot->rendering = renderSetup(setup, m_programDir);
    if (rendersNothing(*snapshot)) {
        *error = QStringLiteral("nothing to send: the selected slots are empty");
        return 0;
    }
    m_waiting = Request{m_nextId++, reason, std::move(snapshot), notifySeconds};
    const qint64 id = m_waiting->id;
    if (!m_send.isRunning())
        startNext();
    else
        Q_EMIT statusChanged();
    return id;
}

void BadgeService::startNext()
{
    if (!m_waiting || m_send.isRunning())
        return;
    m_running = std::move(*m_waiting);
    m_waiting.reset();
    const QByteArray stream = uploadStream(*m_running.snapshot);
    m_last = ServeUpload{m_running.id, m_running.reason, QDateTime::currentDateTime(), stream.size(), 0, {}};
    m_sent = 0;
    m_portSent = QList<qint64>(m_ports.size(), 0);
    m_startedMs = nowMs();
    ++m_uploads;
    Q_EMIT uploadStarted(m_running.id, m_running.reason, stream.size());
    m_send.start(*m_running.snapshot, m_ports);
    // Every port refused at once: no finished() comes.
    if (!m_send.isRunning())
        onFinished();
    else
        Q_EMIT statusChanged();
}

void BadgeService::onFinished()
{
    m_last.results = m_send.results();
    m_last.durationMs = nowMs() - m_startedMs;
    qint64 sent = m_last.bytes;
    for (const PortResult &r : m_last.results)
        sent = std::min(sent, r.outcome.end == SendEnd::Uploaded ? r.outcome.upload.bytesSent : 0);
    m_sent = sent;
    const int seconds = m_running.notifySeconds;
    const qint64 id = m_running.id;
    m_running = Request();
    m_running.id = id;
    // A notification stays from the end of its upload, unless something
    // newer already waits.
    if (seconds > 0 && !m_waiting) {
        m_notifyOver.start(seconds * 1000);
        m_notifyUntil = QDateTime::currentDateTimeUtc().addSecs(seconds);
    }
    Q_EMIT uploadFinished(m_last);
    startNext();
    Q_EMIT statusChanged();
}

QJsonObject BadgeService::status() const
{
    QJsonArray ports;
    if (!m_send.isRunning())
        for (const PortResult &r : m_last.results)
            ports.append(portResultToJson(r));
    return {
        {QStringLiteral("state"), m_send.isRunning() ? QStringLiteral("sending") : QStringLiteral("idle")},
        {QStringLiteral("upload"), m_last.id > 0 ? QJsonValue(m_last.id) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("waiting"), m_waiting ? QJsonValue(m_waiting->id) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("bytes"), m_last.bytes},
        {QStringLiteral("sent"), m_sent},
        {QStringLiteral("uploads"), m_uploads},
        {QStringLiteral("ports"), ports},
        {QStringLiteral("notifyUntil"),
         m_notifyUntil.isValid() ? QJsonValue(m_notifyUntil.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null)},
    };
}

void BadgeService::stop()
{
    m_waiting.reset();
    m_notifyOver.stop();
    m_send.cancel();
}

} // namespace glintag
