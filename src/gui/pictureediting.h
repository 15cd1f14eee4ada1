#pragma once

#include <QObject>
#include <QPointer>

namespace glintag {

class DotEditorDialog;
class PhotoDialog;
class MainWindow;
class PictureFiles;

// Opens the dot editor on a slot's canvas and puts what it makes back on
// the slot as a loaded picture goes there. Also opens it when the preview
// strip of a picture slot is clicked.
class PictureEditing : public QObject {
public:
    PictureEditing(MainWindow &window, PictureFiles &files);

    // Non-modal; a second request for the same slot raises the open editor.
    void open(int slot);
    DotEditorDialog *editor() const;
    // After a load: a picture that lights no dot by the usual rule but is
    // not all black gets the photo dialog, which may light it by brightness.
    void offerBrightnessRules(int slot);
    PhotoDialog *photoDialog() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainWindow &m_window;
    PictureFiles &m_files;
    QPointer<DotEditorDialog> m_editor;
    QPointer<PhotoDialog> m_photo;
    int m_slot = -1;
};

} // namespace glintag
