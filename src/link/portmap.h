#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>

namespace glintag {

// Which device stands behind each of the names "COM1".."COM32".
class PortMap {
public:
    // An empty map: no name has a device.
    PortMap() = default;

    // Entries of the "Ports" section come first: (name, device path) pairs
    // such as ("COM7", "/dev/ttyUSB0"); names other than "COM1".."COM32" and
    // empty paths are ignored, the first entry for a name wins. The numbers
    // left free then go, from COM1 upward, to the system's devices in a stable
    // order (ttyS*, ttyUSB*, ttyACM*, the rest; numbers in natural order),
    // leaving out devices the section already names.
    static PortMap build(const QList<QPair<QString, QString>> &portsSection,
                         const QStringList &systemDevices);

    // "COMn" is the device's own name: the map for systems that name their
    // ports that way.
    static PortMap identity();

    // The map for this machine: identity() on Windows, otherwise build() with
    // the section and the devices the system reports.
    static PortMap forThisSystem(const QList<QPair<QString, QString>> &portsSection = {});

    // Empty when n is outside 1..32 or has no device.
    QString devicePath(int n) const;
    QString devicePath(const QString &name) const;

    // The names that have a device, ascending by number.
    QStringList names() const;

private:
    std::array<QString, 33> m_paths;   // index 1..32
};

// The serial devices the system reports (their full paths), for
// PortMap::build.
QStringList systemSerialDevices();

} // namespace glintag
