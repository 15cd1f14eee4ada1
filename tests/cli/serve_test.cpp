// `glintag serve` as a process: what its HTTP API sends reaches a real
// pseudo-terminal byte for byte as `glintag send --output` writes it, and a
// service manager's stop closes the port.
#include "net/httpapi.h"
#include "settings/setupfile.h"

#include "support/files.h"
#include "support/pseudoterminal.h"
#include "support/serveprocess.h"
#include "support/setups.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace glintag;

// What the API sends is what send writes; the token guards the API, and
// nothing the program prints shows it.
TEST(Serve, WhatTheApiSendsIsWhatSendWrites)
{
    QTemporaryDir files;
    BadgeSetup saved = setupWithTexts({"FROM", "A FILE"});
    saved.slots[1].mode = listPosition(MoveMode::Up);
    saved.brightness = QStringLiteral("2");
    const QString setupFile = files.filePath(QStringLiteral("shop.ini"));
    ASSERT_TRUE(saveSetupFile(setupFile, saved));
    const QString tokenFile = files.filePath(QStringLiteral("token"));
    ASSERT_TRUE(writeFile(tokenFile, "kept-secret-7f3a\n"));
    const QByteArray token = "Authorization: Bearer kept-secret-7f3a\r\n";
    const struct {
        const char *what;
        QStringList serveArgs, sendArgs;
        QByteArray body;
    } cases[] = {
        {"a text with its speed and the mode serve was given, behind a token",
         {"--mode", "freeze", "--token", tokenFile},
         {"--mode", "freeze", "--speed", "6", "ON AIR"},
         "{\"text\":\"ON AIR\",\"speed\":6}"},
        {"the setup file as it is", {"--settings", setupFile}, {"--settings", setupFile}, ""},
    };
    for (const auto &c : cases) {
        Pty badge;
        ASSERT_TRUE(badge.ok());
        ServeProcess serve;
        ASSERT_TRUE(serve.start(c.serveArgs + QStringList{"--port", badge.slavePath()}))
            << c.what << ": " << serve.err.toStdString();
        const QByteArray expected = sendOutput(serve.home(), c.sendArgs);
        ASSERT_FALSE(expected.isEmpty()) << c.what;
        const QByteArray auth = c.serveArgs.contains(QStringLiteral("--token")) ? token : QByteArray();
        if (!auth.isEmpty()) {
            EXPECT_EQ(httpCall(serve.port, "POST", "/api/send", c.body).status, 401);
            // Nothing is saved and no text was given: the first start's
            // placeholders are never sent.
            EXPECT_TRUE(httpCall(serve.port, "POST", "/api/send", {}, token).body.contains("nothing to send"));
        }
        const HttpAnswer a = httpCall(serve.port, "POST", "/api/send", c.body, auth);
        EXPECT_EQ(a.status, 202) << c.what << ": " << a.body.toStdString();
        EXPECT_EQ(badge.read(int(expected.size())), expected) << c.what;
        EXPECT_TRUE(serve.waitForMatch("send #1 \\(\\d+ bytes\\): .* sent"))
            << c.what << ": " << serve.err.toStdString();
        // The status tells how the port did, and the text sent is now the
        // setup shown.
        const auto get = [&](const QByteArray &path) {
            return QJsonDocument::fromJson(httpCall(serve.port, "GET", path, {}, auth).body);
        };
        EXPECT_EQ(get("/api/status")["ports"][0]["result"], "sent") << c.what;
        EXPECT_EQ(get("/api/setup")["slots"][0]["text"], auth.isEmpty() ? "FROM" : "ON AIR") << c.what;
        EXPECT_EQ(serve.stop(), 143) << c.what;
        EXPECT_TRUE(serve.err.contains("stopped; the port is closed")) << serve.err.toStdString();
        EXPECT_FALSE(serve.err.contains("kept-secret")) << serve.err.toStdString();
    }
}

// The connections open at once are bounded; those past the bound are
// closed as they come, the others are served.
TEST(Serve, ConnectionsPastTheBoundAreClosed)
{
    Pty badge;
    ServeProcess serve;
    ASSERT_TRUE(serve.start({"--port", badge.slavePath()})) << serve.err.toStdString();
    constexpr int kBound = kHttpConnectionsMax, kMore = 5;
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < kBound + kMore; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QStringLiteral("127.0.0.1"), quint16(serve.port));
        ASSERT_TRUE(held.back()->waitForConnected(10000)) << i;
    }
    int served = 0, closed = 0;
    for (auto &s : held) {
        s->write("GET /api/status HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        s->waitForBytesWritten(1000);
        QByteArray got;
        while (!got.contains("\r\n\r\n") && s->state() == QAbstractSocket::ConnectedState && s->waitForReadyRead(10000))
            got += s->readAll();
        if (got.startsWith("HTTP/1.1 200"))
            ++served;
        else if (s->state() != QAbstractSocket::ConnectedState)
            ++closed;
    }
    EXPECT_EQ(served, kBound);
    EXPECT_EQ(closed, kMore);
}
