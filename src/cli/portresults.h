#pragma once

#include "sending/multisend.h"

#include <QList>
#include <QString>

namespace glintag {

// One port's result as the command line states it: "COM3 sent 1720 bytes in
// 14.4 s", "/dev/ttyUSB1 port gone after 300 bytes".
QString portResultText(const PortResult &result);

// Every port's result, "; " between them.
QString portResultsSummary(const QList<PortResult> &results);

// The exit status of a send to several ports: the worst of theirs, a
// stopped upload counting as `interruptedCode`.
int portResultsExitCode(const QList<PortResult> &results, int interruptedCode);

} // namespace glintag
