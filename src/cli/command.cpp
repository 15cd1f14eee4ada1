#include "cli/command.h"

#include "cli/argumentbytes.h"
#include "cli/commandline.h"
#include "cli/commandoptions.h"

#include <cstdio>
#include <cstring>

namespace glintag {

void printError(const QString &message)
{
    const QByteArray line = "glintag: " + argumentBytes(message) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void printVersion()
{
    std::printf("glintag %s\n", GLINTAG_VERSION);
}

Command::Command(const QString &commandName, const QStringList &allArguments) : name(commandName)
{
    for (const CommandTable &t : commandTable()) {
        if (t.name != commandName)
            continue;
        parser.setApplicationDescription(t.summary);
        if (t.takesTexts)
            parser.addPositionalArgument(QStringLiteral("TEXT"),
                                         QStringLiteral("Message texts, one slot each ('-': standard input)."),
                                         QStringLiteral("[TEXT...]"));
        else if (commandName == QLatin1String("completion"))
            parser.addPositionalArgument(QStringLiteral("SHELL"), QStringLiteral("bash, zsh or fish."));
        parser.addOptions(t.options);
    }
    // Qt's --help-all would list Qt's own options; here it shows the same
    // help, and like --help it never goes on to act.
    parser.addHelpOption();
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")});
    arguments = allArguments;
    arguments.removeAt(1);
}

bool Command::parse(int *exitCode)
{
    if (!parser.parse(arguments)) {
        printError(QStringLiteral("%1: %2 (see 'glintag %1 --help')").arg(name, parser.errorText()));
        *exitCode = kExitBadArguments;
        return false;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names this command, not the program's path.
        QString help = parser.helpText();
        const int start = help.indexOf(QLatin1String("Usage: "));
        const int end = help.indexOf(QLatin1Char(' '), start + 7);
        if (start >= 0 && end > start)
            help.replace(start + 7, end - start - 7, QStringLiteral("glintag ") + name);
        help.replace(QLatin1String("Displays help including Qt specific options."),
                     QLatin1String("The same as --help."));
        std::fputs(qPrintable(help), stdout);
        *exitCode = kExitSent;
        return false;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printVersion();
        *exitCode = kExitSent;
        return false;
    }
    return true;
}

bool readSeconds(const Command &c, const QString &option, int max, int *seconds)
{
    if (!c.parser.isSet(option))
        return true;
    bool ok = false;
    const QString v = c.parser.value(option);
    const int n = v.toInt(&ok);
    if (!ok || n < 1 || n > max) {
        printError(QStringLiteral("%1: --%2 %3: allowed 1 to %4 seconds").arg(c.name, option, v).arg(max));
        return false;
    }
    *seconds = n;
    return true;
}

} // namespace glintag
