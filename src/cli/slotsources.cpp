#include "cli/slotsources.h"

#include "cli/argumentbytes.h"
#include "cli/badgearguments.h"
#include "cli/commandline.h"
#include "cli/interruptwatch.h"
#include "cli/watchwords.h"
#include "files/profilefile.h"
#include "i18n/languages.h"
#include "preview/losswarnings.h"
#include "sending/sendjob.h"
#include "settings/keptsettings.h"
#include "settings/setupfile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace glintag {

NamedInput::~NamedInput()
{
    if (fd >= 0)
        ::close(fd);
}

namespace {

enum class BoundedRead {
    Done,
    Failed,  // errno says why; InterruptWatch::interrupted() tells a signal
    TooLarge // more than cap bytes came; *bytes holds what fitted
};

// All of a descriptor's bytes up to its end, appended to *bytes as long as
// they stay within `cap`.
BoundedRead readAtMost(int fd, qint64 cap, QByteArray *bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = InterruptWatch::read(fd, buffer, sizeof buffer);
        if (n < 0)
            return BoundedRead::Failed;
        if (n == 0)
            return BoundedRead::Done;
        if (bytes->size() + n > cap)
            return BoundedRead::TooLarge;
        bytes->append(buffer, n);
    }
}

// Reads what the user named with --settings: a regular file or, since the
// user chose it, a pipe such as "<(…)", up to the settings file's size cap.
// False with the reason in *why.
bool readNamedSettings(const QString &name, QByteArray *bytes, QString *why, bool *missing)
{
    NamedInput in;
    const bool standardInput = name == QLatin1String("-");
    in.fd = standardInput ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                          : ::open(argumentBytes(name).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (in.fd < 0) {
        *missing = errno == ENOENT && !standardInput;
        *why = systemError(errno);
        return false;
    }
    struct stat st = {};
    if (::fstat(in.fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
        *why = standardInput ? QStringLiteral("standard input is neither a file nor a pipe")
                             : QStringLiteral("neither a file nor a pipe");
        return false;
    }
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);
    const qint64 cap = ProfileFile::kMaxFileBytes;
    switch (readAtMost(in.fd, cap, bytes)) {
    case BoundedRead::Done:
        return true;
    case BoundedRead::Failed:
        *why = InterruptWatch::interrupted() ? QStringLiteral("stopped while reading it") : systemError(errno);
        return false;
    case BoundedRead::TooLarge:
        break;
    }
    *why = QStringLiteral("larger than a settings file may be (%1 bytes)").arg(cap);
    return false;
}

} // namespace

std::optional<StoredSettings> readStoredSettings(const QCommandLineParser &parser, const QString &programDir,
                                                 SettingsUse use, const QString &command)
{
    if (!parser.isSet(QStringLiteral("settings"))) {
        const QString path = settingsFileToRead(programDir);
        if (use == SettingsUse::SlotsSent) {
            // The first start's texts are the window's to show, never the
            // badge's to get unasked.
            ProfileFile saved;
            if (!saved.load(path) || !settingsContent(saved).slots) {
                printError(QStringLiteral("%1: nothing to send: no settings are saved; give a text (glintag %1 "
                                          "HELLO) or a settings file (--settings FILE)")
                               .arg(command));
                return std::nullopt;
            }
        }
        return loadStoredSettings(path);
    }
    const QString name = parser.value(QStringLiteral("settings"));
    QByteArray bytes;
    QString why;
    bool missing = false;
    if (name.isEmpty()) {
        printError(QStringLiteral("%1: --settings: allowed a file name").arg(command));
        return std::nullopt;
    }
    if (!readNamedSettings(name, &bytes, &why, &missing)) {
        printError(missing                           ? QStringLiteral("%1: --settings %2: no such file").arg(command, name)
                       : InterruptWatch::interrupted() ? QStringLiteral("%1: --settings %2: %3").arg(command, name, why)
                                                       : QStringLiteral("%1: --settings %2: cannot be read: %3")
                                                             .arg(command, name, why));
        return std::nullopt;
    }
    // A setup file's embedded pictures take their slots as well.
    const ProfileFile file = ProfileFile::fromBytes(bytes);
    const SettingsContent content = settingsContent(file);
    if (use != SettingsUse::PortsOnly && !content.known) {
        printError(QStringLiteral("%1: --settings %2: not a settings or setup file (no [Message1] to [Message%3], "
                                  "[Language] or [Ports] section)")
                       .arg(command, name)
                       .arg(kSlotCount));
        return std::nullopt;
    }
    if (use == SettingsUse::SlotsSent && !content.slots) {
        printError(QStringLiteral("%1: --settings %2: nothing to send: the file has no [Message1] to [Message%3] "
                                  "section; give a text (glintag %1 HELLO)")
                       .arg(command, name)
                       .arg(kSlotCount));
        return std::nullopt;
    }
    // Pictures a file names lie beside it; beside standard input, in the
    // current folder.
    StoredSettings stored = storedSettingsFrom(
        file, name == QLatin1String("-") ? QDir::currentPath() : QFileInfo(name).absolutePath(),
        PictureNames::InFileFolder);
    applyEmbeddedPictures(file, stored);
    return stored;
}

