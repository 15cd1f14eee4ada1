#include "cli/portchoice.h"

#include "cli/argumentbytes.h"
#include "cli/command.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "link/portnames.h"
#include "sending/sendjob.h"

#include <sys/stat.h>

namespace glintag {

QString portDescription(const SendOutcome &o)
{
    if (o.portName.isEmpty())
        return o.device;
    return QStringLiteral("%1 (%2)").arg(o.portName, o.device.isEmpty() ? QStringLiteral("no device") : o.device);
}

// When no port opened: the ports whose devices refused, "COM1 (/dev/ttyS0):
// Permission denied", and whether the user lacks the right to any of them.
// Those the user may not open come alone when there are any: they are the
// likely answer, and a machine has many device nodes with no port behind.
QString refusals(const PortScan &scan, bool *permission)
{
    *permission = false;
    for (const PortProbe &p : scan.probes)
        *permission = *permission || (!p.opened && p.permissionDenied);
    QStringList out;
    for (const PortProbe &p : scan.probes)
        if (!p.opened && (p.permissionDenied || !*permission))
            out << QStringLiteral("%1 (%2): %3").arg(p.name, p.device, p.reason);
    return out.join(QLatin1String("; "));
}

QString deniedDevice(const PortScan &scan)
{
    for (const PortProbe &p : scan.probes)
        if (!p.opened && p.permissionDenied)
            return p.device;
    return {};
}

void printBadPortName(const QString &command, const QString &port)
{
    printError(
        QStringLiteral("%1: --port %2: allowed COM1 to COM32 or a device path such as /dev/ttyUSB0").arg(command, port));
}

bool checkPortNames(const QString &command, const QStringList &ports)
{
    for (const QString &p : ports) {
        if (portNumberOf(p) <= 0 && !p.startsWith(QLatin1Char('/'))) {
            printBadPortName(command, p);
            return false;
        }
    }
    return true;
}

QStringList usedOnce(const QString &command, const QStringList &names, const PortMap &map)
{
    QStringList kept;
    QList<QByteArray> devices;
    for (const QString &name : names) {
        const QString path = portNumberOf(name) > 0 ? map.devicePath(name) : name;
        // A device is known by its numbers, whatever link or name leads to
        // it; anything else by the file it is, or by its name.
        QByteArray device = "name:" + name.toUtf8();
        struct stat st = {};
        if (!path.isEmpty() && ::stat(argumentBytes(path).constData(), &st) == 0)
            device = S_ISCHR(st.st_mode)
                ? "char:" + QByteArray::number(quint64(st.st_rdev))
                : "file:" + QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
        const qsizetype seen = devices.indexOf(device);
        if (seen >= 0) {
            printError(QStringLiteral("%1: --port %2: the same device as --port %3; it gets the stream once")
                           .arg(command, name, kept[seen]));
            continue;
        }
        devices << device;
        kept << name;
    }
    return kept;
}

QString permissionAdvice(const QString &device)
{
    return glintag::permissionAdvice(statusTexts(UiEnglish), device);
}

bool needsPortMap(const QStringList &ports)
{
    for (const QString &p : ports)
        if (portNumberOf(p) > 0)
            return true;
    return ports.isEmpty();
}

} // namespace glintag
