#pragma once

#include <QString>
#include <QStringList>

namespace glintag {

// Each command's run: `all` is the whole line as given (the program's name
// first, the command's name second); returns the process's exit status.
using CommandRun = int (*)(const QStringList &all, const QString &programDir);

int runSend(const QStringList &all, const QString &programDir);
int runPreview(const QStringList &all, const QString &programDir);
int runPorts(const QStringList &all, const QString &programDir);
int runCompletion(const QStringList &all, const QString &programDir);
int runWatch(const QStringList &all, const QString &programDir);
// Without a command or with --help, "help": the program's usage.
int runHelp(const QStringList &all, const QString &programDir);

} // namespace glintag
