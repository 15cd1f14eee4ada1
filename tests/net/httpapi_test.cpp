// The HTTP API as a client sees it: a real server on a free loopback port,
// spoken to over a plain socket, sending to a real pseudo-terminal.
#include "net/badgeservice.h"
#include "net/httpapi.h"
#include "net/setupjson.h"

#include "render/messagebuilder.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace glintag;

namespace {

const QString kProgramDir = QStringLiteral(GLINTAG_BIN_DIR);

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_net", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Runs the event loop until `done` holds; false if it never does. A timer
// wakes the loop now and then, so the limit is looked at even when nothing
// else happens.
bool runUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer limit(20000);
    QTimer wake;
    wake.start(20);
    while (!done() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

QByteArray streamFor(const BadgeSetup &setup)
{
    UploadSnapshot s;
    s.setup = setup;
    s.rendering = renderSetup(setup, kProgramDir);
    return uploadStream(s);
}

struct Response {
    int status = 0;
    QByteArray head; // lower case
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// What the pseudo-terminal's far end has received, read from the event loop.
struct PtyReader {
    Pty pty;
    QByteArray got;
    std::unique_ptr<QSocketNotifier> notifier;
    PtyReader()
    {
        notifier = std::make_unique<QSocketNotifier>(pty.masterFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
            char buffer[4096];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, int(n));
        });
    }
};

// One server on a free port with one badge on a pseudo-terminal; the
// uploader's clock runs a second on at each look, so an upload takes a few
// event-loop turns instead of the line's seconds.
struct Server {
    PtyReader badge;
    BadgeService service;
    HttpApi api;
    qint64 now = 0;

    explicit Server(const QByteArray &token = {}, const BadgeSetup &setup = setupWithTexts({QStringLiteral("HELLO")})) :
        service({badge.pty.slavePath()}, setup, kProgramDir), api(service, options(token))
    {
        service.sender().setClock([this] { return now += 1000; });
        QString error;
        started = api.start(&error);
        EXPECT_TRUE(started) << error.toStdString();
    }
    static HttpOptions options(const QByteArray &token)
    {
        HttpOptions o;
        o.port = 0;
        o.token = token;
        return o;
    }
    bool started = false;

    // One request on a connection of its own; the raw head lines are given
    // whole, so a test can leave out or forge any of them.
    Response raw(const QByteArray &request)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, api.port());
        Response r;
        if (!runUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
            return r;
        socket.write(request);
        QByteArray all;
        const auto complete = [&] {
            all += socket.readAll();
            const int end = all.indexOf("\r\n\r\n");
            if (end < 0)
                return socket.state() != QAbstractSocket::ConnectedState;
            const QByteArray head = all.left(end).toLower();
            const int at = head.indexOf("content-length:");
            if (at < 0)
                return socket.state() != QAbstractSocket::ConnectedState;
            const qint64 length = head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
            return all.size() >= end + 4 + length;
        };
        runUntil(complete);
        const int end = all.indexOf("\r\n\r\n");
        r.head = all.left(end).toLower();
        r.body = all.mid(end + 4);
        r.status = all.mid(9, 3).toInt();
        return r;
    }

    Response call(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                  const QByteArray &type = "application/json", const QByteArray &extra = {})
    {
        QByteArray request
            = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(api.port()) + "\r\n" + extra;
        if (!type.isEmpty())
            request += "Content-Type: " + type + "\r\n";
        if (!body.isEmpty() || method != "GET")
            request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return raw(request + "\r\n" + body);
    }

    bool idle()
    {
        return runUntil([this] { return !service.isSending(); });
    }
};

} // namespace

