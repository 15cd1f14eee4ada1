#pragma once

#include <QFont>
#include <QImage>
#include <QString>

namespace glintag {

// A line of text in any font the system has, as dots: drawn with the
// font's own smoothing at the largest pixel size whose ascent and descent
// fit in twelve rows, then every pixel at or above `threshold` (0..255, of
// its brightness) is a lit dot and every other is not, so nothing grey
// reaches a canvas. The result is kCanvasHeight rows high, as wide as the
// text (at most kCanvasWidth), lit dots white on black.
QImage textDots(const QString &text, const QFont &font, int threshold);

// The pixel size textDots draws the font at.
int textPixelSize(const QFont &font);

} // namespace glintag
