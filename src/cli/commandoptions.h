#pragma once

#include "cli/completions.h"

#include <QList>
#include <QStringList>

namespace glintag {

// The commands, their help and their options: the parsers, the help texts
// and the completion scripts all read this one table.
QList<CommandTable> commandTable();

// What an option's value may be, for the completion scripts.
QStringList valueChoices(const QString &valueName);

} // namespace glintag
