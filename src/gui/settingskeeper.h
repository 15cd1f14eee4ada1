#pragma once

#include "badge/badgesetup.h"
#include "settings/keptsettings.h"

#include <QString>

#include <array>
#include <memory>

namespace glintag {

class Dialogs;
class PictureFiles;
class SettingsRow;
class SetupModel;
class SlotTable;

// The window's side of the settings file: the setup the model holds and the
// choices around it (the port, the pictures' folder, the pan positions),
// put back at start-up and written at close.
class SettingsKeeper {
public:
    SettingsKeeper(const SetupModel &model, SettingsRow &row, SlotTable &slots, PictureFiles &pictures,
                   std::shared_ptr<Dialogs> dialogs, QString settingsPath);

    void applyChoices(const WindowChoices &choices);
    WindowChoices windowChoices() const;
    // A failed write is told in a message box naming each file and why.
    void save();

private:
    const SetupModel &m_model;
    SettingsRow &m_row;
    SlotTable &m_slots;
    PictureFiles &m_pictures;
    std::shared_ptr<Dialogs> m_dialogs;
    QString m_settingsPath;
    // What the settings file named for pictures that could not be read at
    // start; kept at close while those slots stay blank.
    std::array<QString, kSlotCount> m_unreadPictures;
};

} // namespace glintag
