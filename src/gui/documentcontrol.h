#pragma once

#include "gui/setupdocument.h"
#include "gui/setuphistory.h"
#include "settings/keptsettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QTimer;

namespace glintag {

class Dialogs;
class SetupModel;
class WindowMenus;

// The window's setup as a document: setup files (new, open, save, save as,
// revert), undo and redo, the title with its mark, and the question before
// changes to a named setup are dropped. It reads the setup from the model
// and records each change the model signals; putting a setup on the rows is
// the window's, through `show`. It holds no widgets of its own and is not
// responsible for the file format (the settings floor's) or what a step is
// (SetupHistory's).
class DocumentControl : public QObject {
public:
    struct Window {
        std::function<void(const BadgeSetup &)> show; // put a whole setup on the rows
        std::function<void(const QString &)> setTitle;
        std::function<bool()> isSending;
        std::function<QString()> pictureFolder; // where the dialogs open without a named file
        // Pictures an opened file names that were not opened (missing, or outside its folder).
        std::function<void(const std::vector<PictureProblem> &)> tellPictureProblems;
        // A word in the status line, by interface language.
        std::function<void(std::function<QString(int)>)> tellStatus;
        QString programDir; // where renderings find their fonts
    };

    DocumentControl(SetupModel &model, Dialogs &dialogs, WindowMenus &menus, Window window, QObject *parent);

    // From here on the model's changes are steps; `now` is the first state.
    void start(const QStringList &recentFiles);

    const SetupDocument &document() const { return m_document; }
    const SetupHistory &history() const { return m_history; }
    // The next change starts a step of its own (the user left a text box).
    void seal() { m_history.seal(); }

    void newSetup();
    // Asks for a file when path is empty; false when nothing was opened.
    bool open(const QString &path = QString());
    bool save();
    bool saveAs();
    bool undo();
    bool redo();
    void revertToSaved();
    // The setup differs from the named file's last open or save.
    bool isModified();
    // Before the setup is replaced or the window closes: true to go on.
    bool keepOrDropChanges();
    // Where file dialogs open: the named file's folder, else the pictures'.
    QString folder() const;
    // Writes the face playing one round as an animated GIF (asks for the
    // file when path is empty); false when nothing was written.
    bool exportPreview(const QString &path = QString());

private:
    void noteChange();
    void recordChange();
    void show(const BadgeSetup &setup);
    bool saveTo(const QString &path);
    void updateTitle();
    int language() const;

    SetupModel &m_model;
    Dialogs &m_dialogs;
    WindowMenus &m_menus;
    Window m_window;
    SetupDocument m_document;
    SetupHistory m_history;
    QTimer *m_changeTimer = nullptr; // takes a step once a change has settled
    bool m_started = false, m_showing = false;
};

} // namespace glintag
