#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace glintag {

class DotEditorDialog;
class PhotoDialog;
class PictureFiles;
class PreviewPanel;
class SetupModel;
class SlotTable;

// Opens the dot editor on a slot's picture and puts what it makes back on
// the slot's row as a loaded picture goes there; the row writes it into the
// model, whose listeners render it. Also opens it when the preview strip of
// a picture slot is clicked, and offers the photo dialog after a load. It
// reads the setup (the mode, the model, the language) from the model and
// knows nothing of the window.
class PictureEditing : public QObject {
public:
    // The dialogs are children of `dialogParent`.
    PictureEditing(const SetupModel &model, SlotTable &slots, PreviewPanel &preview, PictureFiles &files,
                   QWidget *dialogParent);

    // Non-modal; a second request for the same slot raises the open editor.
    void open(int slot);
    DotEditorDialog *editor() const;
    // After a load: a picture that is not all black but lights almost no
    // dot by the usual rule gets the photo dialog, which may light it by
    // brightness.
    void offerBrightnessRules(int slot);
    PhotoDialog *photoDialog() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int language() const;

    const SetupModel &m_model;
    SlotTable &m_slots;
    PreviewPanel &m_preview;
    PictureFiles &m_files;
    QWidget *m_dialogParent;
    QPointer<DotEditorDialog> m_editor;
    QPointer<PhotoDialog> m_photo;
    int m_slot = -1;
    int m_language = -1; // the language the open dialogs speak
};

} // namespace glintag
