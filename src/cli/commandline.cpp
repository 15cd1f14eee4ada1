#include "cli/commandline.h"

#include "cli/argumentbytes.h"
#include "cli/badgearguments.h"
#include "cli/completions.h"
#include "cli/portresults.h"
#include "cli/previewimage.h"
#include "cli/progress.h"
#include "files/profilefile.h"
#include "i18n/languages.h"
#include "link/portmap.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "preview/facegif.h"
#include "preview/losswarnings.h"
#include "protocol/uploadprogress.h"
#include "protocol/uploadstream.h"
#include "sending/sendjob.h"
#include "sending/watchloop.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"
#include "settings/setupfile.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
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
                      "  completion SHELL\n"
                      "           Print the completion script for bash, zsh or fish.\n"
                      "  watch    Keep sending as the content changes: the time, a command's\n"
                      "           output, or lines from standard input.\n"
                      "\n"
                      "Options:\n"
                      "  -h, --help     Show this help; 'glintag help COMMAND' or\n"
                      "                 'glintag COMMAND --help' for a command.\n"
                      "  -v, --version  Show the version.\n";

// File names in a message come out as the bytes the user typed.
void printError(const QString &message)
{
    const QByteArray line = "glintag: " + argumentBytes(message) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void printVersion()
{
    std::printf("glintag %s\n", GLINTAG_VERSION);
}

// Ctrl+C must not kill the process in the middle of a write, and neither may
// the end of a session (SIGHUP) or a service manager's stop (SIGTERM): the
// handler only wakes the event loop, which stops the upload and closes the
// port. The process then ends with the usual 128 + the signal's number.
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
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &sa, &m_previous[i]);
        m_installed = true;
#endif
    }
    ~InterruptWatch()
    {
#ifdef Q_OS_UNIX
        if (m_installed)
            for (size_t i = 0; i < std::size(kSignals); ++i)
                ::sigaction(kSignals[i], &m_previous[i], nullptr);
        m_notifier.reset();
        for (int &fd : s_pipe)
            if (fd >= 0)
                ::close(fd), fd = -1;
#endif
    }

    static bool interrupted()
    {
        return s_signal != 0;
    }
    // The exit status for the signal that came.
    static int exitCode()
    {
        return 128 + int(s_signal);
    }
    std::function<void()> onInterrupt;

private:
#ifdef Q_OS_UNIX
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static void handle(int signal)
    {
        s_signal = signal;
        const char c = 1;
        [[maybe_unused]] const auto n = ::write(s_pipe[1], &c, 1);
    }
    struct sigaction m_previous[std::size(kSignals)] = {};
    bool m_installed = false;
    static inline int s_pipe[2] = {-1, -1};
#endif
    static inline volatile sig_atomic_t s_signal = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

QList<QCommandLineOption> sendOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        {QStringLiteral("port"),
         QStringLiteral("Port name as the window shows it (COM1 to COM32) or a device path. Default: the port the "
                        "window chooses at start-up. Give it more than once to send to several badges at once."),
         QStringLiteral("NAME")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Write the byte stream to FILE ('-' for standard output) instead of a port."),
         QStringLiteral("FILE")},
        {QStringLiteral("force"), QStringLiteral("Write to standard output even when it is a terminal.")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Show no progress.")},
    };
    return options;
}

QList<QCommandLineOption> previewOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        {QStringLiteral("png"),
         QStringLiteral("The PNG file to write ('-' for standard output); this or --gif is required."),
         QStringLiteral("FILE")},
        {QStringLiteral("gif"),
         QStringLiteral("The animated GIF to write: the badge face playing one full round at its own timing."),
         QStringLiteral("FILE")},
        {QStringLiteral("scale"),
         QStringLiteral("Pixels per dot, 1 to 8: 1 gives one white pixel per lit dot on black; "
                        "larger gives round lamps. Default: 6."),
         QStringLiteral("N")},
        {QStringLiteral("force"), QStringLiteral("Write to standard output even when it is a terminal.")},
    };
    return options;
}

QList<QCommandLineOption> portsOptions()
{
    return {
        {QStringLiteral("settings"), QStringLiteral("Read the \"Ports\" section of this settings file."),
         QStringLiteral("FILE")},
        {QStringLiteral("json"),
         QStringLiteral("Print every port name that has a device as JSON: name, device, whether it opens, "
                        "and the reason when it does not.")},
    };
}

