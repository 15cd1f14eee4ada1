#include "link/portnames.h"

#include "link/serialport.h"

namespace glintag {

int portNumberOf(const QString &text)
{
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (text == portName(n))
            return n;
    }
    return 0;
}

QString portName(int n)
{
    return QStringLiteral("COM") + QString::number(n);
}

PortScan scanPorts(SerialPort &port)
{
    PortScan scan;
    int highest = 0;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        port.setPortNumber(n);
        const QString device = port.devicePath();
        if (!port.open()) {
            if (!device.isEmpty())
                scan.probes.append({portName(n), device, false, port.errorText(), port.permissionDenied()});
            continue;
        }
        const bool opened = port.isOpen();
        if (opened) {
            scan.names.append(portName(n));
            highest = n;
        }
        scan.probes.append(
            {portName(n), device, opened, opened ? QString() : QStringLiteral("it did not stay open"), false});
        port.close();
    }
    if (!scan.names.isEmpty())
        scan.chosen = highest < 3 ? scan.names.first() : scan.names.last();
    return scan;
}

bool readPortChoice(SerialPort &port, const QString &comText)
{
    const int n = portNumberOf(comText);
    if (n == 0)
        return false;
    port.setPortNumber(n);
    port.setSettings(QStringLiteral("1200,n,8,1"));
    return true;
}

} // namespace glintag
