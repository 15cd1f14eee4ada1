#include "sending/watchloop.h"

#include "render/messagebuilder.h"

#include <QRegularExpression>

#include <algorithm>

#include <ctime>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace glintag {

namespace {

const QRegularExpression &fieldPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\{(time|date)(?::([^{}]*))?\\}"));
    return pattern;
}

QString formatTime(const QString &format, const std::tm &tm)
{
    if (format.isEmpty())
        return QString();
    const QByteArray f = format.toUtf8();
    // strftime gives 0 both for an empty result and for a short buffer.
    for (size_t size = 256; size <= 65536; size *= 4) {
        QByteArray out(qsizetype(size), Qt::Uninitialized);
        const size_t n = std::strftime(out.data(), size, f.constData(), &tm);
        if (n > 0 || size >= 65536)
            return QString::fromUtf8(out.constData(), qsizetype(n));
    }
    return QString();
}

// Output lines, one slot each; the newline that ends the last one makes no
// slot of its own.
QStringList outputLines(const QByteArray &output)
{
    QStringList lines;
    for (QByteArray line : output.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromUtf8(line);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString whyNotSent(const SendOutcome &o)
{
    if (o.end == SendEnd::CannotOpen)
        return QStringLiteral("cannot open: %1").arg(o.openError);
    if (o.end != SendEnd::Uploaded)
        return QStringLiteral("cannot open");
    if (o.upload.stalled)
        return QStringLiteral("the line stopped taking data");
    return QStringLiteral("the line was lost");
}

} // namespace

QString expandTimeFields(const QString &text, const QDateTime &now)
{
    if (!text.contains(QLatin1Char('{')))
        return text;
    const std::time_t t = std::time_t(now.toSecsSinceEpoch());
    std::tm tm = {};
    localtime_r(&t, &tm);
    QString out;
    qsizetype done = 0;
    auto it = fieldPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(done, m.capturedStart() - done);
        QString format = m.captured(2);
        if (!m.hasCaptured(2))
            format = m.captured(1) == QLatin1String("time") ? QStringLiteral("%H:%M") : QStringLiteral("%Y-%m-%d");
        out += formatTime(format, tm);
        done = m.capturedEnd();
    }
    return out + text.mid(done);
}

bool hasTimeFields(const QString &text)
{
    return fieldPattern().match(text).hasMatch();
}

CommandRunner::CommandRunner(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        end({false, {}, QStringLiteral("took longer than %1 s").arg(double(m_timeoutMs) / 1000.0)});
    });
}

CommandRunner::~CommandRunner()
{
    stop();
}

void CommandRunner::start(const QString &command)
{
    if (m_process)
        return;
    m_process = new QProcess(this);
    // Its errors are the user's to see, as in a shell loop.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_UNIX
    // Its own process group, so that a command that runs out of time goes
    // with everything it started (a pipeline, a shell's children).
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit)
            end({false, {}, QStringLiteral("was killed")});
        else if (code != 0)
            end({false, {}, QStringLiteral("exited with status %1").arg(code)});
        else
            end({true, m_process->readAllStandardOutput(), {}});
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end({false, {}, QStringLiteral("cannot be started: %1").arg(m_process->errorString())});
    });
    m_timeout.start(int(m_timeoutMs));
    m_process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    // Nothing is ever written to it: a command that reads gets the end at once.
    m_process->closeWriteChannel();
}

void CommandRunner::stop()
{
    m_timeout.stop();
    if (!m_process)
        return;
    QProcess *p = std::exchange(m_process, nullptr);
    p->disconnect(this);
    if (p->state() != QProcess::NotRunning) {
#ifdef Q_OS_UNIX
        if (p->processId() > 0)
            ::kill(-pid_t(p->processId()), SIGKILL);
#endif
        p->kill();
        // Reaped by QProcess once it has gone; only the object waits.
        connect(p, &QProcess::finished, p, &QObject::deleteLater);
        p->setParent(nullptr);
    } else {
        p->deleteLater();
    }
}

void CommandRunner::end(const CommandResult &result)
{
    stop();
    Q_EMIT finished(result);
}

WatchLoop::WatchLoop(const QStringList &ports, SetupMaker maker, const QString &programDir,
                     MultiSend::PortMaker portMaker, QObject *parent) :
    QObject(parent),
    m_ports(ports), m_maker(std::move(maker)), m_programDir(programDir), m_send(std::move(portMaker)),
    m_wallClock([] { return QDateTime::currentDateTime(); }), m_current(std::make_unique<UploadSnapshot>())
{
    m_every.setInterval(kWatchEverySeconds * 1000);
    m_retry.setInterval(kWatchRetrySeconds * 1000);
    m_retry.setSingleShot(true);
    connect(&m_every, &QTimer::timeout, this, &WatchLoop::check);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_mapSource && !m_send.isRunning())
            m_send.setPortMap(m_mapSource());
        maybeSend(true);
    });
    connect(&m_send, &MultiSend::finished, this, &WatchLoop::onSent);
    connect(&m_runner, &CommandRunner::finished, this, &WatchLoop::onCommand);
}

WatchLoop::~WatchLoop()
{
    m_send.disconnect(this);
}

void WatchLoop::setInterval(qint64 ms)
{
    m_every.setInterval(int(ms));
}

void WatchLoop::watchTexts(const QStringList &texts)
{
    m_source = Source::Texts;
    m_templates = texts;
}

void WatchLoop::watchCommand(const QString &command)
{
    m_source = Source::Command;
    m_command = command;
}

