#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace glintag {

// Entries of the settings file's "Ports" section: (name, device path) pairs
// such as ("COM7", "/dev/ttyUSB0"), in the file's order.
using PortEntries = QList<QPair<QString, QString>>;

// The serial devices the system reports (their full paths).
QStringList systemSerialDevices();

// Which device stands behind each of the names "COM1".."COM32".
class PortMap {
public:
    // An empty map: no name has a device.
    PortMap() = default;

    // The section's entries come first; names other than "COM1".."COM32"
    // and empty paths are ignored, the first entry for a name wins. The numbers
    // left free then go, from COM1 upward, to the system's devices in a stable
    // order (ttyS*, ttyUSB*, ttyACM*, the rest; numbers in natural order),
    // leaving out devices the section already names.
    static PortMap build(const PortEntries &portsSection, const QStringList &systemDevices);

    // "COMn" is the device's own name: the map for systems that name their
    // ports that way.
    static PortMap identity();

    // The map the window and the command line use: identity() on Windows,
    // where the devices go by these names already; elsewhere build() with the
    // section and the devices `systemDevices` lists (asked only there).
    static PortMap forSystem(const PortEntries &portsSection,
                             const std::function<QStringList()> &systemDevices = systemSerialDevices);

    // Empty when n is outside 1..32 or has no device.
    QString devicePath(int n) const;
    QString devicePath(const QString &name) const;

    // The names that have a device, ascending by number.
    QStringList names() const;

private:
    std::array<QString, 33> m_paths; // index 1..32
};

} // namespace glintag
