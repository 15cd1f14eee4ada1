#include "badge/dotcanvas.h"
#include "files/icons.h"
#include "files/picturefile.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(Icons, EveryIconIsTwelveDotsHighWithUniqueName)
{
    // The parser keeps only what comes before a malformed icon (one of the
    // wrong height or named twice): every shipped icon must come through.
    const std::vector<Icon> &icons = builtInIcons();
    EXPECT_GE(icons.size(), 29u);
    for (const Icon &icon : icons) {
        EXPECT_GT(icon.width, 0) << icon.name.toStdString();
        EXPECT_LE(icon.width, 16) << icon.name.toStdString();
        bool anyLit = false;
        for (int y = 0; y < kRowCount; ++y)
            for (int x = 0; x < icon.width; ++x)
                anyLit = anyLit || icon.lit(x, y);
        EXPECT_TRUE(anyLit) << icon.name.toStdString();
    }
    // Names are matched exactly.
    EXPECT_NE(findIcon(QStringLiteral("heart")), nullptr);
    EXPECT_EQ(findIcon(QStringLiteral("Heart")), nullptr);
}

TEST(Icons, StampedIconIsCutAtTheCanvasEnd)
{
    const Icon &heart = *findIcon(QStringLiteral("heart"));
    QImage canvas = makeBlankCanvas();
    stampIcon(canvas, heart, kCanvasWidth - 3);
    for (int y = 0; y < kRowCount; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(dotAt(canvas, kCanvasWidth - 3 + x, y), heart.lit(x, y)) << x << "," << y;
    EXPECT_EQ(usedColumns(canvas.copy(0, 0, kCanvasWidth - 3, kCanvasHeight)), 0);
}
