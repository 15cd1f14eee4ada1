#include "cli/command.h"

#include "cli/argumentbytes.h"
#include "cli/commandline.h"
#include "cli/commandoptions.h"

#include <QList>
#include <QPair>

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace glintag {

namespace {

// The long arguments and the parts of them a message may quote, longest
// first, each with what stands in its place.
QList<QPair<QString, QString>> &longArguments()
{
    static QList<QPair<QString, QString>> parts;
    return parts;
}

} // namespace

QString quotedArgument(const QString &argument)
{
    if (argument.size() <= kQuotedArgumentChars)
        return argument;
    int keep = kQuotedArgumentChars - 1;
    if (argument[keep - 1].isHighSurrogate())
        --keep;
    return argument.left(keep) + QChar(0x2026);
}

void rememberArguments(const QStringList &all)
{
    QList<QPair<QString, QString>> &parts = longArguments();
    parts.clear();
    for (const QString &a : all) {
        QString bare = a;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        const int equals = bare.indexOf(QLatin1Char('='));
        for (const QString &part : {a, bare, equals < 0 ? QString() : bare.left(equals),
                                    equals < 0 ? QString() : bare.mid(equals + 1)})
            if (part.size() > kQuotedArgumentChars)
                parts.append({part, quotedArgument(part)});
    }
    std::sort(parts.begin(), parts.end(), [](const auto &x, const auto &y) { return x.first.size() > y.first.size(); });
}

void printError(const QString &message)
{
    QString text = message;
    for (const auto &[whole, quoted] : std::as_const(longArguments()))
        text.replace(whole, quoted);
    const QByteArray line = "glintag: " + argumentBytes(text) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

QString wrapHelp(const QString &text, int width)
{
    QStringList out;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.size() <= width) {
            out << line;
            continue;
        }
        int lead = 0;
        while (lead < line.size() && line[lead] == QLatin1Char(' '))
            ++lead;
        int indent = lead;
        // An option line ("  -m, --mode <MODE>   How ..."): its description
        // column, after the first gap of two spaces or more, where that
        // leaves the description room enough.
        if (line.mid(indent).startsWith(QLatin1Char('-'))) {
            const int gap = line.indexOf(QLatin1String("  "), indent);
            if (gap > 0) {
                int column = gap;
                while (column < line.size() && line[column] == QLatin1Char(' '))
                    ++column;
                if (column <= width - 20)
                    indent = column;
            }
        }
        QString current = line.left(lead);
        bool first = true;
        for (const QString &word : line.mid(lead).split(QLatin1Char(' '), Qt::KeepEmptyParts)) {
            if (first) {
                current += word;
                first = false;
            } else if (current.size() + 1 + word.size() > width && !word.isEmpty() && current.size() > indent) {
                while (current.endsWith(QLatin1Char(' ')))
                    current.chop(1);
                out << current;
                current = QString(indent, QLatin1Char(' ')) + word;
            } else {
                current += QLatin1Char(' ') + word;
            }
        }
        out << current;
    }
    return out.join(QLatin1Char('\n'));
}

int helpWidth()
{
#ifdef Q_OS_UNIX
    struct winsize size = {};
    if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40)
        return std::min(int(size.ws_col), 200);
#endif
    return 80;
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
        std::fputs(qPrintable(wrapHelp(help, helpWidth())), stdout);
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
