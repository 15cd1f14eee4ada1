#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace glintag {

// File names in a message come out as the bytes the user typed.
void printError(const QString &message);

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
