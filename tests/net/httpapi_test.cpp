// The HTTP API as a client sees it: a real server on a free loopback port,
// spoken to over a plain socket, sending to a real pseudo-terminal.
#include "net/badgeservice.h"
#include "net/httpapi.h"
#include "net/setupjson.h"

#include "support/eventloop.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"

#include <QImage>
#include <QJsonDocument>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

struct Response {
    int status = 0;
    QByteArray head; // lower case
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// One server on a free port with one badge on a pseudo-terminal; the
// uploader's clock runs a second on at each look, so an upload takes a few
// event-loop turns instead of the line's seconds.
struct Server {
    Pty badge;
    BadgeService service;
    HttpApi api;
    qint64 now = 0;
    bool started = false;

    explicit Server(const QByteArray &token = {}, int idleSeconds = kHttpIdleSeconds) :
        service((ensureApplication(), QStringList{badge.slavePath()}), setupWithTexts({QStringLiteral("HELLO")}),
                QStringLiteral(GLINTAG_BIN_DIR)),
        api(service, options(token, idleSeconds))
    {
        service.sender().setClock([this] { return now += 1000; });
        QString error;
        started = api.start(&error);
        EXPECT_TRUE(started) << error.toStdString();
    }
    static HttpOptions options(const QByteArray &token, int idleSeconds)
    {
        HttpOptions o;
        o.port = 0;
        o.token = token;
        o.idleSeconds = idleSeconds;
        return o;
    }

    // One request on a connection of its own; `head` is given whole, so a
    // test can leave out or forge any line of it.
    Response call(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                  const QByteArray &type = "application/json", const QByteArray &head = "Host: 127.0.0.1\r\n")
    {
        QByteArray request = method + ' ' + path + " HTTP/1.1\r\n" + head;
        if (!type.isEmpty())
            request += "Content-Type: " + type + "\r\n";
        if (!body.isEmpty() || method != "GET")
            request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, api.port());
        Response r;
        if (!runUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
            return r;
        socket.write(request + "\r\n" + body);
        QByteArray all;
        // Until the head and as many body bytes as it declares have come.
        runUntil([&] {
            all += socket.readAll();
            const int end = all.indexOf("\r\n\r\n");
            r.head = all.left(end).toLower();
            r.body = all.mid(end + 4);
            const int at = r.head.indexOf("content-length:");
            if (end < 0 || at < 0)
                return socket.state() != QAbstractSocket::ConnectedState;
            return r.body.size() >= r.head.mid(at + 15).split('\r').first().trimmed().toLongLong();
        });
        r.status = all.mid(9, 3).toInt();
        return r;
    }
};

} // namespace

