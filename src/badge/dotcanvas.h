#pragma once

#include "badge/badgemodel.h"
#include "badge/limits.h"

#include <QImage>
#include <QPoint>

namespace glintag {

// Drawing on a slot's canvas dot by dot. A canvas pixel is a lit dot when
// its red component is 128 or more (the renderer's sampling tests the same
// bit eight pixels at a time); what is drawn here is pure white or black,
// so the dots sent are exactly the dots drawn.
constexpr QRgb kLitPixel = 0xFFFFFFFFu;
constexpr QRgb kUnlitPixel = 0xFF000000u;

constexpr bool pixelLit(QRgb pixel)
{
    return ((pixel >> 16) & 0xFF) >= 128;
}

// Outside the canvas: unlit, and drawing there does nothing.
bool dotAt(const QImage &canvas, int x, int y);
void setDot(QImage &canvas, int x, int y, bool lit);
// Every dot on the straight line from a to b, both ends included.
void drawLine(QImage &canvas, QPoint a, QPoint b, bool lit);
// The outline of the rectangle with corners a and b.
void drawRect(QImage &canvas, QPoint a, QPoint b, bool lit);

// Columns [from, to) only; a whole canvas is (0, kCanvasWidth).
void clearColumns(QImage &canvas, int from, int to);
void invertColumns(QImage &canvas, int from, int to);
// Moves the dots of columns [from, to) by dx columns and dy rows; what
// moves out is lost and what comes in is unlit.
void shiftColumns(QImage &canvas, int from, int to, int dx, int dy);

// A photo whose colours light nothing by the lit rule can be lit by its
// brightness instead: each pixel at or above a threshold, or by an ordered
// (4 x 4 Bayer) dither that keeps its shades as a pattern of dots.
enum class BrightnessRule {
    Threshold,
    Dither
};
QImage dotsByBrightness(const QImage &canvas, BrightnessRule rule, int threshold = 128);
// Whether any pixel is brighter than black at all.
bool anyBrightness(const QImage &canvas);
// One past the last column with any brightness: the picture's own width.
int brightColumns(const QImage &canvas);
// A picture that is not all black but of whose dots (over its own width)
// fewer than 2 % light by the lit rule goes in nearly black: worth offering
// the brightness rules for.
bool nearlyDark(const QImage &canvas);
// The middle grey level (0..255) of the picture's dots over its own width:
// a threshold there lights about half of them, whatever the exposure.
int medianBrightness(const QImage &canvas);

// One past the last column with a lit dot; 0 for an empty canvas.
int usedColumns(const QImage &canvas);

// Slot 1 in Animation mode: frames as wide as the model's face, side by
// side from column 0.
constexpr int frameWidth(const BadgeModel &model)
{
    return model.faceWidth;
}
constexpr int maxFrames(const BadgeModel &model)
{
    return kCanvasWidth / frameWidth(model);
}
// The frames the drawing spans, at least one.
int frameCount(const QImage &canvas, const BadgeModel &model);
// On `count` frames, which may end in blank ones the drawing does not
// span. Each returns false and leaves the canvas as it was when the frames
// would not fit in the canvas or an index is out of range.
bool insertBlankFrame(QImage &canvas, const BadgeModel &model, int count, int at);
bool duplicateFrame(QImage &canvas, const BadgeModel &model, int count, int index);
bool deleteFrame(QImage &canvas, const BadgeModel &model, int count, int index);
bool moveFrame(QImage &canvas, const BadgeModel &model, int count, int from, int to);

} // namespace glintag