// Each refusal with its code and a JSON error, and the state left alone.
TEST(HttpApi, RefusalsComeAsJsonWithTheirCodes)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    const QByteArray longText = "{\"slots\":[{\"text\":\"" + QByteArray(1024, 'A') + "\"}]}";
    QByteArray seventeen = "{\"slots\":[";
    for (int i = 0; i < 17; ++i)
        seventeen += QByteArray(i ? "," : "") + "{\"text\":\"X\"}";
    seventeen += "]}";
    // Over the body limit: answered before it is read.
    const QByteArray big = "{\"text\":\"" + QByteArray(2 * 1024 * 1024, 'A') + "\"}";
    const struct {
        const char *what;
        QByteArray method, path, body, type;
        int status;
    } cases[] = {
        {"unknown call", "GET", "/api/nothing", {}, {}, 404},
        {"unknown path", "GET", "/etc/passwd", {}, {}, 404},
        {"wrong method", "DELETE", "/api/setup", {}, {}, 405},
        {"post to status", "POST", "/api/status", "{}", "application/json", 405},
        {"get send", "GET", "/api/send", {}, {}, 405},
        {"plain text", "POST", "/api/send", "{\"text\":\"HI\"}", "text/plain", 415},
        {"form post", "POST", "/api/send", "text=HI", "application/x-www-form-urlencoded", 415},
        {"no type", "PUT", "/api/setup", "{}", {}, 415},
        {"not json", "PUT", "/api/setup", "{slots", "application/json", 400},
        {"json array", "PUT", "/api/setup", "[]", "application/json", 400},
        {"17 slots", "PUT", "/api/setup", seventeen, "application/json", 400},
        {"1,024 bytes", "PUT", "/api/setup", longText, "application/json", 400},
        {"unknown key", "PUT", "/api/setup", "{\"colour\":1}", "application/json", 400},
        {"speed 9", "PUT", "/api/setup", "{\"slots\":[{\"speed\":9}]}", "application/json", 400},
        {"animation in slot 2", "PUT", "/api/setup", "{\"slots\":[{},{\"mode\":\"animation\"}]}", "application/json",
         400},
        {"rows not hex", "PUT", "/api/setup",
         "{\"slots\":[{\"picture\":{\"columns\":4,\"rows\":[\"G\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\","
         "\"0\",\"0\",\"0\"]}}]}",
         "application/json", 400},
        {"notify 0 s", "POST", "/api/notify", "{\"text\":\"HI\",\"seconds\":0}", "application/json", 400},
        {"notify a day and a second", "POST", "/api/notify", "{\"text\":\"HI\",\"seconds\":86401}", "application/json",
         400},
        {"notify without text", "POST", "/api/notify", "{\"seconds\":5}", "application/json", 400},
        {"send empty slots", "POST", "/api/send", "{\"slots\":[{\"text\":\"\"}]}", "application/json", 400},
        {"scale 9", "GET", "/api/preview.png?scale=9", {}, {}, 400},
        {"slot 17", "GET", "/api/preview.png?slot=17", {}, {}, 400},
        {"2 MiB to send", "POST", "/api/send", big, "application/json", 413},
        {"2 MiB setup", "PUT", "/api/setup", big, "application/json", 413},
    };
    const QJsonObject before = setupToJson(s.service.setup());
    for (const auto &c : cases) {
        const Response r = s.call(c.method, c.path, c.body, c.type);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.body.toStdString();
        EXPECT_FALSE(r.json().value(QStringLiteral("error")).toString().isEmpty()) << c.what;
        EXPECT_TRUE(r.head.contains("content-type: application/json")) << c.what;
    }
    EXPECT_TRUE(s.call("DELETE", "/api/setup").head.contains("allow: get, put"));
    EXPECT_EQ(s.call("GET", "/api/status").status, 200) << "a refusal harmed the server";
    EXPECT_EQ(setupToJson(s.service.setup()), before) << "a refused call changed the setup";
    EXPECT_EQ(s.service.status().value(QStringLiteral("uploads")).toInt(), 0) << "a refused call sent";
}

// Only names that cannot be rebound to another machine pass.
TEST(HttpApi, HostHeadersOfOtherSitesAreRefused)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    const struct {
        QByteArray host;
        int status;
    } cases[] = {
        {"Host: 127.0.0.1\r\n", 200},
        {"Host: localhost:8800\r\n", 200},
        {"Host: [::1]:8800\r\n", 200},
        {"Host: evil.example\r\n", 403},
        {"Host: evil.example:80\r\n", 403},
        {"Host: 127.0.0.1.evil.example\r\n", 403},
        {"", 400},
    };
    for (const auto &c : cases) {
        const Response r = s.raw("GET /api/status HTTP/1.1\r\n" + c.host + "\r\n");
        EXPECT_EQ(r.status, c.status) << c.host.toStdString();
    }
}