// Each request with the code it gets; a refusal comes as JSON with an error,
// leaves the state alone and never shows the token.
TEST(HttpApi, RefusalsComeAsJsonWithTheirCodes)
{
    Server s("s3cret-token");
    ASSERT_TRUE(s.started);
    const QByteArray json = "application/json", host = "Host: 127.0.0.1\r\n",
                     token = "Authorization: Bearer s3cret-token\r\n";
    const QByteArray longText = "{\"slots\":[{\"text\":\"" + QByteArray(1024, 'A') + "\"}]}";
    const QByteArray seventeen = R"({"slots":[)" + QByteArray(R"({"text":"X"},)").repeated(16) + R"({"text":"X"}]})";
    const QByteArray notHex
        = R"({"slots":[{"picture":{"columns":4,"rows":["G")" + QByteArray(R"(,"0")").repeated(11) + "]}}]}";
    // Over the body limit: answered before it is read.
    const QByteArray big = "{\"text\":\"" + QByteArray(2 * 1024 * 1024, 'A') + "\"}";
    const struct {
        const char *what;
        QByteArray method, path, body, type, head; // head: the host and the token unless given
        int status;
    } cases[] = {
        {"unknown call", "GET", "/api/nothing", {}, {}, {}, 404},
        {"unknown path", "GET", "/etc/passwd", {}, {}, {}, 404},
        {"wrong method", "DELETE", "/api/setup", {}, {}, {}, 405},
        {"post to status", "POST", "/api/status", "{}", json, {}, 405},
        {"plain text", "POST", "/api/send", "{\"text\":\"HI\"}", "text/plain", {}, 415},
        {"no type", "PUT", "/api/setup", "{}", {}, {}, 415},
        {"not json", "PUT", "/api/setup", "{slots", json, {}, 400},
        {"json array", "PUT", "/api/setup", "[]", json, {}, 400},
        {"17 slots", "PUT", "/api/setup", seventeen, json, {}, 400},
        {"1,024 bytes", "PUT", "/api/setup", longText, json, {}, 400},
        {"unknown key", "PUT", "/api/setup", "{\"colour\":1}", json, {}, 400},
        {"speed 9", "PUT", "/api/setup", "{\"slots\":[{\"speed\":9}]}", json, {}, 400},
        {"animation in slot 2", "PUT", "/api/setup", "{\"slots\":[{},{\"mode\":\"animation\"}]}", json, {}, 400},
        {"rows not hex", "PUT", "/api/setup", notHex, json, {}, 400},
        {"notify 0 s", "POST", "/api/notify", "{\"text\":\"HI\",\"seconds\":0}", json, {}, 400},
        {"notify a day and a second", "POST", "/api/notify", "{\"text\":\"HI\",\"seconds\":86401}", json, {}, 400},
        {"notify without text", "POST", "/api/notify", "{\"seconds\":5}", json, {}, 400},
        {"send empty slots", "POST", "/api/send", "{\"slots\":[{\"text\":\"\"}]}", json, {}, 400},
        {"scale 9", "GET", "/api/preview.png?scale=9", {}, {}, {}, 400},
        {"slot 17", "GET", "/api/preview.png?slot=17", {}, {}, {}, 400},
        {"2 MiB to send", "POST", "/api/send", big, json, {}, 413},
        // Only host names that cannot be rebound to another machine pass.
        {"localhost", "GET", "/api/status", {}, {}, "Host: localhost:8800\r\n" + token, 200},
        {"[::1]", "GET", "/api/status", {}, {}, "Host: [::1]:8800\r\n" + token, 200},
        {"another site", "GET", "/api/status", {}, {}, "Host: evil.example\r\n" + token, 403},
        {"another site's port", "GET", "/api/status", {}, {}, "Host: evil.example:80\r\n" + token, 403},
        {"a look-alike", "GET", "/api/status", {}, {}, "Host: 127.0.0.1.evil.example\r\n" + token, 403},
        {"no host", "GET", "/api/status", {}, {}, token, 400},
        // With a token every call needs it.
        {"the token", "GET", "/api/status", {}, {}, host + token, 200},
        {"no token", "GET", "/api/status", {}, {}, host, 401},
        {"wrong token", "GET", "/api/status", {}, {}, host + "Authorization: Bearer wrong\r\n", 401},
        {"token cut", "GET", "/api/status", {}, {}, host + "Authorization: Bearer s3cret-toke\r\n", 401},
        {"token lengthened", "GET", "/api/status", {}, {}, host + "Authorization: Bearer s3cret-token-\r\n", 401},
        {"basic", "GET", "/api/status", {}, {}, host + "Authorization: Basic s3cret-token\r\n", 401},
        {"lower case", "GET", "/api/setup", {}, {}, host + "authorization: bearer s3cret-token\r\n", 200},
        // The page holds nothing; it asks for the token itself.
        {"the page", "GET", "/", {}, {}, host, 200},
    };
    const QJsonObject before = setupToJson(s.service.setup());
    for (const auto &c : cases) {
        const Response r = s.call(c.method, c.path, c.body, c.type, c.head.isEmpty() ? host + token : c.head);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.body.toStdString();
        EXPECT_FALSE(r.body.contains("s3cret")) << c.what << ": the answer shows the token";
        if (c.status >= 400) {
            EXPECT_FALSE(r.json().value(QStringLiteral("error")).toString().isEmpty()) << c.what;
            EXPECT_TRUE(r.head.contains("content-type: application/json")) << c.what;
        }
    }
    EXPECT_TRUE(s.call("DELETE", "/api/setup", {}, {}, host + token).head.contains("allow: get, put"));
    EXPECT_EQ(setupToJson(s.service.setup()), before) << "a refused call changed the setup";
    EXPECT_EQ(s.service.status().value(QStringLiteral("uploads")).toInt(), 0) << "a refused call sent";
}

