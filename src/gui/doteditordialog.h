#pragma once

#include <QDialog>
#include <QImage>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace glintag {

class DotGrid;
class TextTool;

// The dot editor: a slot's canvas at a large pitch with its tools, icons
// and, for slot 1 in Animation mode, its frames. Nothing reaches the slot
// until Apply, which hands the canvas back through applied(); the receiver
// closes the editor once the slot took it (not while an upload runs).
class DotEditorDialog : public QDialog {
    Q_OBJECT

public:
    enum Button {
        Pen,
        Line,
        Rect,
        Clear,
        Invert,
        ShiftLeft,
        ShiftRight,
        ShiftUp,
        ShiftDown,
        Fit,
        Undo,
        Redo,
        InsertIcon,
        AddFrame,
        DuplicateFrame,
        DeleteFrame,
        FrameEarlier,
        FrameLater,
        Apply,
        Cancel,
        ButtonCount
    };

    // frameWidth: the animation's frame width in columns, 0 when the slot
    // does not play frames.
    DotEditorDialog(QWidget *parent, int slot, const QImage &canvas, int frameWidth, int uiLanguage);

    DotGrid *grid() const { return m_grid; }
    QPushButton *button(Button b) const { return m_buttons[b]; }
    QComboBox *iconBox() const { return m_icons; }
    QLabel *frameLabel() const { return m_frameLabel; }
    QScrollArea *scroller() const { return m_scroller; }
    TextTool *textTool() const { return m_textTool; }
    // Frames shown, trailing blank ones included.
    int frames() const { return m_frames; }
    void applyLanguage(int uiLanguage);

Q_SIGNALS:
    void applied(const QImage &canvas);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildButtons();
    void frameEdit(Button b);
    void zoomToFit();
    void refresh();

    int m_slot;
    int m_frameWidth;
    int m_frames = 1;
    int m_language = 0;
    DotGrid *m_grid = nullptr;
    QScrollArea *m_scroller = nullptr;
    QComboBox *m_icons = nullptr;
    QLabel *m_iconLabel = nullptr;
    QLabel *m_frameLabel = nullptr;
    QWidget *m_frameRow = nullptr;
    TextTool *m_textTool = nullptr;
    QPushButton *m_buttons[ButtonCount] = {};
};

} // namespace glintag
