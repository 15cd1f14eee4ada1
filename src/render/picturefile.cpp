#include "picturefile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRect>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>

namespace glintag {

namespace {

enum class PictureKind { Unknown, Bmp, Gif, Jpeg, Ico };

// Enough to hold every header field the checks below look at.
constexpr qint64 kHeadBytes = 64;

bool fail(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
    return false;
}

QString truncatedText()
{
    return QStringLiteral("The file is cut short: part of the picture is missing.");
}

quint32 le16(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8;
}

quint32 le32(const QByteArray &b, int at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

// Decided by the leading bytes only, so a picture with a wrong extension
// still opens, and only the four supported decoders ever see user files
// (Qt's text-based formats would happily "decode" a stray text file).
PictureKind sniff(const QByteArray &head)
{
    if (head.startsWith("BM"))
        return PictureKind::Bmp;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return PictureKind::Gif;
    if (head.startsWith("\xFF\xD8\xFF"))
        return PictureKind::Jpeg;
    // Reserved 0, type 1; type 2 would be a cursor.
    if (head.size() >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0)
        return PictureKind::Ico;
    return PictureKind::Unknown;
}

const char *qtFormatName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bmp: return "bmp";
    case PictureKind::Gif: return "gif";
    case PictureKind::Jpeg: return "jpeg";
    case PictureKind::Ico: return "ico";
    case PictureKind::Unknown: break;
    }
    return "";
}

// Qt's BMP decoder stops quietly at the end of the data and hands back an
// image whose missing rows are whatever the allocator left there, so a
// short uncompressed BMP is caught here instead. Run-length coded files
// cannot be measured up front; their decoder starts from a cleared image.
QString checkBmp(const QByteArray &head, qint64 fileSize)
{
    if (head.size() < 26)
        return truncatedText();
    const quint32 offBits = le32(head, 10);
    const quint32 infoSize = le32(head, 14);
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = le16(head, 18);
        height = le16(head, 20);
        bitCount = le16(head, 24);
    } else if (infoSize >= 40) {
        if (head.size() < 54)
            return truncatedText();
        width = qint32(le32(head, 18));
        height = qint32(le32(head, 22));
        bitCount = le16(head, 28);
        compression = le32(head, 30);
    } else {
        return QStringLiteral("The BMP header is damaged.");
    }
    height = std::abs(height);   // negative means stored top row first
    if (width <= 0 || height == 0 || bitCount == 0 || bitCount > 32)
        return QStringLiteral("The BMP header is damaged.");

    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed)
        return {};
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    if (qint64(offBits) > fileSize)
        return truncatedText();
    // Divide rather than multiply: a forged header can overflow the product.
    if (stride > (fileSize - qint64(offBits)) / height)
        return truncatedText();
    return {};
}

// libjpeg fills what a short file lacks with mid grey, which would light
// every missing dot; a complete file ends its entropy data with the
// end-of-image marker. Marker segments are skipped by their lengths up to
// the first scan, so an embedded thumbnail's end marker is not mistaken
// for the picture's.
QString checkJpeg(QFile &file)
{
    qint64 pos = 2;
    for (;;) {
        if (!file.seek(pos))
            return truncatedText();
        const QByteArray m = file.read(4);
        if (m.size() < 2 || quint8(m[0]) != 0xFF)
            return m.size() < 2 ? truncatedText() : QStringLiteral("The JPEG data is damaged.");
        const quint8 marker = quint8(m[1]);
        if (marker == 0xFF) {   // fill byte before a marker
            ++pos;
            continue;
        }
        if (marker == 0xDA) {
            pos += 2;
            break;
        }
        if (marker == 0xD9)
            return QStringLiteral("The JPEG file holds no picture.");
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (m.size() < 4)
            return truncatedText();
        pos += 2 + ((quint32(quint8(m[2])) << 8) | quint8(m[3]));
    }

    if (!file.seek(pos))
        return truncatedText();
    char previous = 0;
    QByteArray chunk;
    while (!(chunk = file.read(64 * 1024)).isEmpty()) {
        if (previous == '\xFF' && chunk[0] == '\xD9')
            return {};
        if (chunk.contains("\xFF\xD9"))
            return {};
        previous = chunk.back();
    }
    return truncatedText();
}

