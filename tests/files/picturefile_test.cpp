#include "files/picturefile.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace glintag;

const QTemporaryDir dir;

// Every pixel differs from its neighbours, so a shift or a stretch shows.
static QRgb pattern(int x, int y)
{
    return qRgb((x * 7 + y * 13) & 0xFF, (x * 3 + 100) & 0xFF, (y * 31 + x) & 0xFF);
}

static QImage patternImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int i = 0; i < w * h; ++i)
        img.setPixel(i % w, i / w, pattern(i % w, i / w));
    return img;
}

static QByteArray encode(const QImage &img, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(img) ? bytes : QByteArray();
}

static QString write(const char *name, const QByteArray &bytes)
{
    return writeFile(dir.filePath(name), bytes) ? dir.filePath(name) : QString();
}

// Onto a white canvas, so leftovers of an earlier picture cannot pass for black.
static QImage load(const QString &file)
{
    QImage canvas = makeBlankCanvas();
    canvas.fill(Qt::white);
    QString reason;
    EXPECT_TRUE(loadPictureOntoCanvas(file, canvas, &reason)) << reason.toStdString();
    return canvas;
}

// `inside` over the top-left w x h, black everywhere else.
static void expectCanvas(const QImage &canvas, int w, int h, QRgb (*inside)(int, int) = pattern)
{
    ASSERT_EQ(canvas.size(), QSize(4096, 12));
    for (int x = 0, y = 0; y < 12; y += ++x / 4096, x %= 4096)
        ASSERT_EQ(canvas.pixel(x, y), x < w && y < h ? inside(x, y) : qRgb(0, 0, 0)) << x << "," << y;
}

// 4 x 2, palette black/red/green/white, index (x + y) % 4, white transparent.
// Qt cannot write GIFs, hence the literal.
const QByteArray kGif = QByteArray::fromHex("47494638396104000200910000000000FF000000FF00FFFFFF21F9040100000300"
                                            "2C000000000400020000020544A831E250003B");

static QByteArray le(quint32 v, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b += char(v >> (8 * i));
    return b;
}

// Run-length coded, black and white: canvas row y is lit at x <= y.
static QByteArray runLengthBmp(int w, int h, bool fourBit)
{
    QByteArray data;
    for (int y = h - 1; y >= 0; --y) { // bottom row first
        data += char(y + 1) + QByteArray(1, fourBit ? '\x11' : '\x01');
        if (w > y + 1)
            data += char(w - y - 1) + QByteArray(1, '\0');
        data += QByteArray("\0\0", 2);
    }
    data += QByteArray("\0\1", 2);
    const QByteArray info = le(40, 4) + le(w, 4) + le(h, 4) + le(1, 2) + le(fourBit ? 4 : 8, 2) + le(fourBit ? 2 : 1, 4)
        + le(data.size(), 4) + le(2835, 4) + le(2835, 4) + le(2, 4) + le(0, 4);
    const QByteArray palette = QByteArray::fromHex("00000000FFFFFF00");
    const int offBits = 14 + info.size() + palette.size();
    return "BM" + le(offBits + data.size(), 4) + le(0, 4) + le(offBits, 4) + info + palette + data;
}

// The frame header's size fields replaced: a small file claiming a huge picture.
static QByteArray claimSize(QByteArray jpegBytes, const char *frameMarker, int w, int h)
{
    const int at = jpegBytes.indexOf(frameMarker);
    return at < 0 ? QByteArray()
                  : jpegBytes.replace(at + 5, 4, QByteArray(1, char(h >> 8)) + char(h) + char(w >> 8) + char(w));
}

