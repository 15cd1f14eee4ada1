#pragma once

#include <QHash>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

namespace glintag {

// The controls at their designed size need about 1000 × 700 pixels. On a
// smaller screen (a laptop at twice the scale has 960 × 540) they give way
// so that Send, Exit and the status line are in view at the first look: the
// slot table scrolls inside its own area, whatever stands below it moves up,
// and the progress bar, the gauge and the status line give up width so the
// buttons come left. Nothing moves on a screen that has the room.
class ControlsFit {
public:
    // The most the slot table gives up: it keeps about four rows in view.
    static constexpr int kMostTaken = 400;
    // The most width given up.
    static constexpr int kMostNarrowed = 80;

    // The content with its pieces at their designed places; `slotArea`
    // holds the slot table. What stands right of the progress bar comes
    // left; what reaches past the bar's left edge gives up width.
    ControlsFit(QWidget *content, QScrollArea *slotArea, QWidget *progressBar);

    // Fits the content to `room`, the part of the page the first look
    // shows; as far as the limits allow.
    void fitTo(const QSize &room);
    // How much height and width the content gave up.
    int taken() const { return m_taken; }
    int narrowed() const { return m_narrowed; }

private:
    QWidget *m_content;
    QScrollArea *m_slotArea;
    QSize m_designed;
    QRect m_slotAreaDesigned, m_barDesigned;
    QHash<QWidget *, QRect> m_below; // the content's children under the slot table
    int m_taken = 0, m_narrowed = 0;
};

} // namespace glintag