QList<QCommandLineOption> watchOptions()
{
    QList<QCommandLineOption> options = badgeOptions();
    options += {
        {QStringLiteral("port"),
         QStringLiteral("Port name as the window shows it (COM1 to COM32) or a device path; more than once for "
                        "several badges. Default: the port the window chooses at start-up."),
         QStringLiteral("NAME")},
        {QStringLiteral("every"),
         QStringLiteral("Look at the content every SECONDS (1 to 86400). Default: %1.").arg(kWatchEverySeconds),
         QStringLiteral("SECONDS")},
        {QStringLiteral("exec"),
         QStringLiteral("Take the slots' texts from the output of COMMAND (run by /bin/sh at each look), "
                        "one line per slot."),
         QStringLiteral("COMMAND")},
        {QStringLiteral("exec-timeout"),
         QStringLiteral("Seconds COMMAND may run before it counts as failed (1 to 3600). Default: %1.")
             .arg(kWatchCommandTimeoutSeconds),
         QStringLiteral("SECONDS")},
        {{QStringLiteral("q"), QStringLiteral("quiet")},
         QStringLiteral("Print no line per upload; problems are still told.")},
    };
    return options;
}

// The commands, their help and their options: the parsers, the help texts
// and the completion scripts all read this one table.
QList<CommandTable> commandTable()
{
    return {
        {QStringLiteral("send"),
         QStringLiteral("Sends each TEXT to the next slot from slot 1 (and each --picture in its place), "
                        "or without TEXT what the window would send for the settings file. "
                        "A TEXT of '-' reads one slot's text per line from standard input."),
         true,
         sendOptions(),
         {QStringLiteral("picture"), QStringLiteral("port")}},
        {QStringLiteral("preview"),
         QStringLiteral("Writes the dots of every selected slot as a PNG picture, one strip per slot, "
                        "exactly as they would be sent."),
         true,
         previewOptions(),
         {QStringLiteral("picture")}},
        {QStringLiteral("ports"),
         QStringLiteral("Lists the port names the window would offer (those that open now), each with its "
                        "device; the window's start-up choice is marked with '*'."),
         false, portsOptions()},
        {QStringLiteral("completion"),
         QStringLiteral("Prints the completion script for SHELL: bash, zsh or fish."),
         false,
         {}},
        {QStringLiteral("watch"),
         QStringLiteral("Keeps the badge up to date: looks at the content every few seconds and sends it "
                        "whenever its bytes change. TEXT may hold {time:FORMAT} and {date:FORMAT} fields "
                        "(strftime, local time); a TEXT of '-' takes lines from standard input as they come, "
                        "an empty line ending each group of slots. Stops on Ctrl+C, SIGTERM or SIGHUP."),
         true,
         watchOptions(),
         {QStringLiteral("picture"), QStringLiteral("port")}},
    };
}

QStringList valueChoices(const QString &valueName)
{
    if (valueName == QLatin1String("FILE"))
        return {kFileValues};
    // --port: the names `glintag ports` lists.
    if (valueName == QLatin1String("NAME"))
        return {kPortValues};
    return badgeValueChoices(valueName);
}

// One subcommand's parser with its help and the shared options.
struct Command {
    QString name;
    QCommandLineParser parser;
    QStringList arguments; // as given, the command's name removed

    Command(const QString &commandName, const QStringList &allArguments) : name(commandName)
    {
        for (const CommandTable &t : commandTable()) {
            if (t.name != commandName)
                continue;
            parser.setApplicationDescription(t.summary);
            if (t.takesTexts)
                parser.addPositionalArgument(QStringLiteral("TEXT"),
                                             QStringLiteral("Message texts, one slot each ('-': standard input)."),
                                             QStringLiteral("[TEXT...]"));
            else if (commandName == QLatin1String("completion"))
                parser.addPositionalArgument(QStringLiteral("SHELL"), QStringLiteral("bash, zsh or fish."));
            parser.addOptions(t.options);
        }
        // Qt's --help-all would list Qt's own options; here it shows the same
        // help, and like --help it never goes on to act.
        parser.addHelpOption();
        parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")});
        arguments = allArguments;
        arguments.removeAt(1);
    }

