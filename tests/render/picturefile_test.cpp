#include "render/picturefile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <QTemporaryDir>

using namespace glintag;

namespace {

// Every pixel differs from its neighbours, so a shift or a stretch shows.
QRgb patternPixel(int x, int y)
{
    return qRgb((x * 7 + y * 13) & 0xFF, (x * 3 + 100) & 0xFF, (y * 31 + x) & 0xFF);
}

QImage patternImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, patternPixel(x, y));
    return img;
}

void expectPattern(const QImage &canvas, int w, int h)
{
    ASSERT_EQ(canvas.size(), QSize(4096, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4096; ++x)
            ASSERT_EQ(canvas.pixel(x, y), x < w && y < h ? patternPixel(x, y) : qRgb(0, 0, 0)) << x << "," << y;
}

// 4 x 2, palette black/red/green/white, index (x + y) % 4, white transparent.
// Qt cannot write GIFs, hence the literal.
const QByteArray kGif = QByteArray::fromHex("47494638396104000200910000000000FF000000FF00FFFFFF21F9040100000300"
                                            "2C000000000400020000020544A831E250003B");

class PictureFileTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return m_dir.filePath(name); }
    QString write(const char *name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path(name) : QString();
    }
    static QByteArray read(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString save(const QImage &img, const char *name, const char *fmt) const
    {
        return img.save(path(name), fmt) ? path(name) : QString();
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
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PictureFileTest, PictureIsPlacedUnscaledAndCutAtTheCanvasEdges)
{
    for (const QSize s : {QSize(100, 12), QSize(100, 30), QSize(5000, 12), QSize(5000, 40)}) {
        SCOPED_TRACE(testing::Message() << s.width() << "x" << s.height());
        expectPattern(load(save(patternImage(s.width(), s.height()), "p.bmp", "BMP")), s.width(), s.height());
    }
}

TEST_F(PictureFileTest, SavedCanvasIsABmpThatLoadsBackUnchanged)
{
    // of a 32 x 32 icon only the top 12 rows fit
    const std::pair<QImage, int> cases[] = {
        {makeBlankCanvas(), 0}, {patternImage(4096, 12), 4096}, {load(save(patternImage(32, 32), "i.ico", "ICO")), 32}};
    for (const auto &[original, w] : cases) {
        // any extension: the file is a BMP all the same
        ASSERT_TRUE(saveCanvasAsBmp(original, path("c.dat")));
        expectPattern(QImage(path("c.dat"), "BMP").convertToFormat(QImage::Format_RGB32), w, 12);
        EXPECT_EQ(load(path("c.dat")), original);
    }
}

TEST_F(PictureFileTest, TransparentGifPixelsStayBlack)
{
    const QImage canvas = load(write("t.gif", kGif));
    const QRgb colours[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 0)};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(canvas.pixel(x, y), x < 4 && y < 2 ? colours[(x + y) % 4] : qRgb(0, 0, 0)) << x << "," << y;
}

TEST_F(PictureFileTest, JpegIsRecognisedByContentNotByName)
{
    QImage img = makeBlankCanvas().copy(0, 0, 64, 24);
    QPainter(&img).fillRect(0, 0, 32, 24, Qt::red);
    const QImage canvas = load(save(img, "red.bmp", "JPEG"));
    // lossy: judge by the lit threshold, skipping the edge's ringing
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4096; x += x == 27 ? 9 : 1)
            ASSERT_EQ(qRed(canvas.pixel(x, y)) >= 128, x < 28) << x << "," << y;
}

TEST_F(PictureFileTest, BadFilesFailWithAReasonAndLeaveTheCanvasAlone)
{
    const QByteArray bmp = read(save(patternImage(40, 12), "b.bmp", "BMP"));
    QByteArray huge = bmp;   // its header claims 100,000 x 100,000
    qToLittleEndian<qint32>(100000, huge.data() + 18);
    qToLittleEndian<qint32>(100000, huge.data() + 22);
    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"missing.bmp", {}}, {"empty.bmp", ""}, {"truncated.bmp", bmp.left(bmp.size() / 2)},
        {"truncated.gif", kGif.left(kGif.size() / 2)}, {"text.bmp", "These are not the pixels you want.\n"},
        {"png.gif", read(save(patternImage(8, 8), "real.png", "PNG"))}, {"huge.bmp", huge}};
    const QImage original = patternImage(4096, 12);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = c.bytes.isNull() ? path(c.name) : write(c.name, c.bytes);
        ASSERT_FALSE(file.isEmpty());
        QImage canvas = original;
        QString reason;
        EXPECT_FALSE(loadPictureOntoCanvas(file, canvas, &reason));
        EXPECT_FALSE(reason.trimmed().isEmpty());
        EXPECT_EQ(canvas, original);
    }
}

TEST_F(PictureFileTest, SaveIntoAMissingFolderFailsAndLeavesNothing)
{
    QString reason;
    EXPECT_FALSE(saveCanvasAsBmp(patternImage(4096, 12), path("no/such/folder/x.bmp"), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(QFile::exists(path("no")));
}
