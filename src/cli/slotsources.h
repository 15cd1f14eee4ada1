#pragma once

#include "badge/badgesetup.h"
#include "cli/command.h"
#include "link/portmap.h"
#include "settings/keptsettings.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace glintag {

class SendJob;

// A file the user named, open for reading, whatever bytes its name holds.
struct NamedInput {
    int fd = -1;
    NamedInput() = default;
    NamedInput(const NamedInput &) = delete;
    NamedInput &operator=(const NamedInput &) = delete;
    NamedInput(NamedInput &&other) noexcept : fd(other.fd) { other.fd = -1; }
    ~NamedInput();
};

// What the settings are read for: their port names only, beside texts
// given on the line, or for the slots they hold, which are then sent.
enum class SettingsUse {
    PortsOnly,
    WithTexts,
    SlotsSent
};

// The settings the window uses, or those named with --settings; nothing
// with the reason printed. A file named that is no settings or setup file
// is refused, and when its slots are to be sent, so is one without any
// (and no saved settings at all): placeholders are never sent.
std::optional<StoredSettings> readStoredSettings(const QCommandLineParser &parser, const QString &programDir,
                                                 SettingsUse use, const QString &command);

struct BadgeArguments;

// "-" stands for standard input as a TEXT, as --settings and as --picture,
// and the input can be read only once: false with the error printed when
// it is named more than once.
bool checkStandardInputUse(const QString &command, const BadgeArguments &args, const QCommandLineParser &parser);

// Each "--picture -" is read from standard input (at most
// kMaxPictureInputBytes) into memory the picture loader opens as a file;
// `keep` holds it open for the run. False with the error printed, the
// signal's exit status in *exitCode when one ended the wait.
constexpr qint64 kMaxPictureInputBytes = 48LL * 1024 * 1024;
bool readPicturesFromInput(const QString &command, BadgeArguments &args, std::vector<NamedInput> &keep,
                           int *exitCode);

// One warning when texts were cut to the text limit.
void printTextsCut(const QString &command, const BadgeArguments &args);

struct FromLine {
    BadgeSetup setup;
    PortEntries ports; // the settings file's "Ports" section
};

// Arguments → setup → the job's rendering, the same the window's Send runs.
// The settings file is read once, for the setup and the port names.
std::optional<FromLine> renderFromLine(Command &c, const QString &programDir, SendJob &job, int *exitCode);

} // namespace glintag