    // False with the error printed when the line does not parse, or with
    // the help or the version printed when they were asked for.
    bool parse(int *exitCode)
    {
        if (!parser.parse(arguments)) {
            printError(QStringLiteral("%1: %2 (see 'glintag %1 --help')").arg(name, parser.errorText()));
            *exitCode = kExitBadArguments;
            return false;
        }
        if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
            // The usage line names this command, not the program's path.
            QString help = parser.helpText();
            const int start = help.indexOf(QLatin1String("Usage: "));
            const int end = help.indexOf(QLatin1Char(' '), start + 7);
            if (start >= 0 && end > start)
                help.replace(start + 7, end - start - 7, QStringLiteral("glintag ") + name);
            help.replace(QLatin1String("Displays help including Qt specific options."),
                         QLatin1String("The same as --help."));
            std::fputs(qPrintable(help), stdout);
            *exitCode = kExitSent;
            return false;
        }
        if (parser.isSet(QStringLiteral("version"))) {
            printVersion();
            *exitCode = kExitSent;
            return false;
        }
        return true;
    }
};

// A file the user named, open for reading, whatever bytes its name holds.
struct NamedInput {
    int fd = -1;
    ~NamedInput()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Reads what the user named with --settings: a regular file or, since the
// user chose it, a pipe such as "<(…)", up to the settings file's size cap.
// False with the reason in *why.
bool readNamedSettings(const QString &name, QByteArray *bytes, QString *why, bool *missing)
{
    NamedInput in;
    in.fd = ::open(argumentBytes(name).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (in.fd < 0) {
        *missing = errno == ENOENT;
        *why = systemError(errno);
        return false;
    }
    struct stat st = {};
    if (::fstat(in.fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode))) {
        *why = QStringLiteral("neither a file nor a pipe");
        return false;
    }
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);
    const qint64 cap = ProfileFile::kMaxFileBytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR && !InterruptWatch::interrupted())
            continue;
        if (n < 0) {
            *why = systemError(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (bytes->size() + n > cap) {
            *why = QStringLiteral("larger than a settings file may be (%1 bytes)").arg(cap);
            return false;
        }
        bytes->append(buffer, n);
    }
}

// The settings the window uses, or those named with --settings.
std::optional<StoredSettings> readStoredSettings(const QCommandLineParser &parser, const QString &programDir)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return loadStoredSettings(settingsFileToRead(programDir));
    const QString name = parser.value(QStringLiteral("settings"));
    QByteArray bytes;
    QString why;
    bool missing = false;
    if (name.isEmpty()) {
        printError(QStringLiteral("--settings: allowed a file name"));
        return std::nullopt;
    }
    if (!readNamedSettings(name, &bytes, &why, &missing)) {
        printError(missing ? QStringLiteral("--settings %1: no such file").arg(name)
                           : QStringLiteral("--settings %1: cannot be read: %2").arg(name, why));
        return std::nullopt;
    }
    // A setup file's embedded pictures take their slots as well.
    const ProfileFile file = ProfileFile::fromBytes(bytes);
    StoredSettings stored = storedSettingsFrom(file, QFileInfo(name).absolutePath());
    applyEmbeddedPictures(file, stored);
    return stored;
}

