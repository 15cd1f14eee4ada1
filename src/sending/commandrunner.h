#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

namespace glintag {

// How long a command may take before its run counts as failed.
constexpr int kWatchCommandTimeoutSeconds = 10;

// How a command's run ended.
enum class CommandEnd {
    Printed,       // exit status 0: output holds what it printed
    ExitStatus,    // status holds the exit status
    Killed,        // by a signal from elsewhere
    TimedOut,      // status holds the seconds it was given
    CannotStart,   // systemReason holds why
    TooMuchOutput, // more than kSlotSourceByteLimit bytes; it was stopped
};

// A command's run as the watch needs it: its standard output, or why there
// is none to use. Values only: whoever shows it chooses the words.
struct CommandResult {
    CommandEnd end = CommandEnd::CannotStart;
    qint64 status = 0;
    QByteArray output;
    QString systemReason;

    bool ok() const { return end == CommandEnd::Printed; }
    // The same way of failing, told once.
    bool sameFailure(const CommandResult &other) const
    {
        return end == other.end && status == other.status && systemReason == other.systemReason;
    }
};

// Runs a shell command line from the event loop and reports once it has
// ended, failed or run out of time (then it is killed). Its output is taken
// as it comes and never held beyond the slot sources' read bound: a command
// that prints more is stopped, so `yes` costs no more than a short list.
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
    void take();

    qint64 m_timeoutMs = kWatchCommandTimeoutSeconds * 1000;
    QProcess *m_process = nullptr;
    QByteArray m_output;
    QTimer m_timeout;
};

} // namespace glintag
