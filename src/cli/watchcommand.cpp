#include "cli/commands.h"

#include "cli/argumentbytes.h"
#include "cli/badgearguments.h"
#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "cli/portchoice.h"
#include "cli/portresults.h"
#include "cli/slotsources.h"
#include "cli/watchwords.h"
#include "i18n/languages.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "preview/losswarnings.h"
#include "sending/sendjob.h"
#include "sending/timefields.h"
#include "sending/watchloop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace glintag {

int runWatch(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("watch"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    int every = kWatchEverySeconds, timeout = kWatchCommandTimeoutSeconds;
    if (!readSeconds(c, QStringLiteral("every"), 86400, &every)
        || !readSeconds(c, QStringLiteral("exec-timeout"), 3600, &timeout))
        return kExitBadArguments;
    QStringList ports = c.parser.values(QStringLiteral("port"));
    if (!checkPortNames(c.name, ports))
        return kExitBadArguments;

    InterruptWatch interrupts;
    QString error;
    auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printError(QStringLiteral("watch: %1").arg(error));
        return kExitBadArguments;
    }
    if (!checkStandardInputUse(c.name, *args, c.parser))
        return kExitBadArguments;
    // A picture from standard input is read once and shown at every look.
    std::vector<NamedInput> inputPictures;
    if (!readPicturesFromInput(c.name, *args, inputPictures, &exitCode))
        return exitCode;
    const bool fromCommand = c.parser.isSet(QStringLiteral("exec"));
    const bool fromInput = readsStandardInput(*args);
    if (fromCommand && !args->messages.isEmpty()) {
        printError(QStringLiteral("watch: --exec: allowed no TEXT or picture (the command's lines are the texts)"));
        return kExitBadArguments;
    }
    // Slots come from the settings only when nothing on the line gives them.
    const bool slotsFromSettings = !fromCommand && args->messages.isEmpty();
    const auto stored = readStoredSettings(c.parser, programDir,
                                           slotsFromSettings ? SettingsUse::SlotsSent : SettingsUse::WithTexts, c.name);
    if (!stored)
        return InterruptWatch::interrupted() ? InterruptWatch::exitCode() : kExitBadArguments;

    QStringList templates;
    for (const auto &m : args->messages)
        if (!m.picture)
            templates << m.value;
    const WatchLoop::SetupMaker maker = [&](const QStringList &texts, QString *why) -> std::optional<BadgeSetup> {
        BadgeArguments a = *args;
        if (fromCommand) {
            for (const QString &t : texts)
                a.messages.append({false, t, QString()});
        } else if (fromInput) {
            // The loop has held the group to the free slots already.
            SlotLines lines(int(a.messages.size()) - 1);
            for (const QString &t : texts)
                lines.add(t);
            if (!putLinesInPlaceOfDash(a, lines, why))
                return std::nullopt;
        } else {
            // A time field may fill in more than the text had.
            int k = 0;
            for (auto &m : a.messages)
                if (!m.picture)
                    m.value = cutToTextLimit(texts.value(k++));
        }
        return badgeSetupFor(a, stored->setup, why);
    };
    // A mistake in the texts or pictures shows at once, not at the first look.
    if (!fromCommand && !fromInput) {
        QStringList now;
        for (const QString &t : std::as_const(templates))
            now << expandTimeFields(t, QDateTime::currentDateTime());
        printTextsCut(c.name, *args);
        const auto setup = maker(now, &error);
        if (!setup) {
            printError(QStringLiteral("watch: %1").arg(error));
            return kExitBadArguments;
        }
        // The losses send would warn of, once: later contents differ only
        // in what the fields fill in.
        SendJob probeJob;
        probeJob.prepare(*setup, programDir);
        for (const LossWarning &warning : findLossWarnings(*setup, probeJob.snapshot().rendering))
            printError(
                QStringLiteral("watch: warning: %1").arg(lossWarningText(warning, UiEnglish, LanguageNaming::Option)));
    }

    PortMap map;
    if (needsPortMap(ports))
        map = PortMap::forSystem(stored->ports);
    if (ports.isEmpty()) {
        QtSerialPort probePort(map);
        PortScan scan = scanPorts(probePort);
        if (scan.chosen.isEmpty()) {
            // Told once; then the ports are looked at again every few
            // seconds, with the system's devices listed anew, until one
            // opens (a badge plugged in later) or a signal ends the wait.
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printError(QStringLiteral("watch: no serial port opened%1; looking again every %2 s (or name one with "
                                      "--port, see 'glintag ports')")
                           .arg(refused.isEmpty() ? QString() : QStringLiteral(": ") + refused)
                           .arg(kWatchRetrySeconds));
            if (permission)
                printError(permissionAdvice(deniedDevice(scan)));
            QTimer again;
            again.setInterval(kWatchRetrySeconds * 1000);
            QObject::connect(&again, &QTimer::timeout, &again, [&] {
                map = PortMap::forSystem(stored->ports);
                probePort.setPortMap(map);
                scan = scanPorts(probePort);
                if (!scan.chosen.isEmpty())
                    QCoreApplication::exit(kExitSent);
            });
            interrupts.onInterrupt = [] { QCoreApplication::exit(InterruptWatch::exitCode()); };
            again.start();
            if (!InterruptWatch::interrupted())
                QCoreApplication::exec();
            interrupts.onInterrupt = nullptr;
            if (InterruptWatch::interrupted()) {
                printError(QStringLiteral("watch: stopped while waiting for a port"));
                return InterruptWatch::exitCode();
            }
            printError(QStringLiteral("watch: %1 (%2) opened").arg(scan.chosen, map.devicePath(scan.chosen)));
        }
        ports << scan.chosen;
    }
    ports = usedOnce(c.name, ports, map);
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();

    WatchLoop loop(ports, maker, programDir);
    loop.sender().setPortMap(map);
    if (needsPortMap(c.parser.values(QStringLiteral("port"))))
        loop.setPortMapSource([&stored] { return PortMap::forSystem(stored->ports); });
    loop.setInterval(qint64(every) * 1000);
    loop.runner().setTimeout(qint64(timeout) * 1000);
    if (fromCommand)
        loop.watchCommand(c.parser.value(QStringLiteral("exec")));
    else if (fromInput)
        loop.watchInput(int(args->messages.size()) - 1);
    else
        loop.watchTexts(templates);

    const bool quiet = c.parser.isSet(QStringLiteral("quiet"));
    bool inputEnded = false;
    // Once standard input has ended and its last group is out, the watch
    // has nothing more to wait for; input that held no group at all is one
    // report and no upload.
    const auto endIfDone = [&] {
        QTimer::singleShot(0, &loop, [&] {
            if (!inputEnded || loop.isSending() || InterruptWatch::interrupted())
                return;
            if (loop.groups() == 0) {
                printError(QStringLiteral("watch: -: standard input held no line to send; nothing was sent"));
                QCoreApplication::exit(kExitBadArguments);
                return;
            }
            QCoreApplication::exit(kExitSent);
        });
    };
    QObject::connect(&loop, &WatchLoop::uploadFinished, &loop, [&](const WatchUpload &u) {
        if (!quiet) {
            const QByteArray line = "glintag: watch: "
                + argumentBytes(QStringLiteral("%1 %2 (%3 bytes): %4")
                                    .arg(u.at.time().toString(QStringLiteral("HH:mm:ss")), watchReasonText(u.reason))
                                    .arg(u.bytes)
                                    .arg(portResultsSummary(u.results)))
                + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
        }
        endIfDone();
    });
    const QString source = fromCommand ? QStringLiteral("--exec") : QStringLiteral("-");
    QObject::connect(&loop, &WatchLoop::notice, &loop, [&source](const WatchNotice &notice) {
        printError(QStringLiteral("watch: %1").arg(watchNoticeText(notice, source)));
    });
    std::unique_ptr<QSocketNotifier> input;
    if (fromInput) {
        // One read per wake-up never blocks; the input is left in blocking
        // mode, as a terminal shared with the shell must be.
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, &loop, [&] {
            char buffer[65536];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                loop.feedInput(QByteArrayView(buffer, n));
                return;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (n < 0)
                printError(QStringLiteral("watch: -: standard input cannot be read: %1").arg(systemError(errno)));
            input->setEnabled(false);
            inputEnded = true;
            loop.endInput();
            endIfDone();
        });
    }
    interrupts.onInterrupt = [&loop] {
        loop.stop();
        QCoreApplication::exit(InterruptWatch::exitCode());
    };
    loop.start();
    exitCode = QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    if (!InterruptWatch::interrupted())
        return exitCode;
    loop.stop();
    const QList<PortResult> &results = loop.sender().results();
    bool stoppedUpload = false;
    for (const PortResult &r : results)
        stoppedUpload = stoppedUpload || (r.outcome.end == SendEnd::Uploaded && r.outcome.upload.cancelled);
    const QString closed
        = ports.size() > 1 ? QStringLiteral("the ports are closed") : QStringLiteral("the port is closed");
    if (!stoppedUpload)
        printError(QStringLiteral("watch: stopped; %1").arg(closed));
    else if (results.size() == 1)
        printError(QStringLiteral("watch: stopped after %1 of %2 bytes; %3")
                       .arg(results[0].outcome.upload.bytesSent)
                       .arg(results[0].outcome.upload.totalBytes)
                       .arg(closed));
    else
        printError(QStringLiteral("watch: stopped: %1; %2").arg(portResultsSummary(results), closed));
    return InterruptWatch::exitCode();
}

} // namespace glintag
