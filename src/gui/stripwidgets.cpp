#include "gui/stripwidgets.h"

#include <QPaintEvent>
#include <QPainter>

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
}

void CanvasBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.drawImage(event->rect(), m_canvas, event->rect());
}

void RefreshingComboBox::showPopup()
{
    if (beforePopup)
        beforePopup();
    QComboBox::showPopup();
}

} // namespace glintag
