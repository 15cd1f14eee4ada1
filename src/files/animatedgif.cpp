#include "files/animatedgif.h"

#include "badge/dotcanvas.h"
#include "badge/limits.h"
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

struct FrameWalk {
    qint64 frames = 0; // whose data is complete
    bool cutShort = false;
};

// Follows the block chain to the trailer, counting the frames whose data is
// all there. Qt's decoder would hand back a frame cut short half drawn, so
// only complete frames are decoded.
FrameWalk completeFrames(QFile &file)
{
    FrameWalk walk;
    QByteArray window;
    qint64 windowAt = 0;
    auto byteAt = [&](qint64 pos) -> int {
        if (pos < windowAt || pos >= windowAt + window.size()) {
            if (!file.seek(pos))
                return -1;
            windowAt = pos;
            window = file.read(64 * 1024);
            if (window.isEmpty())
                return -1;
        }
        return quint8(window.at(pos - windowAt));
    };
    auto skipSubBlocks = [&](qint64 pos) -> qint64 {
        for (int len; (len = byteAt(pos)) > 0;)
            pos += 1 + len;
        return byteAt(pos) == 0 ? pos + 1 : -1;
    };
    const int screenFlags = byteAt(10);
    qint64 pos = 13 + ((screenFlags & 0x80) ? 3 << ((screenFlags & 7) + 1) : 0);
    for (;;) {
        const int block = screenFlags < 0 ? -1 : byteAt(pos);
        if (block == 0x21) {
            pos = skipSubBlocks(pos + 2);
        } else if (block == 0x2C) {
            const int imageFlags = byteAt(pos + 9);
            pos += 10 + ((imageFlags & 0x80) ? 3 << ((imageFlags & 7) + 1) : 0);
            pos = imageFlags < 0 ? -1 : skipSubBlocks(pos + 1);
            if (pos >= 0)
                ++walk.frames;
        } else {
            // The trailer, or damage past which nothing is read.
            walk.cutShort = block != 0x3B;
            return walk;
        }
        if (pos < 0) {
            walk.cutShort = true;
            return walk;
        }
    }
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
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(scaled.constScanLine(y));
        for (int c = 0; c < w; ++c)
            setDot(canvas, left + c, top + y, pixelLit(line[c] | 0xFF000000u));
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
    return int(std::min<qint64>(completeFrames(file).frames, std::numeric_limits<int>::max()));
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
    const qint64 width = quint8(head[6]) | quint8(head[7]) << 8;
    const qint64 height = quint8(head[8]) | quint8(head[9]) << 8;
    // Every frame is decoded onto a whole screen, the decoder keeps the one
    // before for the disposal methods, and fitting makes one premultiplied
    // copy.
    if (width * height * 4 * 3 > kMaxFullDecodeBytes)
        return fail(reason,
                    QStringLiteral("The picture is too large to open (%1 x %2 pixels).").arg(width).arg(height));

    const FrameWalk walk = completeFrames(file);
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
                    walk.cutShort ? QStringLiteral("The file is cut short: part of the picture is missing.")
                                  : QStringLiteral("The GIF file holds no picture."));
    }
    result.framesInFile = int(std::min<qint64>(walk.frames, std::numeric_limits<int>::max()));
    result.cutShort = walk.cutShort;
    *animation = result;
    return true;
}

} // namespace glintag
