#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace glintag {

// One command as its parser and its help know it: the same table feeds
// the completion scripts, so they cannot name an option the program lacks.
struct CommandTable {
    QString name;
    QString summary;                   // one line
    bool takesTexts;                   // TEXT arguments after the options
    QList<QCommandLineOption> options; // besides --help, --help-all, --version
    QStringList repeatable = {};       // options that may be given more than once, by their long name
};

// The values an option's value name stands for: a fixed list, the marker
// kFileValues for file names (alone, or beside fixed words such as a
// picture's "icon:heart"), or kPortValues for the port names `glintag
// ports` lists when Tab is pressed; empty when anything may be typed.
using ValueChoices = std::function<QStringList(const QString &valueName)>;
inline const QString kFileValues = QStringLiteral("<file>");
inline const QString kPortValues = QStringLiteral("<port>");

// The completion script for "bash", "zsh" or "fish"; empty for any other
// shell.
QString completionScript(const QString &shell, const QList<CommandTable> &commands, const ValueChoices &choices);

// The shells completionScript() knows.
QStringList completionShells();

} // namespace glintag
