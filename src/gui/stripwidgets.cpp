#include "gui/stripwidgets.h"

#include "badge/dotcanvas.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace glintag {

GaugeStrip::GaugeStrip(QWidget *parent) : QFrame(parent), m_image(kGaugeWidth, 11, QImage::Format_RGB32)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    m_image.fill(Qt::black);
}

void GaugeStrip::setSpans(const std::vector<GaugeSpan> &spans)
{
    QPainter p(&m_image);
    for (const GaugeSpan &s : spans)
        if (s.x1 > s.x0)
            p.fillRect(QRect(s.x0, 0, s.x1 - s.x0, m_image.height()), QColor(s.colour));
    p.end();
    update();
}

void GaugeStrip::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_image);
}

CanvasBox::CanvasBox(QWidget *parent) : QWidget(parent), m_canvas(kRowColumns, kRowCount, QImage::Format_RGB32)
{
    m_canvas.fill(Qt::black);
    setFixedSize(kRowColumns, kRowCount);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasBox::setCanvas(const QImage &image)
{
    m_canvas = image;
    update();
    if (changed)
        changed();
}

void CanvasBox::setDrawnColour(QRgb colour)
{
    m_drawnColour = colour;
    update();
}

QImage CanvasBox::shown(const QImage &canvas, QRgb drawnColour)
{
    QImage out = canvas.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        std::replace(row, row + out.width(), kLitPixel, drawnColour | 0xFF000000u);
    }
    return out;
}

void CanvasBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.drawImage(r, shown(m_canvas.copy(r), m_drawnColour));
}

void RefreshingComboBox::showPopup()
{
    if (beforePopup)
        beforePopup();
    QComboBox::showPopup();
}

} // namespace glintag
