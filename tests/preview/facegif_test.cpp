#include "badge/badgesetup.h"
#include "preview/facegif.h"
#include "render/messagebuilder.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

// Two picture slots that play differently: a scroll at the fastest speed,
// then a flashing still page at a slow one; the rest are not selected.
BadgeSetup twoSlots()
{
    BadgeSetup s = defaultBadgeSetup();
    for (SlotSetup &slot : s.slots)
        slot.select = false;
    for (int i : {0, 1}) {
        SlotSetup &slot = s.slots[size_t(i)];
        slot.select = true;
        slot.image = true;
        slot.picture = QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
        slot.picture.fill(Qt::black);
        for (int x = 0; x < 70; ++x)
            slot.picture.setPixel(x, (x * (i + 3)) % 12, 0xFFFFFFFFu);
    }
    s.slots[0].speed = QStringLiteral("8");
    s.slots[1].mode = listPosition(MoveMode::Freeze);
    s.slots[1].flash = true;
    s.slots[1].speed = QStringLiteral("2");
    return s;
}

} // namespace

TEST(FaceGif, DecodedFramesAreTheFaceFramesAtTheFacesTiming)
{
    const BadgeSetup setup = twoSlots();
    const FaceRound round = faceRound(setup, renderSetup(setup, QString()));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("face.gif"));
    constexpr int scale = 5;
    ASSERT_TRUE(writeFaceGif(round, path, scale));

    QImageReader reader(path);
    ASSERT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.imageCount(), int(round.frames.size()));
    EXPECT_EQ(reader.loopCount(), -1); // for ever
    int wantedMs = 0, gotCs = 0;
    for (size_t f = 0; f < round.frames.size(); ++f) {
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << f;
        ASSERT_EQ(image.size(), QSize(round.width * scale, kFaceRows * scale));
        for (int r = 0; r < kFaceRows; ++r)
            for (int c = 0; c < round.width; ++c) {
                const QRgb centre = image.pixel(c * scale + scale / 2, r * scale + scale / 2);
                ASSERT_EQ(centre & 0xFFFFFFu, round.frames[f].lit(r, c) ? kLitLamp : kDarkLamp)
                    << "frame " << f << " row " << r << " column " << c;
            }
        // Each frame ends on the face's clock, to the hundredth of a second.
        wantedMs += round.durationsMs[f];
        gotCs += reader.nextImageDelay() / 10;
        EXPECT_NEAR(gotCs * 10, wantedMs, 5) << f;
    }
}

TEST(FaceGif, NothingToShowIsRefused)
{
    QTemporaryDir dir;
    QString reason;
    EXPECT_FALSE(writeFaceGif(FaceRound(), dir.filePath(QStringLiteral("never.gif")), 4, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("never.gif"))));
}
