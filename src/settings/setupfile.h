#pragma once

#include "settings/keptsettings.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace glintag {

class ProfileFile;

// A setup file carries one whole badge setup in the settings file's own
// format: the slot sections, "Language" and "Alternate" as the settings file
// has them, the model and brightness in the kept section, and each picture
// slot's used columns as rows of hex in a section of its own
// ("Dots1".."Dots16": "Columns" = the used width, "Row1".."Row12" =
// the dot rows, four columns a digit, the leftmost in the high bit). It names
// no other file, so it opens anywhere and a changed dot changes one digit.
inline constexpr char kSetupFileSuffix[] = "ini";

// A canvas's used columns as the section's text (an empty map when nothing is
// lit), and back onto a blank canvas, lit dots white. Rows that are short or
// not hex leave their missing dots dark.
void writePictureSection(ProfileFile &file, int slot, const QImage &canvas);
QImage readPictureSection(const ProfileFile &file, int slot);
bool hasPictureSection(const ProfileFile &file, int slot);

// The settings file's reading (loadStoredSettings, so an older settings file
// with pictures beside it opens too, but only those in its own folder),
// with embedded pictures taking their slots' places. False with the cause in
// *reason when something is at path that cannot be read. Opening, like
// saving, removes the temporaries a killed save left beside the file (those
// untouched for a minute).
bool loadSetupFile(const QString &path, StoredSettings &stored, QString *reason = nullptr);
// The embedded pictures of an already read file onto their slots.
void applyEmbeddedPictures(const ProfileFile &file, StoredSettings &stored);

// Writes the whole setup as a new document, atomically, and nothing beside
// it: the file at path is the only one written. The same setup always gives
// the same bytes.
bool saveSetupFile(const QString &path, const BadgeSetup &setup, QString *reason = nullptr);

// The setup files opened or saved last, newest first, as the settings file
// at settingsPath keeps them in its "Recent" section (at most kRecentFiles).
inline constexpr int kRecentFiles = 8;
QStringList loadRecentFiles(const QString &settingsPath);
// Re-reads the settings file so its other sections stay as they are.
bool saveRecentFiles(const QString &settingsPath, const QStringList &paths, QString *reason = nullptr);

} // namespace glintag
