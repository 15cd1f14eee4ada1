#include "cli/commandline.h"

#include "cli/badgearguments.h"
#include "cli/previewimage.h"
#include "cli/progress.h"
#include "i18n/languages.h"
#include "link/portmap.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "preview/losswarnings.h"
#include "protocol/uploadprogress.h"
#include "protocol/uploadstream.h"
#include "sending/sendjob.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace glintag {

namespace {

const char kUsage[] = "Usage: glintag [COMMAND [OPTIONS] [TEXT...]]\n"
                      "Programs an LED name badge. Without a command, opens the window.\n"
                      "\n"
                      "Commands:\n"
                      "  send     Send texts, pictures or the saved settings to the badge.\n"
                      "  preview  Write the dots that would be sent as a PNG picture.\n"
                      "  ports    List the port names the window offers, with their devices.\n"
                      "\n"
                      "Options:\n"
                      "  -h, --help     Show this help; 'glintag COMMAND --help' for a command.\n"
                      "  -v, --version  Show the version.\n";

void printError(const QString &message)
{
    std::fprintf(stderr, "glintag: %s\n", qPrintable(message));
}

// Ctrl+C must not kill the process in the middle of a write: the handler only
// wakes the event loop, which stops the upload and closes the port.
class InterruptWatch {
public:
    InterruptWatch()
    {
#ifdef Q_OS_UNIX
        if (::pipe(s_pipe) != 0)
            return;
        ::fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            m_notifier->setEnabled(false);
            if (onInterrupt)
                onInterrupt();
        });
        struct sigaction sa = {};
        sa.sa_handler = &InterruptWatch::handle;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &m_previous);
        m_installed = true;
#endif
    }
    ~InterruptWatch()
    {
#ifdef Q_OS_UNIX
        if (m_installed)
            ::sigaction(SIGINT, &m_previous, nullptr);
        m_notifier.reset();
        for (int &fd : s_pipe)
            if (fd >= 0)
                ::close(fd), fd = -1;
#endif
    }

    static bool interrupted()
    {
        return s_interrupted != 0;
    }
    std::function<void()> onInterrupt;

private:
#ifdef Q_OS_UNIX
    static void handle(int)
    {
        s_interrupted = 1;
        const char c = 1;
        [[maybe_unused]] const auto n = ::write(s_pipe[1], &c, 1);
    }
    struct sigaction m_previous = {};
    bool m_installed = false;
    static inline int s_pipe[2] = {-1, -1};
#endif
    static inline volatile sig_atomic_t s_interrupted = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// One subcommand's parser with its help and the shared options.
struct Command {
    QString name;
    QCommandLineParser parser;
    QStringList arguments; // as given, the command's name removed

    Command(const QString &commandName, const QString &description, const QString &syntax,
            const QStringList &allArguments) :
        name(commandName)
    {
        parser.setApplicationDescription(description);
        parser.addHelpOption();
        if (!syntax.isEmpty())
            parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("Message texts, one slot each."),
                                         syntax);
        arguments = allArguments;
        arguments.removeAt(1);
    }

    // False with the error printed when the line does not parse.
    bool parse(int *exitCode)
    {
        if (!parser.parse(arguments)) {
            printError(QStringLiteral("%1: %2 (see 'glintag %1 --help')").arg(name, parser.errorText()));
            *exitCode = kExitBadArguments;
            return false;
        }
        if (parser.isSet(QStringLiteral("help"))) {
            // The usage line names this command, not the program's path.
            QString help = parser.helpText();
            const int start = help.indexOf(QLatin1String("Usage: "));
            const int end = help.indexOf(QLatin1Char(' '), start + 7);
            if (start >= 0 && end > start)
                help.replace(start + 7, end - start - 7, QStringLiteral("glintag ") + name);
            std::fputs(qPrintable(help), stdout);
            *exitCode = kExitSent;
            return false;
        }
        return true;
    }
};

// The settings file the window uses, or the one named with --settings.
std::optional<QString> settingsPath(const QCommandLineParser &parser, const QString &programDir)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return settingsFilePath(programDir);
    const QString path = parser.value(QStringLiteral("settings"));
    const QFileInfo info(path);
    if (!info.exists()) {
        printError(QStringLiteral("--settings %1: no such file").arg(path));
        return std::nullopt;
    }
    QFile f(path);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("--settings %1: cannot be read").arg(path));
        return std::nullopt;
    }
    return path;
}

struct FromLine {
    BadgeSetup setup;
    PortEntries ports; // the settings file's "Ports" section
};

