#include "codepagemap.h"
#include "glyphbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace glintag::fontgen;

namespace {

GlyphImage block(int x0, int y0, int width, int height)
{
    return GlyphImage::fromDots(x0, y0, width, height,
                                std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), 1));
}

struct Rect
{
    int left, top, width, height;
};

// Bounding box of the lit dots, or a zero rect.
Rect inkBox(const GlyphRows &rows)
{
    int left = 16, right = -1, top = 12, bottom = -1;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            if (rows[y] & (0x8000u >> x)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {0, 0, 0, 0};
    return {left, top, right - left + 1, bottom - top + 1};
}

int litCount(const GlyphRows &rows)
{
    int n = 0;
    for (std::uint16_t r : rows)
        n += __builtin_popcount(r);
    return n;
}

} // namespace

TEST(GlyphBox, FromDotsTrimsBlankBorders)
{
    // 4 x 3 bitmap with ink only in the middle two dots of row 1.
    const GlyphImage g = GlyphImage::fromDots(2, -10, 4, 3, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0});
    EXPECT_EQ(g.x0, 3);
    EXPECT_EQ(g.y0, -9);
    EXPECT_EQ(g.width, 2);
    EXPECT_EQ(g.height, 1);
    EXPECT_TRUE(GlyphImage::fromDots(0, 0, 2, 2, {0, 0, 0, 0}).isEmpty());
}

TEST(GlyphBox, PlacementKeepsInkInsideTheBox)
{
    struct Case
    {
        const char *what;
        int x0, y0, width, height, boxWidth, baseline;
        Rect expected;
    };
    const Case cases[] = {
        {"fits unchanged", 1, -10, 10, 11, 12, 11, {1, 1, 10, 11}},
        {"narrow box fits", 0, -9, 5, 11, 7, 10, {0, 1, 5, 11}},
        {"too far right is nudged left", 4, -10, 10, 11, 12, 11, {2, 1, 10, 11}},
        {"left of origin is nudged right", -2, -10, 6, 11, 12, 11, {0, 1, 6, 11}},
        {"above the top is nudged down", 0, -13, 12, 11, 12, 11, {0, 0, 12, 11}},
        {"below the bottom is nudged up", 0, -5, 12, 8, 12, 11, {0, 4, 12, 8}},
        {"too wide is clipped at the right", 0, -10, 15, 11, 12, 11, {0, 1, 12, 11}},
        {"too tall keeps its top rows", 0, -14, 12, 16, 12, 11, {0, 0, 12, 12}},
        {"narrow font clips at seven", 0, -10, 8, 10, 7, 10, {0, 0, 7, 10}},
    };
    for (const Case &c : cases) {
        const GlyphRows rows = placeGlyph(block(c.x0, c.y0, c.width, c.height), c.boxWidth, c.baseline);
        const Rect r = inkBox(rows);
        EXPECT_EQ(r.left, c.expected.left) << c.what;
        EXPECT_EQ(r.top, c.expected.top) << c.what;
        EXPECT_EQ(r.width, c.expected.width) << c.what;
        EXPECT_EQ(r.height, c.expected.height) << c.what;
        // A solid block must stay solid: nothing lost inside the kept area.
        EXPECT_EQ(litCount(rows), r.width * r.height) << c.what;
    }
    EXPECT_FALSE(hasInk(placeGlyph(GlyphImage(), 12, 11)));
}

TEST(GlyphBox, BaselineLetsMostGlyphsSitUnmoved)
{
    struct Case
    {
        const char *what;
        std::vector<GlyphImage> glyphs;
        int expected;
    };
    const Case cases[] = {
        // Rows -10..0 fit for baselines 10 and 11; a 12-row glyph -11..0 only for 11.
        {"tall glyph decides", {block(0, -10, 12, 11), block(0, -10, 12, 11), block(0, -11, 12, 12)}, 11},
        // -10..1 needs baseline 10; -11..-1 needs 11 or 12: the majority wins.
        {"majority wins",
         {block(0, -10, 12, 12), block(0, -10, 12, 12), block(0, -11, 12, 11)},
         10},
        // The first fits baselines 9 and 10 only, the second none: at 9 it
        // overflows by four rows, at 10 by three, so 10 wins the tie.
        {"ties go to the smaller overflow", {block(0, -9, 6, 11), block(0, -13, 6, 2)}, 10},
    };
    for (const Case &c : cases)
        EXPECT_EQ(chooseBaselineRow(c.glyphs), c.expected) << c.what;
}

