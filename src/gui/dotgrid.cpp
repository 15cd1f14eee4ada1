#include "gui/dotgrid.h"

#include "badge/dotcanvas.h"
#include "badge/limits.h"
#include "gui/previewpanel.h" // the strip's dot colours

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace glintag {

namespace {

// Enough to undo a long session of strokes; each step keeps a whole 192 KB
// canvas, so the history stays under 20 MB.
constexpr size_t kUndoSteps = 100;

} // namespace

DotGrid::DotGrid(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCanvas(QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32));
    setPitch(m_pitch);
}

void DotGrid::setCanvas(const QImage &canvas)
{
    m_canvas = canvas.convertToFormat(QImage::Format_RGB32);
    m_undo.clear();
    m_redo.clear();
    update();
    Q_EMIT changed();
}

void DotGrid::setPitch(int pitch)
{
    m_pitch = std::clamp(pitch, 4, 48);
    setFixedSize(kCanvasWidth * m_pitch, kCanvasHeight * m_pitch);
    update();
}

void DotGrid::setFrameWidth(int width)
{
    m_frameWidth = width;
    update();
}

void DotGrid::setCursor(QPoint dot)
{
    dot = QPoint(std::clamp(dot.x(), 0, kCanvasWidth - 1), std::clamp(dot.y(), 0, kCanvasHeight - 1));
    if (dot == m_cursor)
        return;
    update(QRect(m_cursor * m_pitch, QSize(m_pitch, m_pitch)));
    m_cursor = dot;
    update(QRect(m_cursor * m_pitch, QSize(m_pitch, m_pitch)));
    Q_EMIT cursorMoved(m_cursor);
}

void DotGrid::commit(const QImage &next)
{
    if (next == m_canvas)
        return;
    m_undo.push_back(m_canvas);
    if (m_undo.size() > kUndoSteps)
        m_undo.erase(m_undo.begin());
    m_redo.clear();
    m_canvas = next;
    update();
    Q_EMIT changed();
}

void DotGrid::undo()
{
    if (m_undo.empty())
        return;
    m_redo.push_back(m_canvas);
    m_canvas = m_undo.back();
    m_undo.pop_back();
    update();
    Q_EMIT changed();
}

void DotGrid::redo()
{
    if (m_redo.empty())
        return;
    m_undo.push_back(m_canvas);
    m_canvas = m_redo.back();
    m_redo.pop_back();
    update();
    Q_EMIT changed();
}

QPoint DotGrid::dotAtPosition(QPoint pos) const
{
    return QPoint(pos.x() / m_pitch, pos.y() / m_pitch);
}

void DotGrid::paintEvent(QPaintEvent *event)
{
    const QRect r = event->rect();
    const int col0 = std::max(0, r.left() / m_pitch);
    const int col1 = std::min(kCanvasWidth, r.right() / m_pitch + 1);
    QImage dots(std::max(1, col1 - col0) * m_pitch, kCanvasHeight * m_pitch, QImage::Format_RGB32);
    dots.fill(kDotGap);
    paintDots(
        dots, col0, col1, [this](int row, int col) { return dotAt(m_canvas, col, row); }, m_pitch);
    QPainter p(this);
    p.drawImage(col0 * m_pitch, 0, dots);
    if (m_frameWidth > 0) {
        p.setPen(QPen(QColor(80, 160, 255), 2));
        for (int c = (col0 / m_frameWidth) * m_frameWidth; c <= col1; c += m_frameWidth)
            if (c > 0)
                p.drawLine(c * m_pitch - 1, 0, c * m_pitch - 1, height());
    }
    p.setPen(QPen(hasFocus() ? QColor(255, 220, 0) : QColor(150, 150, 150), 2));
    p.drawRect(QRect(m_cursor * m_pitch, QSize(m_pitch, m_pitch)).adjusted(1, 1, -1, -1));
}

void DotGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint dot = dotAtPosition(event->position().toPoint());
    m_beforeStroke = m_canvas.copy();
    m_anchor = dot;
    // The first dot decides: a stroke started on a lit dot clears.
    m_strokeLights = !dotAt(m_canvas, dot.x(), dot.y());
    setCursor(dot);
    showStroke(dot);
}

void DotGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_beforeStroke.isNull())
        showStroke(dotAtPosition(event->position().toPoint()));
}

void DotGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_beforeStroke.isNull() || event->button() != Qt::LeftButton)
        return;
    showStroke(dotAtPosition(event->position().toPoint()));
    // The stroke becomes one undo step from the canvas it started on.
    const QImage stroke = m_canvas;
    m_canvas = m_beforeStroke;
    m_beforeStroke = QImage();
    commit(stroke);
}

// While the button is down the canvas shows the stroke so far; a line or
// rectangle is drawn afresh from the canvas the stroke started on.
void DotGrid::showStroke(QPoint to)
{
    switch (m_tool) {
    case Tool::Pen:
        drawLine(m_canvas, m_anchor, to, m_strokeLights);
        m_anchor = to;
        break;
    case Tool::Line:
        m_canvas = m_beforeStroke.copy();
        drawLine(m_canvas, m_anchor, to, m_strokeLights);
        break;
    case Tool::Rect:
        m_canvas = m_beforeStroke.copy();
        drawRect(m_canvas, m_anchor, to, m_strokeLights);
        break;
    }
    update();
    Q_EMIT changed();
}

void DotGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        setCursor(m_cursor - QPoint(1, 0));
        break;
    case Qt::Key_Right:
        setCursor(m_cursor + QPoint(1, 0));
        break;
    case Qt::Key_Up:
        setCursor(m_cursor - QPoint(0, 1));
        break;
    case Qt::Key_Down:
        setCursor(m_cursor + QPoint(0, 1));
        break;
    case Qt::Key_Home:
        setCursor(QPoint(0, m_cursor.y()));
        break;
    case Qt::Key_Space: {
        const QPoint c = m_cursor;
        edit([c](QImage &canvas) { setDot(canvas, c.x(), c.y(), !dotAt(canvas, c.x(), c.y())); });
        break;
    }
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace glintag
