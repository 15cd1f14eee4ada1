#include "render/fonttext.h"

#include "badge/dotcanvas.h"
#include "badge/limits.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace glintag {

namespace {

constexpr int kSmallestPixelSize = 6;

} // namespace

int textPixelSize(const QFont &font)
{
    QFont f = font;
    for (int size = kCanvasHeight + 4; size > kSmallestPixelSize; --size) {
        f.setPixelSize(size);
        const QFontMetrics m(f);
        if (m.ascent() + m.descent() <= kCanvasHeight)
            return size;
    }
    return kSmallestPixelSize;
}

QImage textDots(const QString &text, const QFont &font, int threshold)
{
    QFont f = font;
    f.setPixelSize(textPixelSize(font));
    const QFontMetrics metrics(f);
    const int width = std::clamp(metrics.horizontalAdvance(text), 1, kCanvasWidth);
    QImage grey(width, kCanvasHeight, QImage::Format_RGB32);
    grey.fill(Qt::black);
    {
        QPainter p(&grey);
        p.setFont(f);
        p.setPen(Qt::white);
        // Ascent and descent centred in the rows.
        const int top = (kCanvasHeight - metrics.ascent() - metrics.descent()) / 2;
        p.drawText(0, top + metrics.ascent(), text);
    }
    QImage dots(width, kCanvasHeight, QImage::Format_RGB32);
    for (int y = 0; y < kCanvasHeight; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(grey.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(dots.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = qGray(in[x]) >= threshold ? kLitPixel : kUnlitPixel;
    }
    return dots;
}

} // namespace glintag