// Arguments → setup → the job's rendering, the same the window's Send runs.
// The settings file is read once, for the setup and the port names.
std::optional<FromLine> renderFromLine(Command &c, const QString &programDir, SendJob &job, int *exitCode)
{
    *exitCode = kExitBadArguments;
    QString error;
    const auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printError(QStringLiteral("%1: %2").arg(c.name, error));
        return std::nullopt;
    }
    const auto path = settingsPath(c.parser, programDir);
    if (!path)
        return std::nullopt;
    const StoredSettings stored = loadStoredSettings(*path);
    const auto setup = badgeSetupFor(*args, stored.setup, &error);
    if (!setup) {
        printError(QStringLiteral("%1: %2").arg(c.name, error));
        return std::nullopt;
    }

    for (const QString &note : pictureNotes(*args, *setup))
        printError(QStringLiteral("%1: warning: %2").arg(c.name, note));
    const bool ready = job.prepare(*setup, programDir);
    // What the preview panel warns of, a script's log should say too: the
    // upload still goes ahead. The command line speaks English whatever
    // language draws the text.
    for (const LossWarning &warning : findLossWarnings(*setup, job.snapshot().rendering))
        printError(
            QStringLiteral("%1: warning: %2").arg(c.name, lossWarningText(warning, UiEnglish, LanguageNaming::Option)));
    if (!ready) {
        printError(QStringLiteral("%1: nothing to send: the selected slots are empty").arg(c.name));
        return std::nullopt;
    }
    return FromLine{*setup, stored.ports};
}

int writeStream(const QByteArray &stream, const QString &target)
{
    QFile file;
    const bool opened = target == QLatin1String("-")
        ? file.open(stdout, QIODevice::WriteOnly)
        : (file.setFileName(target), file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened) {
        printError(QStringLiteral("send: --output %1: %2").arg(target, file.errorString()));
        return kExitPortFailed;
    }
    if (file.write(stream) != stream.size() || !file.flush()) {
        printError(QStringLiteral("send: --output %1: %2").arg(target, file.errorString()));
        return kExitLineFailed;
    }
    return kExitSent;
}

// How the command line names the port it opened or could not open.
QString portDescription(const SendOutcome &o)
{
    if (o.portName.isEmpty())
        return o.device;
    return QStringLiteral("%1 (%2)").arg(o.portName, o.device.isEmpty() ? QStringLiteral("no device") : o.device);
}

int uploadToPort(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                 InterruptWatch &interrupts)
{
    const bool named = parser.isSet(QStringLiteral("port"));
    QString port = parser.value(QStringLiteral("port"));
    // Listing the system's devices takes longer than the rest of a run, so
    // it is done only when a "COM" name has to be looked up.
    if (!named || portNumberOf(port) > 0)
        job.setPortMap(PortMap::forSystem(ports));
    if (!named) {
        port = scanPorts(job.port()).chosen;
        if (port.isEmpty()) {
            printError(QStringLiteral("send: no serial port opened; name one with --port (see 'glintag ports')"));
            return kExitPortFailed;
        }
    }
    if (interrupts.interrupted())
        return kExitInterrupted;
    if (!job.start(port, SendJob::PortNaming::NamesOrPaths)) {
        const SendOutcome &o = job.outcome();
        if (o.end == SendEnd::BadPortName) {
            printError(QStringLiteral("send: --port %1: allowed COM1 to COM32 or a device path such as "
                                      "/dev/ttyUSB0")
                           .arg(port));
            return kExitBadArguments;
        }
        printError(QStringLiteral("send: cannot open %1: %2").arg(portDescription(o), o.openError));
        if (o.permissionDenied)
            printError(permissionAdvice());
        return kExitPortFailed;
    }

    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool terminal = ::isatty(STDERR_FILENO);
    const auto style
        = quiet ? ProgressReport::Style::None : (terminal ? ProgressReport::Style::Bar : ProgressReport::Style::Lines);
    if (!quiet)
        std::fprintf(stderr, "glintag: sending %lld bytes to %s\n", static_cast<long long>(streamSize),
                     qPrintable(portDescription(job.outcome())));
    ProgressReport progress(stderr, style, streamSize, kLineBytesPerSecond);
    progress.update(0);

    // The job's uploader has the window's stall limit: a line that stops
    // taking data ends the upload instead of holding it for ever. The
    // process's one event loop runs until the job has closed the port.
    QObject scope;
    QObject::connect(&job, &SendJob::status, &scope, [&progress](const UploadProgress &p) { progress.update(p.sent); });
    QObject::connect(&job, &SendJob::finished, &scope, [] { QCoreApplication::exit(); });
    interrupts.onInterrupt = [&job] { job.cancel(); };
    if (job.isRunning())
        QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    const UploadOutcome &outcome = job.outcome().upload;
    const qint64 sent = outcome.bytesSent;
    progress.update(sent); // the uploader reports while blocks drain, not the last drop
    progress.finish();

    if (outcome.cancelled || interrupts.interrupted()) {
        printError(QStringLiteral("send: stopped after %1 of %2 bytes; the port is closed").arg(sent).arg(streamSize));
        return kExitInterrupted;
    }
    if (outcome.stalled) {
        printError(QStringLiteral("send: the line stopped taking data after %1 of %2 bytes").arg(sent).arg(streamSize));
        return kExitLineFailed;
    }
    if (outcome.lineLost || outcome.failedWrites > 0) {
        printError(QStringLiteral("send: the line was lost after %1 of %2 bytes").arg(sent).arg(streamSize));
        return kExitLineFailed;
    }
    return kExitSent;
}