// What goes in comes out again, and the preview follows it.
TEST(HttpApi, ThePutSetupIsTheOneGetAndThePreviewShow)
{
    Server s;
    ASSERT_TRUE(s.started);
    const QImage before = QImage::fromData(s.call("GET", "/api/preview.png?slot=1&scale=1").body, "PNG");
    ASSERT_FALSE(before.isNull());
    const QByteArray body = "{\"slots\":[{\"text\":\"WIDER TEXT HERE\",\"mode\":\"freeze\"},"
                            "{\"text\":\"\",\"selected\":false}],\"brightness\":2}";
    QString error;
    const auto expected = setupFromJson(QJsonDocument::fromJson(body).object(), s.service.setup(), &error);
    ASSERT_TRUE(expected) << error.toStdString();
    const Response put = s.call("PUT", "/api/setup", body);
    ASSERT_EQ(put.status, 200) << put.body.toStdString();
    // Each field's conversion is the setup JSON test's; here, that the
    // service keeps what it was given and shows it back.
    EXPECT_EQ(put.json(), setupToJson(*expected));
    EXPECT_EQ(s.call("GET", "/api/setup").json(), setupToJson(*expected));

    const QImage after = QImage::fromData(s.call("GET", "/api/preview.png?slot=1&scale=1").body, "PNG");
    EXPECT_GT(after.width(), before.width()) << "the preview did not follow the setup";
    EXPECT_TRUE(s.call("GET", "/api/face.gif").body.startsWith("GIF89a"));
    EXPECT_EQ(s.service.status().value(QStringLiteral("uploads")).toInt(), 0) << "a PUT sent";
}

// A connection that says nothing gives its place up; an event stream stays.
TEST(HttpApi, SilentConnectionsAreClosedButEventStreamsStay)
{
    Server s({}, 1);
    ASSERT_TRUE(s.started);
    QTcpSocket silent, stream;
    for (QTcpSocket *socket : {&silent, &stream})
        socket->connectToHost(QHostAddress::LocalHost, s.api.port());
    ASSERT_TRUE(runUntil([&] {
        return silent.state() == QAbstractSocket::ConnectedState && stream.state() == QAbstractSocket::ConnectedState;
    }));
    stream.write("GET /api/events HTTP/1.1\r\nHost: localhost\r\n\r\n");
    QByteArray events;
    ASSERT_TRUE(runUntil([&] { return (events += stream.readAll()).contains("event: status"); }));
    EXPECT_TRUE(runUntil([&] { return silent.state() == QAbstractSocket::UnconnectedState; }))
        << "a silent connection stayed";
    // A second silent one, opened after the stream fell quiet, is closed
    // only after the stream's own quiet time has passed as well.
    QTcpSocket later;
    later.connectToHost(QHostAddress::LocalHost, s.api.port());
    ASSERT_TRUE(runUntil([&] { return later.state() == QAbstractSocket::ConnectedState; }));
    EXPECT_TRUE(runUntil([&] { return later.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(stream.state(), QAbstractSocket::ConnectedState) << "the event stream was closed as idle";
}

// Connections that ended leave no trace: the bound is on those open at once.
TEST(HttpApi, ConnectionsThatEndedDoNotCountAgainstTheBound)
{
    Server s;
    ASSERT_TRUE(s.started);
    for (int i = 0; i < kHttpConnectionsMax + 20; ++i)
        ASSERT_EQ(s.call("GET", "/api/status").status, 200) << "connection " << i;
}
