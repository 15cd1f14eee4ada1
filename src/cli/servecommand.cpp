#include "cli/servecommand.h"

#include "cli/argumentbytes.h"
#include "cli/badgearguments.h"
#include "cli/commandline.h"
#include "cli/portresults.h"
#include "files/profilefile.h"
#include "link/portmap.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "net/badgeservice.h"
#include "net/httpapi.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"
#include "settings/setupfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cstdio>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace glintag {

namespace {

void printError(const QString &message)
{
    const QByteArray line = "glintag: serve: " + argumentBytes(message) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

// The longest token file read: a token is a line, not a document.
constexpr qint64 kTokenFileMax = 4096;

// SIGTERM, SIGINT and SIGHUP end the run from the event loop, so the
// ports and the broker session close as on any other stop.
class StopSignals {
public:
    explicit StopSignals(std::function<void(int)> onStop) : m_onStop(std::move(onStop))
    {
        if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            unsigned char signal = 0;
            if (::read(s_pipe[0], &signal, 1) == 1 && m_onStop)
                m_onStop(signal);
        });
        struct sigaction sa = {};
        sa.sa_handler = [](int signal) {
            const unsigned char c = static_cast<unsigned char>(signal);
            [[maybe_unused]] const auto n = ::write(s_pipe[1], &c, 1);
        };
        sigemptyset(&sa.sa_mask);
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &sa, &m_previous[i]);
    }
    ~StopSignals()
    {
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
        m_notifier.reset();
        for (int &fd : s_pipe)
            if (fd >= 0)
                ::close(fd), fd = -1;
    }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static inline int s_pipe[2] = {-1, -1};
    struct sigaction m_previous[std::size(kSignals)] = {};
    std::function<void(int)> m_onStop;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

QList<QCommandLineOption> serveOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        {QStringLiteral("port"),
         QStringLiteral("Port name as the window shows it (COM1 to COM32) or a device path; more than once for "
                        "several badges. Default: the port the window chooses at start-up."),
         QStringLiteral("NAME")},
        {QStringLiteral("listen"),
         QStringLiteral("Where the HTTP API and the page listen, ADDRESS:PORT. Default: %1. An address beyond "
                        "this machine needs --token.")
             .arg(QLatin1String(kDefaultListen)),
         QStringLiteral("ADDR:PORT")},
        {QStringLiteral("token"),
         QStringLiteral("Every API call must carry the token in FILE (its first line) as "
                        "'Authorization: Bearer TOKEN'."),
         QStringLiteral("FILE")},
        {{QStringLiteral("q"), QStringLiteral("quiet")},
         QStringLiteral("Print no line per upload; problems are still told.")},
    };
    return options;
}

bool readToken(const QString &name, QByteArray *token)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("--token %1: %2").arg(name, file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(kTokenFileMax + 1);
    *token = bytes.split('\n').first().trimmed();
    if (bytes.size() > kTokenFileMax || token->isEmpty()) {
        printError(QStringLiteral("--token %1: allowed a file whose first line is the token (at most %2 bytes)")
                       .arg(name)
                       .arg(kTokenFileMax));
        return false;
    }
    return true;
}

std::optional<StoredSettings> readSettings(const QCommandLineParser &parser, const QString &programDir)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return loadStoredSettings(settingsFilePath(programDir));
    const QString name = parser.value(QStringLiteral("settings"));
    StoredSettings stored;
    QString why;
    if (name.isEmpty() || !QFileInfo(name).isFile() || !loadSetupFile(name, stored, &why)) {
        printError(QStringLiteral("--settings %1: %2").arg(name, why.isEmpty() ? QStringLiteral("no such file") : why));
        return std::nullopt;
    }
    return stored;
}

} // namespace

CommandTable serveCommandTable()
{
    return {QStringLiteral("serve"),
            QStringLiteral("Keeps the badges and a setup (the settings file's, or TEXT and options as send takes "
                           "them) and takes changes over HTTP: a JSON API and a page for a phone at "
                           "http://127.0.0.1:8800/. Stops on Ctrl+C, SIGTERM or SIGHUP."),
            true,
            serveOptions(),
            {QStringLiteral("picture"), QStringLiteral("port")}};
}

