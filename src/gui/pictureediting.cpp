#include "gui/pictureediting.h"

#include "badge/dotcanvas.h"
#include "badge/movemode.h"
#include "gui/doteditordialog.h"
#include "gui/mainwindow.h"
#include "gui/photodialog.h"
#include "gui/picturefiles.h"
#include "gui/previewpanel.h"
#include "gui/settingsrow.h"
#include "gui/slotrow.h"
#include "gui/stripwidgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QMouseEvent>

namespace glintag {

PictureEditing::PictureEditing(MainWindow &window, PictureFiles &files) :
    QObject(&window), m_window(window), m_files(files)
{
    window.preview()->strip()->installEventFilter(this);
    connect(&window.settingsRow(), &SettingsRow::languageChanged, this, [this] {
        if (m_editor)
            m_editor->applyLanguage(m_window.settingsRow().language());
        if (m_photo)
            m_photo->applyLanguage(m_window.settingsRow().language());
    });
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
    const BadgeSetup setup = m_window.badgeSetup();
    const bool frames = slot == 0 && setup.slots[0].mode == listPosition(MoveMode::Animation);
    const int width = frames ? frameWidth(badgeModel(setup.model)) : 0;
    m_slot = slot;
    m_editor = new DotEditorDialog(&m_window, slot, m_window.slotRow(slot).canvas()->canvas(), width,
                                   m_window.settingsRow().language());
    connect(m_editor, &QDialog::finished, m_editor, &QObject::deleteLater);
    connect(m_editor, &DotEditorDialog::applied, this, [this, slot](const QImage &canvas) {
        // Refused while an upload runs: the drawing stays open to apply later.
        if (!m_files.put(m_window.slotRow(slot), canvas))
            return;
        m_window.renderSlots();
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
    const QImage &canvas = m_window.slotRow(slot).canvas()->canvas();
    if (!nearlyDark(canvas))
        return;
    if (m_photo)
        m_photo->reject();
    m_photo = new PhotoDialog(&m_window, slot, canvas, m_window.settingsRow().language());
    connect(m_photo, &QDialog::finished, m_photo, &QObject::deleteLater);
    connect(m_photo, &PhotoDialog::applied, this, [this, slot](const QImage &dots) {
        if (!m_files.put(m_window.slotRow(slot), dots))
            return;
        m_window.renderSlots();
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
        const int slot = m_window.preview()->workingSlot();
        if (m_window.slotRow(slot).imageBox()->isChecked())
            open(slot);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glintag