TEST(GlyphBox, QuarterTurnCounterClockwise)
{
    struct Case
    {
        int x, y, turnedX, turnedY;
    };
    const Case cases[] = {{0, 0, 0, 11}, {11, 0, 0, 0}, {11, 11, 11, 0}, {0, 11, 11, 11}, {3, 5, 5, 8}};
    for (const Case &c : cases) {
        GlyphRows rows{};
        rows[c.y] = static_cast<std::uint16_t>(0x8000u >> c.x);
        GlyphRows expected{};
        expected[c.turnedY] = static_cast<std::uint16_t>(0x8000u >> c.turnedX);
        EXPECT_EQ(rotateCounterClockwise(rows), expected) << c.x << "," << c.y;
    }
    // Four quarter turns give the glyph back.
    GlyphRows glyph{};
    for (int y = 0; y < 12; ++y)
        glyph[y] = static_cast<std::uint16_t>(((y * 0x9E37u) ^ 0x5A5Au) & 0xFFF0u);
    GlyphRows turned = glyph;
    for (int i = 0; i < 4; ++i)
        turned = rotateCounterClockwise(turned);
    EXPECT_EQ(turned, glyph);
}

TEST(CodePageMap, RecordOrderAndDecoding)
{
    EXPECT_EQ(wideRecordIndex(0x81, 0x40), 0);
    EXPECT_EQ(wideRecordIndex(0xB0, 0xA1) * 24, 217776);
    EXPECT_EQ(wideRecordIndex(0xFE, 0xFE), kWideRecordCount - 1);

    struct Case
    {
        const char *codePage;
        int lead, trail;
        char32_t expected;
    };
    const Case cases[] = {
        {"windows-936", 0xD6, 0xD0, U'\u4E2D'},
        {"windows-936", 0x81, 0x7F, 0},   // 0x7F is never a trail byte
        {"windows-936", 0xA2, 0x40, 0xE526}, // user-defined: private use
        {"windows-950", 0xA4, 0xA4, U'\u4E2D'},
        {"windows-932", 0x82, 0xA0, U'\u3042'},
        {"windows-932", 0xB1, 0x41, 0},   // half-width kana then 'A': two characters
        {"windows-949", 0x81, 0x41, U'\uAC02'},
        {"windows-949", 0xC7, 0x40, 0},   // trail outside the code page
    };
    std::string error;
    for (const Case &c : cases) {
        const std::vector<char32_t> table = wideCodePoints(c.codePage, &error);
        ASSERT_EQ(table.size(), static_cast<std::size_t>(kWideRecordCount)) << c.codePage;
        EXPECT_EQ(table[wideRecordIndex(c.lead, c.trail)], c.expected)
            << c.codePage << " " << std::hex << c.lead << c.trail;
    }
    const std::vector<char32_t> western = narrowCodePoints("windows-1252", &error);
    ASSERT_EQ(western.size(), 256u);
    EXPECT_EQ(western[0x80], U'\u20AC');
    EXPECT_EQ(western[0x41], U'A');

    error.clear();
    EXPECT_TRUE(wideCodePoints("no-such-code-page", &error).empty());
    EXPECT_NE(error.find("no-such-code-page"), std::string::npos);
}

TEST(CodePageMap, OnlyVisibleCharactersAreDrawn)
{
    const std::pair<char32_t, bool> cases[] = {
        {U'A', true},      {U'\u4E2D', true}, {U' ', true},   {0x09, false},
        {0x81, false},     {0xE000, false},   {0xFFFF, false}, {0x110000, false},
    };
    for (const auto &[c, drawable] : cases)
        EXPECT_EQ(isDrawable(c), drawable) << std::hex << static_cast<unsigned>(c);
}