void WatchLoop::watchInput()
{
    m_source = Source::Input;
}

void WatchLoop::start()
{
    m_stopping = false;
    if (m_source == Source::Input)
        return;
    check();
    m_every.start();
}

void WatchLoop::check()
{
    if (m_stopping)
        return;
    switch (m_source) {
    case Source::Texts: {
        const QDateTime now = m_wallClock();
        QStringList texts;
        texts.reserve(m_templates.size());
        for (const QString &t : std::as_const(m_templates))
            texts << expandTimeFields(t, now);
        consider(texts);
        return;
    }
    case Source::Command:
        // A run still going is left to its timeout.
        m_runner.start(m_command);
        return;
    case Source::Input:
        return;
    }
}

void WatchLoop::onCommand(const CommandResult &result)
{
    if (!result.ok) {
        // A command that keeps failing the same way is told of once.
        if (result.why != m_commandFailure)
            Q_EMIT notice(QStringLiteral("--exec: the command %1; keeping the last content").arg(result.why));
        m_commandFailure = result.why;
        return;
    }
    m_commandFailure.clear();
    consider(outputLines(result.output));
}

void WatchLoop::feedInput(const QByteArray &bytes)
{
    m_inputBuffer += bytes;
    for (qsizetype end = m_inputBuffer.indexOf('\n'); end >= 0; end = m_inputBuffer.indexOf('\n')) {
        QByteArray line = m_inputBuffer.left(end);
        m_inputBuffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty()) {
            m_group << QString::fromUtf8(line);
        } else if (!m_group.isEmpty()) {
            const QStringList group = std::exchange(m_group, {});
            consider(group);
        }
    }
}

void WatchLoop::endInput()
{
    if (!m_inputBuffer.isEmpty())
        feedInput(QByteArray("\n"));
    feedInput(QByteArray("\n"));
}

void WatchLoop::consider(const QStringList &texts)
{
    if (m_stopping || (m_lastTexts && *m_lastTexts == texts))
        return;
    m_lastTexts = texts;
    QString why;
    const auto setup = m_maker(texts, &why);
    if (!setup) {
        Q_EMIT notice(QStringLiteral("%1; keeping the last content").arg(why));
        return;
    }
    auto next = std::make_unique<UploadSnapshot>();
    next->setup = *setup;
    next->rendering = renderSetup(*setup, m_programDir);
    if (rendersNothing(*next)) {
        Q_EMIT notice(QStringLiteral("nothing to send: the selected slots are empty; keeping the last content"));
        return;
    }
    // What waited for a running upload and never went out is simply
    // replaced: only the newest content is worth sending.
    m_current = std::move(next);
    m_currentStream = uploadStream(*m_current);
    maybeSend(false);
}

void WatchLoop::maybeSend(bool retrying)
{
    if (m_stopping || m_send.isRunning() || m_currentStream.isEmpty())
        return;
    QStringList due;
    for (const QString &port : std::as_const(m_ports))
        if (m_sentTo.value(port) != m_currentStream && (retrying || !m_lost.contains(port)))
            due << port;
    if (due.isEmpty())
        return;
    m_upload = WatchUpload();
    m_upload.at = m_wallClock();
    m_upload.bytes = m_currentStream.size();
    m_sendingStream = m_currentStream;
    const int started = m_send.start(*m_current, due);
    if (started == 0) {
        onSent();
        return;
    }
    QStringList opened;
    bool back = false;
    for (const PortResult &r : m_send.results())
        if (r.outcome.end == SendEnd::Uploaded)
            opened << r.port, back = back || m_lost.contains(r.port);
    m_upload.reason
        = back ? QStringLiteral("port back") : (m_uploads == 0 ? QStringLiteral("first") : QStringLiteral("changed"));
    ++m_uploads;
    Q_EMIT uploadStarted(m_upload.reason, m_upload.bytes, opened);
}

void WatchLoop::onSent()
{
    bool anyUploaded = false;
    QStringList lostNow;
    for (const PortResult &r : m_send.results()) {
        const SendOutcome &o = r.outcome;
        if (o.end == SendEnd::Uploaded) {
            anyUploaded = true;
            m_upload.durationMs = std::max(m_upload.durationMs, o.upload.elapsedMs);
        }
        if (o.end == SendEnd::Uploaded && o.upload.cancelled)
            continue;
        if (fullySent(o)) {
            m_sentTo.insert(r.port, m_sendingStream);
            if (m_lost.remove(r.port))
                Q_EMIT notice(QStringLiteral("%1: the port is back").arg(r.port));
            continue;
        }
        m_sentTo.remove(r.port);
        if (!m_lost.contains(r.port)) {
            m_lost.insert(r.port);
            lostNow << QStringLiteral("%1: %2; trying again every %3 s")
                           .arg(r.port, whyNotSent(o))
                           .arg(double(m_retry.interval()) / 1000.0);
        }
    }
    m_upload.results = m_send.results();
    // A stopped upload is told by whoever stopped it. A port lost on the
    // way is told of after the upload's own line.
    if (anyUploaded && !m_stopping)
        Q_EMIT uploadFinished(m_upload);
    for (const QString &message : std::as_const(lostNow))
        Q_EMIT notice(message);
    if (m_stopping)
        return;
    if (!m_lost.isEmpty() && !m_retry.isActive())
        m_retry.start();
    maybeSend(false);
}

void WatchLoop::stop()
{
    m_stopping = true;
    m_every.stop();
    m_retry.stop();
    m_runner.stop();
    m_send.cancel();
}

} // namespace glintag
