#include "files/animatedgif.h"

#include "badge/dotcanvas.h"
#include "badge/limits.h"
#include "files/gifblocks.h"
#include "files/picturefile.h"
#include "files/regularfile.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <limits>

namespace glintag {

namespace {

bool fail(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
    return false;
}

} // namespace

void fitIntoFrame(const QImage &picture, QImage &canvas, int x, int frameWidth)
{
    clearColumns(canvas, x, x + frameWidth);
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return;
    const double scale = std::min(double(frameWidth) / picture.width(), double(kCanvasHeight) / picture.height());
    const int w = std::clamp(int(std::lround(picture.width() * scale)), 1, frameWidth);
    const int h = std::clamp(int(std::lround(picture.height() * scale)), 1, kCanvasHeight);
    // Scaled premultiplied, the colour channels are already the picture
    // over black, so a transparent part is unlit whatever colour it hides;
    // only the small scaled copy is composed, never a second whole screen.
    const QImage scaled = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int left = x + (frameWidth - w) / 2, top = (kCanvasHeight - h) / 2;
    // Lit dots white, as the badge shows them; the others keep their colour,
    // as a still picture's do, so a frame that lights nothing still shows
    // and is not taken for an empty canvas.
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(scaled.constScanLine(y));
        for (int c = 0; c < w; ++c) {
            const QRgb pixel = line[c] | 0xFF000000u;
            if (pixelLit(pixel))
                setDot(canvas, left + c, top + y, true);
            else if (canvas.rect().contains(left + c, top + y))
                canvas.setPixel(left + c, top + y, pixel);
        }
    }
}

int gifFrameCount(const QString &path)
{
    QFile file;
    if (openRegularFile(file, path).status != RegularFileOpen::Status::Opened)
        return 0;
    const QByteArray head = file.peek(6);
    if (head != "GIF87a" && head != "GIF89a")
        return 0;
    return int(std::min<qint64>(walkGifBlocks(file).frames, std::numeric_limits<int>::max()));
}

bool loadGifAnimation(const QString &path, int frameWidth, GifAnimation *animation, QString *reason)
{
    QFile file;
    const RegularFileOpen opened = openRegularFile(file, path);
    if (opened.status != RegularFileOpen::Status::Opened)
        return fail(reason, opened.reason);
    const QByteArray head = file.peek(13);
    if (!head.startsWith("GIF87a") && !head.startsWith("GIF89a"))
        return fail(reason, QStringLiteral("The file is not a GIF picture."));
    if (head.size() < 13)
        return fail(reason, QStringLiteral("The file is cut short: part of the picture is missing."));
    // Qt's decoder cannot show a frame cut short without drawing it half
    // (so only complete frames are decoded), and builds every frame on a
    // whole screen - or on the frame, where that is larger than the screen
    // the header claims. It keeps the one before for the disposal methods,
    // and fitting makes one premultiplied copy.
    const GifBlocks walk = walkGifBlocks(file);
    const qint64 width = walk.extent.width(), height = walk.extent.height();
    if (width * height * 4 * 3 > kMaxFullDecodeBytes)
        return fail(reason,
                    QStringLiteral("The picture is too large to open (%1 x %2 pixels).").arg(width).arg(height));
    const bool cutShort = walk.end != GifBlocks::End::Trailer;
    if (!file.seek(0))
        return fail(reason, QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    QImageReader reader(&file, "gif");
    reader.setAutoDetectImageFormat(false);
    const int room = int(std::min<qint64>(kCanvasWidth / frameWidth, walk.frames));
    GifAnimation result;
    result.canvas = makeBlankCanvas();
    QImage frame;
    while (result.framesPlaced < room && reader.read(&frame)) {
        fitIntoFrame(frame, result.canvas, result.framesPlaced * frameWidth, frameWidth);
        ++result.framesPlaced;
    }
    if (result.framesPlaced == 0) {
        return fail(reason,
                    cutShort ? QStringLiteral("The file is cut short: part of the picture is missing.")
                             : QStringLiteral("The GIF file holds no picture."));
    }
    result.framesInFile = int(std::min<qint64>(walk.frames, std::numeric_limits<int>::max()));
    result.cutShort = cutShort;
    *animation = result;
    return true;
}

} // namespace glintag
