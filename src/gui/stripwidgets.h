#pragma once

#include "render/messagebuilder.h"

#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QWidget>

#include <functional>

namespace glintag {

// The memory gauge: a sunken strip whose 768 × 11 inner pixels are
// repainted from the gauge spans after every rendering run.
class GaugeStrip : public QFrame {
public:
    explicit GaugeStrip(QWidget *parent);
    void setSpans(const std::vector<GaugeSpan> &spans);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

// A slot's 4096 × 12 canvas. The image is the whole picture,
// visible or not; the widget only shows the part its viewport lets through.
class CanvasBox : public QWidget {
public:
    explicit CanvasBox(QWidget *parent);
    const QImage &canvas() const { return m_canvas; }
    QImage &canvas() { return m_canvas; }
    // Tells `changed`.
    void setCanvas(const QImage &image);
    std::function<void()> changed;
    // Dots drawn in the dot editor or kept as dots in a setup file are pure
    // white; they show in this colour (the slot's), as a loaded picture
    // shows its own colours.
    void setDrawnColour(QRgb colour);
    // What the box shows of `canvas`.
    static QImage shown(const QImage &canvas, QRgb drawnColour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_canvas;
    QRgb m_drawnColour = 0xFFFFFFFFu;
};

// A drop-down that lets its owner refresh the list each time it opens, so
// devices plugged in since the last look are there to pick.
class RefreshingComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override;
};

} // namespace glintag
