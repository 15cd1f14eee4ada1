#include "badge/badgemodel.h"
#include "badge/dotcanvas.h"
#include "files/animatedgif.h"
#include "files/picturefile.h"
#include "support/files.h"
#include "support/gifwriter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

// The screen is 80 × 24, twice the R1 frame: everything halves exactly.
constexpr int kW = 80, kH = 24;

std::vector<int> fill(int w, int h, int colour)
{
    return std::vector<int>(size_t(w * h), colour);
}

// The left half of the screen in `colour`, the rest black.
std::vector<int> leftHalf(int colour)
{
    std::vector<int> p = fill(kW, kH, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW / 2; ++x)
            p[size_t(y * kW + x)] = colour;
    return p;
}

// Per frame: which of its columns are lit (all rows alike), as a string.
QString frameColumns(const QImage &canvas, int frame, int fw)
{
    QString s;
    for (int x = 0; x < fw; ++x) {
        bool column = dotAt(canvas, frame * fw + x, 0);
        for (int y = 1; y < kCanvasHeight; ++y)
            if (dotAt(canvas, frame * fw + x, y) != column)
                return QStringLiteral("uneven column %1").arg(x);
        s += column ? QLatin1Char('#') : QLatin1Char('.');
    }
    return s;
}

class AnimatedGif : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(AnimatedGif, FramesAreComposedAsTheyPlayThenFittedAndCentred)
{
    GifWriter gif(kW, kH);
    gif.addFrame(QRect(0, 0, kW, kH), leftHalf(1));                                         // left half white
    gif.addFrame(QRect(kW / 2, 0, kW / 2, kH), fill(kW / 2, kH, 2), GifWriter::Background); // right half red over it
    gif.addFrame(QRect(0, 0, kW, kH), fill(kW, kH, 4), GifWriter::Previous, 4);             // all transparent
    gif.addFrame(QRect(0, 0, kW, kH), fill(kW, kH, 6), GifWriter::Previous);                // dark grey: unlit
    gif.addFrame(QRect(0, 0, 2, 2), fill(2, 2, 5), GifWriter::Keep);                        // grey corner over frame 3
    const QString path = write(QStringLiteral("anim.gif"), gif.finish());
    EXPECT_EQ(gifFrameCount(path), 5);

    for (const BadgeModel &model : kBadgeModels) {
        const int fw = frameWidth(model);
        const int pad = (fw - kW / 2) / 2; // 40 × 12 after scaling, centred
        const QString half
            = QString(pad, QLatin1Char('.')) + QString(20, QLatin1Char('#')) + QString(20 + pad, QLatin1Char('.'));
        const QString all
            = QString(pad, QLatin1Char('.')) + QString(40, QLatin1Char('#')) + QString(pad, QLatin1Char('.'));
        const QString none(fw, QLatin1Char('.'));
        GifAnimation a;
        QString reason;
        ASSERT_TRUE(loadGifAnimation(path, fw, &a, &reason)) << reason.toStdString();
        EXPECT_EQ(a.framesPlaced, 5);
        const QString expected[] = {half, all, half, none};
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(frameColumns(a.canvas, k, fw), expected[k]) << model.name << " frame " << k;
        // The last frame: frame 3 restored, a 1 × 1 grey dot at its corner.
        EXPECT_TRUE(dotAt(a.canvas, 4 * fw + pad, 0)) << model.name;
        EXPECT_EQ(usedColumns(a.canvas), 4 * fw + pad + 20) << model.name;
    }
}

TEST_F(AnimatedGif, HostileFilesAreRefusedOrCapped)
{
    GifWriter none(4, 4);
    GifWriter many(1, 1);
    for (int k = 0; k < 10000; ++k)
        many.addFilledFrame(k % 2);
    GifWriter oversized(4, 4);
    oversized.addFrame(QRect(0, 0, 100, 100), fill(100, 100, 1));
    GifWriter hugeScreen(65535, 65535);
    hugeScreen.addFrame(QRect(0, 0, 1, 1), fill(1, 1, 1));

    GifAnimation a;
    QString reason;
    EXPECT_FALSE(loadGifAnimation(write(QStringLiteral("none.gif"), none.finish()), 40, &a, &reason));
    EXPECT_EQ(reason, QStringLiteral("The GIF file holds no picture."));
    EXPECT_FALSE(loadGifAnimation(write(QStringLiteral("huge.gif"), hugeScreen.finish()), 40, &a, &reason));
    EXPECT_TRUE(reason.contains(QLatin1String("too large"))) << reason.toStdString();
    EXPECT_FALSE(loadGifAnimation(write(QStringLiteral("text.gif"), "not a picture"), 40, &a, &reason));

    ASSERT_TRUE(loadGifAnimation(write(QStringLiteral("many.gif"), many.finish()), 48, &a, &reason));
    EXPECT_EQ(a.framesInFile, 10000);
    EXPECT_EQ(a.framesPlaced, 85);
    // Odd frames are white: frame 84 (index 83) is the last lit one, a 12 × 12
    // square centred in its 48 columns.
    EXPECT_EQ(usedColumns(a.canvas), 83 * 48 + 18 + 12);

    // A file cut inside its third frame keeps two; cut inside its first, nothing.
    GifWriter three(kW, kH);
    for (int k = 0; k < 3; ++k)
        three.addFrame(QRect(0, 0, kW, kH), leftHalf(1));
    const QByteArray whole = three.finish();
    const QString cutLate = write(QStringLiteral("cut-late.gif"), whole.left(whole.size() - 200));
    EXPECT_EQ(gifFrameCount(cutLate), 2);
    ASSERT_TRUE(loadGifAnimation(cutLate, 40, &a, &reason));
    EXPECT_EQ(a.framesPlaced, 2);
    EXPECT_TRUE(a.cutShort);
    EXPECT_EQ(usedColumns(a.canvas), 40 + 20);
    EXPECT_FALSE(loadGifAnimation(write(QStringLiteral("cut-early.gif"), whole.left(200)), 40, &a, &reason));
    EXPECT_EQ(reason, QStringLiteral("The file is cut short: part of the picture is missing."));

    // A frame larger than its screen is cut at the screen: the 4 x 4 white
    // screen, a 12 x 12 square centred in the frame.
    ASSERT_TRUE(loadGifAnimation(write(QStringLiteral("oversized.gif"), oversized.finish()), 40, &a, &reason));
    EXPECT_EQ(a.framesPlaced, 1);
    EXPECT_EQ(usedColumns(a.canvas), 14 + 12);
}