// Qt's GIF decoder shows whatever part of the first frame arrived; the
// rest would stay transparent and the loss go unnoticed. The block chain is
// followed up to the end of the first image's data.
QString checkGif(QFile &file)
{
    auto byteAt = [&file](qint64 pos) -> int {
        char c = 0;
        return file.seek(pos) && file.getChar(&c) ? int(quint8(c)) : -1;
    };
    // Skips a chain of sub-blocks starting at pos; returns where it ends or -1.
    auto skipSubBlocks = [&byteAt](qint64 pos) -> qint64 {
        for (int len; (len = byteAt(pos)) > 0;)
            pos += 1 + len;
        return byteAt(pos) == 0 ? pos + 1 : -1;
    };
    const int screenFlags = byteAt(10);
    if (screenFlags < 0)
        return truncatedText();
    qint64 pos = 13;
    if (screenFlags & 0x80)
        pos += 3 << ((screenFlags & 7) + 1);
    for (;;) {
        const int block = byteAt(pos);
        if (block == 0x21) {   // extension: label, then sub-blocks
            pos = skipSubBlocks(pos + 2);
        } else if (block == 0x2C) {
            const int imageFlags = byteAt(pos + 9);
            if (imageFlags < 0)
                return truncatedText();
            pos += 10;
            if (imageFlags & 0x80)
                pos += 3 << ((imageFlags & 7) + 1);
            // code size byte, then the image data
            return skipSubBlocks(pos + 1) < 0 ? truncatedText() : QString();
        } else if (block == 0x3B) {
            return QStringLiteral("The GIF file holds no picture.");
        } else {
            return block < 0 ? truncatedText() : QStringLiteral("The GIF data is damaged.");
        }
        if (pos < 0)
            return truncatedText();
    }
}

// A picture drawn over the black background: with premultiplied alpha the
// colour channels already are that composite.
QImage composeOnBlank(const QImage &picture)
{
    QImage canvas = makeBlankCanvas();
    const QImage src = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = std::min(src.width(), kCanvasWidth);
    const int height = std::min(src.height(), kCanvasHeight);
    for (int y = 0; y < height; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(canvas.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = in[x] | 0xFF000000u;
    }
    return canvas;
}

// Qt leaves the text of a failed buffered write as "Unknown error"; the
// usual cause then is a full disk.
QString writeFailure(const QSaveFile &file, const QString &detail)
{
    if (file.error() == QFileDevice::WriteError)
        return QStringLiteral("The file cannot be written; the disk may be full.");
    return QStringLiteral("The file cannot be written: %1.").arg(detail);
}

} // namespace

QImage makeBlankCanvas()
{
    QImage canvas(kCanvasWidth, kCanvasHeight, kCanvasFormat);
    canvas.fill(0xFF000000u);
    return canvas;
}

bool loadPictureOntoCanvas(const QString &path, QImage &canvas, QString *reason)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return fail(reason, QStringLiteral("The file does not exist."));
    if (info.isDir())
        return fail(reason, QStringLiteral("The name belongs to a folder, not a file."));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(reason, QStringLiteral("The file cannot be opened: %1.").arg(file.errorString()));
    const qint64 fileSize = file.size();
    if (fileSize == 0)
        return fail(reason, QStringLiteral("The file is empty."));

    const QByteArray head = file.read(kHeadBytes);
    const PictureKind kind = sniff(head);
    QString problem;
    switch (kind) {
    case PictureKind::Unknown:
        return fail(reason, QStringLiteral("The file is not a BMP, GIF, JPEG or ICO picture."));
    case PictureKind::Bmp: problem = checkBmp(head, fileSize); break;
    case PictureKind::Jpeg: problem = checkJpeg(file); break;
    case PictureKind::Ico: break;   // Qt's icon decoder refuses short files itself
    case PictureKind::Gif: problem = checkGif(file); break;
    }
    if (!problem.isEmpty())
        return fail(reason, problem);
    if (!file.seek(0))
        return fail(reason, QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));

    QImageReader reader(&file, qtFormatName(kind));
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return fail(reason, QStringLiteral("The picture cannot be decoded: %1.").arg(reader.errorString()));
    // Decoders that honour the clip rectangle only allocate what lands on the
    // canvas; the others (BMP, GIF, ICO in Qt 6.4) build the whole picture
    // first, so its size is bounded here.
    if (!reader.supportsOption(QImageIOHandler::ClipRect)
        && qint64(size.width()) * size.height() * 4 > kMaxFullDecodeBytes) {
        return fail(reason, QStringLiteral("The picture is too large to open (%1 x %2 pixels).")
                                .arg(size.width())
                                .arg(size.height()));
    }
    reader.setClipRect(QRect(0, 0, std::min(size.width(), kCanvasWidth), std::min(size.height(), kCanvasHeight)));
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return fail(reason, QStringLiteral("The picture cannot be decoded: %1.").arg(reader.errorString()));

    canvas = composeOnBlank(picture);
    return true;
}

bool saveCanvasAsBmp(const QImage &canvas, const QString &path, QString *reason)
{
    if (path.isEmpty())
        return fail(reason, QStringLiteral("No file name was given."));

    // The window's canvases always have the right size; anything else is
    // brought to it the same way a loaded picture is, so the file always
    // holds exactly 4096 x 12 pixels.
    const bool exact = canvas.width() == kCanvasWidth && canvas.height() == kCanvasHeight
                       && canvas.format() == kCanvasFormat;
    const QImage image = exact ? canvas : composeOnBlank(canvas);

    QSaveFile file(path);
    // Writing straight into the target would leave a torn file behind when
    // the disk fills up; without a temporary file beside it we give up.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(reason, QStringLiteral("The file cannot be created: %1.").arg(file.errorString()));
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        const QString why = writeFailure(file, writer.errorString());
        file.cancelWriting();
        return fail(reason, why);
    }
    if (!file.commit())
        return fail(reason, writeFailure(file, file.errorString()));
    return true;
}

} // namespace glintag
