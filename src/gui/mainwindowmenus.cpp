// The menu bar's actions, files dropped on the window and About; the setup
// as a document is DocumentControl's.
#include "gui/documentcontrol.h"
#include "gui/editreactions.h"
#include "gui/mainwindow.h"
#include "gui/picturefiles.h"
#include "gui/settingsrow.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/windowdrops.h"
#include "gui/windowmenus.h"
#include "gui/windowrendering.h"

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

void MainWindow::buildMenus()
{
    m_menus = new WindowMenus(this);
    layout()->setMenuBar(m_menus->bar());
    DocumentControl::Window window;
    window.show = [this](const BadgeSetup &setup) { m_edits->showSetup(setup); };
    window.setTitle = [this](const QString &title) { setWindowTitle(title); };
    window.isSending = [this] { return isSending(); };
    window.pictureFolder = [this] { return m_pictures->folder(); };
    window.tellPictureProblems
        = [this](const std::vector<PictureProblem> &problems) { m_statusRow->tellPictureProblems(problems); };
    window.tellStatus = [this](std::function<QString(int)> text) { m_statusRow->setStatus(std::move(text)); };
    window.programDir = m_programDir;
    m_documents = new DocumentControl(*m_model, *m_dialogs, *m_menus, std::move(window), this);

    const WindowMenus &m = *m_menus;
    connect(m.exportPreview, &QAction::triggered, this, [this] { m_documents->exportPreview(); });
    connect(m.exit, &QAction::triggered, this, [this] { close(); });
    connect(m.send, &QAction::triggered, this, [this] { onSendClicked(); });
    connect(m.stop, &QAction::triggered, m_upload, &UploadControl::stop);
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
    connect(m.about, &QAction::triggered, this, [this] {
        const MenuTexts &t = menuTexts(m_settingsRow->language());
        m_dialogs->inform(t.aboutText.arg(QStringLiteral(GLINTAG_VERSION), QString::fromLatin1(qVersion()))
                              + QStringLiteral("\n\n") + t.fontSources + QLatin1Char('\n') + fontSourceList(),
                          t.aboutTitle);
    });
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
    drops->openSetup = [this](const QString &path) { return m_documents->open(path); };
    // A picture loaded as Load would; a dropped picture is meant to be seen
    // and sent, so its Image box is ticked.
    drops->loadPicture = [this](int slot, const QString &path) {
        if (!m_pictures->loadFile(slotRow(slot), path, m_settingsRow->language(),
                                  badgeModel(m_settingsRow->modelBox()->currentText())))
            return false;
        slotRow(slot).imageBox()->setChecked(true);
        return true;
    };
}

} // namespace glintag
