#include "badge/dotcanvas.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace glintag {

namespace {

bool inside(const QImage &canvas, int x, int y)
{
    return x >= 0 && y >= 0 && x < canvas.width() && y < canvas.height();
}

QRgb *line(QImage &canvas, int y)
{
    return reinterpret_cast<QRgb *>(canvas.scanLine(y));
}

const QRgb *line(const QImage &canvas, int y)
{
    return reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
}

// Copies columns [from, from + width) of `source` to column `to` of `canvas`.
void copyColumns(QImage &canvas, const QImage &source, int from, int width, int to)
{
    for (int y = 0; y < canvas.height(); ++y)
        std::copy_n(line(source, y) + from, width, line(canvas, y) + to);
}

} // namespace

bool dotAt(const QImage &canvas, int x, int y)
{
    return inside(canvas, x, y) && pixelLit(line(canvas, y)[x]);
}

void setDot(QImage &canvas, int x, int y, bool lit)
{
    if (inside(canvas, x, y))
        line(canvas, y)[x] = lit ? kLitPixel : kUnlitPixel;
}

void drawLine(QImage &canvas, QPoint a, QPoint b, bool lit)
{
    const int dx = std::abs(b.x() - a.x()), sx = a.x() < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - a.y()), sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    for (QPoint p = a;;) {
        setDot(canvas, p.x(), p.y(), lit);
        if (p == b)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
}

void drawRect(QImage &canvas, QPoint a, QPoint b, bool lit)
{
    drawLine(canvas, a, QPoint(b.x(), a.y()), lit);
    drawLine(canvas, QPoint(b.x(), a.y()), b, lit);
    drawLine(canvas, b, QPoint(a.x(), b.y()), lit);
    drawLine(canvas, QPoint(a.x(), b.y()), a, lit);
}

void clearColumns(QImage &canvas, int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, canvas.width());
    for (int y = 0; y < canvas.height() && from < to; ++y)
        std::fill(line(canvas, y) + from, line(canvas, y) + to, kUnlitPixel);
}

void invertColumns(QImage &canvas, int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, canvas.width());
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = from; x < to; ++x)
            line(canvas, y)[x] = pixelLit(line(canvas, y)[x]) ? kUnlitPixel : kLitPixel;
}

void shiftColumns(QImage &canvas, int from, int to, int dx, int dy)
{
    from = std::max(from, 0);
    to = std::min(to, canvas.width());
    const QImage before = canvas.copy();
    clearColumns(canvas, from, to);
    for (int y = 0; y < canvas.height(); ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= canvas.height())
            continue;
        for (int x = from; x < to; ++x) {
            const int sx = x - dx;
            if (sx >= from && sx < to)
                line(canvas, y)[x] = line(before, sy)[sx];
        }
    }
}

QImage dotsByBrightness(const QImage &canvas, BrightnessRule rule, int threshold)
{
    // Each cell's level is the brightness, out of 256, above which its dot
    // lights, spread so that neighbours light at different levels.
    static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    QImage dots(canvas.size(), QImage::Format_RGB32);
    for (int y = 0; y < canvas.height(); ++y) {
        const QRgb *in = line(canvas, y);
        QRgb *out = line(dots, y);
        for (int x = 0; x < canvas.width(); ++x) {
            const int grey = qGray(in[x]);
            const bool lit
                = rule == BrightnessRule::Threshold ? grey >= threshold : grey * 16 > kBayer[y % 4][x % 4] * 256 + 128;
            out[x] = lit ? kLitPixel : kUnlitPixel;
        }
    }
    return dots;
}

bool anyBrightness(const QImage &canvas)
{
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if ((line(canvas, y)[x] & 0xFFFFFFu) != 0)
                return true;
    return false;
}

int brightColumns(const QImage &canvas)
{
    int used = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = canvas.width() - 1; x >= used; --x)
            if ((line(canvas, y)[x] & 0xFFFFFFu) != 0) {
                used = x + 1;
                break;
            }
    return used;
}

bool nearlyDark(const QImage &canvas)
{
    const int columns = brightColumns(canvas);
    qint64 lit = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < columns; ++x)
            lit += pixelLit(line(canvas, y)[x]);
    return columns > 0 && lit * 50 < qint64(columns) * canvas.height();
}

int medianBrightness(const QImage &canvas)
{
    const int columns = brightColumns(canvas);
    std::array<qint64, 256> histogram{};
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < columns; ++x)
            ++histogram[size_t(qGray(line(canvas, y)[x]))];
    const qint64 half = (qint64(columns) * canvas.height() + 1) / 2;
    qint64 seen = 0;
    for (int level = 0; level < 256; ++level)
        if ((seen += histogram[size_t(level)]) >= half)
            return level;
    return 0;
}

int usedColumns(const QImage &canvas)
{
    int used = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = canvas.width() - 1; x >= used; --x)
            if (pixelLit(line(canvas, y)[x])) {
                used = x + 1;
                break;
            }
    return used;
}

int frameCount(const QImage &canvas, const BadgeModel &model)
{
    const int w = frameWidth(model);
    return std::max(1, (usedColumns(canvas) + w - 1) / w);
}

bool insertBlankFrame(QImage &canvas, const BadgeModel &model, int count, int at)
{
    const int w = frameWidth(model);
    if (at < 0 || at > count || count + 1 > maxFrames(model))
        return false;
    const QImage before = canvas.copy();
    copyColumns(canvas, before, at * w, (count - at) * w, (at + 1) * w);
    clearColumns(canvas, at * w, (at + 1) * w);
    return true;
}

bool duplicateFrame(QImage &canvas, const BadgeModel &model, int count, int index)
{
    const int w = frameWidth(model);
    if (index < 0 || index >= count || !insertBlankFrame(canvas, model, count, index + 1))
        return false;
    copyColumns(canvas, canvas.copy(), index * w, w, (index + 1) * w);
    return true;
}

bool deleteFrame(QImage &canvas, const BadgeModel &model, int count, int index)
{
    const int w = frameWidth(model);
    if (index < 0 || index >= count || count > maxFrames(model))
        return false;
    const QImage before = canvas.copy();
    copyColumns(canvas, before, (index + 1) * w, (count - index - 1) * w, index * w);
    clearColumns(canvas, (count - 1) * w, count * w);
    return true;
}

bool moveFrame(QImage &canvas, const BadgeModel &model, int count, int from, int to)
{
    const int w = frameWidth(model);
    if (count > maxFrames(model) || from < 0 || to < 0 || from >= count || to >= count)
        return false;
    const QImage before = canvas.copy();
    // The frames between shift by one towards where the moved one was.
    if (from < to)
        copyColumns(canvas, before, (from + 1) * w, (to - from) * w, from * w);
    else
        copyColumns(canvas, before, to * w, (from - to) * w, (to + 1) * w);
    copyColumns(canvas, before, from * w, w, to * w);
    return true;
}

} // namespace glintag
