#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace glintag {

// File names in a message come out as the bytes the user typed. An
// argument of the command line longer than kQuotedArgumentChars (given to
// rememberArguments) is quoted by its start and "…", whole or as the value
// part Qt's parser names, so a huge argument gives a short line.
void printError(const QString &message);
constexpr int kQuotedArgumentChars = 80;
void rememberArguments(const QStringList &all);
// The argument's start and "…" when it is longer than the bound.
QString quotedArgument(const QString &argument);

// Help text wrapped to `width` columns: a long line goes on below its own
// indent, an option's description below the description column.
QString wrapHelp(const QString &text, int width);
// The width help is wrapped to: the terminal's on standard output, else 80.
int helpWidth();

// The system's wording of an errno value.
QString systemError(int error);

void printVersion();

// One subcommand's parser with its help and the shared options.
struct Command {
    QString name;
    QCommandLineParser parser;
    QStringList arguments; // as given, the command's name removed

    Command(const QString &commandName, const QStringList &allArguments);

    // False with the error printed when the line does not parse, or with
    // the help or the version printed when they were asked for.
    bool parse(int *exitCode);
};

// A whole number of seconds from an option, within 1..max.
bool readSeconds(const Command &c, const QString &option, int max, int *seconds);

} // namespace glintag
