#pragma once

#include "link/portmap.h"
#include "link/portnames.h"
#include "sending/sendjob.h"

#include <QString>
#include <QStringList>

namespace glintag {

// How the command line names the port it opened or could not open.
QString portDescription(const SendOutcome &o);

// When no port opened: the ports whose devices refused, "COM1 (/dev/ttyS0):
// Permission denied", and whether the user lacks the right to any of them.
// Those the user may not open come alone when there are any: they are the
// likely answer, and a machine has many device nodes with no port behind.
QString refusals(const PortScan &scan, bool *permission);

// The device of the first port the user may not open, for the advice that
// names its group; empty when there is none.
QString deniedDevice(const PortScan &scan);

// The ports named with --port, each a name or a path; false with the error
// printed.
bool checkPortNames(const QString &command, const QStringList &ports);
// The error for a --port that is neither a port name nor a path.
void printBadPortName(const QString &command, const QString &port);

// The ports with every second name for the same device left out (a link
// and its target, a port name and its device, one name twice), each with a
// note: one badge must never get two streams at once.
QStringList usedOnce(const QString &command, const QStringList &names, const PortMap &map);

// What a user who may not open a port does about it, as the command line
// says it: for `device`, with its owner, group and mode.
QString permissionAdvice(const QString &device);

// True when a "COM" name has to be looked up (or the start-up choice made).
bool needsPortMap(const QStringList &ports);

} // namespace glintag
