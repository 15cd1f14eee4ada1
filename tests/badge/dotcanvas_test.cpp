#include "badge/dotcanvas.h"
#include "render/messagebuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

QImage blank()
{
    QImage c(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    c.fill(kUnlitPixel);
    return c;
}

// The lit dots of columns [0, width) as rows of '#' and '.' joined by '|',
// without the blank rows at the bottom.
std::string picture(const QImage &c, int width)
{
    QStringList rows;
    for (int y = 0; y < kCanvasHeight; ++y) {
        QString row;
        for (int x = 0; x < width; ++x)
            row += dotAt(c, x, y) ? QLatin1Char('#') : QLatin1Char('.');
        rows << row;
    }
    while (!rows.isEmpty() && !rows.last().contains(QLatin1Char('#')))
        rows.removeLast();
    return rows.join(QLatin1Char('|')).toStdString();
}

// A picture of twelve rows alike.
std::string tall(const char *row)
{
    return QStringList(kCanvasHeight, QLatin1String(row)).join(QLatin1Char('|')).toStdString();
}

// Marks frame k of a canvas with k + 1 dots in row 0 from the frame's start.
QImage numberedFrames(const BadgeModel &model, int frames)
{
    QImage c = blank();
    for (int k = 0; k < frames; ++k)
        for (int d = 0; d <= k; ++d)
            setDot(c, k * frameWidth(model) + d, 0, true);
    return c;
}

// The mark of each frame, 0 for a blank one.
std::vector<int> frameMarks(const QImage &c, const BadgeModel &model, int frames)
{
    std::vector<int> marks;
    for (int k = 0; k < frames; ++k) {
        int n = 0;
        while (n < frameWidth(model) && dotAt(c, k * frameWidth(model) + n, 0))
            ++n;
        marks.push_back(n);
    }
    return marks;
}

} // namespace

TEST(DotCanvas, LitRuleIsRedAtLeast128)
{
    // The renderer samples canvases bit-wise; it must agree pixel for pixel.
    QImage shades = blank();
    for (int x = 0; x < 256; ++x)
        shades.setPixel(x, 0, qRgb(x, 255 - x, x / 2));
    std::vector<std::uint8_t> rows(kRowCount * kRowByteCount);
    samplePicture(shades, rows.data());
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(bool(rows[size_t(x / 8)] & (0x80 >> (x % 8))), pixelLit(shades.pixel(x, 0))) << x;
    QImage c = blank();
    c.setPixel(3, 4, qRgb(200, 10, 10));
    EXPECT_TRUE(dotAt(c, 3, 4));
    EXPECT_FALSE(dotAt(c, -1, 4));
    EXPECT_FALSE(dotAt(c, kCanvasWidth, 0));
    setDot(c, kCanvasWidth, 0, true); // outside: nothing happens
    EXPECT_EQ(usedColumns(c), 4);
}

TEST(DotCanvas, ShapesLightExactlyTheirDots)
{
    using Draw = std::function<void(QImage &)>;
    const struct {
        const char *name;
        Draw draw;
        std::string expected;
    } cases[] = {
        {"diagonal line", [](QImage &c) { drawLine(c, QPoint(0, 0), QPoint(3, 3), true); }, "#...|.#..|..#.|...#"},
        {"shallow line backwards", [](QImage &c) { drawLine(c, QPoint(5, 1), QPoint(0, 0), true); }, "###...|...###"},
        {"line cleared out of a filled block",
         [](QImage &c) { invertColumns(c, 0, 3), drawLine(c, QPoint(1, 0), QPoint(1, 11), false); }, tall("#.#.")},
        {"shift right and down, the moved-out dot lost",
         [](QImage &c) { setDot(c, 0, 0, true), setDot(c, 3, 11, true), shiftColumns(c, 0, 4, 1, 1); }, "....|.#.."},
        {"shift left keeps columns outside the span",
         [](QImage &c) { setDot(c, 1, 5, true), setDot(c, 3, 5, true), shiftColumns(c, 0, 3, -1, 0); },
         "....|....|....|....|....|#..#"},
        {"clear a span", [](QImage &c) { invertColumns(c, 0, 4), clearColumns(c, 1, 3); }, tall("#..#")},
    };
    for (const auto &c : cases) {
        QImage canvas = blank();
        c.draw(canvas);
        const int width = int(c.expected.substr(0, c.expected.find('|')).size());
        EXPECT_EQ(picture(canvas, width), c.expected) << c.name;
        EXPECT_LE(usedColumns(canvas), width) << c.name;
    }
}