namespace {

// Reads all of standard input for the TEXT "-", up to the bound of every
// source of lines.
std::optional<QByteArray> readStandardInput(QString *error)
{
    QByteArray bytes;
    switch (readAtMost(STDIN_FILENO, kSlotSourceByteLimit, &bytes)) {
    case BoundedRead::Done:
        return bytes;
    case BoundedRead::Failed:
        *error = InterruptWatch::interrupted()
            ? QStringLiteral("-: stopped while waiting for standard input")
            : QStringLiteral("-: standard input cannot be read: %1").arg(systemError(errno));
        return std::nullopt;
    case BoundedRead::TooLarge:
        break;
    }
    *error = QStringLiteral("-: standard input holds more than %1 bytes").arg(kSlotSourceByteLimit);
    return std::nullopt;
}

} // namespace

bool checkStandardInputUse(const QString &command, const BadgeArguments &args, const QCommandLineParser &parser)
{
    int uses = parser.value(QStringLiteral("settings")) == QLatin1String("-") ? 1 : 0;
    for (const auto &m : args.messages)
        uses += m.value == QLatin1String("-") ? 1 : 0;
    if (uses <= 1)
        return true;
    printError(QStringLiteral("%1: -: allowed once: standard input is read for one TEXT, --settings or --picture")
                   .arg(command));
    return false;
}

bool readPicturesFromInput(const QString &command, BadgeArguments &args, std::vector<NamedInput> &keep, int *exitCode)
{
    for (auto &m : args.messages) {
        if (!m.picture || m.value != QLatin1String("-"))
            continue;
        *exitCode = kExitBadArguments;
#ifdef Q_OS_LINUX
        NamedInput memory;
        memory.fd = ::memfd_create("glintag-picture", MFD_CLOEXEC);
        if (memory.fd < 0) {
            printError(QStringLiteral("%1: --picture -: %2").arg(command, systemError(errno)));
            return false;
        }
        qint64 total = 0;
        char buffer[65536];
        for (;;) {
            const ssize_t n = InterruptWatch::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && InterruptWatch::interrupted()) {
                printError(QStringLiteral("%1: --picture -: stopped while waiting for standard input").arg(command));
                *exitCode = InterruptWatch::exitCode();
                return false;
            }
            if (n < 0) {
                printError(QStringLiteral("%1: --picture -: standard input cannot be read: %2")
                               .arg(command, systemError(errno)));
                return false;
            }
            if (n == 0)
                break;
            total += n;
            if (total > kMaxPictureInputBytes) {
                printError(QStringLiteral("%1: --picture -: standard input holds more than %2 bytes")
                               .arg(command)
                               .arg(kMaxPictureInputBytes));
                return false;
            }
            if (::write(memory.fd, buffer, size_t(n)) != n) {
                printError(QStringLiteral("%1: --picture -: %2").arg(command, systemError(errno)));
                return false;
            }
        }
        m.openAs = QStringLiteral("/proc/self/fd/%1").arg(memory.fd);
        keep.push_back(std::move(memory));
#else
        printError(QStringLiteral("%1: --picture -: allowed only on Linux; name a file").arg(command));
        return false;
#endif
    }
    return true;
}

void printTextsCut(const QString &command, const BadgeArguments &args)
{
    if (args.textsCut > 0)
        printError(QStringLiteral("%1: warning: %2").arg(command, textsCutText(args.textsCut)));
}

std::optional<FromLine> renderFromLine(Command &c, const QString &programDir, SendJob &job, int *exitCode)
{
    *exitCode = kExitBadArguments;
    QString error;
    auto args = readBadgeArguments(c.parser, c.arguments, &error);
    if (!args) {
        printError(QStringLiteral("%1: %2").arg(c.name, error));
        return std::nullopt;
    }
    if (!checkStandardInputUse(c.name, *args, c.parser))
        return std::nullopt;
    if (readsStandardInput(*args)) {
        // checkStandardInputUse() has refused a second "-" before anything
        // waits on the input.
        const auto input = readStandardInput(&error);
        if (!input || !readTextsFromInput(*args, *input, &error)) {
            printError(QStringLiteral("%1: %2").arg(c.name, error));
            return std::nullopt;
        }
        if (args->linesDropped > 0)
            printError(QStringLiteral("%1: -: warning: %2").arg(c.name, droppedLinesText(args->linesDropped)));
    }
    printTextsCut(c.name, *args);
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
    if (!readPicturesFromInput(c.name, *args, pictures, exitCode))
        return std::nullopt;
    const auto stored = readStoredSettings(
        c.parser, programDir, args->messages.isEmpty() ? SettingsUse::SlotsSent : SettingsUse::WithTexts, c.name);
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
            printError(p.outsideFolder
                           ? QStringLiteral("%1: warning: the picture named for slot %2 (%3) is outside the settings "
                                            "file's folder, so it was not opened and the slot is blank")
                                 .arg(c.name)
                                 .arg(p.slot + 1)
                                 .arg(p.file)
                           : QStringLiteral("%1: warning: the picture kept for slot %2 (%3) cannot be read, so the "
                                            "slot is blank: %4")
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

} // namespace glintag
