#include "cli/commands.h"

#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/commandoptions.h"
#include "cli/completions.h"

#include <cstdio>

namespace glintag {

int runCompletion(const QStringList &all, const QString &)
{
    Command c(QStringLiteral("completion"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    const QStringList shells = c.parser.positionalArguments();
    const QString script
        = shells.size() == 1 ? completionScript(shells.first(), commandTable(), valueChoices) : QString();
    if (script.isEmpty()) {
        printError(QStringLiteral("completion: %1: allowed one of %2")
                       .arg(shells.join(QLatin1Char(' ')), completionShells().join(QLatin1String(", "))));
        return kExitBadArguments;
    }
    std::fputs(script.toUtf8().constData(), stdout);
    return kExitSent;
}

} // namespace glintag