TEST(DotCanvas, FramesFollowTheModelsFaceWidth)
{
    enum Op {
        Insert,
        Duplicate,
        Delete,
        Move
    };
    const struct {
        const char *name;
        Op op;
        int index, to;
        bool done;
        std::vector<int> marks; // of the frames after the edit
    } cases[] = {
        {"add a blank frame after the first", Insert, 1, 0, true, {1, 0, 2, 3}},
        {"duplicate the middle frame", Duplicate, 1, 0, true, {1, 2, 2, 3}},
        {"delete the first frame", Delete, 0, 0, true, {2, 3, 0}},
        {"move the last frame first", Move, 2, 0, true, {3, 1, 2}},
        {"move the first frame later", Move, 0, 1, true, {2, 1, 3}},
        {"move past the end", Move, 2, 3, false, {1, 2, 3}},
        {"delete a frame that is not there", Delete, 3, 0, false, {1, 2, 3}},
    };
    for (const BadgeModel &model : kBadgeModels) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(model.name) + ": " + c.name);
            QImage canvas = numberedFrames(model, 3);
            const bool done = c.op == Insert ? insertBlankFrame(canvas, model, 3, c.index)
                : c.op == Duplicate          ? duplicateFrame(canvas, model, 3, c.index)
                : c.op == Delete             ? deleteFrame(canvas, model, 3, c.index)
                                             : moveFrame(canvas, model, 3, c.index, c.to);
            EXPECT_EQ(done, c.done);
            EXPECT_EQ(frameMarks(canvas, model, int(c.marks.size())), c.marks);
            // Nothing spills into the frames' neighbours.
            EXPECT_LE(usedColumns(canvas), int(c.marks.size()) * frameWidth(model));
        }
    }
}

TEST(DotCanvas, AFullCanvasTakesNoMoreFrames)
{
    for (const BadgeModel &model : kBadgeModels) {
        const int full = maxFrames(model);
        QImage canvas = blank();
        setDot(canvas, (full - 1) * frameWidth(model), 0, true);
        EXPECT_EQ(frameCount(canvas, model), full) << model.name;
        const QImage before = canvas.copy();
        EXPECT_FALSE(insertBlankFrame(canvas, model, full, 0)) << model.name;
        EXPECT_FALSE(duplicateFrame(canvas, model, full, full - 1)) << model.name;
        EXPECT_EQ(canvas, before) << model.name;
    }
}

TEST(DotCanvas, BrightnessLightsPhotosTheLitRuleLeavesDark)
{
    const struct {
        QRgb colour;
        int threshold;
        int litByThreshold; // of a 4 x 4 block
        int litByDither;
    } cases[] = {
        {qRgb(0, 0, 0), 128, 0, 0},       {qRgb(0, 0, 255), 20, 16, 2},       {qRgb(0, 0, 255), 128, 0, 2},
        {qRgb(90, 140, 200), 128, 16, 8}, {qRgb(255, 255, 255), 255, 16, 16}, {qRgb(60, 60, 60), 61, 0, 4},
    };
    for (const auto &c : cases) {
        QImage photo(4, 4, QImage::Format_RGB32);
        photo.fill(c.colour);
        const QImage byThreshold = dotsByBrightness(photo, BrightnessRule::Threshold, c.threshold);
        const QImage byDither = dotsByBrightness(photo, BrightnessRule::Dither);
        int t = 0, d = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                t += dotAt(byThreshold, x, y);
                d += dotAt(byDither, x, y);
                EXPECT_TRUE(byDither.pixel(x, y) == kLitPixel || byDither.pixel(x, y) == kUnlitPixel);
            }
        EXPECT_EQ(t, c.litByThreshold) << std::hex << c.colour;
        EXPECT_EQ(d, c.litByDither) << std::hex << c.colour;
        EXPECT_EQ(anyBrightness(photo), c.colour != qRgb(0, 0, 0)) << std::hex << c.colour;
    }
}

// The photo dialog is offered for a picture that would go in nearly black,
// and starts at a threshold that lights about half of it.
TEST(DotCanvas, NearlyDarkPicturesAndTheirMiddleGrey)
{
    const struct {
        const char *what;
        int width;          // the picture's columns, grey `grey` everywhere
        int grey;           // in every colour channel
        int brightDots;     // then this many dots of the first column(s) made white
        int pictureColumns; // any brightness at all makes a column part of the picture
        bool nearlyDark;
        int median;
    } cases[] = {
        {"all black", 40, 0, 0, 0, false, 0},
        {"a few scattered dots", 40, 30, 9, 40, true, 30},     // 9 of 480: under 2 %
        {"just enough dots", 40, 30, 10, 40, false, 30},       // 10 of 480: over 2 %
        {"bright half over dark", 10, 20, 60, 10, false, 20},  // 60 of 120 white
        {"bright most over dark", 10, 20, 61, 10, false, 255}, // the median moves up
    };
    for (const auto &c : cases) {
        QImage photo = blank();
        for (int x = 0; x < c.width; ++x)
            for (int y = 0; y < kCanvasHeight; ++y)
                photo.setPixel(x, y, qRgb(c.grey, c.grey, c.grey));
        for (int k = 0; k < c.brightDots; ++k)
            photo.setPixel(k / kCanvasHeight, k % kCanvasHeight, qRgb(255, 255, 255));
        EXPECT_EQ(brightColumns(photo), c.pictureColumns) << c.what;
        EXPECT_EQ(nearlyDark(photo), c.nearlyDark) << c.what;
        EXPECT_EQ(medianBrightness(photo), c.median) << c.what;
    }
}
