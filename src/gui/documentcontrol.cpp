#include "gui/documentcontrol.h"

#include "gui/dialogs.h"
#include "gui/setupmodel.h"
#include "gui/windowmenus.h"

#include "files/picturefile.h"
#include "i18n/menutexts.h"
#include "settings/setupfile.h"

#include <QAction>
#include <QFileInfo>
#include <QTimer>

namespace glintag {

namespace {

// A setup's slots without a picture get a blank canvas, so showing it
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

DocumentControl::DocumentControl(SetupModel &model, Dialogs &dialogs, WindowMenus &menus, Window window,
                                 QObject *parent) :
    QObject(parent),
    m_model(model), m_dialogs(dialogs), m_menus(menus), m_window(std::move(window))
{
    m_changeTimer = new QTimer(this);
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(0);
    connect(m_changeTimer, &QTimer::timeout, this, [this] { recordChange(); });
    // Every change to what the setup holds is a step, taken once the change
    // (with whatever it set off, such as the Alternate run's rule) has
    // settled.
    connect(&model, &SetupModel::slotChanged, this, [this] { noteChange(); });
    connect(&model, &SetupModel::settingsChanged, this, [this] { noteChange(); });

    connect(menus.newSetup, &QAction::triggered, this, [this] { newSetup(); });
    connect(menus.open, &QAction::triggered, this, [this] { open(); });
    connect(&menus, &WindowMenus::recentChosen, this, [this](const QString &path) { open(path); });
    connect(menus.save, &QAction::triggered, this, [this] { save(); });
    connect(menus.saveAs, &QAction::triggered, this, [this] { saveAs(); });
    connect(menus.undo, &QAction::triggered, this, [this] { undo(); });
    connect(menus.redo, &QAction::triggered, this, [this] { redo(); });
    connect(menus.revert, &QAction::triggered, this, [this] { revertToSaved(); });
}

void DocumentControl::start(const QStringList &recentFiles)
{
    m_document.setSaved(QString(), m_model.setup());
    m_history.reset(m_model.setup());
    m_document.setRecentFiles(recentFiles);
    m_menus.setRecentFiles(recentFiles);
    m_started = true;
    updateTitle();
}

int DocumentControl::language() const
{
    return m_model.setup().language;
}

void DocumentControl::noteChange()
{
    if (m_started && !m_showing)
        m_changeTimer->start();
}

void DocumentControl::recordChange()
{
    m_changeTimer->stop();
    m_history.record(m_model.setup());
    updateTitle();
}

void DocumentControl::show(const BadgeSetup &setup)
{
    m_showing = true;
    m_window.show(withCanvases(setup));
    m_showing = false;
    m_changeTimer->stop();
}

bool DocumentControl::undo()
{
    if (m_changeTimer->isActive())
        recordChange();
    const std::optional<BadgeSetup> earlier = m_history.undo();
    if (earlier)
        show(*earlier);
    updateTitle();
    return earlier.has_value();
}

bool DocumentControl::redo()
{
    if (m_changeTimer->isActive())
        recordChange();
    const std::optional<BadgeSetup> later = m_history.redo();
    if (later)
        show(*later);
    updateTitle();
    return later.has_value();
}

void DocumentControl::revertToSaved()
{
    if (m_changeTimer->isActive())
        recordChange();
    // Itself a step, so Undo brings the changes back.
    show(m_document.saved());
    m_history.seal();
    m_history.record(m_model.setup());
    m_history.seal();
    updateTitle();
}

bool DocumentControl::isModified()
{
    if (m_changeTimer->isActive())
        recordChange();
    return m_document.isModified(m_model.setup());
}

void DocumentControl::updateTitle()
{
    static const QString kProgram = QStringLiteral("Glintag Ver 6.00");
    m_menus.undo->setEnabled(m_history.canUndo());
    m_menus.redo->setEnabled(m_history.canRedo());
    m_menus.revert->setEnabled(m_document.isNamed());
    if (!m_document.isNamed()) {
        m_window.setTitle(kProgram);
        return;
    }
    const bool modified = m_document.isModified(m_history.current());
    m_window.setTitle(
        QStringLiteral("%1%2 - %3")
            .arg(m_document.displayName(QString()), modified ? QStringLiteral("*") : QString(), kProgram));
}

bool DocumentControl::keepOrDropChanges()
{
    if (!isModified())
        return true;
    const MenuTexts &t = menuTexts(language());
    switch (m_dialogs.ask(t.saveQuestion.arg(m_document.displayName(t.untitled)), t.unsavedTitle,
                          {t.saveButton, t.discardButton, t.cancelButton})) {
    case Dialogs::Answer::Yes:
        return save();
    case Dialogs::Answer::No:
        return true;
    default:
        return false;
    }
}

void DocumentControl::newSetup()
{
    if (!keepOrDropChanges())
        return;
    BadgeSetup fresh = defaultBadgeSetup();
    fresh.language = language(); // the user's language stays
    show(fresh);
    m_document.setSaved(QString(), m_model.setup());
    m_history.reset(m_model.setup());
    updateTitle();
}

bool DocumentControl::open(const QString &chosen)
{
    if (m_window.isSending() || !keepOrDropChanges())
        return false;
    const int lang = language();
    const QString path = chosen.isEmpty() ? m_dialogs.openFileName(setupFilter(lang), folder()) : chosen;
    if (path.isEmpty())
        return false;
    StoredSettings stored;
    QString reason;
    if (!QFileInfo(path).isFile() || !loadSetupFile(path, stored, &reason)) {
        const MenuTexts &t = menuTexts(lang);
        m_dialogs.message(t.openFailed, t.errorTitle, Dialogs::Buttons::Ok,
                          reason.isEmpty() ? path : QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    show(stored.setup);
    m_document.setSaved(path, m_model.setup());
    m_history.reset(m_model.setup());
    // Kept in the settings file when the window closes: opening and saving
    // write nothing else.
    m_menus.setRecentFiles(m_document.recentFiles());
    updateTitle();
    if (m_window.tellPictureProblems)
        m_window.tellPictureProblems(stored.pictureProblems);
    return true;
}

bool DocumentControl::save()
{
    if (!m_document.isNamed())
        return saveAs();
    return saveTo(m_document.path());
}

bool DocumentControl::saveAs()
{
    const QString path = m_dialogs.saveFileName(setupFilter(language()), QLatin1String(kSetupFileSuffix), folder());
    return !path.isEmpty() && saveTo(path);
}

bool DocumentControl::saveTo(const QString &path)
{
    if (m_changeTimer->isActive())
        recordChange();
    const BadgeSetup setup = m_model.setup();
    QString reason;
    if (!saveSetupFile(path, setup, &reason)) {
        const MenuTexts &t = menuTexts(language());
        m_dialogs.message(t.saveFailed, t.errorTitle, Dialogs::Buttons::Ok, QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    m_document.setSaved(path, setup);
    m_history.seal(); // typing on after a save is a step of its own
    m_menus.setRecentFiles(m_document.recentFiles());
    updateTitle();
    return true;
}

QString DocumentControl::folder() const
{
    return m_document.isNamed() ? QFileInfo(m_document.path()).absolutePath() : m_window.pictureFolder();
}

} // namespace glintag
