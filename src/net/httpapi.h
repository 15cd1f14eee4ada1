#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QString>

#include <optional>

class QTcpSocket;

namespace glintag {

class BadgeService;
class BodyGuardServer;

// The most a request's body may hold; a larger one is answered 413 before
// it is read.
constexpr qint64 kHttpBodyLimit = 1024 * 1024;
// Pages following the events at once; more are answered 503.
constexpr int kEventStreamsMax = 32;
// Bytes an event stream's reader may leave unread before it is let go.
constexpr qint64 kEventStreamBacklogMax = 1024 * 1024;
// Connections open at once; more are closed as they come.
constexpr int kHttpConnectionsMax = 128;
// A connection silent this long is closed (an event stream is not).
constexpr int kHttpIdleSeconds = 60;
// Where the API listens unless told otherwise.
inline constexpr char kDefaultListen[] = "127.0.0.1:8800";

struct HttpOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8800; // 0: any free port
    QString name;        // the host as --listen named it
    QByteArray token;    // empty: no token, then loopback only
    int uiLanguage = -1; // the page's language; -1: the setup's
    int idleSeconds = kHttpIdleSeconds;
};

// "ADDR:PORT", "[v6]:PORT", "HOST:PORT" or ":PORT" into options (a host
// name is looked up); false with *error set.
bool parseListen(const QString &text, HttpOptions &options, QString *error);

// The HTTP front door of `serve`: the page at "/" and the JSON API under
// "/api/". Every request is checked before it is routed: its Host header
// must be a name this server answers to (an address, the listening name,
// this machine's name, a loopback name), so a page of another site that
// rebinds its name to this address is refused; with a token every API call
// carries it as a bearer; a call that changes anything must say its body
// is JSON, which no cross-site form can. No call names a file.
class HttpApi : public QAbstractHttpServer {
    Q_OBJECT
public:
    HttpApi(BadgeService &service, const HttpOptions &options, QObject *parent = nullptr);
    ~HttpApi() override;

    // Starts listening; false with *error set (a port in use, an address
    // beyond loopback without a token).
    bool start(QString *error);
    quint16 port() const { return m_port; }

    // Ends the event streams.
    void closeStreams();

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Answer {
        int status = 200;
        QByteArray type = "application/json";
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
    };
    static Answer error(int status, const QString &message);
    static Answer json(const QJsonObject &object, int status = 200);

    Answer route(const QHttpServerRequest &request, QTcpSocket *socket, bool *streaming);
    bool hostAllowed(const QByteArray &host) const;
    bool tokenMatches(const QHttpServerRequest &request) const;
    std::optional<QJsonObject> jsonBody(const QHttpServerRequest &request, Answer *refusal,
                                        bool emptyIsObject = false) const;
    Answer putSetup(const QHttpServerRequest &request);
    Answer postSend(const QHttpServerRequest &request);
    Answer postNotify(const QHttpServerRequest &request);
    Answer previewPng(const QHttpServerRequest &request);
    Answer faceGif();
    Answer portsList();
    Answer iconsList();
    Answer page() const;
    void openStream(QTcpSocket *socket);
    void broadcast(const QByteArray &event, const QJsonObject &data);
    static void write(const QHttpServerRequest &request, QTcpSocket *socket, const Answer &answer);

    BadgeService &m_service;
    HttpOptions m_options;
    BodyGuardServer *m_tcp = nullptr;
    quint16 m_port = 0;
    QList<QPointer<QTcpSocket>> m_streams;
    QElapsedTimer m_progressClock; // since the last progress event
    mutable QHash<int, QByteArray> m_pages; // the page, by language
};

// Whether the token the request gives equals ours, in a time that does not
// depend on where they differ.
bool sameToken(const QByteArray &given, const QByteArray &ours);

} // namespace glintag
