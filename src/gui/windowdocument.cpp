// The window's setup as a document: the menu bar's actions, setup files
// (new, open, save, revert), undo and redo, the title, and the question
// before changes to a named setup are dropped. The file format is the
// settings floor's; the steps are SetupHistory's.
#include "gui/mainwindow.h"
#include "gui/picturefiles.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/windowdrops.h"
#include "gui/windowmenus.h"

#include "files/picturefile.h"
#include "i18n/languages.h"
#include "i18n/menutexts.h"
#include "settings/setupfile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>

namespace glintag {

namespace {

// A setup's slots without a picture get a blank canvas, so applying it
// clears whatever the rows showed before.
BadgeSetup withCanvases(BadgeSetup setup)
{
    for (SlotSetup &slot : setup.slots)
        if (slot.picture.isNull())
            slot.picture = makeBlankCanvas();
    return setup;
}

QString setupFilter(int uiLanguage)
{
    const QString suffix = QLatin1String(kSetupFileSuffix);
    return QStringLiteral("%1(*.%2)|*.%2").arg(menuTexts(uiLanguage).setupFilter, suffix);
}

} // namespace

void MainWindow::buildMenus()
{
    m_menus = new WindowMenus(this);
    layout()->setMenuBar(m_menus->bar());
    m_changeTimer = new QTimer(this);
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(0);
    connect(m_changeTimer, &QTimer::timeout, this, [this] { recordChange(); });

    const WindowMenus &m = *m_menus;
    connect(m.newSetup, &QAction::triggered, this, [this] { newSetup(); });
    connect(m.open, &QAction::triggered, this, [this] { openSetup(); });
    connect(m_menus, &WindowMenus::recentChosen, this, [this](const QString &path) { openSetup(path); });
    connect(m.save, &QAction::triggered, this, [this] { saveSetup(); });
    connect(m.saveAs, &QAction::triggered, this, [this] { saveSetupAs(); });
    connect(m.exportPreview, &QAction::triggered, this, [this] { exportPreview(); });
    connect(m.exit, &QAction::triggered, this, [this] { close(); });
    connect(m.undo, &QAction::triggered, this, [this] { undoSetup(); });
    connect(m.redo, &QAction::triggered, this, [this] { redoSetup(); });
    connect(m.revert, &QAction::triggered, this, [this] { revertToSaved(); });
    connect(m.send, &QAction::triggered, this, [this] { onSendClicked(); });
    connect(m.stop, &QAction::triggered, this, [this] { stopUpload(); });
    m.stop->setEnabled(false); // only while there is something to stop
    connect(m_upload, &UploadControl::sendingChanged, m.stop, &QAction::setEnabled);
    m_menus->portNames = [this] {
        QStringList names;
        for (int k = 0; k < m_settingsRow->portBox()->count(); ++k)
            names << m_settingsRow->portBox()->itemText(k);
        return names;
    };
    m_menus->chosenPort = [this] { return m_settingsRow->port(); };
    connect(m_menus, &WindowMenus::portChosen, this, [this](const QString &name) { m_settingsRow->choosePort(name); });
    connect(m.manual, &QAction::triggered, this, [this] {
        const MenuTexts &t = menuTexts(m_settingsRow->language());
        m_dialogs->inform(t.manualText, t.manualTitle);
    });
    connect(m.shortcuts, &QAction::triggered, this, [this] {
        const int lang = m_settingsRow->language();
        m_dialogs->inform(m_menus->shortcutList(lang), menuTexts(lang).shortcutsTitle);
    });
    connect(m.about, &QAction::triggered, this, [this] { showAbout(); });

    // Every change to what the setup holds is a step, taken once the change
    // (with whatever it set off, such as the Alternate run's rule) has
    // settled.
    connect(m_model, &SetupModel::slotChanged, this, [this] { noteChange(); });
    connect(m_model, &SetupModel::settingsChanged, this, [this] { noteChange(); });

    m_document.setRecentFiles(loadRecentFiles(m_settingsPath));
    m_menus->setRecentFiles(m_document.recentFiles());
}

void MainWindow::noteChange()
{
    if (!m_settingsLoaded || m_applyingSetup)
        return;
    m_changeTimer->start();
}

void MainWindow::recordChange()
{
    m_changeTimer->stop();
    m_history.record(badgeSetup());
    updateTitle();
}

void MainWindow::showSetup(const BadgeSetup &setup)
{
    m_applyingSetup = true;
    applySetup(withCanvases(setup));
    m_applyingSetup = false;
    m_changeTimer->stop();
    renderSlots();
}

bool MainWindow::undoSetup()
{
    if (m_changeTimer->isActive())
        recordChange();
    const std::optional<BadgeSetup> earlier = m_history.undo();
    if (earlier)
        showSetup(*earlier);
    updateTitle();
    return earlier.has_value();
}

bool MainWindow::redoSetup()
{
    if (m_changeTimer->isActive())
        recordChange();
    const std::optional<BadgeSetup> later = m_history.redo();
    if (later)
        showSetup(*later);
    updateTitle();
    return later.has_value();
}

void MainWindow::revertToSaved()
{
    if (m_changeTimer->isActive())
        recordChange();
    // Itself a step, so Undo brings the changes back.
    showSetup(m_document.saved());
    m_history.seal();
    m_history.record(badgeSetup());
    m_history.seal();
    updateTitle();
}

bool MainWindow::isSetupModified()
{
    if (m_changeTimer->isActive())
        recordChange();
    return m_document.isModified(badgeSetup());
}

void MainWindow::updateTitle()
{
    static const QString kProgram = QStringLiteral("Glintag Ver 6.00");
    if (m_menus) {
        m_menus->undo->setEnabled(m_history.canUndo());
        m_menus->redo->setEnabled(m_history.canRedo());
        m_menus->revert->setEnabled(m_document.isNamed());
    }
    if (!m_document.isNamed()) {
        setWindowTitle(kProgram);
        return;
    }
    const bool modified = m_document.isModified(m_history.current());
    setWindowTitle(QStringLiteral("%1%2 - %3")
                       .arg(m_document.displayName(QString()), modified ? QStringLiteral("*") : QString(), kProgram));
}

bool MainWindow::keepOrDropChanges()
{
    if (!isSetupModified())
        return true;
    const MenuTexts &t = menuTexts(m_settingsRow->language());
    switch (m_dialogs->ask(t.saveQuestion.arg(m_document.displayName(t.untitled)), t.unsavedTitle,
                           {t.saveButton, t.discardButton, t.cancelButton})) {
    case Dialogs::Answer::Yes:
        return saveSetup();
    case Dialogs::Answer::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::newSetup()
{
    if (!keepOrDropChanges())
        return;
    BadgeSetup fresh = defaultBadgeSetup();
    fresh.language = m_settingsRow->language(); // the user's language stays
    showSetup(fresh);
    m_document.setSaved(QString(), badgeSetup());
    m_history.reset(badgeSetup());
    updateTitle();
}

bool MainWindow::openSetup(const QString &chosen)
{
    if (isSending() || !keepOrDropChanges())
        return false;
    const int lang = m_settingsRow->language();
    const QString path = chosen.isEmpty() ? m_dialogs->openFileName(setupFilter(lang), setupFolder()) : chosen;
    if (path.isEmpty())
        return false;
    StoredSettings stored;
    QString reason;
    if (!QFileInfo(path).isFile() || !loadSetupFile(path, stored, &reason)) {
        const MenuTexts &t = menuTexts(lang);
        m_dialogs->message(t.openFailed, t.errorTitle, Dialogs::Buttons::Ok,
                           reason.isEmpty() ? path : QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    showSetup(stored.setup);
    m_document.setSaved(path, badgeSetup());
    m_history.reset(badgeSetup());
    rememberRecent();
    updateTitle();
    return true;
}

bool MainWindow::saveSetup()
{
    if (!m_document.isNamed())
        return saveSetupAs();
    return saveSetupTo(m_document.path());
}

bool MainWindow::saveSetupAs()
{
    const QString path = m_dialogs->saveFileName(setupFilter(m_settingsRow->language()),
                                                 QLatin1String(kSetupFileSuffix), setupFolder());
    return !path.isEmpty() && saveSetupTo(path);
}

bool MainWindow::saveSetupTo(const QString &path)
{
    if (m_changeTimer->isActive())
        recordChange();
    const BadgeSetup setup = badgeSetup();
    QString reason;
    if (!saveSetupFile(path, setup, &reason)) {
        const MenuTexts &t = menuTexts(m_settingsRow->language());
        m_dialogs->message(t.saveFailed, t.errorTitle, Dialogs::Buttons::Ok,
                           QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    m_document.setSaved(path, setup);
    m_history.seal(); // typing on after a save is a step of its own
    rememberRecent();
    updateTitle();
    return true;
}

QString MainWindow::setupFolder() const
{
    return m_document.isNamed() ? QFileInfo(m_document.path()).absolutePath() : m_pictures->folder();
}

void MainWindow::rememberRecent()
{
    // Kept in the settings file when the window closes: a save writes the
    // chosen file and nothing else.
    m_menus->setRecentFiles(m_document.recentFiles());
}

void MainWindow::acceptDrops()
{
    auto *drops = new WindowDrops(this);
    drops->slotAt = [this](const QPoint &at) {
        for (int i = 0; i < kSlotCount; ++i) {
            const SlotRow &row = slotRow(i);
            if (QRect(row.mapTo(this, QPoint(0, 0)), row.size()).contains(at))
                return i;
        }
        return -1;
    };
    drops->openSetup = [this](const QString &path) { return openSetup(path); };
    drops->loadPicture = [this](int slot, const QString &path) { return loadPictureInto(slot, path); };
}

bool MainWindow::loadPictureInto(int slot, const QString &path)
{
    if (!m_pictures->loadFile(slotRow(slot), path, m_settingsRow->language(),
                              badgeModel(m_settingsRow->modelBox()->currentText())))
        return false;
    // A dropped picture is meant to be seen and sent.
    slotRow(slot).imageBox()->setChecked(true);
    return true;
}

void MainWindow::showAbout()
{
    const int lang = m_settingsRow->language();
    const MenuTexts &t = menuTexts(lang);
    m_dialogs->inform(t.aboutText.arg(QStringLiteral(GLINTAG_VERSION), QString::fromLatin1(qVersion()))
                          + QStringLiteral("\n\n") + t.fontSources + QLatin1Char('\n') + fontSourceList(),
                      t.aboutTitle);
}

} // namespace glintag