TEST_F(AnimatedGif, EveryFramesSizeCountsWhateverTheScreenSays)
{
    // Frames that claim more than the bound on a screen that claims nothing
    // (or little) are refused as a still and as frames; frames within it
    // load whatever the screen.
    GifWriter small(0, 0);
    small.addFrame(QRect(0, 0, 40, 12), fill(40, 12, 1));
    small.addFrame(QRect(0, 0, 40, 12), fill(40, 12, 0));
    GifWriter growing(16, 16);
    growing.addFilledFrame(1);
    growing.addFrame(QRect(0, 0, 5700, 5700), {});
    const struct {
        const char *what;
        QByteArray bytes;
        bool animation, still; // whether each loads
    } cases[] = {
        {"no screen, 110 frames of 5700 x 5700", claimingGif(0, 0, 5700, 5700, 110), false, false},
        {"no screen, one frame far to the right", claimingGif(0, 0, 4000, 4000, 1, 60000), false, false},
        {"a small screen, a huge second frame", growing.finish(), false, true},
        {"a small screen, frames larger than it", claimingGif(16, 16, 3000, 3000, 2), false, true},
        {"no screen, small frames", small.finish(), true, true},
        {"no screen, 110 small frames", claimingGif(0, 0, 40, 12, 110), true, true},
    };
    for (const auto &c : cases) {
        const QString path = write(QStringLiteral("claim.gif"), c.bytes);
        GifAnimation a;
        QString reason;
        EXPECT_EQ(loadGifAnimation(path, 40, &a, &reason), c.animation) << c.what << ": " << reason.toStdString();
        if (!c.animation) {
            EXPECT_TRUE(reason.contains(QLatin1String("too large"))) << c.what << ": " << reason.toStdString();
        }
        QImage canvas = makeBlankCanvas();
        EXPECT_EQ(loadPictureOntoCanvas(path, canvas, &reason), c.still) << c.what << ": " << reason.toStdString();
    }
    GifAnimation a;
    ASSERT_TRUE(loadGifAnimation(write(QStringLiteral("small.gif"), small.finish()), 40, &a));
    EXPECT_EQ(a.framesPlaced, 2);
    EXPECT_EQ(usedColumns(a.canvas), 40) << "the first frame white, the second black";
}

TEST_F(AnimatedGif, AChainOfManyTinyBlocksIsFollowedToTheFrames)
{
    GifWriter gif(kW, kH);
    gif.addFrame(QRect(0, 0, kW, kH), leftHalf(1));
    gif.addFrame(QRect(0, 0, kW, kH), leftHalf(2));
    const QString path = write(QStringLiteral("tiny.gif"), withTinyBlocks(gif.finish(), 200000));
    EXPECT_EQ(gifFrameCount(path), 2);
    GifAnimation a;
    QString reason;
    ASSERT_TRUE(loadGifAnimation(path, 40, &a, &reason)) << reason.toStdString();
    EXPECT_EQ(a.framesPlaced, 2);
    EXPECT_FALSE(a.cutShort);
    EXPECT_EQ(frameColumns(a.canvas, 1, 40), QString(20, QLatin1Char('#')) + QString(20, QLatin1Char('.')));
    QImage canvas = makeBlankCanvas();
    ASSERT_TRUE(loadPictureOntoCanvas(path, canvas, &reason)) << reason.toStdString();
    EXPECT_EQ(usedColumns(canvas), kW / 2);
    // Cut inside the chain: nothing to show, and said so.
    const QString cut = write(QStringLiteral("tiny-cut.gif"), withTinyBlocks(gif.finish(), 200000).left(500000));
    EXPECT_EQ(gifFrameCount(cut), 0);
    EXPECT_FALSE(loadPictureOntoCanvas(cut, canvas, &reason));
    EXPECT_EQ(reason, QStringLiteral("The file is cut short: part of the picture is missing."));
}
