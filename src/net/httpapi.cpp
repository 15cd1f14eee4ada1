#include "net/httpapi.h"

#include "files/icons.h"
#include "i18n/languages.h"
#include "i18n/pagetexts.h"
#include "net/badgeservice.h"
#include "net/setupjson.h"
#include "preview/facegif.h"
#include "preview/previewimage.h"
#include "render/messagebuilder.h"

#include <QBuffer>
#include <QFile>
#include <QHostInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <optional>

#include <unistd.h>

namespace glintag {

namespace {

// One refusal, whether the guard sees the body coming or the router sees it
// whole.
QString bodyTooLargeText()
{
    return QStringLiteral("the body is larger than %1 bytes").arg(kHttpBodyLimit);
}

} // namespace

// Answers a request whose body would pass the limit before the body is
// read: the HTTP server reads a whole request into memory before it routes
// it. Connected first, so it sees each socket's bytes before the server.
class BodyGuardServer : public QTcpServer {
public:
    BodyGuardServer(int idleSeconds, QObject *parent) : QTcpServer(parent), m_idleMs(idleSeconds * 1000) {}

    // A request was routed: the bytes counted so far were its own.
    void requestDone(QTcpSocket *socket) { socket->setProperty("glintagBytes", 0); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        // Each connection holds up to a body's worth of memory.
        if (m_open >= kHttpConnectionsMax) {
            ::close(int(descriptor));
            return;
        }
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { guard(socket); });
        // A connection that says nothing for a while gives its place up;
        // an event stream is the server's to keep talking on.
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] {
            if (!socket->property("glintagStream").toBool())
                socket->disconnectFromHost();
        });
        const auto busy = [idle, ms = m_idleMs] { idle->start(ms); };
        connect(socket, &QTcpSocket::readyRead, idle, busy);
        connect(socket, &QTcpSocket::bytesWritten, idle, busy);
        busy();
        addPendingConnection(socket);
    }

