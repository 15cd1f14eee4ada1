// The window's setup as the settings file keeps it: read from the pieces'
// controls when needed, and put back into them at start-up. The file's
// format is the settings floor's.
#include "gui/mainwindow.h"
#include "gui/picturefiles.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"

#include "i18n/statustexts.h"
#include "settings/settings.h"

#include <QScrollBar>

namespace glintag {

void MainWindow::applyChoices(const WindowChoices &choices)
{
    m_pictures->setFolder(choices.pictureFolder);
    m_unreadPictures = choices.unreadPictures;
    for (int i = 0; i < kSlotCount; ++i)
        slotRow(i).panBar()->setValue(choices.pan[size_t(i)]);
    if (choices.port.isNull())
        return; // never saved: the probe's choice stands
    m_settingsRow->choosePort(choices.port);
    m_settingsRow->rememberPort(choices.port);
}

WindowChoices MainWindow::windowChoices() const
{
    WindowChoices choices;
    choices.port = m_settingsRow->port();
    choices.pictureFolder = m_pictures->folder();
    choices.unreadPictures = m_unreadPictures;
    for (int i = 0; i < kSlotCount; ++i)
        choices.pan[size_t(i)] = slotRow(i).panBar()->value();
    return choices;
}

QString MainWindow::pictureFolder() const
{
    return m_pictures->folder();
}

void MainWindow::applySetup(const BadgeSetup &setup)
{
    // Every assignment raises its control's event, as a user's would.
    m_slots->setSlots(setup.slots);
    m_settingsRow->takeSetup(setup);
    // The language is applied even when the stored index equals the
    // current one and so raises no change.
    applyLanguage();
}

void MainWindow::saveSettings()
{
    // The old file (or whatever else is under the name) stays as it was;
    // the user is told, and the close goes on after OK. The reason names
    // each file that could not be written and why.
    QString reason;
    std::vector<int> unsaved;
    const bool saved = saveStoredSettings(m_settingsPath, badgeSetup(), windowChoices(), &reason, &unsaved);
    if (saved && reason.isEmpty())
        return;
    if (!unsaved.empty()) {
        QStringList slots;
        for (int i : unsaved)
            slots << QString::number(i + 1);
        reason.prepend(statusTexts(m_settingsRow->language()).picturesNotSaved.arg(slots.join(QStringLiteral(", ")))
                       + QLatin1Char('\n'));
    }
    m_dialogs->message(QStringLiteral("Save settings fail!"), QStringLiteral("Error"), Dialogs::Buttons::Ok, reason);
}

const BadgeSetup &MainWindow::badgeSetup() const
{
    return m_model->setup();
}

AlternateGroup MainWindow::alternateGroup() const
{
    return badgeSetup().alternateGroup();
}

} // namespace glintag
