#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace glintag {

class SerialPort;

constexpr int kMaxPortNumber = 32;

// "COM1".."COM32", compared exactly and case-sensitively, gives 1..32;
// anything else (" COM3", "com1", "COM03", "COM33") gives 0. The window's
// port box completes and matches case-sensitively too, so a typed "com1"
// reaches this as typed and is refused, even while "COM1" is listed.
int portNumberOf(const QString &text);

// "COM" followed by n without leading zeros.
QString portName(int n);

// One port with a device behind it, as the scan found it.
struct PortProbe {
    QString name;   // "COMn"
    QString device; // the device behind it
    bool opened = false;
    QString reason;                // when it did not open: the system's words
    bool permissionDenied = false; // when it did not open: the user may not use the device
};

struct PortScan {
    QStringList names; // the ports that opened, ascending
    QString chosen;    // the start-up choice for the port box
    // Every port that has a device, opened or not, ascending: those that did
    // not open tell why, which matters most when none did.
    QList<PortProbe> probes;
};

// Opens and closes ports 1..32 in turn and lists those that opened. The
// choice is the first item while the highest port found is below 3, the last
// item otherwise, empty when nothing opened.
PortScan scanPorts(SerialPort &port);

// On a valid port name: sets its number and "1200,n,8,1" on the port and
// returns true. Otherwise leaves the port untouched and returns false; the
// caller tells the user.
bool readPortChoice(SerialPort &port, const QString &comText);

} // namespace glintag
