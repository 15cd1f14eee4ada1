#include "settings/settings.h"

#include "render/codepage.h"
#include "settings/profilefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

namespace glintag {

namespace {

const QString kLanguage = QStringLiteral("Language");
const QString kAlternate = QStringLiteral("Alternate");
const QString kBeginMsg = QStringLiteral("AlternateBeginMsg");
const QString kMsgNum = QStringLiteral("AlternateMsgNum");

QString slotSection(int n) { return QStringLiteral("Message%1").arg(n); }
QString slotTextKey(int n) { return QStringLiteral("Message%1Text").arg(n); }

// A stored number the window would never have written reads as the default.
int readInRange(const ProfileFile &file, const QString &section, const QString &key, int defaultValue,
                int low, int high)
{
    const int v = file.readInt(section, key, defaultValue);
    return (v < low || v > high) ? defaultValue : v;
}

int readCheck(const ProfileFile &file, const QString &section, const char *key, int defaultValue)
{
    return readInRange(file, section, QLatin1String(key), defaultValue, 0, 1);
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

Settings defaultSettings()
{
    Settings s;
    for (int i = 0; i < 16; ++i)
        s.slots[size_t(i)].text = QStringLiteral("MESSAGE%1").arg(i + 1);
    return s;
}

Settings readSettings(const ProfileFile &file)
{
    Settings s;

    // -1 is "no item selected", which the window writes as is.
    s.language = readInRange(file, kLanguage, kLanguage, 0, -1, 4);

    // Texts that are not UTF-8 come from a file written under a legacy code
    // page; the language stored beside them tells which one.
    const char *codePage = codePageNameForLanguage(s.language);
    const ProfileFile::LegacyDecoder legacy = [codePage](const QByteArray &bytes) {
        return CodePage::shared(codePage).decode(dropSplitCharacter(codePage, bytes));
    };

    for (int n = 1; n <= 16; ++n) {
        SlotSettings &slot = s.slots[size_t(n - 1)];
        const QString section = slotSection(n);
        slot.text = file.readString(section, slotTextKey(n), QStringLiteral("MESSAGE%1").arg(n), legacy);
        slot.select = readCheck(file, section, "Select", 1);
        // Stored as list position + 1: 1..8 for the items, 0 for none.
        slot.speedIndex = readInRange(file, section, QStringLiteral("Speed"), 3, 0, 8) - 1;
        // Only the first slot offers the eighth mode, "Animation".
        slot.mode = readInRange(file, section, QStringLiteral("Mode"), 0, -1, n == 1 ? 7 : 6);
        slot.flash = readCheck(file, section, "Flash", 0);
        slot.loopLamp = readCheck(file, section, "LoopLamp", 0);
        slot.image = readCheck(file, section, "Image", 0);
        slot.verticalShow = readCheck(file, section, "VerticalShow", 0);
    }

    // The boxes can only ever give a group inside the sixteen slots; any
    // other pair is no group at all rather than a guess at one.
    const int begin = file.readInt(kAlternate, kBeginMsg, 0);
    const int num = file.readInt(kAlternate, kMsgNum, 0);
    if (begin >= 0 && begin <= 15 && num >= 0 && num <= 16 - begin) {
        s.alternateBeginMsg = quint8(begin);
        s.alternateMsgNum = quint8(num);
    }
    return s;
}

void writeSettings(ProfileFile &file, const Settings &settings)
{
    for (int n = 1; n <= 16; ++n) {
        const SlotSettings &slot = settings.slots[size_t(n - 1)];
        const QString section = slotSection(n);
        file.writeString(section, slotTextKey(n), slot.text);
        file.writeInt(section, QStringLiteral("Select"), slot.select);
        file.writeInt(section, QStringLiteral("Speed"), slot.speedIndex + 1);
        file.writeInt(section, QStringLiteral("Mode"), slot.mode);
        file.writeInt(section, QStringLiteral("Flash"), slot.flash);
        file.writeInt(section, QStringLiteral("LoopLamp"), slot.loopLamp);
        file.writeInt(section, QStringLiteral("Image"), slot.image);
        file.writeInt(section, QStringLiteral("VerticalShow"), slot.verticalShow);
    }
    file.writeInt(kLanguage, kLanguage, settings.language);
    file.writeInt(kAlternate, kBeginMsg, settings.alternateBeginMsg);
    file.writeInt(kAlternate, kMsgNum, settings.alternateMsgNum);
}

Settings loadSettingsFile(const QString &path)
{
    ProfileFile file;
    file.load(path);   // an unreadable file reads as empty: the defaults
    return readSettings(file);
}

bool saveSettingsFile(const QString &path, const Settings &settings)
{
    ProfileFile file;
    // Writing over a file we could not read would drop its other sections.
    if (!file.load(path))
        return false;
    writeSettings(file, settings);
    return file.save(path);
}

QString settingsFilePath(const QString &programDir)
{
    const QString local = QDir(programDir).filePath(QLatin1String(kSettingsFileName));
    // The atomic save puts a temporary file beside the settings file, so
    // the folder itself must be writable, not just the file. An installed
    // program (its data in ../share/glintag) never writes into its bin
    // folder, even where root could: removing the package must leave only
    // the user's own settings behind.
    const bool installed = QFileInfo(QDir(programDir).filePath(QStringLiteral("../share/glintag"))).isDir();
    if (!installed && QFileInfo(programDir).isWritable())
        return local;

    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(configDir);
    const QString user = QDir(configDir).filePath(QLatin1String(kSettingsFileName));
    if (!QFileInfo::exists(user) && QFileInfo::exists(local) && QFile::copy(local, user)) {
        // The copy takes the source's permissions; an installed read-only
        // file must not make the user's copy read-only as well.
        QFile::setPermissions(user, QFile::permissions(user) | QFile::WriteOwner | QFile::ReadOwner);
    }
    return user;
}

} // namespace glintag