// Reads all of standard input for the TEXT "-", up to a size no sixteen
// lines of text come near.
std::optional<QByteArray> readStandardInput(QString *error)
{
    constexpr qint64 kMaxInput = 1024 * 1024;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR && !InterruptWatch::interrupted())
            continue;
        if (n < 0) {
            *error = QStringLiteral("-: standard input cannot be read: %1").arg(systemError(errno));
            return std::nullopt;
        }
        if (n == 0)
            return bytes;
        if (bytes.size() + n > kMaxInput) {
            *error = QStringLiteral("-: standard input holds more than %1 bytes").arg(kMaxInput);
            return std::nullopt;
        }
        bytes.append(buffer, n);
    }
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
    auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printError(QStringLiteral("%1: %2").arg(c.name, error));
        return std::nullopt;
    }
    if (readsStandardInput(*args)) {
        // A second "-" is refused before anything waits on the input.
        BadgeArguments probe = *args;
        const auto input
            = readTextsFromInput(probe, QByteArray("\n"), &error) ? readStandardInput(&error) : std::nullopt;
        if (!input || !readTextsFromInput(*args, *input, &error)) {
            printError(QStringLiteral("%1: %2").arg(c.name, error));
            return std::nullopt;
        }
    }
    // Qt opens names as UTF-8; a picture whose name is other bytes is opened
    // here and read through the descriptor.
    std::vector<NamedInput> pictures(size_t(args->messages.size()));
    for (int i = 0; i < args->messages.size(); ++i) {
        auto &m = args->messages[i];
        if (!m.picture || !hasStrayBytes(m.value))
            continue;
        pictures[size_t(i)].fd = ::open(argumentBytes(m.value).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (pictures[size_t(i)].fd >= 0)
            m.openAs = QStringLiteral("/proc/self/fd/%1").arg(pictures[size_t(i)].fd);
    }
    const auto stored = readStoredSettings(c.parser, programDir);
    if (!stored)
        return std::nullopt;
    const auto setup = badgeSetupFor(*args, stored->setup, &error);
    if (!setup) {
        printError(QStringLiteral("%1: %2").arg(c.name, error));
        return std::nullopt;
    }
    // Without TEXT the kept pictures are sent: one that did not come back is
    // worth a word, as the window's status line gives it, but no refusal.
    if (args->messages.isEmpty()) {
        for (const PictureProblem &p : stored->pictureProblems)
            printError(QStringLiteral("%1: warning: the picture kept for slot %2 (%3) cannot be read, so the slot is "
                                      "blank: %4")
                           .arg(c.name)
                           .arg(p.slot + 1)
                           .arg(p.file, p.reason));
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
    return FromLine{*setup, stored->ports};
}

// Checked before anything is rendered: a file name, or "-" for standard
// output, which like a compressor's refuses a terminal unless forced.
bool checkOutputTarget(const Command &c, const QString &option)
{
    const QString target = c.parser.value(option);
    if (target.isEmpty()) {
        printError(QStringLiteral("%1: --%2: allowed a file name or '-' for standard output").arg(c.name, option));
        return false;
    }
    if (target == QLatin1String("-") && ::isatty(STDOUT_FILENO) && !c.parser.isSet(QStringLiteral("force"))) {
        printError(QStringLiteral("%1: --%2 -: standard output is a terminal; redirect it, or add --force")
                       .arg(c.name, option));
        return false;
    }
    return true;
}

// Writes all of `bytes` to the target, "-" being standard output, and
// reports any write that fails: a full disk must not pass for success.
// Opens a file for the output, or a FIFO once its reader has come. A FIFO
// without a reader is said to be waited for: the open then blocks in the
// kernel, and as the signal handlers are installed without SA_RESTART,
// Ctrl+C, SIGTERM or SIGHUP end that wait with EINTR.
int openOutputFile(const QString &command, const QString &option, const QString &target)
{
    const QByteArray name = argumentBytes(target);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISFIFO(st.st_mode))
        return ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    if (errno != ENXIO) // ENXIO: nobody reads yet
        return -1;
    printError(QStringLiteral("%1: --%2 %3: waiting for a reader (Ctrl+C stops)").arg(command, option, target));
    if (InterruptWatch::interrupted()) {
        errno = EINTR;
        return -1;
    }
    return ::open(name.constData(), O_WRONLY | O_CLOEXEC);
}

