#pragma once
// `glintag serve` as a whole process with a home of its own, and a plain
// HTTP client for it: the tests and benchmarks of the network doors share
// them.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

// What `glintag send --output` writes for these arguments, run with the home
// given: the bytes every front door must put on the line.
inline QByteArray sendOutput(const QString &home, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    p.setProcessEnvironment(env);
    const QString out = QDir(home).filePath(QStringLiteral("reference.bin"));
    p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"),
            QStringList{QStringLiteral("send"), QStringLiteral("--output"), out} + args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ServeProcess {
    QTemporaryDir home;
    QProcess process;
    QByteArray err; // standard error so far
    int port = 0;   // the HTTP port it listens on, once started

    // Starts it listening on a free loopback port; false when it never
    // says where it listens.
    bool start(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QStringLiteral(GLINTAG_BIN_DIR));
        process.setReadChannel(QProcess::StandardError);
        QStringList all = {QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")};
        process.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), all + args);
        if (!process.waitForStarted(20000))
            return false;
        static const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
        return waitForError(listening, [this](const QRegularExpressionMatch &m) { port = m.captured(1).toInt(); });
    }

    // Until standard error holds the pattern (or the process ends).
    bool waitForError(const QRegularExpression &pattern,
                      const std::function<void(const QRegularExpressionMatch &)> &found = {})
    {
        const QDeadlineTimer limit(20000);
        for (;;) {
            const auto m = pattern.match(QString::fromUtf8(err));
            if (m.hasMatch()) {
                if (found)
                    found(m);
                return true;
            }
            if (limit.hasExpired() || process.state() != QProcess::Running)
                return false;
            process.waitForReadyRead(int(std::max<qint64>(1, limit.remainingTime())));
            err += process.readAllStandardError();
        }
    }

    // Ends it as a service manager would; its exit status, -1 if it hung.
    int stop()
    {
        process.terminate();
        if (!process.waitForFinished(20000))
            return -1;
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    ~ServeProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
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
