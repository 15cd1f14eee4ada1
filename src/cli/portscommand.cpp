#include "cli/commands.h"

#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "cli/portchoice.h"
#include "cli/slotsources.h"
#include "link/portmap.h"
#include "link/portnames.h"
#include "link/qtserialport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace glintag {

int runPorts(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("ports"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    if (!c.parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("ports: %1: allowed no arguments").arg(c.parser.positionalArguments().first()));
        return kExitBadArguments;
    }
    // A settings pipe that never ends is left with Ctrl+C as elsewhere.
    InterruptWatch interrupts;
    const auto stored = readStoredSettings(c.parser, programDir, SettingsUse::PortsOnly, c.name);
    if (!stored)
        return InterruptWatch::interrupted() ? InterruptWatch::exitCode() : kExitBadArguments;
    const PortMap map = PortMap::forSystem(stored->ports);
    QtSerialPort probe(map);
    const PortScan scan = scanPorts(probe);
    if (c.parser.isSet(QStringLiteral("json"))) {
        QJsonArray list;
        for (const PortProbe &p : scan.probes) {
            QJsonObject port{{QStringLiteral("name"), p.name},
                             {QStringLiteral("device"), p.device},
                             {QStringLiteral("opens"), p.opened},
                             {QStringLiteral("chosen"), p.name == scan.chosen}};
            if (!p.opened) {
                port.insert(QStringLiteral("reason"), p.reason);
                port.insert(QStringLiteral("permissionDenied"), p.permissionDenied);
            }
            list.append(port);
        }
        std::fputs(QJsonDocument(list).toJson(QJsonDocument::Indented).constData(), stdout);
        return kExitSent;
    }
    for (const QString &name : scan.names)
        std::printf("%s\t%s%s\n", qPrintable(name), qPrintable(map.devicePath(name)), name == scan.chosen ? "\t*" : "");
    if (scan.names.isEmpty()) {
        bool permission = false;
        const QString refused = refusals(scan, &permission);
        printError(refused.isEmpty() ? QStringLiteral("ports: no serial port opened")
                                     : QStringLiteral("ports: no serial port opened: %1").arg(refused));
        if (permission)
            printError(permissionAdvice(deniedDevice(scan)));
        return kExitPortFailed;
    }
    return kExitSent;
}

} // namespace glintag
