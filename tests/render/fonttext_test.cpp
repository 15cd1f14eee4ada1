#include "badge/dotcanvas.h"
#include "render/fonttext.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

int litDots(const QImage &dots)
{
    int n = 0;
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x)
            n += dotAt(dots, x, y);
    return n;
}

} // namespace

TEST(FontText, OnlyLitOrUnlitDotsTwelveRowsHigh)
{
    const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const struct {
        QString text;
        int threshold;
    } cases[] = {
        {QStringLiteral("Hi there"), 128}, {QStringLiteral("Hi there"), 1}, {QStringLiteral("Hi there"), 255},
        {QStringLiteral("你好 ☺"), 128},   {QStringLiteral("Ag|jy"), 128},
    };
    for (const auto &c : cases) {
        const QImage dots = textDots(c.text, font, c.threshold);
        const std::string what = c.text.toStdString() + " at " + std::to_string(c.threshold);
        EXPECT_EQ(dots.height(), kCanvasHeight) << what;
        EXPECT_GT(dots.width(), c.text.size()) << what;
        for (int y = 0; y < dots.height(); ++y)
            for (int x = 0; x < dots.width(); ++x) {
                const QRgb p = dots.pixel(x, y);
                ASSERT_TRUE(p == kLitPixel || p == kUnlitPixel) << what << " grey at " << x << "," << y;
            }
        if (c.threshold < 255) {
            EXPECT_GT(litDots(dots), 10) << what;
        }
    }
    // A lower threshold only ever adds dots.
    const QImage bold = textDots(QStringLiteral("Hi there"), font, 1);
    const QImage thin = textDots(QStringLiteral("Hi there"), font, 200);
    EXPECT_GT(litDots(bold), litDots(thin));
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < thin.width(); ++x)
            EXPECT_TRUE(!dotAt(thin, x, y) || dotAt(bold, x, y)) << x << "," << y;
    // The font is drawn as large as fits: ascent and descent within the rows.
    QFont sized = font;
    sized.setPixelSize(textPixelSize(font));
    EXPECT_LE(QFontMetrics(sized).ascent() + QFontMetrics(sized).descent(), kCanvasHeight);
    sized.setPixelSize(textPixelSize(font) + 1);
    EXPECT_GT(QFontMetrics(sized).ascent() + QFontMetrics(sized).descent(), kCanvasHeight);
}
