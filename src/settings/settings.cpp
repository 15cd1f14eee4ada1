#include "settings/settings.h"

#include "files/profilefile.h"
#include "render/codepage.h"
#include "settings/keptsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <limits>

namespace glintag {

namespace {

const QString kLanguage = QStringLiteral("Language");
const QString kAlternate = QStringLiteral("Alternate");
const QString kBeginMsg = QStringLiteral("AlternateBeginMsg");
const QString kMsgNum = QStringLiteral("AlternateMsgNum");

QString slotSection(int n)
{
    return QStringLiteral("Message%1").arg(n);
}
QString slotTextKey(int n)
{
    return QStringLiteral("Message%1Text").arg(n);
}

// A stored number the window would never have written reads as the default.
int readInRange(const ProfileFile &file, const QString &section, const QString &key, int defaultValue, int low,
                int high)
{
    const int v = file.readInt(section, key, defaultValue);
    return (v < low || v > high) ? defaultValue : v;
}

int readCheck(const ProfileFile &file, const QString &section, const char *key, int defaultValue)
{
    return readInRange(file, section, QLatin1String(key), defaultValue, 0, 1);
}

// A slot's mode as a list position. -1 is "no item selected", which the
// window writes as is; a missing key, or a mode the slot's list does not
// offer, reads as the default.
int readMode(const ProfileFile &file, const QString &section, int slot)
{
    const int number = file.readInt(section, QStringLiteral("Mode"), std::numeric_limits<int>::min());
    if (number == kNoMoveMode)
        return kNoMoveMode;
    const std::optional<MoveMode> mode = moveModeFromSettings(number);
    return mode && offersMoveMode(slot, *mode) ? listPosition(*mode) : SlotSetup().mode;
}

bool isLeadByte(const char *codePage, unsigned char c)
{
    if (std::strcmp(codePage, "windows-932") == 0)
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (std::strcmp(codePage, "windows-936") == 0 || std::strcmp(codePage, "windows-950") == 0
        || std::strcmp(codePage, "windows-949") == 0)
        return c >= 0x81 && c <= 0xFE;
    return false;
}

// The byte limit may have split a double-byte character; drop its lone
// lead byte rather than show a replacement character.
QByteArray dropSplitCharacter(const char *codePage, const QByteArray &bytes)
{
    int i = 0;
    const int n = bytes.size();
    while (i < n) {
        if (!isLeadByte(codePage, static_cast<unsigned char>(bytes.at(i)))) {
            ++i;
            continue;
        }
        if (i + 1 == n)
            return bytes.left(i);
        i += 2;
    }
    return bytes;
}

} // namespace

SettingsContent settingsContent(const ProfileFile &file)
{
    SettingsContent content;
    for (int n = 1; n <= kSlotCount && !content.slots; ++n)
        content.slots = !file.sectionEntries(slotSection(n)).isEmpty();
    content.known = content.slots;
    for (const QString &section : {kLanguage, kAlternate, QString::fromLatin1(kKeptSection), QStringLiteral("Ports")})
        content.known = content.known || !file.sectionEntries(section).isEmpty();
    return content;
}

BadgeSetup readSettings(const ProfileFile &file)
{
    BadgeSetup s = defaultBadgeSetup();

    // -1 is "no item selected", which the window writes as is.
    s.language = readInRange(file, kLanguage, kLanguage, 0, -1, 4);

    // Texts that are not UTF-8 come from a file written under a legacy code
    // page; the language stored beside them tells which one.
    const char *codePage = codePageNameForLanguage(s.language);
    const ProfileFile::LegacyDecoder legacy = [codePage](const QByteArray &bytes) {
        return CodePage::shared(codePage).decode(dropSplitCharacter(codePage, bytes));
    };

    for (int n = 1; n <= kSlotCount; ++n) {
        SlotSetup &slot = s.slots[size_t(n - 1)];
        const QString section = slotSection(n);
        slot.text = file.readString(section, slotTextKey(n), QStringLiteral("MESSAGE%1").arg(n), legacy);
        slot.select = readCheck(file, section, "Select", 1) != 0;
        // Stored as list position + 1: 1..8 for the items, 0 for none (an
        // empty speed box).
        const int speed = readInRange(file, section, QStringLiteral("Speed"), 3, 0, kSpeedMax - kSpeedMin + 1);
        slot.speed = speed > 0 ? QString::number(speed) : QString();
        slot.mode = readMode(file, section, n - 1);
        slot.flash = readCheck(file, section, "Flash", 0) != 0;
        slot.border = readCheck(file, section, "LoopLamp", 0) != 0;
        slot.image = readCheck(file, section, "Image", 0) != 0;
        slot.vertical = readCheck(file, section, "VerticalShow", 0) != 0;
    }

    // The boxes can only ever give a group inside the sixteen slots; any
    // other pair is no group at all rather than a guess at one.
    const int begin = file.readInt(kAlternate, kBeginMsg, 0);
    const int num = file.readInt(kAlternate, kMsgNum, 0);
    if (begin >= 0 && begin < kSlotCount && num >= 0 && num <= kSlotCount - begin)
        for (int i = begin; i < begin + num; ++i)
            s.slots[size_t(i)].alternate = true;
    return s;
}

void writeSettings(ProfileFile &file, const BadgeSetup &setup)
{
    for (int n = 1; n <= kSlotCount; ++n) {
        const SlotSetup &slot = setup.slots[size_t(n - 1)];
        const QString section = slotSection(n);
        file.writeString(section, slotTextKey(n), slot.text);
        file.writeInt(section, QStringLiteral("Select"), slot.select ? 1 : 0);
        file.writeInt(section, QStringLiteral("Speed"), speedPosition(slot.speed) + 1);
        const std::optional<MoveMode> mode = moveModeAt(slot.mode);
        file.writeInt(section, QStringLiteral("Mode"), mode ? moveModeFacts(*mode).settingsNumber : kNoMoveMode);
        file.writeInt(section, QStringLiteral("Flash"), slot.flash ? 1 : 0);
        file.writeInt(section, QStringLiteral("LoopLamp"), slot.border ? 1 : 0);
        file.writeInt(section, QStringLiteral("Image"), slot.image ? 1 : 0);
        file.writeInt(section, QStringLiteral("VerticalShow"), slot.vertical ? 1 : 0);
    }
    file.writeInt(kLanguage, kLanguage, setup.language);
    const AlternateGroup group = setup.alternateGroup();
    file.writeInt(kAlternate, kBeginMsg, group.first);
    file.writeInt(kAlternate, kMsgNum, group.count);
}

QList<QPair<QString, QString>> readPortEntries(const ProfileFile &file)
{
    return file.sectionEntries(QStringLiteral("Ports"));
}

QList<QPair<QString, QString>> loadPortEntries(const QString &path)
{
    ProfileFile file;
    file.load(path);
    return readPortEntries(file);
}

BadgeSetup loadSettingsFile(const QString &path)
{
    // The kept section and the pictures too, so that whoever reads the file
    // sends what the window would.
    return loadStoredSettings(path).setup;
}

bool saveSettingsFile(const QString &path, const BadgeSetup &setup, QString *reason)
{
    ProfileFile file;
    // Writing over a file we could not read would drop its other sections.
    if (!file.load(path, reason))
        return false;
    writeSettings(file, setup);
    return file.save(path, reason);
}

namespace {

// The atomic save puts a temporary file beside the settings file, so the
// folder itself must be writable, not just the file. An installed program
// (its data in ../share/glintag) never writes into its bin folder, even
// where root could: removing the package must leave only the user's own
// settings behind.
bool keepsSettingsBesideItself(const QString &programDir)
{
    const bool installed = QFileInfo(QDir(programDir).filePath(QStringLiteral("../share/glintag"))).isDir();
    return !installed && QFileInfo(programDir).isWritable();
}

} // namespace

QString settingsFileToRead(const QString &programDir)
{
    const QString local = QDir(programDir).filePath(QLatin1String(kSettingsFileName));
    if (keepsSettingsBesideItself(programDir))
        return local;
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (configDir.isEmpty())
        return local;
    const QString user = QDir(configDir).filePath(QLatin1String(kSettingsFileName));
    if (!QFileInfo::exists(user) && QFileInfo(local).isFile())
        return local;
    return user;
}

QString settingsFilePath(const QString &programDir)
{
    const QString local = QDir(programDir).filePath(QLatin1String(kSettingsFileName));
    if (keepsSettingsBesideItself(programDir))
        return local;

    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // Without a usable configuration folder the program folder's file is
    // still the best source of settings; the save at close then fails and
    // says so.
    if (configDir.isEmpty() || !QDir().mkpath(configDir) || !QFileInfo(configDir).isWritable())
        return local;
    const QString user = QDir(configDir).filePath(QLatin1String(kSettingsFileName));
    // Only a regular file is copied: a FIFO there would block the copy. The
    // kept pictures come along, and the copy is the user's own to write
    // whatever permissions the installed file had.
    if (!QFileInfo::exists(user) && QFileInfo(local).isFile())
        copyStoredSettings(local, user);
    return user;
}

} // namespace glintag
