#include "sending/commandrunner.h"

#include "badge/slotlines.h"

#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace glintag {

CommandRunner::CommandRunner(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        end({CommandEnd::TimedOut, (m_timeoutMs + 999) / 1000, {}, {}});
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
    m_output.clear();
    m_process = new QProcess(this);
    // Its errors are the user's to see, as in a shell loop.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_UNIX
    // Its own process group, so that a command that runs out of time goes
    // with everything it started (a pipeline, a shell's children).
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    connect(m_process, &QProcess::readyReadStandardOutput, this, &CommandRunner::take);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        take();
        if (!m_process)
            return; // stopped for printing too much
        if (status != QProcess::NormalExit)
            end({CommandEnd::Killed, 0, {}, {}});
        else if (code != 0)
            end({CommandEnd::ExitStatus, code, {}, {}});
        else
            end({CommandEnd::Printed, 0, std::exchange(m_output, {}), {}});
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end({CommandEnd::CannotStart, 0, {}, m_process->errorString()});
    });
    m_timeout.start(int(m_timeoutMs));
    m_process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    // Nothing is ever written to it: a command that reads gets the end at once.
    m_process->closeWriteChannel();
}

// What the command printed so far, up to the bound; past it the run ends.
void CommandRunner::take()
{
    if (!m_process)
        return;
    const QByteArray more = m_process->readAllStandardOutput();
    if (m_output.size() + more.size() > kSlotSourceByteLimit) {
        m_output.clear();
        end({CommandEnd::TooMuchOutput, kSlotSourceByteLimit, {}, {}});
        return;
    }
    m_output += more;
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

} // namespace glintag
