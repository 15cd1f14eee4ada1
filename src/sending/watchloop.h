#pragma once

#include "sending/multisend.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace glintag {

// How often watch looks at its content unless told otherwise, and how long a
// command may take before its run counts as failed.
constexpr int kWatchEverySeconds = 5;
constexpr int kWatchCommandTimeoutSeconds = 10;
// How often a port that went away is tried again.
constexpr int kWatchRetrySeconds = 3;

// The text with each "{time:FORMAT}" and "{date:FORMAT}" replaced by `now`
// in the local time zone, FORMAT as strftime takes it; "{time}" is
// "{time:%H:%M}" and "{date}" is "{date:%Y-%m-%d}". Anything else between
// braces stays as it is.
QString expandTimeFields(const QString &text, const QDateTime &now);
// True when the text holds a field that expandTimeFields() fills in.
bool hasTimeFields(const QString &text);

// A command's run as the watch needs it: its standard output, or why there
// is none to use.
struct CommandResult {
    bool ok = false;
    QByteArray output;
    QString why; // "exited with status 3", "took longer than 10 s", ...
};

// Runs a shell command line from the event loop and reports once it has
// ended, failed or run out of time (then it is killed).
class CommandRunner : public QObject {
    Q_OBJECT
public:
    explicit CommandRunner(QObject *parent = nullptr);
    ~CommandRunner() override;

    void setTimeout(qint64 ms) { m_timeoutMs = ms; }
    // Nothing while a run is under way.
    void start(const QString &command);
    bool isRunning() const { return m_process != nullptr; }
    // Ends a run without reporting it.
    void stop();

Q_SIGNALS:
    void finished(const glintag::CommandResult &result);

private:
    void end(const CommandResult &result);

    qint64 m_timeoutMs = kWatchCommandTimeoutSeconds * 1000;
    QProcess *m_process = nullptr;
    QTimer m_timeout;
};

// One upload the watch made, for its log line.
struct WatchUpload {
    QDateTime at;          // when it started, by the wall clock
    QString reason;        // "first", "changed", "port back"
    qint64 bytes = 0;      // the stream
    qint64 durationMs = 0; // the slowest port's
    QList<PortResult> results;
};

// Keeps badges showing content that changes: it looks at the content (the
// texts with their time fields, a command's output, or groups of lines from
// an input), renders it, and sends only when the byte stream differs from
// what each port last took. An upload is never started while one runs: the
// newest content waits for it, and what came in between is dropped. A port
// that cannot be opened or goes away is tried again every few seconds. It
// knows nothing of options or printing; it reports through its signals.
class WatchLoop : public QObject {
    Q_OBJECT
public:
    using WallClock = std::function<QDateTime()>;
    // The setup for one set of slot texts; nothing, with *why set, when they
    // cannot make one.
    using SetupMaker = std::function<std::optional<BadgeSetup>(const QStringList &texts, QString *why)>;

    WatchLoop(const QStringList &ports, SetupMaker maker, const QString &programDir,
              MultiSend::PortMaker portMaker = {}, QObject *parent = nullptr);
    ~WatchLoop() override;

    MultiSend &sender() { return m_send; }
    CommandRunner &runner() { return m_runner; }
    void setWallClock(WallClock clock) { m_wallClock = std::move(clock); }
    void setInterval(qint64 ms);
    void setRetryInterval(qint64 ms) { m_retry.setInterval(int(ms)); }
    // Asked again before each retry of a lost port, so that a badge plugged
    // back in as another device is found under its port name.
    void setPortMapSource(std::function<PortMap()> source) { m_mapSource = std::move(source); }

    // Where the content comes from: texts that may hold time fields, a
    // command whose output lines are the slots, or input lines fed in, a
    // group of slots ending with an empty line.
    void watchTexts(const QStringList &texts);
    void watchCommand(const QString &command);
    void watchInput();

    // The first look, then one at each interval (input: as it arrives).
    void start();
    // One look at the content now; the timer calls it too.
    void check();
    // Lines as they arrive; endInput() ends a group left open.
    void feedInput(const QByteArray &bytes);
    void endInput();

    // Stops looking and ends a running upload; the ports are closed when it
    // returns. The results of the stopped upload stay in sender().
    void stop();

    bool isSending() const { return m_send.isRunning(); }
    int uploads() const { return m_uploads; }

Q_SIGNALS:
    void uploadStarted(const QString &reason, qint64 bytes, const QStringList &ports);
    void uploadFinished(const glintag::WatchUpload &upload);
    // Something the user should know of; the watch goes on.
    void notice(const QString &message);

private:
    enum class Source {
        Texts,
        Command,
        Input
    };
    void consider(const QStringList &texts);
    void maybeSend(bool retrying);
    void onSent();
    void onCommand(const CommandResult &result);

    QStringList m_ports;
    SetupMaker m_maker;
    QString m_programDir;
    MultiSend m_send;
    CommandRunner m_runner;
    WallClock m_wallClock;
    std::function<PortMap()> m_mapSource;
    QTimer m_every, m_retry;
    Source m_source = Source::Texts;
    QStringList m_templates;
    QString m_command;
    QString m_commandFailure; // how the last run failed, until one succeeds
    QByteArray m_inputBuffer;
    QStringList m_group;

    std::optional<QStringList> m_lastTexts; // the last texts looked at
    std::unique_ptr<UploadSnapshot> m_current;
    QByteArray m_currentStream;          // empty until there is content
    QHash<QString, QByteArray> m_sentTo; // what each port last took whole
    QSet<QString> m_lost;                // ports being tried again
    QByteArray m_sendingStream;          // what the running upload sends
    WatchUpload m_upload;
    bool m_stopping = false;
    int m_uploads = 0;
};

} // namespace glintag
