#include "render/picturefile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <functional>
#include <random>
#include <unistd.h>

using namespace glintag;

namespace {

// Every pixel differs from its neighbours, so a shift or a stretch shows.
QRgb patternPixel(int x, int y)
{
    return qRgb((x * 7 + y * 13) & 0xFF, (x * 3 + 100) & 0xFF, (y * 31 + x) & 0xFF);
}

QImage patternImage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, patternPixel(x, y));
    return img;
}

// The canvas must show `picture` (w x h of patternPixel) at (0, 0), black elsewhere.
void expectPatternOnCanvas(const QImage &canvas, int w, int h)
{
    ASSERT_EQ(canvas.size(), QSize(4096, 12));
    ASSERT_EQ(canvas.format(), QImage::Format_RGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4096; ++x) {
            const QRgb want = (x < w && y < h) ? patternPixel(x, y) : qRgb(0, 0, 0);
            ASSERT_EQ(canvas.pixel(x, y), want) << "pixel " << x << "," << y;
        }
}

QImage whiteCanvas()
{
    QImage c = makeBlankCanvas();
    c.fill(Qt::white);
    return c;
}

// A GIF with a 4-colour table, LZW-coded with a clear code before every
// two pixels so the code width never grows.
QByteArray makeGif(int w, int h, const std::function<int(int, int)> &index, int transparent)
{
    QByteArray g("GIF89a");
    auto put16 = [&](int v) { g.append(char(v & 0xFF)).append(char(v >> 8)); };
    put16(w);
    put16(h);
    g.append(char(0x91)).append('\0').append('\0');
    g.append(QByteArray::fromHex("000000" "FF0000" "00FF00" "FFFFFF"));
    if (transparent >= 0)
        g.append(QByteArray::fromHex("21F90401")).append(QByteArray(2, 0)).append(char(transparent)).append('\0');
    g.append(char(0x2C));
    put16(0);
    put16(0);
    put16(w);
    put16(h);
    g.append('\0').append(char(2));
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    auto code = [&](int c) {
        bits |= quint32(c) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xFF));
    };
    for (int i = 0; i < w * h; ++i) {
        if (i % 2 == 0)
            code(4);
        code(index(i % w, i / w));
    }
    code(5);
    if (count > 0)
        data.append(char(bits & 0xFF));
    for (int at = 0; at < data.size(); at += 255)
        g.append(char(std::min(255, int(data.size()) - at))).append(data.mid(at, 255));
    g.append('\0').append(char(0x3B));
    return g;
}

QByteArray bmpHeader(int w, int h, int bitCount, int dataBytes)
{
    QByteArray b(54, 0);
    auto put = [&](int at, quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, 54 + dataBytes + (bitCount == 1 ? 8 : 0), 4);
    put(10, 54 + (bitCount == 1 ? 8 : 0), 4);
    put(14, 40, 4);
    put(18, quint32(w), 4);
    put(22, quint32(h), 4);
    put(26, 1, 2);
    put(28, quint32(bitCount), 2);
    if (bitCount == 1)
        b.append(QByteArray::fromHex("00000000FFFFFF00"));
    return b;
}

class PictureFileTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    QByteArray read(const QString &file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString save(const QImage &img, const QString &name, const char *format) const
    {
        EXPECT_TRUE(img.save(path(name), format)) << format;
        return path(name);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST(PictureCanvas, BlankCanvasIsBlack4096By12)
{
    const QImage c = makeBlankCanvas();
    expectPatternOnCanvas(c, 0, 0);
}

TEST_F(PictureFileTest, PictureIsPlacedUnscaledAndCutAtTheCanvasEdges)
{
    const struct { int w, h; } cases[] = {{100, 12}, {100, 30}, {5000, 12}, {5000, 40}, {4096, 12}, {1, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const QString file = save(patternImage(c.w, c.h), QStringLiteral("p.bmp"), "BMP");
        QImage canvas = whiteCanvas();   // nothing of an earlier picture may remain
        QString reason;
        ASSERT_TRUE(loadPictureOntoCanvas(file, canvas, &reason)) << reason.toStdString();
        expectPatternOnCanvas(canvas, c.w, c.h);
    }
}

TEST_F(PictureFileTest, IconLoadedThenSavedGivesItsTopRowsAtTheLeftEnd)
{
    const QString ico = save(patternImage(32, 32, QImage::Format_ARGB32), QStringLiteral("i.ico"), "ICO");
    QImage canvas = makeBlankCanvas();
    QString reason;
    ASSERT_TRUE(loadPictureOntoCanvas(ico, canvas, &reason)) << reason.toStdString();
    // Any extension: the file is a BMP all the same.
    const QString out = path(QStringLiteral("icon.dat"));
    ASSERT_TRUE(saveCanvasAsBmp(canvas, out, &reason)) << reason.toStdString();
    EXPECT_TRUE(read(out).startsWith("BM"));
    QImageReader reader(out);
    EXPECT_EQ(reader.format(), "bmp");
    expectPatternOnCanvas(reader.read().convertToFormat(QImage::Format_RGB32), 32, 12);
}

TEST_F(PictureFileTest, SavedBmpLoadsBackAsTheSameCanvas)
{
    const QImage blank = makeBlankCanvas();
    const QImage full = patternImage(4096, 12);
    for (const QImage &original : {blank, full}) {
        const QString file = path(QStringLiteral("c.bmp"));
        QString reason;
        // saved twice: replacing an existing file works too
        ASSERT_TRUE(saveCanvasAsBmp(whiteCanvas(), file, &reason)) << reason.toStdString();
        ASSERT_TRUE(saveCanvasAsBmp(original, file, &reason)) << reason.toStdString();
        QImage back = whiteCanvas();
        ASSERT_TRUE(loadPictureOntoCanvas(file, back, &reason)) << reason.toStdString();
        EXPECT_TRUE(back == original);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"c.bmp"});
    }
}

TEST_F(PictureFileTest, TransparentGifPixelsStayBlack)
{
    // index 3 is white in the table but transparent
    const auto index = [](int x, int y) { return (x + y) % 4; };
    const QString file = write(QStringLiteral("t.gif"), makeGif(16, 14, index, 3));
    QImage canvas = whiteCanvas();
    QString reason;
    ASSERT_TRUE(loadPictureOntoCanvas(file, canvas, &reason)) << reason.toStdString();
    const QRgb colours[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 0)};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(canvas.pixel(x, y), x < 16 ? colours[index(x, y)] : qRgb(0, 0, 0)) << x << "," << y;
}

