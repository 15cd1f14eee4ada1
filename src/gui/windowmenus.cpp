#include "gui/windowmenus.h"

#include "i18n/menutexts.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace glintag {

namespace {

QAction *addAction(QMenu *menu, const QKeySequence &key = QKeySequence())
{
    QAction *a = menu->addAction(QString());
    a->setShortcut(key);
    return a;
}

QString withoutMnemonic(QString text)
{
    const int marked = text.indexOf(QStringLiteral("(&"));
    if (marked > 0 && text.indexOf(QLatin1Char(')'), marked) == marked + 3)
        text.remove(marked, 4);
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QChar(0x2026)))
        text.chop(1);
    return text;
}

} // namespace

WindowMenus::WindowMenus(QWidget *window) : QObject(window)
{
    m_bar = new QMenuBar(window);
    m_file = m_bar->addMenu(QString());
    newSetup = addAction(m_file, QKeySequence::New);
    open = addAction(m_file, QKeySequence::Open);
    m_recent = m_file->addMenu(QString());
    save = addAction(m_file, QKeySequence::Save);
    saveAs = addAction(m_file, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_file->addSeparator();
    exportPreview = addAction(m_file);
    m_file->addSeparator();
    exit = addAction(m_file, QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_edit = m_bar->addMenu(QString());
    undo = addAction(m_edit, QKeySequence::Undo);
    redo = addAction(m_edit, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    m_edit->addSeparator();
    revert = addAction(m_edit);

    m_badge = m_bar->addMenu(QString());
    send = addAction(m_badge);
    // Send's own keys are the window's (Ctrl+Enter on both Enter keys).
    send->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    send->setShortcutContext(Qt::WidgetShortcut); // shown, not bound twice
    stop = addAction(m_badge);
    m_ports = m_badge->addMenu(QString());
    connect(m_ports, &QMenu::aboutToShow, this, [this] { fillPorts(); });

    m_help = m_bar->addMenu(QString());
    manual = addAction(m_help, QKeySequence(Qt::Key_F1));
    shortcuts = addAction(m_help);
    m_help->addSeparator();
    about = addAction(m_help);
    setRecentFiles({});
}

void WindowMenus::applyLanguage(int uiLanguage)
{
    m_language = uiLanguage;
    const MenuTexts &t = menuTexts(uiLanguage);
    m_bar->setAccessibleName(t.menuBar);
    m_file->setTitle(t.fileMenu);
    newSetup->setText(t.newSetup);
    open->setText(t.open);
    m_recent->setTitle(t.openRecent);
    save->setText(t.save);
    saveAs->setText(t.saveAs);
    exportPreview->setText(t.exportPreview);
    exit->setText(t.exit);
    m_edit->setTitle(t.editMenu);
    undo->setText(t.undo);
    redo->setText(t.redo);
    revert->setText(t.revert);
    m_badge->setTitle(t.badgeMenu);
    send->setText(t.send);
    stop->setText(t.stop);
    m_ports->setTitle(t.ports);
    m_help->setTitle(t.helpMenu);
    manual->setText(t.manual);
    shortcuts->setText(t.shortcuts);
    about->setText(t.about);
    setRecentFiles(m_recentPaths);
}

void WindowMenus::setRecentFiles(const QStringList &paths)
{
    m_recentPaths = paths;
    m_recent->clear();
    for (const QString &path : paths) {
        QAction *a = m_recent->addAction(QFileInfo(path).fileName());
        a->setToolTip(path);
        connect(a, &QAction::triggered, this, [this, path] { Q_EMIT recentChosen(path); });
    }
    if (paths.isEmpty())
        m_recent->addAction(menuTexts(m_language).noRecent)->setEnabled(false);
}

void WindowMenus::fillPorts()
{
    m_ports->clear();
    const QStringList names = portNames ? portNames() : QStringList();
    const QString chosen = chosenPort ? chosenPort() : QString();
    auto *group = new QActionGroup(m_ports);
    for (const QString &name : names) {
        QAction *a = m_ports->addAction(name);
        a->setCheckable(true);
        a->setChecked(name == chosen);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, name] { Q_EMIT portChosen(name); });
    }
    if (names.isEmpty())
        m_ports->addAction(menuTexts(m_language).noPorts)->setEnabled(false);
    if (names.size() < 2)
        return;
    // The chosen port is always the first to get the upload; any other may
    // be ticked to get it too.
    m_ports->addSeparator();
    for (const QString &name : names) {
        if (name == chosen)
            continue;
        QAction *a = m_ports->addAction(menuTexts(m_language).alsoSendTo.arg(name));
        a->setCheckable(true);
        a->setChecked(m_also.contains(name));
        connect(a, &QAction::toggled, this, [this, name](bool on) {
            m_also.removeAll(name);
            if (on)
                m_also << name;
        });
    }
}

QStringList WindowMenus::alsoPorts() const
{
    const QStringList names = portNames ? portNames() : QStringList();
    const QString chosen = chosenPort ? chosenPort() : QString();
    QStringList ports;
    for (const QString &name : names)
        if (name != chosen && m_also.contains(name))
            ports << name;
    return ports;
}

QString fontSourceList()
{
    // The fonts the build turns into the badge font files (tools/fontgen).
    return QStringLiteral("6x12, 12x13ja (misc-fixed, xfonts-base): public domain\n"
                          "WenQuanYi Bitmap Song (xfonts-wqy): GPL-2 with font embedding exception\n"
                          "M+ bitmap fonts (xfonts-mplus): M+ bitmap fonts licence\n"
                          "Baekmuk Gulim (xfonts-baekmuk): Baekmuk licence (MIT-like). Baekmuk Batang, Baekmuk "
                          "Dotum, Baekmuk Gulim, and Baekmuk Headline are registered trademarks owned by Kim "
                          "Jeong-Hwan.");
}

QString WindowMenus::shortcutList(int uiLanguage) const
{
    QStringList lines;
    for (QAction *a : {newSetup, open, save, saveAs, exit, undo, redo, send, manual})
        lines << QStringLiteral("%1\t%2").arg(a->shortcut().toString(QKeySequence::NativeText),
                                              withoutMnemonic(a->text()));
    lines << QString() << menuTexts(uiLanguage).textBoxUndo;
    return lines.join(QLatin1Char('\n'));
}

} // namespace glintag