int runServe(const QStringList &all, const QString &programDir)
{
    const CommandTable table = serveCommandTable();
    QCommandLineParser parser;
    parser.setApplicationDescription(table.summary);
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("Message texts, one slot each."),
                                 QStringLiteral("[TEXT...]"));
    parser.addOptions(table.options);
    parser.addHelpOption();
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")});
    QStringList arguments = all;
    arguments.removeAt(1);
    if (!parser.parse(arguments)) {
        printError(QStringLiteral("%1 (see 'glintag serve --help')").arg(parser.errorText()));
        return kExitBadArguments;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        QString help = parser.helpText();
        const int start = int(help.indexOf(QLatin1String("Usage: ")));
        const int end = int(help.indexOf(QLatin1Char(' '), start + 7));
        if (start >= 0 && end > start)
            help.replace(start + 7, end - start - 7, QStringLiteral("glintag serve"));
        std::fputs(qPrintable(help), stdout);
        return kExitSent;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("glintag %s\n", GLINTAG_VERSION);
        return kExitSent;
    }

    QString error;
    const auto args = readBadgeArguments(parser, arguments, &error);
    if (!args) {
        printError(error);
        return kExitBadArguments;
    }
    if (readsStandardInput(*args)) {
        printError(QStringLiteral("-: allowed only for send and watch (serve takes its texts over the network)"));
        return kExitBadArguments;
    }
    HttpOptions http;
    if (!parseListen(parser.isSet(QStringLiteral("listen")) ? parser.value(QStringLiteral("listen"))
                                                             : QLatin1String(kDefaultListen),
                     http, &error)) {
        printError(error);
        return kExitBadArguments;
    }
    if (parser.isSet(QStringLiteral("token")) && !readToken(parser.value(QStringLiteral("token")), &http.token))
        return kExitBadArguments;
    QStringList ports = parser.values(QStringLiteral("port"));
    for (int i = 0; i < ports.size(); ++i) {
        if (portNumberOf(ports[i]) <= 0 && !ports[i].startsWith(QLatin1Char('/'))) {
            printError(QStringLiteral("--port %1: allowed COM1 to COM32 or a device path such as /dev/ttyUSB0")
                           .arg(ports[i]));
            return kExitBadArguments;
        }
        if (ports.indexOf(ports[i]) < i) {
            printError(QStringLiteral("--port %1: named twice").arg(ports[i]));
            return kExitBadArguments;
        }
    }
    const auto stored = readSettings(parser, programDir);
    if (!stored)
        return kExitBadArguments;
    const auto setup = badgeSetupFor(*args, stored->setup, &error);
    if (!setup) {
        printError(error);
        return kExitBadArguments;
    }
    // A text alone gets what `send TEXT` with the same options would send.
    BadgeArguments oneText = *args;
    oneText.messages = {{false, QString(), QString()}};
    const auto textBase = badgeSetupFor(oneText, stored->setup, &error);
    if (!textBase) {
        printError(error);
        return kExitBadArguments;
    }

    bool anyComName = ports.isEmpty();
    for (const QString &p : ports)
        anyComName = anyComName || portNumberOf(p) > 0;
    const PortMap map = anyComName ? PortMap::forSystem(stored->ports) : PortMap();
    if (ports.isEmpty()) {
        QtSerialPort probe(map);
        const PortScan scan = scanPorts(probe);
        if (scan.chosen.isEmpty()) {
            printError(QStringLiteral("no serial port opened; name one with --port (see 'glintag ports')"));
            return kExitPortFailed;
        }
        ports << scan.chosen;
    }

    BadgeService service(ports, *setup, programDir);
    service.setPortMap(map);
    service.setTextBase(*textBase);
    HttpApi api(service, http);
    if (!api.start(&error)) {
        printError(error);
        return kExitPortFailed;
    }
    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    QObject::connect(&service, &BadgeService::uploadFinished, &service, [quiet](const ServeUpload &u) {
        if (quiet)
            return;
        printError(QStringLiteral("%1 %2 #%3 (%4 bytes): %5")
                       .arg(u.at.time().toString(QStringLiteral("HH:mm:ss")), u.reason)
                       .arg(u.id)
                       .arg(u.bytes)
                       .arg(portResultsSummary(u.results)));
    });
    int stoppedBy = 0;
    StopSignals signals([&](int signal) {
        stoppedBy = signal;
        api.closeStreams();
        service.stop();
        QCoreApplication::exit(128 + signal);
    });
    const QString where = http.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(http.address.toString())
        : http.address.toString();
    printError(QStringLiteral("listening on http://%1:%2/ for %3").arg(where).arg(api.port()).arg(ports.join(QLatin1String(", "))));
    const int code = QCoreApplication::exec();
    if (stoppedBy)
        printError(QStringLiteral("stopped; %1").arg(ports.size() > 1 ? QStringLiteral("the ports are closed")
                                                                      : QStringLiteral("the port is closed")));
    return code;
}

} // namespace glintag
