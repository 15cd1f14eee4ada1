#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <vector>

namespace glintag {

// The dot editor's drawing surface: a whole 4096 × 12 canvas at a large
// pitch, drawn on with the mouse or the keyboard. It keeps its own undo
// history; the canvas it edits is a copy until the dialog hands it back.
class DotGrid : public QWidget {
    Q_OBJECT

public:
    enum class Tool {
        Pen,
        Line,
        Rect
    };

    explicit DotGrid(QWidget *parent);

    const QImage &canvas() const { return m_canvas; }
    // A fresh canvas to edit: the history starts again.
    void setCanvas(const QImage &canvas);

    void setTool(Tool tool) { m_tool = tool; }
    Tool tool() const { return m_tool; }
    int pitch() const { return m_pitch; }
    void setPitch(int pitch);
    // Frame boundaries every `width` columns; 0 for none.
    void setFrameWidth(int width);
    int frameWidth() const { return m_frameWidth; }

    QPoint cursor() const { return m_cursor; }
    void setCursor(QPoint dot);

    // Every change to the dots goes through here, so one undo step takes
    // back exactly one edit. `edit` gets the canvas to change.
    template<typename Edit> void edit(const Edit &change)
    {
        QImage next = m_canvas.copy();
        change(next);
        commit(next);
    }
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void undo();
    void redo();

    // The dot under a widget position (may lie outside the canvas).
    QPoint dotAtPosition(QPoint pos) const;

Q_SIGNALS:
    // After every change of the dots, by an edit, undo or redo.
    void changed();
    void cursorMoved(QPoint dot);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void commit(const QImage &next);
    void showStroke(QPoint to);

    QImage m_canvas;
    QImage m_beforeStroke; // the canvas as the mouse went down; null otherwise
    std::vector<QImage> m_undo, m_redo;
    Tool m_tool = Tool::Pen;
    bool m_strokeLights = true;
    QPoint m_anchor;
    QPoint m_cursor;
    int m_pitch = 16;
    int m_frameWidth = 0;
};

} // namespace glintag
