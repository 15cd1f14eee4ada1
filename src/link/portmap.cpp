#include "link/portmap.h"

#include "link/portnames.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

namespace glintag {

namespace {

// Symbolic links such as /dev/serial/by-id/... name the same device as the
// node they point to.
QString sameDeviceKey(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

int deviceGroup(const QString &path)
{
    static const QRegularExpression groups[] = {
        QRegularExpression(QStringLiteral("^ttyS\\d+$")),
        QRegularExpression(QStringLiteral("^ttyUSB\\d+$")),
        QRegularExpression(QStringLiteral("^ttyACM\\d+$")),
    };
    const QString base = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    for (int g = 0; g < 3; ++g) {
        if (groups[g].match(base).hasMatch())
            return g;
    }
    return 3;
}

// Digit runs compare by value, so ttyS2 comes before ttyS10.
bool naturalLess(const QString &a, const QString &b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Compare without leading zeros: longer run is larger.
            QStringView da = QStringView(a).mid(i, ei - i);
            QStringView db = QStringView(b).mid(j, ej - j);
            while (da.size() > 1 && da.front() == QLatin1Char('0'))
                da = da.mid(1);
            while (db.size() > 1 && db.front() == QLatin1Char('0'))
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size();
            const int c = da.compare(db);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // equal in natural order ("ttyS01" vs "ttyS1"): keep stable
}

} // namespace

PortMap PortMap::build(const PortEntries &portsSection, const QStringList &systemDevices)
{
    PortMap map;
    QSet<QString> named;
    for (const auto &entry : portsSection) {
        const int n = portNumberOf(entry.first);
        const QString path = entry.second.trimmed();
        if (n == 0 || path.isEmpty() || !map.m_paths[n].isEmpty())
            continue;
        map.m_paths[n] = path;
        named.insert(sameDeviceKey(path));
    }

    QStringList devices;
    for (const QString &d : systemDevices) {
        if (d.isEmpty() || devices.contains(d) || named.contains(sameDeviceKey(d)))
            continue;
        devices.append(d);
    }
    std::stable_sort(devices.begin(), devices.end(), [](const QString &a, const QString &b) {
        const int ga = deviceGroup(a), gb = deviceGroup(b);
        if (ga != gb)
            return ga < gb;
        const QString ba = a.mid(a.lastIndexOf(QLatin1Char('/')) + 1);
        const QString bb = b.mid(b.lastIndexOf(QLatin1Char('/')) + 1);
        if (ba != bb)
            return naturalLess(ba, bb);
        return naturalLess(a, b);
    });

    int next = 1;
    for (const QString &d : devices) {
        while (next <= kMaxPortNumber && !map.m_paths[next].isEmpty())
            ++next;
        if (next > kMaxPortNumber)
            break;
        map.m_paths[next] = d;
    }
    return map;
}

PortMap PortMap::identity()
{
    PortMap map;
    for (int n = 1; n <= kMaxPortNumber; ++n)
        map.m_paths[n] = portName(n);
    return map;
}

PortMap PortMap::forSystem(const PortEntries &portsSection, const std::function<QStringList()> &systemDevices)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portsSection);
    Q_UNUSED(systemDevices);
    return identity();
#else
    return build(portsSection, systemDevices());
#endif
}

QString PortMap::devicePath(int n) const
{
    if (n < 1 || n > kMaxPortNumber)
        return {};
    return m_paths[n];
}

QString PortMap::devicePath(const QString &name) const
{
    return devicePath(portNumberOf(name));
}

QStringList PortMap::names() const
{
    QStringList out;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (!m_paths[n].isEmpty())
            out.append(portName(n));
    }
    return out;
}

QStringList systemSerialDevices()
{
    QStringList out;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        out.append(info.systemLocation());
    return out;
}

} // namespace glintag