TEST(PictureFile, PicturesArePlacedUnscaledAndCutAtTheCanvasEdges)
{
    for (const QSize s : {QSize(100, 12), QSize(100, 30), QSize(5000, 12), QSize(5000, 40)})
        expectCanvas(load(write("p.bmp", encode(patternImage(s.width(), s.height()), "BMP"))), s.width(), s.height());
    // the transparent white of the GIF stays black
    expectCanvas(load(write("t.gif", kGif)), 4, 2,
                 [](int x, int y) { return qRgb((x + y) % 4 == 1 ? 255 : 0, (x + y) % 4 == 2 ? 255 : 0, 0); });

    QImage red(32, 24, QImage::Format_RGB32);
    red.fill(Qt::red);
    for (const bool progressive : {false, true}) {
        const QImage canvas = load(write("red.bmp", encode(red.copy(0, 0, 64, 24), "JPEG", progressive)));
        // recognised by content, not name; lossy: judge by the lit threshold, skipping the edge's ringing
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 4096; x += x == 27 ? 9 : 1)
                ASSERT_EQ(qRed(canvas.pixel(x, y)) >= 128, x < 28) << x << "," << y << " progressive " << progressive;
    }
}

TEST(PictureFile, SavedCanvasIsABmpThatLoadsBackUnchanged)
{
    // of a 32 x 32 icon only the top 12 rows fit
    const std::pair<QImage, int> cases[] = {{makeBlankCanvas(), 0},
                                            {patternImage(4096, 12), 4096},
                                            {load(write("i.ico", encode(patternImage(32, 32), "ICO"))), 32}};
    for (const auto &[original, w] : cases) {
        // any extension: the file is a BMP all the same
        ASSERT_TRUE(saveCanvasAsBmp(original, dir.filePath("c.dat")));
        expectCanvas(QImage(dir.filePath("c.dat"), "BMP").convertToFormat(QImage::Format_RGB32), w, 12);
        EXPECT_EQ(load(dir.filePath("c.dat")), original);
    }
}

TEST(PictureFile, BadFilesFailWithAReasonAndLeaveTheCanvasAlone)
{
    const QByteArray bmp = encode(patternImage(40, 12), "BMP");
    // its header claims 100,000 x 100,000
    const QByteArray huge = QByteArray(bmp).replace(18, 8, QByteArray::fromHex("A0860100A0860100"));
    const QString fifo = dir.filePath("fifo.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QImage photo = patternImage(64, 24);
    const QByteArray rle = runLengthBmp(16, 12, false);
    const QByteArray png = encode(patternImage(64, 12), "PNG");
    const QString files[] = {
        dir.filePath("missing.bmp"), write("empty.bmp", ""), write("truncated.bmp", bmp.left(bmp.size() / 2)),
        write("truncated.gif", kGif.left(kGif.size() / 2)), write("text.bmp", "These are not the pixels you want.\n"),
        write("truncated.png", png.left(png.size() - 20)), write("no-end.png", png.left(png.size() - 12)),
        write("huge.bmp", huge), write("truncated-rle8.bmp", rle.left(rle.size() - 20)),
        write("truncated-rle4.bmp", runLengthBmp(16, 12, true).chopped(20)),
        // about 1 KB each, claiming 20,000 x 20,000 and 30,000 x 30,000 pixels
        write("huge-progressive.jpg", claimSize(encode(photo, "JPEG", true), "\xFF\xC2", 20000, 20000)),
        write("huge-baseline.jpg", claimSize(encode(photo, "JPEG"), "\xFF\xC0", 30000, 30000)),
        // not regular files: nothing may wait on them
        fifo, dir.path(), "/dev/null"};
    const QImage original = patternImage(4096, 12);
    QString reason;
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        ASSERT_FALSE(file.isEmpty());
        QImage canvas = original;
        reason.clear();
        EXPECT_FALSE(loadPictureOntoCanvas(file, canvas, &reason));
        EXPECT_FALSE(reason.trimmed().isEmpty());
        EXPECT_EQ(canvas, original);
    }
    // nor may a save into a missing folder leave anything behind
    reason.clear();
    EXPECT_FALSE(saveCanvasAsBmp(original, dir.filePath("no/such/folder/x.bmp"), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("no")));
}
