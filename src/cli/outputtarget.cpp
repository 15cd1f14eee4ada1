#include "cli/outputtarget.h"

#include "cli/argumentbytes.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "files/outputfile.h"

#include <cerrno>

#include <unistd.h>

namespace glintag {

bool checkOutputTarget(const Command &c, const QString &option)
{
    const QString target = c.parser.value(option);
    if (target.isEmpty()) {
        printError(QStringLiteral("%1: --%2: allowed a file name or '-' for standard output").arg(c.name, option));
        return false;
    }
    if (target == QLatin1String("-") && ::isatty(STDOUT_FILENO) && !c.parser.isSet(QStringLiteral("force"))) {
        printError(QStringLiteral("%1: --%2 -: standard output is a terminal; redirect it, or add --force")
                       .arg(c.name, option));
        return false;
    }
    return true;
}

int writeOutput(const QString &command, const QString &option, const QString &target, const QByteArray &bytes)
{
    OutputOptions options;
    options.dashIsStandardOutput = true;
    // Ctrl+C, SIGTERM or SIGHUP end a wait for a FIFO's reader.
    options.waitForReader = [&](bool first) {
        if (first)
            printError(QStringLiteral("%1: --%2 %3: waiting for a reader (Ctrl+C stops)").arg(command, option, target));
        return !InterruptWatch::interrupted();
    };
    const OutputResult r = InterruptWatch::interrupted() ? OutputResult{OutputResult::Status::Interrupted, EINTR}
                                                         : writeOutputFile(argumentBytes(target), bytes, options);
    switch (r.status) {
    case OutputResult::Status::Written:
        return kExitSent;
    case OutputResult::Status::Interrupted:
        printError(QStringLiteral("%1: --%2 %3: stopped while waiting for a reader; nothing was written")
                       .arg(command, option, target));
        return InterruptWatch::exitCode();
    case OutputResult::Status::CannotOpen:
        printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, r.reason()));
        return kExitPortFailed;
    case OutputResult::Status::WriteFailed:
        break;
    }
    printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, r.reason()));
    return kExitLineFailed;
}

} // namespace glintag
