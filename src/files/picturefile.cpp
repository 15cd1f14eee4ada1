#include "files/picturefile.h"

#include "files/bytewindow.h"
#include "files/gifblocks.h"
#include "files/outputfile.h"
#include "files/regularfile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRect>

#include <algorithm>
#include <cstdlib>

namespace glintag {

namespace {

enum class PictureKind {
    Unknown,
    Bmp,
    Gif,
    Jpeg,
    Ico,
    Png
};

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
// still opens, and only the five supported decoders ever see user files
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
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return PictureKind::Png;
    return PictureKind::Unknown;
}

const char *qtFormatName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bmp:
        return "bmp";
    case PictureKind::Gif:
        return "gif";
    case PictureKind::Jpeg:
        return "jpeg";
    case PictureKind::Ico:
        return "ico";
    case PictureKind::Png:
        return "png";
    case PictureKind::Unknown:
        break;
    }
    return "";
}

// Run-length coded rows cannot be measured up front, and Qt's decoder
// leaves the rows a short file lacks black. The codes are followed until
// the end-of-picture mark, or until every row has ended.
QString checkBmpRunLength(QFile &file, qint64 offBits, qint64 width, qint64 height, bool fourBit)
{
    ByteWindow bytes(file);
    qint64 pos = offBits;
    qint64 rows = 0;
    qint64 pixels = 0;
    while (rows < height) {
        const int count = bytes.at(pos);
        const int code = bytes.at(pos + 1);
        if (code < 0)
            return truncatedText();
        pos += 2;
        if (count > 0) {
            pixels += count;
        } else if (code == 0) {
            ++rows;
        } else if (code == 1) {
            return {};
        } else if (code == 2) {
            const int dy = bytes.at(pos + 1);
            if (dy < 0)
                return truncatedText();
            rows += dy;
            pos += 2;
        } else {
            // a literal run, padded to a whole 16-bit word
            const qint64 literal = fourBit ? (code + 1) / 2 : code;
            pos += (literal + 1) & ~qint64(1);
            if (bytes.at(pos - 1) < 0)
                return truncatedText();
            pixels += code;
        }
        // Far more pixels than the picture holds is damage, not a short
        // file; the decoder copes with it, and the walk must end.
        if (pixels > 2 * width * height + 4096)
            return {};
    }
    return {};
}

// Qt's BMP decoder stops quietly at the end of the data and hands back an
// image whose missing rows are whatever the allocator left there, so a
// short uncompressed BMP is caught here instead.
QString checkBmp(QFile &file, const QByteArray &head, qint64 fileSize)
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
    height = std::abs(height); // negative means stored top row first
    if (width <= 0 || height == 0 || bitCount == 0 || bitCount > 32)
        return QStringLiteral("The BMP header is damaged.");
    if (qint64(offBits) > fileSize)
        return truncatedText();

    if (compression == 1 || compression == 2) { // RLE8, RLE4
        if (width * height * 4 > kMaxFullDecodeBytes)
            return {}; // refused by its size later, without a walk
        return checkBmpRunLength(file, offBits, width, height, compression == 2);
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed)
        return {};
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    // Divide rather than multiply: a forged header can overflow the product.
    if (stride > (fileSize - qint64(offBits)) / height)
        return truncatedText();
    return {};
}

quint32 be16(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) << 8 | quint32(quint8(b[at + 1]));
}

