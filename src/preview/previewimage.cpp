#include "preview/previewimage.h"

#include "preview/facegif.h"

#include <QPainter>

#include <algorithm>

namespace glintag {

QImage previewImage(const DotBuffer &dots, const RowBytes &rowBytes, const QList<int> &slots, int scale)
{
    int columns = 1;
    for (int s : slots)
        columns = std::max(columns, rowBytes[s] * 8);
    const bool plain = scale <= 1;
    scale = std::max(scale, 1);
    const int stripRows = plain ? kRowCount : kRowCount + 1;
    const int height = std::max<int>(1, int(slots.size()) * stripRows - (plain ? 0 : 1));
    QImage image(columns * scale, height * scale, QImage::Format_RGB32);
    image.fill(Qt::black);

    if (plain) {
        for (int k = 0; k < slots.size(); ++k) {
            const int s = slots[k];
            for (int r = 0; r < kRowCount; ++r) {
                auto *line = reinterpret_cast<QRgb *>(image.scanLine(k * kRowCount + r));
                const std::uint8_t *row = dots.row(s, r);
                for (int x = 0; x < rowBytes[s] * 8; ++x)
                    if (row[x >> 3] & (0x80u >> (x & 7)))
                        line[x] = qRgb(255, 255, 255);
            }
        }
        return image;
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor lit = QColor::fromRgb(kLitLamp), dark = QColor::fromRgb(kDarkLamp);
    const double d = std::max(1.0, scale * 0.8);
    const double inset = (scale - d) / 2;
    for (int k = 0; k < slots.size(); ++k) {
        const int s = slots[k];
        for (int r = 0; r < kRowCount; ++r) {
            const std::uint8_t *row = dots.row(s, r);
            const int y = (k * stripRows + r) * scale;
            for (int x = 0; x < rowBytes[s] * 8; ++x) {
                const bool on = row[x >> 3] & (0x80u >> (x & 7));
                p.setBrush(on ? lit : dark);
                p.drawEllipse(QRectF(x * scale + inset, y + inset, d, d));
            }
        }
    }
    return image;
}

} // namespace glintag