int writeOutput(const QString &command, const QString &option, const QString &target, const QByteArray &bytes)
{
    const bool toStdout = target == QLatin1String("-");
    int fd = toStdout ? STDOUT_FILENO : openOutputFile(command, option, target);
    if (fd < 0 && errno == EINTR && InterruptWatch::interrupted()) {
        printError(QStringLiteral("%1: --%2 %3: stopped while waiting for a reader; nothing was written")
                       .arg(command, option, target));
        return InterruptWatch::exitCode();
    }
    if (fd < 0) {
        printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, systemError(errno)));
        return kExitPortFailed;
    }
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (!toStdout && ::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        printError(QStringLiteral("%1: --%2 %3: %4").arg(command, option, target, systemError(error)));
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

int uploadToPorts(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                  InterruptWatch &interrupts);

int uploadToPort(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                 InterruptWatch &interrupts)
{
    if (parser.values(QStringLiteral("port")).size() > 1)
        return uploadToPorts(parser, ports, job, streamSize, interrupts);
    const bool named = parser.isSet(QStringLiteral("port"));
    QString port = parser.value(QStringLiteral("port"));
    // Listing the system's devices takes longer than the rest of a run, so
    // it is done only when a "COM" name has to be looked up.
    if (!named || portNumberOf(port) > 0)
        job.setPortMap(PortMap::forSystem(ports));
    if (!named) {
        const PortScan scan = scanPorts(job.port());
        port = scan.chosen;
        if (port.isEmpty()) {
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printError(refused.isEmpty()
                           ? QStringLiteral("send: no serial port opened; name one with --port (see 'glintag ports')")
                           : QStringLiteral("send: no serial port opened: %1").arg(refused));
            if (permission)
                printError(permissionAdvice());
            return kExitPortFailed;
        }
    }
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();
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
    QObject::connect(&job, &SendJob::status, &scope,
                     [&progress](const UploadProgress &p) { progress.update(p.sent, p.quietSeconds); });
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
        return InterruptWatch::exitCode();
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
    Command c(QStringLiteral("send"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    const bool toFile = c.parser.isSet(QStringLiteral("output"));
    if (toFile && !checkOutputTarget(c, QStringLiteral("output")))
        return kExitBadArguments;

    // Installed before anything opens, so Ctrl+C at any point leaves the port
    // closed.
    InterruptWatch interrupts;
    SendJob job;
    const auto line = renderFromLine(c, programDir, job, &exitCode);
    if (!line)
        return exitCode;
    const QByteArray stream = uploadStream(job.snapshot());
    if (toFile)
        return writeOutput(c.name, QStringLiteral("output"), c.parser.value(QStringLiteral("output")), stream);
    return uploadToPort(c.parser, line->ports, job, stream.size(), interrupts);
}

// The ports named with --port, each a name or a path and each named once;
// false with the error printed.
bool checkPortNames(const QString &command, const QStringList &ports)
{
    for (int i = 0; i < ports.size(); ++i) {
        const QString &p = ports[i];
        if (portNumberOf(p) <= 0 && !p.startsWith(QLatin1Char('/'))) {
            printError(QStringLiteral("%1: --port %2: allowed COM1 to COM32 or a device path such as /dev/ttyUSB0")
                           .arg(command, p));
            return false;
        }
        if (ports.indexOf(p) < i) {
            printError(QStringLiteral("%1: --port %2: named twice").arg(command, p));
            return false;
        }
    }
    return true;
}

bool needsPortMap(const QStringList &ports)
{
    for (const QString &p : ports)
        if (portNumberOf(p) > 0)
            return true;
    return ports.isEmpty();
}

// The same stream to every port named, side by side: each port's upload
// ends on its own, and the summary says how each went.
int uploadToPorts(const QCommandLineParser &parser, const PortEntries &ports, SendJob &job, qint64 streamSize,
                  InterruptWatch &interrupts)
{
    const QStringList names = parser.values(QStringLiteral("port"));
    if (!checkPortNames(QStringLiteral("send"), names))
        return kExitBadArguments;
    MultiSend send;
    if (needsPortMap(names))
        send.setPortMap(PortMap::forSystem(ports));
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();
    const bool quiet = parser.isSet(QStringLiteral("quiet"));
    const bool terminal = ::isatty(STDERR_FILENO);
    if (send.start(job.snapshot(), names) > 0) {
        if (!quiet)
            std::fprintf(stderr, "glintag: sending %lld bytes to %d ports\n", static_cast<long long>(streamSize),
                         int(names.size()));
        // A log gets the slowest port's tenths, a terminal one bar per port.
        std::unique_ptr<PortBars> bars;
        if (!quiet && terminal)
            bars = std::make_unique<PortBars>(stderr, names, streamSize, kLineBytesPerSecond);
        ProgressReport lines(stderr, quiet || terminal ? ProgressReport::Style::None : ProgressReport::Style::Lines,
                             streamSize, kLineBytesPerSecond);
        lines.update(0);
        QList<qint64> sent(names.size(), streamSize);
        for (int i = 0; i < names.size(); ++i)
            if (send.results()[i].outcome.end == SendEnd::Uploaded)
                sent[i] = 0;
        QObject scope;
        QObject::connect(&send, &MultiSend::status, &scope, [&](int i, const UploadProgress &p) {
            sent[i] = p.sent;
            if (bars)
                bars->update(i, p.sent);
            lines.update(*std::min_element(sent.begin(), sent.end()));
        });
        QObject::connect(&send, &MultiSend::finished, &scope, [] { QCoreApplication::exit(); });
        interrupts.onInterrupt = [&send] { send.cancel(); };
        if (send.isRunning())
            QCoreApplication::exec();
        interrupts.onInterrupt = nullptr;
        // The uploader reports while blocks drain, not the last drop.
        for (int i = 0; i < names.size(); ++i) {
            if (send.results()[i].outcome.end != SendEnd::Uploaded)
                continue;
            sent[i] = send.results()[i].outcome.upload.bytesSent;
            if (bars)
                bars->update(i, sent[i]);
        }
        lines.update(*std::min_element(sent.begin(), sent.end()));
        lines.finish();
        if (bars)
            bars->finish();
    }
    bool permission = false;
    for (const PortResult &r : send.results())
        permission = permission || r.outcome.permissionDenied;
    printError(QStringLiteral("send: %1").arg(portResultsSummary(send.results())));
    if (permission)
        printError(permissionAdvice());
    return portResultsExitCode(send.results(), InterruptWatch::exitCode());
}

// A whole number of seconds from an option, within 1..max.
bool readSeconds(const Command &c, const QString &option, int max, int *seconds)
{
    if (!c.parser.isSet(option))
        return true;
    bool ok = false;
    const QString v = c.parser.value(option);
    const int n = v.toInt(&ok);
    if (!ok || n < 1 || n > max) {
        printError(QStringLiteral("%1: --%2 %3: allowed 1 to %4 seconds").arg(c.name, option, v).arg(max));
        return false;
    }
    *seconds = n;
    return true;
}

int runWatch(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("watch"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    int every = kWatchEverySeconds, timeout = kWatchCommandTimeoutSeconds;
    if (!readSeconds(c, QStringLiteral("every"), 86400, &every)
        || !readSeconds(c, QStringLiteral("exec-timeout"), 3600, &timeout))
        return kExitBadArguments;
    QStringList ports = c.parser.values(QStringLiteral("port"));
    if (!checkPortNames(c.name, ports))
        return kExitBadArguments;

    InterruptWatch interrupts;
    QString error;
    const auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printError(QStringLiteral("watch: %1").arg(error));
        return kExitBadArguments;
    }
    const bool fromCommand = c.parser.isSet(QStringLiteral("exec"));
    const bool fromInput = readsStandardInput(*args);
    if (fromCommand && !args->messages.isEmpty()) {
        printError(QStringLiteral("watch: --exec: allowed no TEXT or picture (the command's lines are the texts)"));
        return kExitBadArguments;
    }
    BadgeArguments probe = *args;
    if (fromInput && !readTextsFromInput(probe, QByteArray("\n"), &error)) {
        printError(QStringLiteral("watch: %1").arg(error));
        return kExitBadArguments;
    }
    const auto stored = readStoredSettings(c.parser, programDir);
    if (!stored)
        return kExitBadArguments;

    QStringList templates;
    for (const auto &m : args->messages)
        if (!m.picture)
            templates << m.value;
    const WatchLoop::SetupMaker maker = [&](const QStringList &texts, QString *why) -> std::optional<BadgeSetup> {
        BadgeArguments a = *args;
        if (fromCommand) {
            for (const QString &t : texts)
                a.messages.append({false, t, QString()});
        } else if (fromInput) {
            if (!readTextsFromInput(a, texts.join(QLatin1Char('\n')).toUtf8(), why))
                return std::nullopt;
        } else {
            int k = 0;
            for (auto &m : a.messages)
                if (!m.picture)
                    m.value = texts.value(k++);
        }
        return badgeSetupFor(a, stored->setup, why);
    };
    // A mistake in the texts or pictures shows at once, not at the first look.
    if (!fromCommand && !fromInput) {
        QStringList now;
        for (const QString &t : std::as_const(templates))
            now << expandTimeFields(t, QDateTime::currentDateTime());
        const auto setup = maker(now, &error);
        if (!setup) {
            printError(QStringLiteral("watch: %1").arg(error));
            return kExitBadArguments;
        }
        // The losses send would warn of, once: later contents differ only
        // in what the fields fill in.
        SendJob probeJob;
        probeJob.prepare(*setup, programDir);
        for (const LossWarning &warning : findLossWarnings(*setup, probeJob.snapshot().rendering))
            printError(
                QStringLiteral("watch: warning: %1").arg(lossWarningText(warning, UiEnglish, LanguageNaming::Option)));
    }

    PortMap map;
    if (needsPortMap(ports))
        map = PortMap::forSystem(stored->ports);
    if (ports.isEmpty()) {
        QtSerialPort probePort(map);
        const PortScan scan = scanPorts(probePort);
        if (scan.chosen.isEmpty()) {
            bool permission = false;
            const QString refused = refusals(scan, &permission);
            printError(refused.isEmpty()
                           ? QStringLiteral("watch: no serial port opened; name one with --port (see 'glintag ports')")
                           : QStringLiteral("watch: no serial port opened: %1").arg(refused));
            if (permission)
                printError(permissionAdvice());
            return kExitPortFailed;
        }
        ports << scan.chosen;
    }
    if (interrupts.interrupted())
        return InterruptWatch::exitCode();

    WatchLoop loop(ports, maker, programDir);
    loop.sender().setPortMap(map);
    if (needsPortMap(c.parser.values(QStringLiteral("port"))))
        loop.setPortMapSource([&stored] { return PortMap::forSystem(stored->ports); });
    loop.setInterval(qint64(every) * 1000);
    loop.runner().setTimeout(qint64(timeout) * 1000);
    if (fromCommand)
        loop.watchCommand(c.parser.value(QStringLiteral("exec")));
    else if (fromInput)
        loop.watchInput();
    else
        loop.watchTexts(templates);

    const bool quiet = c.parser.isSet(QStringLiteral("quiet"));
    bool inputEnded = false;
    // Once standard input has ended and its last group is out, the watch
    // has nothing more to wait for.
    const auto endIfDone = [&] {
        QTimer::singleShot(0, &loop, [&] {
            if (inputEnded && !loop.isSending() && !InterruptWatch::interrupted())
                QCoreApplication::exit(kExitSent);
        });
    };
    QObject::connect(&loop, &WatchLoop::uploadFinished, &loop, [&](const WatchUpload &u) {
        if (!quiet) {
            const QByteArray line = "glintag: watch: "
                + argumentBytes(QStringLiteral("%1 %2 (%3 bytes): %4")
                                    .arg(u.at.time().toString(QStringLiteral("HH:mm:ss")), u.reason)
                                    .arg(u.bytes)
                                    .arg(portResultsSummary(u.results)))
                + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
        }
        endIfDone();
    });
    QObject::connect(&loop, &WatchLoop::notice, &loop,
                     [](const QString &message) { printError(QStringLiteral("watch: %1").arg(message)); });
    std::unique_ptr<QSocketNotifier> input;
    if (fromInput) {
        // One read per wake-up never blocks; the input is left in blocking
        // mode, as a terminal shared with the shell must be.
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, &loop, [&] {
            char buffer[4096];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                loop.feedInput(QByteArray(buffer, n));
                return;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (n < 0)
                printError(QStringLiteral("watch: -: standard input cannot be read: %1").arg(systemError(errno)));
            input->setEnabled(false);
            inputEnded = true;
            loop.endInput();
            endIfDone();
        });
    }
    interrupts.onInterrupt = [&loop] {
        loop.stop();
        QCoreApplication::exit(InterruptWatch::exitCode());
    };
    loop.start();
    exitCode = QCoreApplication::exec();
    interrupts.onInterrupt = nullptr;
    if (!InterruptWatch::interrupted())
        return exitCode;
    loop.stop();
    const QList<PortResult> &results = loop.sender().results();
    bool stoppedUpload = false;
    for (const PortResult &r : results)
        stoppedUpload = stoppedUpload || (r.outcome.end == SendEnd::Uploaded && r.outcome.upload.cancelled);
    const QString closed
        = ports.size() > 1 ? QStringLiteral("the ports are closed") : QStringLiteral("the port is closed");
    if (!stoppedUpload)
        printError(QStringLiteral("watch: stopped; %1").arg(closed));
    else if (results.size() == 1)
        printError(QStringLiteral("watch: stopped after %1 of %2 bytes; %3")
                       .arg(results[0].outcome.upload.bytesSent)
                       .arg(results[0].outcome.upload.totalBytes)
                       .arg(closed));
    else
        printError(QStringLiteral("watch: stopped: %1; %2").arg(portResultsSummary(results), closed));
    return InterruptWatch::exitCode();
}

int runPreview(const QStringList &all, const QString &programDir)
{
    Command c(QStringLiteral("preview"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    if (!c.parser.isSet(QStringLiteral("png")) && !c.parser.isSet(QStringLiteral("gif"))) {
        printError(QStringLiteral("preview: --png FILE or --gif FILE is required"));
        return kExitBadArguments;
    }
    const bool toPng = c.parser.isSet(QStringLiteral("png"));
    if (toPng && !checkOutputTarget(c, QStringLiteral("png")))
        return kExitBadArguments;
    if (c.parser.isSet(QStringLiteral("gif")) && c.parser.value(QStringLiteral("gif")).isEmpty()) {
        printError(QStringLiteral("preview: --gif: allowed a file name"));
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
    const UploadSnapshot &sent = job.snapshot();
    if (c.parser.isSet(QStringLiteral("gif"))) {
        const QString gif = c.parser.value(QStringLiteral("gif"));
        QString why;
        // A GIF lamp needs two pixels to be round at all.
        if (!writeFaceGif(faceRound(line->setup, sent.rendering), gif, std::max(scale, 2), &why)) {
            printError(QStringLiteral("preview: --gif %1: %2").arg(gif, why));
            return kExitPortFailed;
        }
        if (!toPng)
            return kExitSent;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!previewImage(sent.rendering.dots, sent.rendering.sent, selected, scale).save(&buffer, "PNG")) {
        printError(QStringLiteral("preview: the PNG picture cannot be made"));
        return kExitLineFailed;
    }
    return writeOutput(c.name, QStringLiteral("png"), c.parser.value(QStringLiteral("png")), png);
}

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
    const auto stored = readStoredSettings(c.parser, programDir);
    if (!stored)
        return kExitBadArguments;
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
            printError(permissionAdvice());
        return kExitPortFailed;
    }
    return kExitSent;
}

int runCompletion(const QStringList &all)
{
    Command c(QStringLiteral("completion"), all);
    int exitCode = kExitSent;
    if (!c.parse(&exitCode))
        return exitCode;
    const QStringList shells = c.parser.positionalArguments();
    const QString script
        = shells.size() == 1 ? completionScript(shells.first(), commandTable(), valueChoices) : QString();
    if (script.isEmpty()) {
        printError(QStringLiteral("completion: %1: allowed one of %2")
                       .arg(shells.join(QLatin1Char(' ')), completionShells().join(QLatin1String(", "))));
        return kExitBadArguments;
    }
    std::fputs(script.toUtf8().constData(), stdout);
    return kExitSent;
}

int dispatch(QStringList all, const QString &programDir)
{
    QString command = all.value(1);
    // "glintag help send" is "glintag send --help".
    if (command == QLatin1String("help") && all.size() > 2) {
        command = all[2];
        all = QStringList{all[0], command, QStringLiteral("--help")};
    }
    if (command == QLatin1String("send"))
        return runSend(all, programDir);
    if (command == QLatin1String("preview"))
        return runPreview(all, programDir);
    if (command == QLatin1String("ports"))
        return runPorts(all, programDir);
    if (command == QLatin1String("completion"))
        return runCompletion(all);
    if (command == QLatin1String("watch"))
        return runWatch(all, programDir);
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        printVersion();
        return kExitSent;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return kExitSent;
    }
    printError(
        QStringLiteral("%1: unknown command; allowed: send, preview, ports, completion, watch, --help, --version")
            .arg(command));
    return kExitBadArguments;
}

} // namespace

int runCommandLine(int argc, char **argv)
{
    // The arguments as bytes, before anything decodes them.
    QStringList all;
    for (int i = 0; i < argc; ++i)
        all << decodeArgument(QByteArray(argv[i]));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLINTAG_VERSION));
    const int exitCode = dispatch(all, QCoreApplication::applicationDirPath());

    // Help, a version or a list that never reached its reader is a failure
    // like any other write.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (!flushed || std::ferror(stdout)) {
        printError(QStringLiteral("standard output: %1")
                       .arg(!flushed && errno != 0 ? systemError(errno) : QStringLiteral("write error")));
        return exitCode == kExitSent ? kExitLineFailed : exitCode;
    }
    return exitCode;
}

} // namespace glintag
