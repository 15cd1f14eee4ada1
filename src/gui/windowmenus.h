#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace glintag {

// The window's menu bar: File, Edit, Badge and Help with their standard
// shortcuts, worded in the interface language. It only offers the actions;
// the window decides what each one does.
class WindowMenus : public QObject {
    Q_OBJECT

public:
    explicit WindowMenus(QWidget *window);

    QMenuBar *bar() const { return m_bar; }

    QAction *newSetup = nullptr, *open = nullptr, *save = nullptr, *saveAs = nullptr, *exportPreview = nullptr,
            *exit = nullptr;
    QAction *undo = nullptr, *redo = nullptr, *revert = nullptr;
    QAction *send = nullptr, *stop = nullptr;
    QAction *manual = nullptr, *shortcuts = nullptr, *about = nullptr;
    QMenu *recentMenu() const { return m_recent; }
    QMenu *portsMenu() const { return m_ports; }

    void applyLanguage(int uiLanguage);
    // The files Open Recent offers, the newest first.
    void setRecentFiles(const QStringList &paths);
    // What the Ports menu lists each time it opens: the names and the one chosen.
    std::function<QStringList()> portNames;
    std::function<QString()> chosenPort;
    // The ports ticked in Ports to get the same upload besides the chosen
    // one, as listed now; none: the chosen port alone. The window's only.
    QStringList alsoPorts() const;
    // The shortcut list Help shows: each action's key and its words.
    QString shortcutList(int uiLanguage) const;

Q_SIGNALS:
    void recentChosen(const QString &path);
    void portChosen(const QString &name);

private:
    void fillPorts();

    QMenuBar *m_bar = nullptr;
    QMenu *m_file = nullptr, *m_edit = nullptr, *m_badge = nullptr, *m_help = nullptr;
    QMenu *m_recent = nullptr, *m_ports = nullptr;
    QStringList m_recentPaths;
    QStringList m_also; // ticked, possibly no longer listed or now chosen
    int m_language = 0;
};

// The badge font files' sources and their licences, one a line, for About.
QString fontSourceList();

} // namespace glintag
