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
#include "net/mqttlink.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <memory>
#include <optional>

namespace glintag {

namespace {

// The longest token file read: a token is a line, not a document.
constexpr qint64 kTokenFileMax = 4096;

void printServe(const QString &message)
{
    printError(QStringLiteral("serve: %1").arg(message));
    std::fflush(stderr);
}

// The first line of a secret's file (--token, --mqtt-password-file).
bool readSecret(const QString &option, const QString &name, QByteArray *secret)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        printServe(QStringLiteral("--%1 %2: %3").arg(option, name, file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(kTokenFileMax + 1);
    *secret = bytes.split('\n').first().trimmed();
    if (bytes.size() > kTokenFileMax || secret->isEmpty()) {
        printServe(QStringLiteral("--%1 %2: allowed a file whose first line is the secret (at most %3 bytes)")
                       .arg(option, name)
                       .arg(kTokenFileMax));
        return false;
    }
    return true;
}

// A topic prefix: levels without wildcards, no leading or trailing slash.
bool checkTopic(const QString &option, const QString &topic)
{
    if (topic.isEmpty() || topic.contains(QLatin1Char('#')) || topic.contains(QLatin1Char('+'))
        || topic.startsWith(QLatin1Char('/')) || topic.endsWith(QLatin1Char('/')) || topic.toUtf8().size() > 1024) {
        printServe(QStringLiteral("--%1 %2: allowed a topic without + or #, not starting or ending with /")
                       .arg(option, topic));
        return false;
    }
    return true;
}

std::optional<MqttOptions> readMqttOptions(const QCommandLineParser &parser)
{
    MqttOptions mqtt;
    mqtt.caFile = parser.value(QStringLiteral("mqtt-cafile"));
    QString error;
    if (!parseMqttBroker(parser.value(QStringLiteral("mqtt")), mqtt, &error)) {
        printServe(error);
        return std::nullopt;
    }
    mqtt.prefix = parser.isSet(QStringLiteral("topic")) ? parser.value(QStringLiteral("topic")) : defaultMqttPrefix();
    if (!checkTopic(QStringLiteral("topic"), mqtt.prefix))
        return std::nullopt;
    mqtt.groups = parser.values(QStringLiteral("group"));
    for (const QString &g : std::as_const(mqtt.groups))
        if (!checkTopic(QStringLiteral("group"), g))
            return std::nullopt;
    mqtt.user = parser.value(QStringLiteral("mqtt-user"));
    if (parser.isSet(QStringLiteral("mqtt-password-file"))
        && !readSecret(QStringLiteral("mqtt-password-file"), parser.value(QStringLiteral("mqtt-password-file")),
                       &mqtt.password))
        return std::nullopt;
    mqtt.haDiscovery = parser.isSet(QStringLiteral("ha-discovery"));
    return mqtt;
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
    if (c.parser.isSet(QStringLiteral("token"))
        && !readSecret(QStringLiteral("token"), c.parser.value(QStringLiteral("token")), &http.token))
        return kExitBadArguments;
    std::optional<MqttOptions> mqtt;
    if (c.parser.isSet(QStringLiteral("mqtt"))) {
        mqtt = readMqttOptions(c.parser);
        if (!mqtt)
            return kExitBadArguments;
    } else {
        for (const char *option : {"topic", "group", "mqtt-user", "mqtt-password-file", "mqtt-cafile", "ha-discovery"})
            if (c.parser.isSet(QLatin1String(option))) {
                printServe(QStringLiteral("--%1: allowed only with --mqtt").arg(QLatin1String(option)));
                return kExitBadArguments;
            }
    }
    QStringList ports = c.parser.values(QStringLiteral("port"));
    if (!checkPortNames(c.name, ports))
        return kExitBadArguments;

    InterruptWatch interrupts;
    const auto stored = readStoredSettings(c.parser, programDir, SettingsUse::WithTexts, c.name);
    if (!stored)
        return kExitBadArguments;
    auto setup = badgeSetupFor(*args, stored->setup, &error);
    // Named with --settings, or saved by the window.
    const bool haveSettings
        = c.parser.isSet(QStringLiteral("settings")) || QFileInfo::exists(settingsFilePath(programDir));
    // With nothing saved and no TEXT the first start's placeholders are not
    // the user's: serve starts with every slot empty until a text comes.
    if (setup && !haveSettings && args->messages.isEmpty())
        for (SlotSetup &slot : setup->slots) {
            slot.text.clear();
            slot.select = false;
        }
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
                printError(permissionAdvice(deniedDevice(scan)));
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
    else if (haveSettings)
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
    std::unique_ptr<MqttLink> link;
    interrupts.onInterrupt = [&] {
        api.closeStreams();
        service.stop();
        if (link)
            link->stop();
        QCoreApplication::exit(InterruptWatch::exitCode());
    };
    const QString where = http.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(http.address.toString())
        : http.address.toString();
    printServe(QStringLiteral("listening on http://%1:%2/ for %3")
                   .arg(where)
                   .arg(api.port())
                   .arg(ports.join(QLatin1String(", "))));
    if (mqtt) {
        link = std::make_unique<MqttLink>(service, *mqtt);
        QObject::connect(link.get(), &MqttLink::notice, link.get(),
                         [](const QString &message) { printServe(QStringLiteral("mqtt: %1").arg(message)); });
        if (!link->start(&error)) {
            printServe(error);
            return kExitBadArguments;
        }
    }
    exitCode = QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    if (InterruptWatch::interrupted())
        printServe(ports.size() > 1 ? QStringLiteral("stopped; the ports are closed")
                                    : QStringLiteral("stopped; the port is closed"));
    return exitCode;
}

} // namespace glintag