TEST_F(PictureFileTest, PicturesAreRecognisedByContentNotByName)
{
    QImage img(64, 24, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            img.setPixel(x, y, qRgb(255, 0, 0));
    ASSERT_TRUE(img.save(path("red.bmp"), "JPEG", 90));   // a JPEG named .bmp
    save(patternImage(10, 12), QStringLiteral("p.gif"), "BMP");
    QImage canvas = whiteCanvas();
    QString reason;
    ASSERT_TRUE(loadPictureOntoCanvas(path("red.bmp"), canvas, &reason)) << reason.toStdString();
    // lossy: judge by the lit threshold, away from the edge's ringing
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 28; ++x)
            EXPECT_GE(qRed(canvas.pixel(x, y)), 128) << x << "," << y;
        for (int x = 36; x < 64; ++x)
            EXPECT_LT(qRed(canvas.pixel(x, y)), 128) << x << "," << y;
        for (int x = 64; x < 4096; ++x)
            ASSERT_EQ(canvas.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }
    ASSERT_TRUE(loadPictureOntoCanvas(path("p.gif"), canvas, &reason)) << reason.toStdString();
    expectPatternOnCanvas(canvas, 10, 12);
}

TEST_F(PictureFileTest, BadFilesFailWithAReasonAndLeaveTheCanvasAlone)
{
    std::mt19937 rng(7);
    QByteArray noise(4000, 0);
    for (char &c : noise)
        c = char(rng() & 0xFF);
    const QByteArray bmp = read(save(patternImage(40, 12), "b.bmp", "BMP"));
    QImage photo = patternImage(300, 200);
    photo.save(path("n.jpg"), "JPEG", 95);
    const QByteArray jpeg = read(path("n.jpg"));
    const QByteArray gif = makeGif(40, 12, [](int x, int y) { return (x * y) % 4; }, -1);
    QByteArray ico = read(save(patternImage(16, 16), "i.ico", "ICO"));
    ico[6 + 12] = char(0x70);   // first image's data starts beyond the end
    save(patternImage(8, 8), "real.png", "PNG");

    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"missing.bmp", {}},
        {"empty.bmp", ""},
        {"truncated.bmp", bmp.left(bmp.size() / 2)},
        {"text.bmp", "These are not the pixels you are looking for.\n"},
        {"xbm.bmp", "#define a_width 8\n#define a_height 8\nstatic char a_bits[] = {1,2,3,4,5,6,7,8};\n"},
        {"random.tga", noise},
        {"random.xyz", noise},
        {"huge.bmp", bmpHeader(100000, 100000, 24, 100) + QByteArray(100, 0x7F)},
        {"wide.bmp", bmpHeader(20000, 12, 24, 100) + QByteArray(100, 0x7F)},
        // complete, but whole it would decode to 160 MB
        {"large.bmp", bmpHeader(40000, 1000, 1, 5000 * 1000) + QByteArray(5000 * 1000, 0)},
        {"truncated.jpg", jpeg.left(jpeg.size() * 7 / 10)},
        {"truncated.gif", gif.left(gif.size() / 2)},
        {"truncated.ico", ico},
        {"png.gif", read(path("real.png"))},
        {"folder", {}},
    };
    QDir(m_dir.path()).mkdir("folder");
    const QImage original = patternImage(4096, 12);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString file = path(c.name);
        if (!c.bytes.isNull())
            file = write(c.name, c.bytes);
        QImage canvas = original.copy();
        QString reason;
        EXPECT_FALSE(loadPictureOntoCanvas(file, canvas, &reason));
        EXPECT_FALSE(reason.trimmed().isEmpty());
        EXPECT_TRUE(canvas == original);
    }
}

TEST_F(PictureFileTest, FailedSaveLeavesNothingBehind)
{
    const QImage canvas = patternImage(4096, 12);
    QString reason;
    const QString inMissing = path("no/such/folder/x.bmp");
    EXPECT_FALSE(saveCanvasAsBmp(canvas, inMissing, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("no")));

    reason.clear();
    EXPECT_FALSE(saveCanvasAsBmp(canvas, m_dir.path(), &reason));   // a folder's name
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(PictureFileTest, FileInReadOnlyFolderIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: folder permissions do not stop writes";
    const QString dir = path("ro");
    ASSERT_TRUE(QDir().mkdir(dir));
    const QString file = dir + "/old.bmp";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents");
    }
    ASSERT_TRUE(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
    QString reason;
    const bool saved = saveCanvasAsBmp(makeBlankCanvas(), file, &reason);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(read(file), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"old.bmp"});
}
