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

int uploadToPorts(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                  InterruptWatch &interrupts);

int uploadToPort(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                 InterruptWatch &interrupts)
{
    if (parser.values(QStringLiteral("port")).size() > 1)
        return uploadToPorts(parser, ports, job, streamSize, interrupts);
    const bool named = parser.isSet(QStringLiteral("port"));
    QString port = parser.value(QStringLiteral("port"));
    // Listing the system's devices takes longer than the rest of a run, so
    // it is done only when a "COM" name has to be looked up.
    if (!named || portNumberOf(port) > 0)
        job.setPortMap(PortMap::forSystem(ports));
    if (!named) {
        const PortScan scan = scanPorts(job.port());
        port = scan.chosen;
        if (port.isEmpty()) {
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printError(refused.isEmpty()
                           ? QStringLiteral("send: no serial port opened; name one with --port (see 'glintag ports')")
                           : QStringLiteral("send: no serial port opened: %1").arg(refused));
            if (permission)
                printError(permissionAdvice(deniedDevice(scan)));
            return kExitPortFailed;
        }
    }
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();
    if (!job.start(port, SendJob::PortNaming::NamesOrPaths)) {
        const SendOutcome &o = job.outcome();
        if (o.end == SendEnd::BadPortName) {
            printError(QStringLiteral("send: --port %1: allowed COM1 to COM32 or a device path such as "
                                      "/dev/ttyUSB0")
                           .arg(port));
            return kExitBadArguments;
        }
        printError(QStringLiteral("send: cannot open %1: %2").arg(portDescription(o), o.openError));
        if (o.permissionDenied)
            printError(permissionAdvice(o.device));
        return kExitPortFailed;
    }

    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool terminal = canRedraw(STDERR_FILENO);
    const auto style
        = quiet ? ProgressReport::Style::None : (terminal ? ProgressReport::Style::Bar : ProgressReport::Style::Lines);
    if (!quiet)
        std::fprintf(stderr, "glintag: sending %lld bytes to %s\n", static_cast<long long>(streamSize),
                     qPrintable(portDescription(job.outcome())));
    ProgressReport progress(stderr, style, streamSize, kLineBytesPerSecond);
    progress.update(0);

    // The job's uploader has the window's stall limit: a line that stops
    // taking data ends the upload instead of holding it for ever. The
    // process's one event loop runs until the job has closed the port.
    QObject scope;
    QObject::connect(&job, &SendJob::status, &scope,
                     [&progress](const UploadProgress &p) { progress.update(p.sent, p.quietSeconds); });
    QObject::connect(&job, &SendJob::finished, &scope, [] { QCoreApplication::exit(); });
    interrupts.onInterrupt = [&job] { job.cancel(); };
    if (job.isRunning())
        QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    const UploadOutcome &outcome = job.outcome().upload;
    const qint64 sent = outcome.bytesSent;
    progress.update(sent); // the uploader reports while blocks drain, not the last drop
    progress.finish();

    if (outcome.cancelled || interrupts.interrupted()) {
        printError(QStringLiteral("send: stopped after %1 of %2 bytes; the port is closed").arg(sent).arg(streamSize));
        return InterruptWatch::exitCode();
    }
    if (outcome.stalled) {
        printError(QStringLiteral("send: the line stopped taking data after %1 of %2 bytes").arg(sent).arg(streamSize));
        return kExitLineFailed;
    }
    if (outcome.lineLost || outcome.failedWrites > 0) {
        printError(QStringLiteral("send: the line was lost after %1 of %2 bytes").arg(sent).arg(streamSize));
        return kExitLineFailed;
    }
    return kExitSent;
}

// The same stream to every port named, side by side: each port's upload
// ends on its own, and the summary says how each went.
int uploadToPorts(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                  InterruptWatch &interrupts)
{
    const QStringList names = parser.values(QStringLiteral("port"));
    if (!checkPortNames(QStringLiteral("send"), names))
        return kExitBadArguments;
    MultiSend send;
    if (needsPortMap(names))
        send.setPortMap(PortMap::forSystem(ports));
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();
    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool terminal = canRedraw(STDERR_FILENO);
    if (send.start(job.snapshot(), names) > 0) {
        if (!quiet)
            std::fprintf(stderr, "glintag: sending %lld bytes to %d ports\n", static_cast<long long>(streamSize),
                         int(names.size()));
        // A log gets the slowest port's tenths, a terminal one bar per port.
        std::unique_ptr<PortBars> bars;
        if (!quiet && terminal)
            bars = std::make_unique<PortBars>(stderr, names, streamSize, kLineBytesPerSecond);
        ProgressReport lines(stderr, quiet || terminal ? ProgressReport::Style::None : ProgressReport::Style::Lines,
                             streamSize, kLineBytesPerSecond);
        lines.update(0);
        QList<qint64> sent(names.size(), streamSize);
        for (int i = 0; i < names.size(); ++i)
            if (send.results()[i].outcome.end == SendEnd::Uploaded)
                sent[i] = 0;
        QObject scope;
        QObject::connect(&send, &MultiSend::status, &scope, [&](int i, const UploadProgress &p) {
            sent[i] = p.sent;
            if (bars)
                bars->update(i, p.sent);
            lines.update(*std::min_element(sent.begin(), sent.end()));
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
    QString denied;
    for (const PortResult &r : send.results())
        if (r.outcome.permissionDenied && denied.isEmpty())
            denied = r.outcome.device.isEmpty() ? QStringLiteral("?") : r.outcome.device;
    printError(QStringLiteral("send: %1").arg(portResultsSummary(send.results())));
    if (!denied.isEmpty())
        printError(permissionAdvice(denied == QLatin1String("?") ? QString() : denied));
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
    return uploadToPort(c.parser, line->ports, job, stream.size(), interrupts);
}

} // namespace glintag
