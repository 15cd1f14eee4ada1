#include "cli/portresults.h"

#include "cli/commandline.h"

#include <algorithm>

namespace glintag {

namespace {

int exitCodeOf(const SendOutcome &o, int interruptedCode)
{
    if (o.end == SendEnd::BadPortName)
        return kExitBadArguments;
    if (o.end != SendEnd::Uploaded)
        return kExitPortFailed;
    if (o.upload.cancelled)
        return interruptedCode;
    return fullySent(o) ? kExitSent : kExitLineFailed;
}

} // namespace

QString portResultText(const PortResult &result)
{
    const SendOutcome &o = result.outcome;
    const UploadOutcome &u = o.upload;
    switch (o.end) {
    case SendEnd::Uploaded:
        break;
    case SendEnd::CannotOpen:
        return QStringLiteral("%1 cannot be opened: %2").arg(result.port, o.openError);
    case SendEnd::BadPortName:
        return QStringLiteral("%1 is not a port name").arg(result.port);
    default:
        return QStringLiteral("%1 did not open").arg(result.port);
    }
    if (u.cancelled)
        return QStringLiteral("%1 stopped after %2 bytes").arg(result.port).arg(u.bytesSent);
    if (u.stalled)
        return QStringLiteral("%1 stopped taking data after %2 bytes").arg(result.port).arg(u.bytesSent);
    if (!fullySent(o))
        return QStringLiteral("%1 port gone after %2 bytes").arg(result.port).arg(u.bytesSent);
    return QStringLiteral("%1 sent %2 bytes in %3 s")
        .arg(result.port)
        .arg(u.bytesSent)
        .arg(double(u.elapsedMs) / 1000.0, 0, 'f', 1);
}

QString portResultsSummary(const QList<PortResult> &results)
{
    QStringList parts;
    for (const PortResult &r : results)
        parts << portResultText(r);
    return parts.join(QLatin1String("; "));
}

int portResultsExitCode(const QList<PortResult> &results, int interruptedCode)
{
    int worst = kExitSent;
    for (const PortResult &r : results)
        worst = std::max(worst, exitCodeOf(r.outcome, interruptedCode));
    return worst;
}

} // namespace glintag