private:
    int m_open = 0;
    int m_idleMs;

    static void guard(QTcpSocket *socket)
    {
        if (socket->property("glintagRefused").toBool()) {
            socket->readAll();
            return;
        }
        const qint64 seen = socket->property("glintagBytes").toLongLong() + socket->bytesAvailable();
        socket->setProperty("glintagBytes", seen);
        // The head states the body's length; a chunked body is counted as
        // it comes. Headers get room of their own.
        const QByteArray head = socket->peek(16384).toLower();
        qint64 declared = 0;
        const int at = head.indexOf("\r\ncontent-length:");
        if (at >= 0) {
            const int end = head.indexOf("\r\n", at + 2);
            declared = head.mid(at + 17, end < 0 ? -1 : end - at - 17).trimmed().toLongLong();
        }
        if (declared <= kHttpBodyLimit && seen <= kHttpBodyLimit + 65536)
            return;
        socket->setProperty("glintagRefused", true);
        socket->readAll();
        const QByteArray body
            = QJsonDocument(QJsonObject{{QStringLiteral("error"), bodyTooLargeText()}}).toJson(QJsonDocument::Compact);
        socket->write("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\nConnection: close\r\n"
                      "Content-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

namespace {

QByteArray headerValue(const QHttpServerRequest &request, const QByteArray &name)
{
    for (const auto &[key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool isLoopback(const QHostAddress &a)
{
    return a.isLoopback() || a == QHostAddress(QHostAddress::LocalHost);
}

const char *reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 202:
        return "Accepted";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 503:
        return "Service Unavailable";
    }
    return "Error";
}

} // namespace

bool sameToken(const QByteArray &given, const QByteArray &ours)
{
    // Every byte of ours is looked at whatever was given.
    unsigned difference = unsigned(given.size() ^ ours.size());
    for (qsizetype i = 0; i < ours.size(); ++i)
        difference |= unsigned(char(ours[i] ^ (i < given.size() ? given[i] : 0)));
    return difference == 0 && !ours.isEmpty();
}

bool parseListen(const QString &text, HttpOptions &options, QString *error)
{
    const int colon = int(text.lastIndexOf(QLatin1Char(':')));
    bool ok = false;
    const int port = colon >= 0 ? text.mid(colon + 1).toInt(&ok) : 0;
    if (colon < 0 || !ok || port < 0 || port > 65535) {
        *error = QStringLiteral("--listen %1: allowed ADDRESS:PORT, PORT 1 to 65535 (0: any free one)").arg(text);
        return false;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    options.port = quint16(port);
    options.name = host;
    if (host.isEmpty()) {
        options.address = QHostAddress::Any;
        return true;
    }
    if (options.address.setAddress(host))
        return true;
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.addresses().isEmpty()) {
        *error = QStringLiteral("--listen %1: no address for %2").arg(text, host);
        return false;
    }
    options.address = info.addresses().first();
    return true;
}

HttpApi::HttpApi(BadgeService &service, const HttpOptions &options, QObject *parent) :
    QAbstractHttpServer(parent), m_service(service), m_options(options)
{
    connect(&m_service, &BadgeService::statusChanged, this, [this] {
        // The status is built only for someone to read it.
        if (!m_streams.isEmpty())
            broadcast("status", m_service.status());
    });
    connect(&m_service, &BadgeService::progress, this, [this](qint64 id, qint64 sent, qint64 total) {
        // A page needs no more than ten a second; the status at the end
        // says where the upload stopped.
        if (m_progressClock.isValid() && m_progressClock.elapsed() < 100)
            return;
        m_progressClock.start();
        broadcast("progress",
                  {{QStringLiteral("upload"), id}, {QStringLiteral("sent"), sent}, {QStringLiteral("bytes"), total}});
    });
}

HttpApi::~HttpApi()
{
    closeStreams();
}

bool HttpApi::start(QString *error)
{
    if (m_options.token.isEmpty() && !isLoopback(m_options.address)) {
        *error = QStringLiteral("--listen %1: beyond this machine only with --token FILE")
                     .arg(m_options.address.toString());
        return false;
    }
    m_tcp = new BodyGuardServer(m_options.idleSeconds, this);
    if (!m_tcp->listen(m_options.address, m_options.port)) {
        *error = QStringLiteral("cannot listen on %1 port %2: %3")
                     .arg(m_options.address.toString())
                     .arg(m_options.port)
                     .arg(m_tcp->errorString());
        return false;
    }
    m_port = m_tcp->serverPort();
    bind(m_tcp);
    return true;
}

void HttpApi::closeStreams()
{
    for (const QPointer<QTcpSocket> &s : std::as_const(m_streams))
        if (s)
            s->disconnectFromHost();
    m_streams.clear();
}

HttpApi::Answer HttpApi::error(int status, const QString &message)
{
    return json(QJsonObject{{QStringLiteral("error"), message}}, status);
}

HttpApi::Answer HttpApi::json(const QJsonObject &object, int status)
{
    Answer a;
    a.status = status;
    a.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return a;
}

void HttpApi::write(const QHttpServerRequest &request, QTcpSocket *socket, const Answer &answer)
{
    Q_UNUSED(request);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    head += "Content-Type: " + answer.type + "\r\nContent-Length: " + QByteArray::number(answer.body.size())
        + "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    for (const auto &[key, value] : answer.headers)
        head += key + ": " + value + "\r\n";
    socket->write(head + "\r\n" + answer.body);
}

bool HttpApi::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    if (m_tcp)
        m_tcp->requestDone(socket);
    bool streaming = false;
    const Answer answer = route(request, socket, &streaming);
    if (!streaming)
        write(request, socket, answer);
    return true;
}

void HttpApi::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    write(request, socket, error(404, QStringLiteral("no such call")));
}

bool HttpApi::hostAllowed(const QByteArray &hostHeader) const
{
    QString host = QString::fromLatin1(hostHeader).trimmed().toLower();
    if (host.startsWith(QLatin1Char('['))) {
        const int end = int(host.indexOf(QLatin1Char(']')));
        host = end > 0 ? host.mid(1, end - 1) : QString();
    } else if (host.count(QLatin1Char(':')) == 1) {
        host = host.left(host.indexOf(QLatin1Char(':')));
    }
    if (host.isEmpty())
        return false;
    // An address cannot be rebound to another; a name can, so only names
    // that can only mean this machine pass.
    if (QHostAddress(host).protocol() != QAbstractSocket::UnknownNetworkLayerProtocol)
        return true;
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")))
        return true;
    const QString self = QHostInfo::localHostName().toLower();
    return host == m_options.name.toLower() || host == self || host == self + QLatin1String(".local");
}

bool HttpApi::tokenMatches(const QHttpServerRequest &request) const
{
    if (m_options.token.isEmpty())
        return true;
    const QByteArray auth = headerValue(request, "Authorization");
    const QByteArray scheme = "bearer ";
    if (auth.size() < scheme.size() || auth.left(scheme.size()).toLower() != scheme)
        return false;
    return sameToken(auth.mid(scheme.size()).trimmed(), m_options.token);
}

std::optional<QJsonObject> HttpApi::jsonBody(const QHttpServerRequest &request, Answer *refusal,
                                             bool emptyIsObject) const
{
    const QByteArray type = headerValue(request, "Content-Type").split(';').first().trimmed().toLower();
    if (type != "application/json") {
        *refusal = error(415, QStringLiteral("allowed only Content-Type: application/json"));
        return std::nullopt;
    }
    if (emptyIsObject && request.body().trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(request.body(), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
        *refusal = error(
            400,
            parse.error != QJsonParseError::NoError
                ? QStringLiteral("the body is no JSON: %1 at byte %2").arg(parse.errorString()).arg(parse.offset)
                : QStringLiteral("the body is no JSON object"));
        return std::nullopt;
    }
    return doc.object();
}

HttpApi::Answer HttpApi::route(const QHttpServerRequest &request, QTcpSocket *socket, bool *streaming)
{
    using Method = QHttpServerRequest::Method;
    const QByteArray host = headerValue(request, "Host");
    if (host.isEmpty())
        return error(400, QStringLiteral("a Host header is required"));
    if (!hostAllowed(host))
        return error(403, QStringLiteral("this server does not answer to the name %1").arg(QString::fromLatin1(host)));
    // Here, before any call reads the body, rather than in each call.
    if (request.body().size() > kHttpBodyLimit)
        return error(413, bodyTooLargeText());

    const QString path = request.url().path();
    const Method method = request.method();
    const auto allow = [&](std::initializer_list<Method> methods, const char *allowed) -> std::optional<Answer> {
        for (const Method m : methods)
            if (m == method)
                return std::nullopt;
        Answer a = error(405, QStringLiteral("allowed %1").arg(QLatin1String(allowed)));
        a.headers.append({QByteArray("Allow"), QByteArray(allowed)});
        return a;
    };
    if (path == QLatin1String("/")) {
        if (auto refused = allow({Method::Get}, "GET"))
            return *refused;
        return page();
    }
    static const QStringList calls = {
        QStringLiteral("/api/setup"),    QStringLiteral("/api/send"),   QStringLiteral("/api/notify"),
        QStringLiteral("/api/status"),   QStringLiteral("/api/events"), QStringLiteral("/api/preview.png"),
        QStringLiteral("/api/face.gif"), QStringLiteral("/api/ports"),  QStringLiteral("/api/icons"),
    };
    if (!calls.contains(path))
        return error(404, QStringLiteral("no such call: %1").arg(path));
    if (!tokenMatches(request)) {
        Answer a = error(401, QStringLiteral("a valid token is required (Authorization: Bearer ...)"));
        a.headers.append({QByteArray("WWW-Authenticate"), QByteArray("Bearer")});
        return a;
    }
    if (path == QLatin1String("/api/setup")) {
        if (auto refused = allow({Method::Get, Method::Put}, "GET, PUT"))
            return *refused;
        if (method == Method::Get)
            return json(setupToJson(m_service.setup()));
        return putSetup(request);
    }
    if (path == QLatin1String("/api/send")) {
        if (auto refused = allow({Method::Post}, "POST"))
            return *refused;
        return postSend(request);
    }
    if (path == QLatin1String("/api/notify")) {
        if (auto refused = allow({Method::Post}, "POST"))
            return *refused;
        return postNotify(request);
    }
    if (auto refused = allow({Method::Get}, "GET"))
        return *refused;
    if (path == QLatin1String("/api/status"))
        return json(m_service.status());
    if (path == QLatin1String("/api/events")) {
        if (m_streams.size() >= kEventStreamsMax)
            return error(503, QStringLiteral("too many event streams open"));
        *streaming = true;
        openStream(socket);
        return {};
    }
    if (path == QLatin1String("/api/preview.png"))
        return previewPng(request);
    if (path == QLatin1String("/api/face.gif"))
        return faceGif();
    if (path == QLatin1String("/api/ports"))
        return portsList();
    return iconsList();
}

HttpApi::Answer HttpApi::putSetup(const QHttpServerRequest &request)
{
    Answer refusal;
    const auto body = jsonBody(request, &refusal);
    if (!body)
        return refusal;
    QString why;
    const auto setup = setupFromJson(*body, m_service.setup(), &why);
    if (!setup)
        return error(400, why);
    m_service.setSetup(*setup);
    return json(setupToJson(*setup));
}

HttpApi::Answer HttpApi::postSend(const QHttpServerRequest &request)
{
    // An empty body sends the current setup as it is.
    Answer refusal;
    const auto body = jsonBody(request, &refusal, true);
    if (!body)
        return refusal;
    QString why;
    std::optional<BadgeSetup> setup;
    if (body->contains(QStringLiteral("text"))) {
        for (auto it = body->begin(); it != body->end(); ++it)
            if (it.key() != QLatin1String("text") && it.key() != QLatin1String("mode")
                && it.key() != QLatin1String("speed"))
                return error(400, QStringLiteral("%1: unknown key beside text").arg(it.key()));
        if (!body->value(QStringLiteral("text")).isString())
            return error(400, QStringLiteral("text: allowed a string"));
        setup = textOnlySetup(m_service.textBase(), body->value(QStringLiteral("text")).toString(),
                              body->value(QStringLiteral("mode")), body->value(QStringLiteral("speed")), &why);
    } else {
        setup = setupFromJson(*body, m_service.setup(), &why);
    }
    if (!setup)
        return error(400, why);
    const qint64 id = m_service.send(*setup, &why);
    if (id == 0)
        return error(400, why);
    return json({{QStringLiteral("upload"), id}}, 202);
}

HttpApi::Answer HttpApi::postNotify(const QHttpServerRequest &request)
{
    Answer refusal;
    const auto body = jsonBody(request, &refusal);
    if (!body)
        return refusal;
    for (auto it = body->begin(); it != body->end(); ++it)
        if (it.key() != QLatin1String("text") && it.key() != QLatin1String("seconds")
            && it.key() != QLatin1String("mode") && it.key() != QLatin1String("speed"))
            return error(400, QStringLiteral("%1: unknown key").arg(it.key()));
    QString why;
    const auto notification = notificationFromJson(*body, m_service.textBase(), &why);
    if (!notification)
        return error(400, why);
    const qint64 id = m_service.notify(notification->shown, notification->seconds, &why);
    if (id == 0)
        return error(400, why);
    return json({{QStringLiteral("upload"), id}}, 202);
}

HttpApi::Answer HttpApi::previewPng(const QHttpServerRequest &request)
{
    const QUrlQuery query = request.query();
    int slot = 0, scale = 6;
    bool ok = true;
    if (query.hasQueryItem(QStringLiteral("slot"))) {
        slot = query.queryItemValue(QStringLiteral("slot")).toInt(&ok);
        if (!ok || slot < 1 || slot > kSlotCount)
            return error(400, QStringLiteral("slot: allowed 1 to %1").arg(kSlotCount));
    }
    if (query.hasQueryItem(QStringLiteral("scale"))) {
        scale = query.queryItemValue(QStringLiteral("scale")).toInt(&ok);
        if (!ok || scale < 1 || scale > 8)
            return error(400, QStringLiteral("scale: allowed 1 to 8"));
    }
    BadgeSetup setup = m_service.setup();
    QList<int> slots;
    if (slot > 0) {
        setup.slots[size_t(slot - 1)].select = true;
        slots << slot - 1;
    } else {
        for (int i = 0; i < kSlotCount; ++i)
            if (setup.slots[size_t(i)].select)
                slots << i;
    }
    const Rendering rendering = renderSetup(setup, m_service.programDir());
    Answer a;
    a.type = "image/png";
    QBuffer buffer(&a.body);
    buffer.open(QIODevice::WriteOnly);
    if (slots.isEmpty() || !previewImage(rendering.dots, rendering.sent, slots, scale).save(&buffer, "PNG"))
        return error(400, QStringLiteral("nothing to show: no slot is selected"));
    return a;
}

HttpApi::Answer HttpApi::faceGif()
{
    const BadgeSetup &setup = m_service.setup();
    const Rendering rendering = renderSetup(setup, m_service.programDir());
    Answer a;
    a.type = "image/gif";
    QString why;
    const auto gif = glintag::faceGif(faceRound(setup, rendering), 4, &why);
    if (!gif)
        return error(400, why);
    a.body = *gif;
    return a;
}

HttpApi::Answer HttpApi::portsList()
{
    QJsonArray used, known;
    for (const QString &p : m_service.ports()) {
        const QString device = p.startsWith(QLatin1Char('/')) ? p : m_service.portMap().devicePath(p);
        used.append(QJsonObject{{QStringLiteral("port"), p}, {QStringLiteral("device"), device}});
    }
    for (const QString &name : m_service.portMap().names())
        known.append(QJsonObject{{QStringLiteral("port"), name},
                                 {QStringLiteral("device"), m_service.portMap().devicePath(name)}});
    return json({{QStringLiteral("serving"), used}, {QStringLiteral("known"), known}});
}

HttpApi::Answer HttpApi::iconsList()
{
    // The built-in icons never change: their list is made once.
    static const QByteArray body = [] {
        QJsonArray icons;
        for (const Icon &icon : builtInIcons()) {
            QJsonArray rows;
            for (const QString &row : icon.rows)
                rows.append(row);
            icons.append(QJsonObject{{QStringLiteral("name"), icon.name},
                                     {QStringLiteral("width"), icon.width},
                                     {QStringLiteral("rows"), rows}});
        }
        return QJsonDocument(QJsonObject{{QStringLiteral("icons"), icons}}).toJson(QJsonDocument::Compact);
    }();
    Answer a;
    a.body = body;
    return a;
}

HttpApi::Answer HttpApi::page() const
{
    const int language = m_options.uiLanguage >= 0 ? m_options.uiLanguage : m_service.setup().language;
    // The page differs only in its texts: it is made once per language.
    auto made = m_pages.constFind(language);
    if (made == m_pages.cend()) {
        QFile file(QStringLiteral(":/glintag/page.html"));
        if (!file.open(QIODevice::ReadOnly))
            return error(404, QStringLiteral("the page is not built in"));
        made = m_pages.insert(language, file.readAll().replace(
                                            "/*TEXTS*/{}",
                                            QJsonDocument(pageTexts(language)).toJson(QJsonDocument::Compact)));
    }
    Answer a;
    a.type = "text/html; charset=utf-8";
    a.body = *made;
    // The page runs only its own script and talks only to this server.
    a.headers.append({QByteArray("Content-Security-Policy"),
                      QByteArray("default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                                 "img-src 'self' blob: data:; connect-src 'self'; frame-ancestors 'none'")});
    a.headers.append({QByteArray("X-Frame-Options"), QByteArray("DENY")});
    return a;
}

void HttpApi::openStream(QTcpSocket *socket)
{
    socket->setProperty("glintagStream", true);
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
                  "Connection: close\r\n\r\n");
    m_streams.append(socket);
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { m_streams.removeAll(socket); });
    const QByteArray first
        = "event: status\ndata: " + QJsonDocument(m_service.status()).toJson(QJsonDocument::Compact) + "\n\n";
    socket->write(first);
}

void HttpApi::broadcast(const QByteArray &event, const QJsonObject &data)
{
    if (m_streams.isEmpty())
        return;
    const QByteArray message
        = "event: " + event + "\ndata: " + QJsonDocument(data).toJson(QJsonDocument::Compact) + "\n\n";
    for (const QPointer<QTcpSocket> &s : std::as_const(m_streams))
        // A reader that stops reading is let go rather than buffered for.
        if (s && s->bytesToWrite() < kEventStreamBacklogMax)
            s->write(message);
        else if (s)
            s->abort();
}

} // namespace glintag
