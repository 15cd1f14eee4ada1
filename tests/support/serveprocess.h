#pragma once
// `glintag serve` as a whole process with a home of its own, and a plain
// HTTP client for it: the tests and benchmarks of the network doors share
// them.

#include "support/programrun.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpSocket>

struct ServeProcess : ProgramRun {
    int port = 0; // the HTTP port it listens on, once started

    // Starts it listening on a free loopback port; false when it never
    // says where it listens.
    bool start(const QStringList &args)
    {
        static const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
        const QStringList serve = {QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")};
        if (!ProgramRun::start(serve + args, {}, true) || !waitForMatch(listening.pattern()))
            return false;
        port = listening.match(QString::fromUtf8(err)).captured(1).toInt();
        return true;
    }

    // Until standard error holds the pattern (or the process ends).
    bool waitForMatch(const QString &pattern)
    {
        const QRegularExpression expression(pattern);
        return waitUntil([&] { return expression.match(QString::fromUtf8(err)).hasMatch(); });
    }

    // Ends it as a service manager would; its exit status, -1 if it hung.
    int stop()
    {
        process.terminate();
        return finish();
    }
};

struct HttpAnswer {
    int status = 0;
    QByteArray body;
};

// One request on a connection of its own, waited for to its last byte.
inline HttpAnswer httpCall(int port, const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                           const QByteArray &extraHeaders = {})
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    HttpAnswer a;
    if (!socket.waitForConnected(10000))
        return a;
    QByteArray request = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extraHeaders;
    if (method != "GET")
        request += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    socket.write(request + "\r\n" + body);
    QByteArray all;
    const QDeadlineTimer limit(20000);
    for (;;) {
        const int end = all.indexOf("\r\n\r\n");
        if (end >= 0) {
            const QByteArray head = all.left(end).toLower();
            const int at = head.indexOf("content-length:");
            const qint64 length
                = at < 0 ? -1 : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
            if (length >= 0 && all.size() >= end + 4 + length) {
                a.status = all.mid(9, 3).toInt();
                a.body = all.mid(end + 4, length);
                return a;
            }
        }
        if (limit.hasExpired()
            || (!socket.waitForReadyRead(int(std::max<qint64>(1, limit.remainingTime())))
                && socket.state() != QAbstractSocket::ConnectedState))
            return a;
        all += socket.readAll();
    }
}