// libjpeg fills what a short file lacks with mid grey, which would light
// every missing dot; a complete file ends its entropy data with the
// end-of-image marker, and Huffman-coded data spends at least one bit on
// every 8 x 8 block, so a forged header claiming a huge picture in a small
// file is caught too. Marker segments are skipped by their lengths up to
// the first scan, so an embedded thumbnail's end marker is not mistaken for
// the picture's. A progressive file, or one whose first scan lacks some
// components, makes libjpeg keep every block's coefficients whatever part
// of the picture is asked for; that memory is bounded like a full decode.
QString checkJpeg(QFile &file)
{
    QByteArray frame; // the start-of-frame segment
    quint8 frameMarker = 0;
    int scanComponents = 0;
    qint64 pos = 2;
    for (;;) {
        if (!file.seek(pos))
            return truncatedText();
        const QByteArray m = file.read(5);
        if (m.size() < 2 || quint8(m[0]) != 0xFF)
            return m.size() < 2 ? truncatedText() : QStringLiteral("The JPEG data is damaged.");
        const quint8 marker = quint8(m[1]);
        if (marker == 0xFF) { // fill byte before a marker
            ++pos;
            continue;
        }
        if (marker == 0xD9)
            return QStringLiteral("The JPEG file holds no picture.");
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (m.size() < 4)
            return truncatedText();
        const qint64 length = be16(m, 2);
        if (marker == 0xDA) {
            if (m.size() < 5)
                return truncatedText();
            scanComponents = quint8(m[4]);
            pos += 2 + length;
            break;
        }
        const bool startOfFrame
            = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && frame.isEmpty()) {
            frameMarker = marker;
            if (length < 2 || !file.seek(pos + 4))
                return truncatedText();
            frame = file.read(length - 2); // after the length field
            if (frame.size() < 6 || frame.size() < 6 + 3 * quint8(frame[5]))
                return truncatedText();
        }
        pos += 2 + length;
    }
    if (frame.isEmpty())
        return QStringLiteral("The JPEG data is damaged.");

    if (!file.seek(pos))
        return truncatedText();
    qint64 end = -1;
    char previous = 0;
    QByteArray chunk;
    for (qint64 chunkAt = pos; end < 0 && !(chunk = file.read(64 * 1024)).isEmpty(); chunkAt += chunk.size()) {
        if (previous == '\xFF' && chunk[0] == '\xD9')
            end = chunkAt - 1;
        else if (const int at = chunk.indexOf("\xFF\xD9"); at >= 0)
            end = chunkAt + at;
        previous = chunk.back();
    }
    if (end < 0)
        return truncatedText();

    const qint64 height = be16(frame, 1);
    const qint64 width = be16(frame, 3);
    const int components = quint8(frame[5]);
    if (width == 0 || height == 0 || components == 0)
        return QStringLiteral("The JPEG header is damaged.");
    int hMax = 1, vMax = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = quint8(frame[6 + 3 * c + 1]);
        hMax = std::max(hMax, sampling >> 4);
        vMax = std::max(vMax, sampling & 15);
    }
    qint64 blocks = 0;       // as coded
    qint64 bufferBlocks = 0; // as libjpeg keeps them, whole MCUs
    for (int c = 0; c < components; ++c) {
        const int sampling = quint8(frame[6 + 3 * c + 1]);
        const qint64 h = std::max(1, sampling >> 4), v = std::max(1, sampling & 15);
        const qint64 across = ((width * h + hMax - 1) / hMax + 7) / 8;
        const qint64 down = ((height * v + vMax - 1) / vMax + 7) / 8;
        blocks += across * down;
        bufferBlocks += (across + h - 1) / h * h * ((down + v - 1) / v * v);
    }

    const bool progressive = frameMarker == 0xC2 || frameMarker == 0xC6 || frameMarker == 0xCA || frameMarker == 0xCE;
    const bool arithmetic = frameMarker >= 0xC8;
    if ((progressive || scanComponents < components) && bufferBlocks * 64 * 2 > kMaxFullDecodeBytes)
        return QStringLiteral("The picture is too large to open (%1 x %2 pixels).").arg(width).arg(height);
    if (!arithmetic && (end - pos) * 8 < blocks)
        return truncatedText();
    return {};
}

// Qt's GIF decoder shows whatever part of the first frame arrived; the
// rest would stay transparent and the loss go unnoticed. The block chain is
// followed up to the end of the first image's data. *frameRect is where the
// first frame lies on the GIF's screen. The decoder builds the frame on the
// screen, or on the frame's own size when the screen is smaller: the larger
// of the two is bounded as any whole decoded picture is.
QString checkGif(QFile &file, QRect *frameRect)
{
    const GifBlocks walk = walkGifBlocks(file, 1);
    if (walk.frames == 0) {
        switch (walk.end) {
        case GifBlocks::End::Trailer:
            return QStringLiteral("The GIF file holds no picture.");
        case GifBlocks::End::CutShort:
            return truncatedText();
        case GifBlocks::End::Damaged:
            return QStringLiteral("The GIF data is damaged.");
        }
    }
    if (qint64(walk.extent.width()) * walk.extent.height() * 4 > kMaxFullDecodeBytes)
        return QStringLiteral("The picture is too large to open (%1 x %2 pixels).")
            .arg(walk.extent.width())
            .arg(walk.extent.height());
    *frameRect = walk.firstFrame;
    return {};
}

// Qt's PNG decoder hands back the rows that arrived and leaves the rest
// blank, so the chunks are walked to the end mark first: a file cut
// anywhere before it is refused.
QString checkPng(QFile &file, qint64 fileSize)
{
    qint64 pos = 8;
    for (;;) {
        if (pos + 8 > fileSize || !file.seek(pos))
            return truncatedText();
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            return truncatedText();
        const qint64 length
            = qint64(quint8(head[0])) << 24 | quint8(head[1]) << 16 | quint8(head[2]) << 8 | quint8(head[3]);
        pos += 12 + length; // length, type, data, check sum
        if (pos > fileSize)
            return truncatedText();
        if (head.mid(4, 4) == "IEND")
            return {};
    }
}