TEST(HttpApi, WithATokenEveryCallNeedsIt)
{
    ensureApplication();
    Server s("s3cret-token");
    ASSERT_TRUE(s.started);
    const struct {
        QByteArray path, auth;
        int status;
    } cases[] = {
        {"/api/status", "", 401},
        {"/api/status", "Authorization: Bearer wrong\r\n", 401},
        {"/api/status", "Authorization: Bearer s3cret-toke\r\n", 401},
        {"/api/status", "Authorization: Bearer s3cret-token-\r\n", 401},
        {"/api/status", "Authorization: Basic s3cret-token\r\n", 401},
        {"/api/status", "Authorization: Bearer s3cret-token\r\n", 200},
        {"/api/setup", "authorization: bearer s3cret-token\r\n", 200},
        {"/api/setup", "", 401},
        // The page holds nothing; it asks for the token itself.
        {"/", "", 200},
    };
    for (const auto &c : cases) {
        const Response r = s.call("GET", c.path, {}, {}, c.auth);
        EXPECT_EQ(r.status, c.status) << c.path.toStdString() << " " << c.auth.toStdString();
        EXPECT_FALSE(r.body.contains("s3cret")) << "the answer shows the token";
    }
}

// What goes in comes out again, and the preview follows it.
TEST(HttpApi, ThePutSetupIsTheOneGetAndThePreviewShow)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    const QImage before = QImage::fromData(s.call("GET", "/api/preview.png?slot=1&scale=1").body, "PNG");
    ASSERT_FALSE(before.isNull());
    const QByteArray body = "{\"slots\":[{\"text\":\"WIDER TEXT HERE\",\"mode\":\"freeze\",\"speed\":7,"
                            "\"flash\":true},{\"text\":\"\",\"selected\":false,\"picture\":{\"columns\":5,\"rows\":"
                            "[\"F8\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"0\",\"08\"]}}],"
                            "\"brightness\":2,\"language\":\"ja\"}";
    const Response put = s.call("PUT", "/api/setup", body);
    ASSERT_EQ(put.status, 200) << put.body.toStdString();
    const QJsonObject got = s.call("GET", "/api/setup").json();
    EXPECT_EQ(got, put.json());
    const QJsonArray slots = got.value(QStringLiteral("slots")).toArray();
    ASSERT_EQ(slots.size(), 16);
    // Each field's conversion is the setup JSON test's; here, that the
    // service keeps what it was given.
    EXPECT_EQ(slots[0].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("WIDER TEXT HERE"));
    EXPECT_EQ(slots[1].toObject().value(QStringLiteral("picture")).toObject().value(QStringLiteral("columns")), 5);
    EXPECT_FALSE(slots[2].toObject().value(QStringLiteral("selected")).toBool());
    EXPECT_EQ(got.value(QStringLiteral("language")).toString(), QStringLiteral("ja"));

    const QImage after = QImage::fromData(s.call("GET", "/api/preview.png?slot=1&scale=1").body, "PNG");
    EXPECT_GT(after.width(), before.width()) << "the preview did not follow the setup";
    const Response gif = s.call("GET", "/api/face.gif");
    EXPECT_EQ(gif.status, 200);
    EXPECT_TRUE(gif.body.startsWith("GIF89a"));
    EXPECT_EQ(s.service.status().value(QStringLiteral("uploads")).toInt(), 0) << "a PUT sent";
}

