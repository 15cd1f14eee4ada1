#include "gui/pictureediting.h"

#include "badge/dotcanvas.h"
#include "badge/movemode.h"
#include "gui/doteditordialog.h"
#include "gui/photodialog.h"
#include "gui/picturefiles.h"
#include "gui/previewpanel.h"
#include "gui/setupmodel.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/stripwidgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QMouseEvent>

namespace glintag {

PictureEditing::PictureEditing(const SetupModel &model, SlotTable &slots, PreviewPanel &preview, PictureFiles &files,
                               QWidget *dialogParent) :
    QObject(dialogParent),
    m_model(model), m_slots(slots), m_preview(preview), m_files(files), m_dialogParent(dialogParent),
    m_language(language())
{
    preview.strip()->installEventFilter(this);
    // Open dialogs follow the language box.
    connect(&model, &SetupModel::settingsChanged, this, [this] {
        if (language() == m_language)
            return;
        m_language = language();
        if (m_editor)
            m_editor->applyLanguage(m_language);
        if (m_photo)
            m_photo->applyLanguage(m_language);
    });
}

int PictureEditing::language() const
{
    return m_model.setup().language;
}

void PictureEditing::open(int slot)
{
    if (m_editor && m_slot == slot && m_editor->isVisible()) {
        m_editor->raise();
        m_editor->activateWindow();
        return;
    }
    if (m_editor)
        m_editor->reject();
    const BadgeSetup &setup = m_model.setup();
    const SlotSetup &slotSetup = setup.slots[size_t(slot)];
    const bool frames = slot == 0 && slotSetup.mode == listPosition(MoveMode::Animation);
    const int width = frames ? frameWidth(badgeModel(setup.model)) : 0;
    m_slot = slot;
    m_editor = new DotEditorDialog(m_dialogParent, slot, slotSetup.picture, width, language());
    connect(m_editor, &QDialog::finished, m_editor, &QObject::deleteLater);
    connect(m_editor, &DotEditorDialog::applied, this, [this, slot](const QImage &canvas) {
        // Refused while an upload runs: the drawing stays open to apply later.
        if (!m_files.put(m_slots.row(slot), canvas))
            return;
        m_editor->accept();
    });
    m_editor->open();
}

DotEditorDialog *PictureEditing::editor() const
{
    return m_editor;
}

void PictureEditing::offerBrightnessRules(int slot)
{
    const QImage &canvas = m_model.setup().slots[size_t(slot)].picture;
    if (!nearlyDark(canvas))
        return;
    if (m_photo)
        m_photo->reject();
    m_photo = new PhotoDialog(m_dialogParent, slot, canvas, language());
    connect(m_photo, &QDialog::finished, m_photo, &QObject::deleteLater);
    connect(m_photo, &PhotoDialog::applied, this, [this, slot](const QImage &dots) {
        if (!m_files.put(m_slots.row(slot), dots))
            return;
        m_photo->accept();
    });
    m_photo->open();
}

PhotoDialog *PictureEditing::photoDialog() const
{
    return m_photo;
}

bool PictureEditing::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        const int slot = m_preview.workingSlot();
        if (m_model.setup().slots[size_t(slot)].image)
            open(slot);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glintag