int runSend(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("send"),
              QStringLiteral("Sends each TEXT to the next slot from slot 1 (and each --picture in its place), "
                             "or without TEXT what the window would send for the settings file."),
              QStringLiteral("[TEXT...]"), all);
    c.parser.addOptions(badgeOptions());
    c.parser.addOptions({
        {QStringLiteral("port"),
         QStringLiteral("Port name as the window shows it (COM1 to COM32) or a device path. Default: the port the "
                        "window chooses at start-up."),
         QStringLiteral("NAME")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Write the byte stream to FILE ('-' for standard output) instead of a port."),
         QStringLiteral("FILE")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Show no progress.")},
    });
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;

    // Installed before anything opens, so Ctrl+C at any point leaves the port
    // closed.
    InterruptWatch interrupts;
    SendJob job;
    const auto line = renderFromLine(c, programDir, job, &exitCode);
    if (!line)
        return exitCode;
    const QByteArray stream = uploadStream(job.snapshot());
    if (c.parser.isSet(QStringLiteral("output")))
        return writeStream(stream, c.parser.value(QStringLiteral("output")));
    return uploadToPort(c.parser, line->ports, job, stream.size(), interrupts);
}

int runPreview(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("preview"),
              QStringLiteral("Writes the dots of every selected slot as a PNG picture, one strip per slot, "
                             "exactly as they would be sent."),
              QStringLiteral("[TEXT...]"), all);
    c.parser.addOptions(badgeOptions());
    c.parser.addOptions({
        {QStringLiteral("png"), QStringLiteral("The PNG file to write (required)."), QStringLiteral("FILE")},
        {QStringLiteral("scale"),
         QStringLiteral("Pixels per dot, 1 to 8: 1 gives one white pixel per lit dot on black; "
                        "larger gives round lamps. Default: 6."),
         QStringLiteral("N")},
    });
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    if (!c.parser.isSet(QStringLiteral("png"))) {
        printError(QStringLiteral("preview: --png FILE is required"));
        return kExitBadArguments;
    }
    int scale = 6;
    if (c.parser.isSet(QStringLiteral("scale"))) {
        bool ok = false;
        const QString v = c.parser.value(QStringLiteral("scale"));
        scale = v.toInt(&ok);
        if (!ok || scale < 1 || scale > 8) {
            printError(QStringLiteral("preview: --scale %1: allowed 1 to 8").arg(v));
            return kExitBadArguments;
        }
    }
    SendJob job;
    const auto line = renderFromLine(c, programDir, job, &exitCode);
    if (!line)
        return exitCode;
    QList<int> selected;
    for (int i = 0; i < kSlotCount; ++i)
        if (line->setup.slots[i].select)
            selected << i;
    const QString png = c.parser.value(QStringLiteral("png"));
    const UploadSnapshot &sent = job.snapshot();
    if (!previewImage(sent.rendering.dots, sent.rendering.sent, selected, scale).save(png, "PNG")) {
        printError(QStringLiteral("preview: --png %1: cannot be written").arg(png));
        return kExitPortFailed;
    }
    return kExitSent;
}

int runPorts(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("ports"),
              QStringLiteral("Lists the port names the window would offer (those that open now), each with its "
                             "device; the window's start-up choice is marked with '*'."),
              QString(), all);
    c.parser.addOption({QStringLiteral("settings"), QStringLiteral("Read the \"Ports\" section of this settings file."),
                        QStringLiteral("FILE")});
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    if (!c.parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("ports: %1: allowed no arguments").arg(c.parser.positionalArguments().first()));
        return kExitBadArguments;
    }
    const auto path = settingsPath(c.parser, programDir);
    if (!path)
        return kExitBadArguments;
    const PortMap map = PortMap::forSystem(loadPortEntries(*path));
    QtSerialPort probe(map);
    const PortScan scan = scanPorts(probe);
    for (const QString &name : scan.names)
        std::printf("%s\t%s%s\n", qPrintable(name), qPrintable(map.devicePath(name)), name == scan.chosen ? "\t*" : "");
    if (scan.names.isEmpty())
        printError(QStringLiteral("ports: no serial port opened"));
    return kExitSent;
}

} // namespace

int runCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLINTAG_VERSION));
    const QStringList all = QCoreApplication::arguments();
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString command = all.value(1);

    if (command == QLatin1String("send"))
        return runSend(all, programDir);
    if (command == QLatin1String("preview"))
        return runPreview(all, programDir);
    if (command == QLatin1String("ports"))
        return runPorts(all, programDir);
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("glintag %s\n", GLINTAG_VERSION);
        return kExitSent;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return kExitSent;
    }
    printError(QStringLiteral("%1: unknown command; allowed: send, preview, ports, --help, --version").arg(command));
    return kExitBadArguments;
}

} // namespace glintag
