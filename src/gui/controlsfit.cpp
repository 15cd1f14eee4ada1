#include "gui/controlsfit.h"

#include <QScrollArea>
#include <QWidget>

#include <algorithm>

namespace glintag {

ControlsFit::ControlsFit(QWidget *content, QScrollArea *slotArea, QWidget *progressBar) :
    m_content(content), m_slotArea(slotArea), m_designed(content->size()), m_slotAreaDesigned(slotArea->geometry()),
    m_barDesigned(progressBar->geometry())
{
    for (QWidget *child : content->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (child->y() >= m_slotAreaDesigned.bottom())
            m_below.insert(child, child->geometry());
}

void ControlsFit::fitTo(const QSize &room)
{
    m_taken = std::clamp(m_designed.height() - room.height(), 0, kMostTaken);
    m_narrowed = std::clamp(m_designed.width() - room.width(), 0, kMostNarrowed);
    const int barLeft = m_barDesigned.x();
    for (auto it = m_below.cbegin(); it != m_below.cend(); ++it) {
        QWidget *w = it.key();
        const QRect &d = it.value();
        const int y = d.y() - m_taken;
        if (d.x() > barLeft) // the buttons, the figure and Stop come left
            w->setGeometry(d.x() - m_narrowed, y, d.width(), d.height());
        else if (d.right() >= barLeft) // the bar, the gauge, the rule and the status line give up width
            w->setGeometry(d.x(), y, d.width() - m_narrowed, d.height());
        else // the settings row keeps the left edges its language gave it
            w->move(w->x(), y);
    }
    m_slotArea->resize(m_slotAreaDesigned.width() - m_narrowed, m_slotAreaDesigned.height() - m_taken);
    m_content->setFixedSize(m_designed - QSize(m_narrowed, m_taken));
}

} // namespace glintag
