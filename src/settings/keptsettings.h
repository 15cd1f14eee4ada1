#pragma once

#include "badge/badgesetup.h"

#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <vector>

namespace glintag {

class ProfileFile;

// The section that carries what the older sections have no keys for. The
// "Message1".."Message16", "Language" and "Alternate" sections are left
// exactly as they are, so a file written here still reads elsewhere and a
// file from elsewhere reads here (this section then simply is not there).
inline constexpr char kKeptSection[] = "Glintag";
// The key of the kept section that names slot's picture file (slot 0..15).
QString keptPictureKey(int slot);

// What the window keeps across a restart beyond what one upload carries.
struct WindowChoices {
    QString port;                    // the port box's text; null when never saved, or saved empty
    QString pictureFolder;           // where the picture dialogs open; empty: anywhere
    std::array<int, kSlotCount> pan; // kPanHome .. kPanEnd
    // Per slot, the picture setting as stored when its file could not be
    // read at start (empty otherwise). While the slot's canvas stays blank
    // the save keeps this setting, so the user's file is never given up.
    std::array<QString, kSlotCount> unreadPictures;

    WindowChoices() { pan.fill(kPanHome); }
};

// A kept picture that could not be brought back; its slot starts blank.
struct PictureProblem {
    int slot;     // 0..15
    QString file; // the full path looked at, or where the name leads
    QString reason;
    bool outsideFolder = false; // named outside the file's folder, so not opened
};

// Where the picture names a settings file gives may lead.
enum class PictureNames {
    // The program's own settings file: the user's own names, full paths
    // included (a copied settings file names by its full path a picture
    // that could not come along).
    Anywhere,
    // A settings or setup file from elsewhere: only files in its own folder
    // (or below it). An absolute name, one that climbs out with "..", or a
    // link that points out is not opened, so a file someone sends cannot
    // read the receiver's private pictures.
    InFileFolder,
};

struct StoredSettings {
    BadgeSetup setup;
    WindowChoices window;
    std::vector<PictureProblem> pictureProblems;
    QList<QPair<QString, QString>> ports; // the "Ports" section (readPortEntries)
};

// The file a slot's picture is kept in, named by what is in it:
// "<settings name>-slot<n>-<16 hex digits>.bmp" beside the settings file,
// n = 1..16. A name, once in a settings file, always stands for the same
// bytes. Earlier versions wrote "<settings name>-slot<n>.bmp"; such files
// still load, and are never written or removed.
QString keptPictureName(const QString &settingsPath, int slot, const QByteArray &bmp);

// At the start of the window: when no other instance is saving in the
// settings file's folder, removes the temporaries of saves that were killed
// and the kept pictures this program wrote that the settings file no longer
// names. Nothing else is touched. Returns how many files went.
int tidyKeptFolder(const QString &settingsPath);

// The model, the brightness and the window choices from the section; keys
// that are missing leave what setup and choices hold. pictureFiles gets, per
// slot, the picture file the section names (empty: none), resolved against
// settingsDir.
void readKeptSection(const ProfileFile &file, const QString &settingsDir, BadgeSetup &setup, WindowChoices &choices,
                     std::array<QString, kSlotCount> &pictureFiles);

// Writes every key of the section. pictureFiles holds, per slot, the file
// name to record (empty: the slot keeps no picture).
void writeKeptSection(ProfileFile &file, const BadgeSetup &setup, const WindowChoices &choices,
                      const std::array<QString, kSlotCount> &pictureFiles);

// Brings the settings file at from to the path to (which must not exist
// yet) together with the kept pictures it names by a plain name beside it:
// each is copied beside to first, then the settings file. A picture that
// cannot be copied (unreadable, no regular file) stays where it is and the
// copy names it by its full path there. False when the settings file itself
// could not be read or written; to is then not there.
bool copyStoredSettings(const QString &from, const QString &to);

// Only the model and the brightness: what a setup file keeps here.
void writeKeptSetup(ProfileFile &file, const BadgeSetup &setup);

// The whole settings file as the window and the command line start from it:
// the older sections, this section, the port names' devices, and each named
// picture read onto a 4,096 x 12 canvas. A missing or damaged picture leaves
// its slot's canvas blank and is listed, so the caller can say so without
// stopping.
StoredSettings loadStoredSettings(const QString &settingsPath, PictureNames names = PictureNames::Anywhere);
// The same from a document already read (a pipe named on the command line,
// say); pictures the kept section names are looked for in settingsDir.
StoredSettings storedSettingsFrom(const ProfileFile &file, const QString &settingsDir, PictureNames names);

// Writes each slot's picture that has anything on it as a BMP of its own
// beside the settings file (keptPictureName), then the settings file
// itself, atomically, then removes the kept pictures of this program that
// no longer are named. All of it under the folder's exclusive lock, so two
// windows closing at once take turns. A name that is a link, device, FIFO
// or folder is never written through. A picture that cannot be written
// leaves its slot's setting naming the picture saved before (which stays),
// and its slot goes into *unsaved. False with the cause in *reason when the
// settings file could not be written; *reason also names each picture that
// could not be written.
bool saveStoredSettings(const QString &settingsPath, const BadgeSetup &setup, const WindowChoices &choices,
                        QString *reason = nullptr, std::vector<int> *unsaved = nullptr);

} // namespace glintag
