#include "cli/commands.h"

#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "cli/outputtarget.h"
#include "cli/portchoice.h"
#include "cli/portresults.h"
#include "cli/progress.h"
#include "cli/slotsources.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "protocol/uploadprogress.h"
#include "protocol/uploadstream.h"
#include "sending/multisend.h"
#include "sending/sendjob.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace glintag {

namespace {

// How a send to one port ended, in the words a script's log has always had.
int reportOnePort(const PortResult &r, qint64 streamSize)
{
    const SendOutcome &o = r.outcome;
    if (o.end == SendEnd::BadPortName) {
        printBadPortName(QStringLiteral("send"), r.port);
        return kExitBadArguments;
    }
    if (o.end != SendEnd::Uploaded) {
        printError(QStringLiteral("send: cannot open %1: %2").arg(portDescription(o), o.openError));
        if (o.permissionDenied)
            printError(permissionAdvice(o.device));
        return kExitPortFailed;
    }
    const UploadOutcome &u = o.upload;
    if (u.cancelled || InterruptWatch::interrupted()) {
        printError(
            QStringLiteral("send: stopped after %1 of %2 bytes; the port is closed").arg(u.bytesSent).arg(streamSize));
        return InterruptWatch::exitCode();
    }
    if (u.stalled) {
        printError(
            QStringLiteral("send: the line stopped taking data after %1 of %2 bytes").arg(u.bytesSent).arg(streamSize));
        return kExitLineFailed;
    }
    if (u.lineLost || u.failedWrites > 0) {
        printError(QStringLiteral("send: the line was lost after %1 of %2 bytes").arg(u.bytesSent).arg(streamSize));
        return kExitLineFailed;
    }
    return kExitSent;
}

// The same stream to every port, side by side, one port being the simplest
// case of it: each port's upload ends on its own. One port is told of as it
// always was (a bar, then what went wrong); several get a bar each and a
// summary of how each went.
int uploadToPorts(const QCommandLineParser &parser, const PortEntries &entries, const UploadSnapshot &snapshot,
                  qint64 streamSize, InterruptWatch &interrupts)
{
    QStringList names = parser.values(QStringLiteral("port"));
    if (!checkPortNames(QStringLiteral("send"), names))
        return kExitBadArguments;
    MultiSend send;
    // Listing the system's devices takes longer than the rest of a run, so
    // it is done only when a "COM" name has to be looked up.
    PortMap map;
    if (needsPortMap(names)) {
        map = PortMap::forSystem(entries);
        send.setPortMap(map);
    }
    if (names.isEmpty()) {
        QtSerialPort probe(map);
        const PortScan scan = scanPorts(probe);
        if (scan.chosen.isEmpty()) {
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printError(refused.isEmpty()
                           ? QStringLiteral("send: no serial port opened; name one with --port (see 'glintag ports')")
                           : QStringLiteral("send: no serial port opened: %1").arg(refused));
            if (permission)
                printError(permissionAdvice(deniedDevice(scan)));
            return kExitPortFailed;
        }
        names << scan.chosen;
    }
    names = usedOnce(QStringLiteral("send"), names, map);
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();

    const bool one = names.size() == 1;
    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool terminal = canRedraw(STDERR_FILENO);
    if (send.start(snapshot, names) > 0) {
        if (!quiet && one)
            std::fprintf(stderr, "glintag: sending %lld bytes to %s\n", static_cast<long long>(streamSize),
                         qPrintable(portDescription(send.results()[0].outcome)));
        else if (!quiet)
            std::fprintf(stderr, "glintag: sending %lld bytes to %d ports\n", static_cast<long long>(streamSize),
                         int(names.size()));
        // One port: its bar or its tenths. Several: a log gets the slowest
        // port's tenths, a terminal one bar per port.
        std::unique_ptr<PortBars> bars;
        if (!quiet && terminal && !one)
            bars = std::make_unique<PortBars>(stderr, names, streamSize, kLineBytesPerSecond);
        const auto style = quiet || (terminal && !one)
            ? ProgressReport::Style::None
            : (terminal ? ProgressReport::Style::Bar : ProgressReport::Style::Lines);
        ProgressReport lines(stderr, style, streamSize, kLineBytesPerSecond);
        lines.update(0);
        QList<qint64> sent(names.size(), streamSize);
        QList<qint64> quietSeconds(names.size(), 0);
        for (int i = 0; i < names.size(); ++i)
            if (send.results()[i].outcome.end == SendEnd::Uploaded)
                sent[i] = 0;
        QObject scope;
        QObject::connect(&send, &MultiSend::status, &scope, [&](int i, const UploadProgress &p) {
            sent[i] = p.sent;
            quietSeconds[i] = p.quietSeconds;
            if (bars)
                bars->update(i, p.sent);
            const auto slowest = std::min_element(sent.begin(), sent.end()) - sent.begin();
            lines.update(sent[slowest], quietSeconds[slowest]);
        });
        QObject::connect(&send, &MultiSend::finished, &scope, [] { QCoreApplication::exit(); });
        interrupts.onInterrupt = [&send] { send.cancel(); };
        if (send.isRunning())
            QCoreApplication::exec();
        interrupts.onInterrupt = nullptr;
        // The uploader reports while blocks drain, not the last drop.
        for (int i = 0; i < names.size(); ++i) {
            if (send.results()[i].outcome.end != SendEnd::Uploaded)
                continue;
            sent[i] = send.results()[i].outcome.upload.bytesSent;
            if (bars)
                bars->update(i, sent[i]);
        }
        lines.update(*std::min_element(sent.begin(), sent.end()));
        lines.finish();
        if (bars)
            bars->finish();
    }
    if (one)
        return reportOnePort(send.results()[0], streamSize);
    QString denied;
    bool permission = false;
    for (const PortResult &r : send.results()) {
        if (r.outcome.permissionDenied && !permission)
            denied = r.outcome.device;
        permission = permission || r.outcome.permissionDenied;
    }
    printError(QStringLiteral("send: %1").arg(portResultsSummary(send.results())));
    if (permission)
        printError(permissionAdvice(denied));
    return portResultsExitCode(send.results(), InterruptWatch::exitCode());
}

} // namespace

int runSend(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("send"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    const bool toFile = c.parser.isSet(QStringLiteral("output"));
    // Bytes go to a file or to a badge, never both: a --port beside
    // --output would otherwise be dropped without a word.
    if (toFile && c.parser.isSet(QStringLiteral("port"))) {
        printError(QStringLiteral("send: --output and --port: allowed one of them (a file or a badge)"));
        return kExitBadArguments;
    }
    if (toFile && !checkOutputTarget(c, QStringLiteral("output")))
        return kExitBadArguments;

    // Installed before anything opens, so Ctrl+C at any point leaves the port
    // closed.
    InterruptWatch interrupts;
    SendJob job;
    const auto line = renderFromLine(c, programDir, job, &exitCode);
    if (!line)
        return InterruptWatch::interrupted() ? InterruptWatch::exitCode() : exitCode;
    const QByteArray stream = uploadStream(job.snapshot());
    if (toFile)
        return writeOutput(c.name, QStringLiteral("output"), c.parser.value(QStringLiteral("output")), stream);
    return uploadToPorts(c.parser, line->ports, job.snapshot(), stream.size(), interrupts);
}

} // namespace glintag
