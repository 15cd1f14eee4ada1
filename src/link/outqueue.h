#pragma once

#include <QtGlobal>

namespace glintag {

// Bytes the operating system's driver still holds for transmission on the
// open serial handle (QSerialPort::handle()); -1 when the handle has hung up
// or the count cannot be read.
qint64 driverOutQueue(qintptr handle);

} // namespace glintag
