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

// What the window keeps across a restart beyond what one upload carries.
struct WindowChoices {
    QString port;                    // the port box's text; null when never saved
    QString pictureFolder;           // where the picture dialogs open; empty: anywhere
    std::array<int, kSlotCount> pan; // kPanHome .. kPanEnd

    WindowChoices() { pan.fill(kPanHome); }
};

// A kept picture that could not be brought back; its slot starts blank.
struct PictureProblem {
    int slot;     // 0..15
    QString file; // the full path looked at
    QString reason;
};

struct StoredSettings {
    BadgeSetup setup;
    WindowChoices window;
    std::vector<PictureProblem> pictureProblems;
    QList<QPair<QString, QString>> ports; // the "Ports" section (readPortEntries)
};

// The file a slot's picture is kept in: "<settings name>-slot<n>.bmp" beside
// the settings file, n = 1..16.
QString keptPicturePath(const QString &settingsPath, int slot);

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

// Only the model and the brightness: what a setup file keeps here.
void writeKeptSetup(ProfileFile &file, const BadgeSetup &setup);

// The whole settings file as the window and the command line start from it:
// the older sections, this section, the port names' devices, and each named
// picture read onto a 4,096 x 12 canvas. A missing or damaged picture leaves
// its slot's canvas blank and is listed, so the caller can say so without
// stopping.
StoredSettings loadStoredSettings(const QString &settingsPath);

// Writes each slot's picture that has anything on it as a BMP beside the
// settings file (each replaced atomically), then the settings file itself,
// also atomically. Slots with a blank canvas drop their kept file. False
// with the cause in *reason when the settings file could not be written; a
// picture that could not be written is left out of the file and named in
// *reason, the rest is still saved.
bool saveStoredSettings(const QString &settingsPath, const BadgeSetup &setup, const WindowChoices &choices,
                        QString *reason = nullptr);

} // namespace glintag
