#pragma once

#include "badge/badgesetup.h"

#include <QList>
#include <QPair>
#include <QString>

namespace glintag {

class ProfileFile;

// The settings file's fixed name.
inline constexpr char kSettingsFileName[] = "Nvq.ini";

// Every key of every slot, the language and the alternate group, on top of
// the first start's setup. A value the program would never write (hand
// edits, damage) reads as that key's default, so the window can apply the
// result without further checks. The model, the brightness and the pictures
// are in a section of their own (keptsettings.h).
BadgeSetup readSettings(const ProfileFile &file);

// Writes the keys in the window's save order; a file created this way holds
// "Message1" ... "Message16", "Language" and "Alternate" in that order.
void writeSettings(ProfileFile &file, const BadgeSetup &setup);

// What a file read as settings holds: slot sections ("Message1" to
// "Message16"), or at least one section this program reads (the slots, the
// language, the alternate group, the kept section, the port names). A
// picture, binary junk or an empty file holds neither.
struct SettingsContent {
    bool slots = false;
    bool known = false;
};
SettingsContent settingsContent(const ProfileFile &file);

// The "Ports" section: which device each port name stands for, as (name,
// device path) pairs in the file's order, for the port map.
QList<QPair<QString, QString>> readPortEntries(const ProfileFile &file);
// The same from the file at path; a missing or unreadable file names none.
QList<QPair<QString, QString>> loadPortEntries(const QString &path);

// Reads the file at path with its kept section and pictures
// (loadStoredSettings); a missing or unreadable file gives the defaults.
BadgeSetup loadSettingsFile(const QString &path);

// Re-reads the file at path (so sections other programs keep there
// survive), writes the settings into it and saves it atomically, in the
// file's own encoding and line ends. False when the old file cannot be read
// or the new one cannot be written, with the system's reason in *reason;
// the old file, or whatever else is under that name, is then unchanged.
bool saveSettingsFile(const QString &path, const BadgeSetup &setup, QString *reason = nullptr);

// Where the settings file lives: "Nvq.ini" in programDir when that folder is
// writable and the program is not installed (no ../share/glintag beside it);
// otherwise in the per-user configuration folder, which is
// created. When that folder has no file yet, a file in programDir is copied
// there first so its settings carry over. When the configuration folder
// cannot be created or written either, the program folder's file: it can
// still be read, and its save reports why it failed.
QString settingsFilePath(const QString &programDir);

// The settings file settingsFilePath() would give, for reading only: it
// creates no folder and copies nothing. Where the configuration folder has
// no file yet, the program folder's file (the one a first start would copy)
// when there is one, else the configuration folder's path, which reads as
// the defaults.
QString settingsFileToRead(const QString &programDir);

} // namespace glintag