// A text alone reaches the badge as slot 1 with the others unselected, and
// the status then tells how the port did.
TEST(HttpApi, PostSendLandsTheTextAtThePort)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    const Response r = s.call("POST", "/api/send", "{\"text\":\"ON AIR\",\"speed\":5}");
    ASSERT_EQ(r.status, 202) << r.body.toStdString();
    EXPECT_GT(r.json().value(QStringLiteral("upload")).toInt(), 0);
    BadgeSetup expected = s.service.textBase();
    expected.slots[0].text = QStringLiteral("ON AIR");
    expected.slots[0].speed = QStringLiteral("5");
    const QByteArray stream = streamFor(expected);
    ASSERT_TRUE(s.idle());
    ASSERT_TRUE(runUntil([&] { return s.badge.got.size() >= stream.size(); }));
    EXPECT_EQ(s.badge.got, stream);

    const QJsonObject status = s.call("GET", "/api/status").json();
    EXPECT_EQ(status.value(QStringLiteral("state")).toString(), QStringLiteral("idle"));
    EXPECT_EQ(status.value(QStringLiteral("bytes")).toInt(), stream.size());
    const QJsonObject port = status.value(QStringLiteral("ports")).toArray()[0].toObject();
    EXPECT_EQ(port.value(QStringLiteral("result")).toString(), QStringLiteral("sent"));
    EXPECT_EQ(port.value(QStringLiteral("bytesSent")).toInt(), stream.size());
    // The text is now what the badge shows.
    EXPECT_EQ(s.call("GET", "/api/setup").json()[QStringLiteral("slots")][0][QStringLiteral("text")].toString(),
              QStringLiteral("ON AIR"));
}

// Requests that come while an upload runs: only the newest is sent after it.
TEST(HttpApi, ABurstOfSendsEndsInOneUploadOfTheNewest)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    ASSERT_EQ(s.call("POST", "/api/send", "{\"text\":\"FIRST\"}").status, 202);
    ASSERT_TRUE(s.service.isSending());
    // The uploader's clock stands still, so the first upload cannot end
    // while the burst comes in.
    qint64 frozen = s.now;
    s.service.sender().setClock([&] { return frozen; });
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(s.call("POST", "/api/send", "{\"text\":\"N" + QByteArray::number(i) + "\"}").status, 202);
    EXPECT_EQ(s.service.status().value(QStringLiteral("uploads")).toInt(), 1);
    s.service.sender().setClock([&] { return s.now += 1000; });
    ASSERT_TRUE(runUntil([&] { return s.service.status().value(QStringLiteral("uploads")).toInt() == 2; }));
    ASSERT_TRUE(s.idle());
    BadgeSetup first = s.service.textBase(), last = s.service.textBase();
    first.slots[0].text = QStringLiteral("FIRST");
    last.slots[0].text = QStringLiteral("N49");
    const QByteArray expected = streamFor(first) + streamFor(last);
    ASSERT_TRUE(runUntil([&] { return s.badge.got.size() >= expected.size(); }));
    EXPECT_EQ(s.badge.got, expected);
}

// A connection that says nothing gives its place up; an event stream stays.
TEST(HttpApi, SilentConnectionsAreClosedButEventStreamsStay)
{
    ensureApplication();
    PtyReader badge;
    BadgeService service({badge.pty.slavePath()}, setupWithTexts({QStringLiteral("HELLO")}), kProgramDir);
    HttpOptions o;
    o.port = 0;
    o.idleSeconds = 1;
    HttpApi api(service, o);
    QString error;
    ASSERT_TRUE(api.start(&error)) << error.toStdString();
    QTcpSocket silent, stream;
    for (QTcpSocket *s : {&silent, &stream})
        s->connectToHost(QHostAddress::LocalHost, api.port());
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
    later.connectToHost(QHostAddress::LocalHost, api.port());
    ASSERT_TRUE(runUntil([&] { return later.state() == QAbstractSocket::ConnectedState; }));
    EXPECT_TRUE(runUntil([&] { return later.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(stream.state(), QAbstractSocket::ConnectedState) << "the event stream was closed as idle";
}

// Connections that ended leave no trace: the bound is on those open at once.
TEST(HttpApi, ConnectionsThatEndedDoNotCountAgainstTheBound)
{
    ensureApplication();
    Server s;
    ASSERT_TRUE(s.started);
    for (int i = 0; i < kHttpConnectionsMax + 20; ++i)
        ASSERT_EQ(s.call("GET", "/api/status").status, 200) << "connection " << i;
}
