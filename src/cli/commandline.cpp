#include "cli/commandline.h"

#include "cli/argumentbytes.h"
#include "cli/command.h"
#include "cli/commands.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>

namespace glintag {

namespace {

// The commands by name: a new command is one more row.
struct CommandEntry {
    const char *name;
    CommandRun run;
};
const CommandEntry kCommands[] = {
    {"send", runSend},
    {"preview", runPreview},
    {"ports", runPorts},
    {"completion", runCompletion},
    {"watch", runWatch},
    {"serve", runServe},
};

int dispatch(QStringList all, const QString &programDir)
{
    QString command = all.value(1);
    // "glintag help send" and "glintag --help send" are "glintag send --help".
    const bool helpFirst
        = command == QLatin1String("help") || command == QLatin1String("--help") || command == QLatin1String("-h");
    if (helpFirst && all.size() > 2) {
        command = all[2];
        all = QStringList{all[0], command, QStringLiteral("--help")};
    }
    QStringList names;
    for (const CommandEntry &entry : kCommands) {
        if (command == QLatin1String(entry.name))
            return entry.run(all, programDir);
        names << QString::fromLatin1(entry.name);
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        printVersion();
        return kExitSent;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help"))
        return runHelp(all, programDir);
    // An option before any command ("glintag --bogus") is no command.
    printError(QStringLiteral("%1: unknown %2; allowed: %3, --help, --version")
                   .arg(command, command.startsWith(QLatin1Char('-')) ? QStringLiteral("option")
                                                                       : QStringLiteral("command"),
                        names.join(QLatin1String(", "))));
    return kExitBadArguments;
}

} // namespace

int runCommandLine(int argc, char **argv)
{
    // The arguments as bytes, before anything decodes them.
    QStringList all;
    for (int i = 0; i < argc; ++i)
        all << decodeArgument(QByteArray(argv[i]));
    rememberArguments(all);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLINTAG_VERSION));
    const int exitCode = dispatch(all, QCoreApplication::applicationDirPath());

    // Help, a version or a list that never reached its reader is a failure
    // like any other write.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (!flushed || std::ferror(stdout)) {
        printError(QStringLiteral("standard output: %1")
                       .arg(!flushed && errno != 0 ? systemError(errno) : QStringLiteral("write error")));
        return exitCode == kExitSent ? kExitLineFailed : exitCode;
    }
    return exitCode;
}

} // namespace glintag
