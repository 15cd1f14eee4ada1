#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

namespace glintag {

class ProfileFile;

// The settings file's fixed name.
inline constexpr char kSettingsFileName[] = "Nvq.ini";

// What the settings file holds for one slot, as the window's controls take
// it: check boxes 0/1, list positions with -1 for "no item selected".
struct SlotSettings {
    QString text;
    int select = 1;
    int speedIndex = 2;     // list position of the speed box; stored + 1
    int mode = 0;
    int flash = 0;
    int loopLamp = 0;
    int image = 0;
    int verticalShow = 0;

    bool operator==(const SlotSettings &o) const
    {
        return text == o.text && select == o.select && speedIndex == o.speedIndex && mode == o.mode
            && flash == o.flash && loopLamp == o.loopLamp && image == o.image && verticalShow == o.verticalShow;
    }
    bool operator!=(const SlotSettings &o) const { return !(*this == o); }
};

struct Settings {
    std::array<SlotSettings, 16> slots;
    int language = 0;                 // list position of the language box
    quint8 alternateBeginMsg = 0;
    quint8 alternateMsgNum = 0;

    bool operator==(const Settings &o) const
    {
        return slots == o.slots && language == o.language && alternateBeginMsg == o.alternateBeginMsg
            && alternateMsgNum == o.alternateMsgNum;
    }
    bool operator!=(const Settings &o) const { return !(*this == o); }
};

// The state of a first start without a file: texts "MESSAGE1" ... "MESSAGE16".
Settings defaultSettings();

// Every key of every slot, the language and the alternate group. A value the
// program would never write (hand edits, damage) reads as that key's
// default, so the window can apply the result without further checks.
Settings readSettings(const ProfileFile &file);

// Writes the keys in the window's save order; a file created this way holds
// "Message1" ... "Message16", "Language" and "Alternate" in that order.
void writeSettings(ProfileFile &file, const Settings &settings);

// Reads the file at path; a missing or unreadable file gives the defaults.
Settings loadSettingsFile(const QString &path);

// Re-reads the file at path (so sections other programs keep there
// survive), writes the settings into it and saves it atomically. False when
// the old file cannot be read or the new one cannot be written; the old file
// is then unchanged.
bool saveSettingsFile(const QString &path, const Settings &settings);

// Where the settings file lives: "Nvq.ini" in programDir when that folder is
// writable and the program is not installed (no ../share/glintag beside it);
// otherwise in the per-user configuration folder, which is
// created. When that folder has no file yet, a file in programDir is copied
// there first so its settings carry over.
QString settingsFilePath(const QString &programDir);

} // namespace glintag
