#include "cli/argumentbytes.h"
#include "cli/badgearguments.h"
#include "cli/command.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/interruptwatch.h"
#include "cli/portchoice.h"
#include "cli/portresults.h"
#include "cli/slotsources.h"
#include "i18n/languages.h"
#include "link/qtserialport.h"
#include "net/badgeservice.h"
#include "net/httpapi.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace glintag {

namespace {

// The longest token file read: a token is a line, not a document.
constexpr qint64 kTokenFileMax = 4096;

void printServe(const QString &message)
{
    printError(QStringLiteral("serve: %1").arg(message));
    std::fflush(stderr);
}

bool readToken(const QString &name, QByteArray *token)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        printServe(QStringLiteral("--token %1: %2").arg(name, file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(kTokenFileMax + 1);
    *token = bytes.split('\n').first().trimmed();
    if (bytes.size() > kTokenFileMax || token->isEmpty()) {
        printServe(QStringLiteral("--token %1: allowed a file whose first line is the token (at most %2 bytes)")
                       .arg(name)
                       .arg(kTokenFileMax));
        return false;
    }
    return true;
}

} // namespace

int runServe(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("serve"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    QString error;
    const auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printServe(error);
        return kExitBadArguments;
    }
    if (readsStandardInput(*args)) {
        printServe(QStringLiteral("-: allowed only for send and watch (serve takes its texts over the network)"));
        return kExitBadArguments;
    }
    HttpOptions http;
    if (!parseListen(c.parser.isSet(QStringLiteral("listen")) ? c.parser.value(QStringLiteral("listen"))
                                                               : QLatin1String(kDefaultListen),
                     http, &error)) {
        printServe(error);
        return kExitBadArguments;
    }
    if (c.parser.isSet(QStringLiteral("token")) && !readToken(c.parser.value(QStringLiteral("token")), &http.token))
        return kExitBadArguments;
    QStringList ports = c.parser.values(QStringLiteral("port"));
    if (!checkPortNames(c.name, ports))
        return kExitBadArguments;

    InterruptWatch interrupts;
    const auto stored = readStoredSettings(c.parser, programDir);
    if (!stored)
        return kExitBadArguments;
    const auto setup = badgeSetupFor(*args, stored->setup, &error);
    if (!setup) {
        printServe(error);
        return kExitBadArguments;
    }
    // A text alone gets what `send TEXT` with the same options would send.
    BadgeArguments oneText = *args;
    oneText.messages = {{false, QString(), QString()}};
    const auto textBase = badgeSetupFor(oneText, stored->setup, &error);
    if (!textBase) {
        printServe(error);
        return kExitBadArguments;
    }

    const PortMap map = needsPortMap(ports) ? PortMap::forSystem(stored->ports) : PortMap();
    if (ports.isEmpty()) {
        QtSerialPort probe(map);
        const PortScan scan = scanPorts(probe);
        if (scan.chosen.isEmpty()) {
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printServe(refused.isEmpty() ? QStringLiteral("no serial port opened; name one with --port (see "
                                                          "'glintag ports')")
                                         : QStringLiteral("no serial port opened: %1").arg(refused));
            if (permission)
                printError(permissionAdvice());
            return kExitPortFailed;
        }
        ports << scan.chosen;
    }
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();

    // The page speaks the language asked for, else the one the window was
    // left in, else the one a first start of the window would choose.
    if (args->language)
        http.uiLanguage = *args->language;
    else if (c.parser.isSet(QStringLiteral("settings")) || QFileInfo::exists(settingsFilePath(programDir)))
        http.uiLanguage = setup->language;
    else
        http.uiLanguage = uiLanguageForLocale(QLocale::system());

    BadgeService service(ports, *setup, programDir);
    service.setPortMap(map);
    service.setTextBase(*textBase);
    HttpApi api(service, http);
    if (!api.start(&error)) {
        printServe(error);
        return kExitPortFailed;
    }
    const bool quiet = c.parser.isSet(QStringLiteral("quiet"));
    QObject::connect(&service, &BadgeService::uploadFinished, &service, [quiet](const ServeUpload &u) {
        if (!quiet)
            printServe(QStringLiteral("%1 %2 #%3 (%4 bytes): %5")
                           .arg(u.at.time().toString(QStringLiteral("HH:mm:ss")), u.reason)
                           .arg(u.id)
                           .arg(u.bytes)
                           .arg(portResultsSummary(u.results)));
    });
    interrupts.onInterrupt = [&] {
        api.closeStreams();
        service.stop();
        QCoreApplication::exit(InterruptWatch::exitCode());
    };
    const QString where = http.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(http.address.toString())
        : http.address.toString();
    printServe(QStringLiteral("listening on http://%1:%2/ for %3")
                   .arg(where)
                   .arg(api.port())
                   .arg(ports.join(QLatin1String(", "))));
    exitCode = QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    if (InterruptWatch::interrupted())
        printServe(ports.size() > 1 ? QStringLiteral("stopped; the ports are closed")
                                    : QStringLiteral("stopped; the port is closed"));
    return exitCode;
}

} // namespace glintag
