#pragma once

#include "sending/watchloop.h"

#include <QString>

namespace glintag {

// How the command line words what the watch and its command runner return.
// `source` names where lines came from ("--exec" or "-").
QString commandFailureText(const CommandResult &result);
QString watchNoticeText(const WatchNotice &notice, const QString &source);
QString watchReasonText(WatchReason reason);
// Why a port took nothing or not all: "cannot open: Permission denied".
QString whyNotSent(const SendOutcome &outcome);

// "1 line after slot 16 was dropped", "84 lines after slot 16 were dropped".
QString droppedLinesText(qint64 count);
// "1 text was cut to the first 1023 bytes", "3 texts were cut ...".
QString textsCutText(qint64 count);

} // namespace glintag