// A picture drawn over the black background: with premultiplied alpha the
// colour channels already are that composite. Only the part that lands on
// the canvas is converted, so a large picture is not copied whole. Pixels
// outside `shown` stay black.
QImage composeOnBlank(const QImage &picture, const QRect &shown = QRect(0, 0, kCanvasWidth, kCanvasHeight))
{
    QImage canvas = makeBlankCanvas();
    const QRect area = shown.intersected(
        QRect(0, 0, std::min(picture.width(), kCanvasWidth), std::min(picture.height(), kCanvasHeight)));
    if (area.isEmpty())
        return canvas;
    const QImage src = picture.copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < area.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(canvas.scanLine(area.top() + y)) + area.left();
        for (int x = 0; x < area.width(); ++x)
            out[x] = in[x] | 0xFF000000u;
    }
    return canvas;
}

// Qt's image decoders refuse to allocate beyond a process-wide limit; it is
// lowered to ours for the one read and put back afterwards.
class AllocationLimit {
public:
    explicit AllocationLimit(int megabytes) : m_previous(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(megabytes);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(m_previous); }
    AllocationLimit(const AllocationLimit &) = delete;
    AllocationLimit &operator=(const AllocationLimit &) = delete;

private:
    int m_previous;
};

} // namespace

QImage makeBlankCanvas()
{
    QImage canvas(kCanvasWidth, kCanvasHeight, kCanvasFormat);
    canvas.fill(0xFF000000u);
    return canvas;
}

bool loadPictureOntoCanvas(const QString &path, QImage &canvas, QString *reason)
{
    QFile file;
    const RegularFileOpen opened = openRegularFile(file, path);
    if (opened.status != RegularFileOpen::Status::Opened)
        return fail(reason, opened.reason);
    const qint64 fileSize = file.size();
    if (fileSize == 0)
        return fail(reason, QStringLiteral("The file is empty."));

    const QByteArray head = file.read(kHeadBytes);
    const PictureKind kind = sniff(head);
    QString problem;
    QRect shown(0, 0, kCanvasWidth, kCanvasHeight);
    switch (kind) {
    case PictureKind::Unknown:
        return fail(reason, QStringLiteral("The file is not a BMP, PNG, GIF, JPEG or ICO picture."));
    case PictureKind::Bmp:
        problem = checkBmp(file, head, fileSize);
        break;
    case PictureKind::Jpeg:
        problem = checkJpeg(file);
        break;
    case PictureKind::Ico:
        break; // Qt's icon decoder refuses short files itself
    case PictureKind::Png:
        problem = checkPng(file, fileSize);
        break;
    case PictureKind::Gif:
        problem = checkGif(file, &shown);
        break;
    }
    if (!problem.isEmpty())
        return fail(reason, problem);
    if (!file.seek(0))
        return fail(reason, QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));

    QImageReader reader(&file, qtFormatName(kind));
    reader.setAutoDetectImageFormat(false);
    QSize size = reader.size();
    // Qt 6.4 reports a top-down BMP with its header's negative height.
    size.setHeight(std::abs(size.height()));
    if (!size.isValid() || size.isEmpty())
        return fail(reason, QStringLiteral("The picture cannot be decoded: %1.").arg(reader.errorString()));
    // Decoders that honour the clip rectangle only allocate what lands on the
    // canvas; the others (BMP, GIF, ICO in Qt 6.4) build the whole picture
    // first, so its size is bounded here.
    if (!reader.supportsOption(QImageIOHandler::ClipRect)
        && qint64(size.width()) * size.height() * 4 > kMaxFullDecodeBytes) {
        return fail(
            reason,
            QStringLiteral("The picture is too large to open (%1 x %2 pixels).").arg(size.width()).arg(size.height()));
    }
    reader.setClipRect(QRect(0, 0, std::min(size.width(), kCanvasWidth), std::min(size.height(), kCanvasHeight)));
    QImage picture;
    {
        const AllocationLimit limit(int(kMaxFullDecodeBytes >> 20));
        if (!reader.read(&picture) || picture.isNull())
            return fail(reason, QStringLiteral("The picture cannot be decoded: %1.").arg(reader.errorString()));
    }

    canvas = composeOnBlank(picture, shown);
    return true;
}

bool saveCanvasAsBmp(const QImage &canvas, const QString &path, QString *reason)
{
    // Encoded first and written in one go: a write the system stops part
    // way then names its reason ("No space left on device").
    const OutputResult written = writeOutputFile(QFile::encodeName(path), canvasAsBmp(canvas));
    if (!written.ok() && reason)
        *reason = QStringLiteral("The file cannot be written: %1.").arg(written.reason());
    return written.ok();
}

QByteArray canvasAsBmp(const QImage &canvas)
{
    // The window's canvases always have the right size; anything else is
    // brought to it the same way a loaded picture is, so the file always
    // holds exactly 4096 x 12 pixels.
    const bool exact
        = canvas.width() == kCanvasWidth && canvas.height() == kCanvasHeight && canvas.format() == kCanvasFormat;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "bmp").write(exact ? canvas : composeOnBlank(canvas));
    return bytes;
}

} // namespace glintag
