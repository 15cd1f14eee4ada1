// The window's setup as the settings file keeps it: read from the model and
// the pieces' controls when saved, and put back into them at start-up. The
// file's format is the settings floor's.
#include "gui/settingskeeper.h"

#include "gui/dialogs.h"
#include "gui/picturefiles.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "i18n/statustexts.h"

#include <QScrollBar>

namespace glintag {

SettingsKeeper::SettingsKeeper(const SetupModel &model, SettingsRow &row, SlotTable &slots, PictureFiles &pictures,
                               std::shared_ptr<Dialogs> dialogs, QString settingsPath) :
    m_model(model), m_row(row), m_slots(slots), m_pictures(pictures), m_dialogs(std::move(dialogs)),
    m_settingsPath(std::move(settingsPath))
{}

void SettingsKeeper::applyChoices(const WindowChoices &choices)
{
    m_pictures.setFolder(choices.pictureFolder);
    m_unreadPictures = choices.unreadPictures;
    for (int i = 0; i < kSlotCount; ++i)
        m_slots.row(i).panBar()->setValue(choices.pan[size_t(i)]);
    if (choices.port.isNull())
        return; // never saved: the probe's choice stands
    m_row.choosePort(choices.port);
    m_row.rememberPort(choices.port);
}

WindowChoices SettingsKeeper::windowChoices() const
{
    WindowChoices choices;
    choices.port = m_row.port();
    choices.pictureFolder = m_pictures.folder();
    choices.unreadPictures = m_unreadPictures;
    for (int i = 0; i < kSlotCount; ++i)
        choices.pan[size_t(i)] = m_slots.row(i).panBar()->value();
    return choices;
}

void SettingsKeeper::save()
{
    // The old file (or whatever else is under the name) stays as it was;
    // the user is told, and the close goes on after OK. The reason names
    // each file that could not be written and why.
    QString reason;
    std::vector<int> unsaved;
    const bool saved = saveStoredSettings(m_settingsPath, m_model.setup(), windowChoices(), &reason, &unsaved);
    if (saved && reason.isEmpty())
        return;
    if (!unsaved.empty()) {
        QStringList slots;
        for (int i : unsaved)
            slots << QString::number(i + 1);
        reason.prepend(statusTexts(m_row.language()).picturesNotSaved.arg(slots.join(QStringLiteral(", ")))
                       + QLatin1Char('\n'));
    }
    m_dialogs->message(QStringLiteral("Save settings fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok, reason);
}

} // namespace glintag
