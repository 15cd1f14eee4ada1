#pragma once

#include "badge/badgesetup.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace glintag {

class CanvasBox;
struct ColumnLayout;

// One slot's row of controls in the slot table. The row is the slot: its
// controls hold the slot's values and nothing else keeps a copy of them.
// The row spans the table one control high and paints nothing itself; its
// controls stand where the table's column layout puts them.
class SlotRow : public QWidget {
    Q_OBJECT

public:
    SlotRow(int slot, QWidget *table);

    int slot() const { return m_slot; }

    SlotSetup setup() const;
    // Every assignment raises its control's change, as a user's edit would.
    void setSetup(const SlotSetup &slot);
    // A picture put on the canvas, shown from its start.
    void showPicture(const QImage &canvas);

    void placeColumns(const ColumnLayout &layout);
    // Captions, faces and tooltips of an interface language (applylanguage.cpp).
    void applyLanguage(int uiLanguage, const QStringList &families);
    // Left to right as the columns stand.
    QList<QWidget *> tabChain() const;

    QCheckBox *selectBox() const { return m_select; }
    QLineEdit *textBox() const { return m_text; }
    QCheckBox *imageBox() const { return m_image; }       // show the picture instead of the text
    QCheckBox *verticalBox() const { return m_vertical; } // vertical writing (East Asian layouts only)
    QComboBox *speedBox() const { return m_speed; }
    QComboBox *modeBox() const { return m_mode; }
    QCheckBox *flashBox() const { return m_flash; }
    QCheckBox *borderBox() const { return m_border; } // the running border lamp ("Loop Lamp")
    QCheckBox *alternateBox() const { return m_alternate; }
    // The picture side, shown in the text box's place when Image is ticked.
    QFrame *pictureFrame() const { return m_picture; } // the sunken strip that clips the canvas
    CanvasBox *canvas() const { return m_canvas; }     // the whole 4096 × 12 picture
    QScrollBar *panBar() const { return m_pan; }
    QPushButton *loadButton() const { return m_load; }
    QPushButton *saveButton() const { return m_save; }

Q_SIGNALS:
    // Text, Select, Loop Lamp, move mode or Image: the slot's dots change.
    void contentEdited();
    // Speed or Flash: how the face plays the dots, not the dots.
    void playEdited();
    // Vertical writing: nothing the window renders, but what Send would carry.
    void verticalEdited();
    void alternateToggled();
    // Anything new on the canvas: a loaded, dropped, drawn or restored picture.
    void pictureChanged();
    void loadClicked();
    // A double-click on the picture, or F2 on its pan bar: draw in the dot editor.
    void editRequested();
    void saveClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPictureSide(bool picture);
    void pan();

    int m_slot;
    QCheckBox *m_select = nullptr;
    QLineEdit *m_text = nullptr;
    QCheckBox *m_image = nullptr;
    QCheckBox *m_vertical = nullptr;
    QComboBox *m_speed = nullptr;
    QComboBox *m_mode = nullptr;
    QCheckBox *m_flash = nullptr;
    QCheckBox *m_border = nullptr;
    QCheckBox *m_alternate = nullptr;
    QFrame *m_picture = nullptr;
    CanvasBox *m_canvas = nullptr;
    QScrollBar *m_pan = nullptr;
    QPushButton *m_load = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace glintag
