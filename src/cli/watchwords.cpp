#include "cli/watchwords.h"

#include "badge/limits.h"

namespace glintag {

QString commandFailureText(const CommandResult &result)
{
    switch (result.end) {
    case CommandEnd::Printed:
        return QString();
    case CommandEnd::ExitStatus:
        return QStringLiteral("exited with status %1").arg(result.status);
    case CommandEnd::Killed:
        return QStringLiteral("was killed");
    case CommandEnd::TimedOut:
        return QStringLiteral("took longer than %1 s").arg(result.status);
    case CommandEnd::CannotStart:
        return QStringLiteral("cannot be started: %1").arg(result.systemReason);
    case CommandEnd::TooMuchOutput:
        return QStringLiteral("printed more than %1 bytes and was stopped").arg(result.status);
    }
    return QString();
}

QString droppedLinesText(qint64 count)
{
    return count == 1 ? QStringLiteral("1 line after slot %1 was dropped").arg(kSlotCount)
                      : QStringLiteral("%1 lines after slot %2 were dropped").arg(count).arg(kSlotCount);
}

QString textsCutText(qint64 count)
{
    return QStringLiteral("%1 cut to the first %2 bytes")
        .arg(count == 1 ? QStringLiteral("1 text was") : QStringLiteral("%1 texts were").arg(count))
        .arg(kTextByteLimit);
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

QString watchNoticeText(const WatchNotice &n, const QString &source)
{
    switch (n.kind) {
    case WatchNotice::Kind::CommandFailed:
        return QStringLiteral("--exec: the command %1; keeping the last content").arg(commandFailureText(n.command));
    case WatchNotice::Kind::LinesDropped:
        return QStringLiteral("%1: warning: %2").arg(source, droppedLinesText(n.count));
    case WatchNotice::Kind::TextsCut:
        return QStringLiteral("%1: warning: %2").arg(source, textsCutText(n.count));
    case WatchNotice::Kind::GroupTooLong:
        return QStringLiteral("%1: a group of lines longer than %2 bytes was skipped").arg(source).arg(n.count);
    case WatchNotice::Kind::NoContent:
        return QStringLiteral("%1: the command printed no line; keeping the last content").arg(source);
    case WatchNotice::Kind::SetupRefused:
        return QStringLiteral("%1; keeping the last content").arg(n.why);
    case WatchNotice::Kind::NothingToSend:
        return QStringLiteral("nothing to send: the selected slots are empty; keeping the last content");
    case WatchNotice::Kind::PortLost:
        return QStringLiteral("%1: %2; trying again every %3 s").arg(n.port, whyNotSent(n.outcome)).arg(n.retrySeconds);
    case WatchNotice::Kind::PortBack:
        return QStringLiteral("%1: the port is back").arg(n.port);
    }
    return QString();
}

QString watchReasonText(WatchReason reason)
{
    switch (reason) {
    case WatchReason::First:
        return QStringLiteral("first");
    case WatchReason::Changed:
        return QStringLiteral("changed");
    case WatchReason::PortBack:
        return QStringLiteral("port back");
    }
    return QString();
}

} // namespace glintag
