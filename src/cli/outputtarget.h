#pragma once

#include "cli/command.h"

#include <QByteArray>
#include <QString>

namespace glintag {

// Checked before anything is rendered: a file name, or "-" for standard
// output, which like a compressor's refuses a terminal unless forced.
bool checkOutputTarget(const Command &c, const QString &option);

// Writes all of `bytes` to the target, "-" being standard output, and
// reports any write that fails: a full disk must not pass for success.
// Returns the exit status.
int writeOutput(const QString &command, const QString &option, const QString &target, const QByteArray &bytes);

} // namespace glintag
