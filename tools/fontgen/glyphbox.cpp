#include "glyphbox.h"

#include <algorithm>
#include <climits>

namespace glintag::fontgen {

GlyphImage GlyphImage::fromDots(int x0, int y0, int width, int height, const std::vector<std::uint8_t> &dots)
{
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (dots[static_cast<std::size_t>(y * width + x)]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    GlyphImage image;
    if (right < 0)
        return image;
    image.x0 = x0 + left;
    image.y0 = y0 + top;
    image.width = right - left + 1;
    image.height = bottom - top + 1;
    image.dots.reserve(static_cast<std::size_t>(image.width * image.height));
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            image.dots.push_back(dots[static_cast<std::size_t>(y * width + x)] ? 1 : 0);
    return image;
}

namespace {

// Start of a span of `length` dots that wants to begin at `wanted` inside
// [0, limit): unchanged when it fits, pushed inside when it is small enough,
// else pinned to 0 (the caller clips the far end).
int fitSpan(int wanted, int length, int limit)
{
    if (length >= limit)
        return 0;
    return std::clamp(wanted, 0, limit - length);
}

} // namespace

GlyphRows placeGlyph(const GlyphImage &glyph, int boxWidth, int baselineRow)
{
    GlyphRows rows{};
    if (glyph.isEmpty())
        return rows;
    boxWidth = std::clamp(boxWidth, 1, 16);
    const int left = fitSpan(glyph.x0, glyph.width, boxWidth);
    const int top = fitSpan(baselineRow + glyph.y0, glyph.height, kBoxHeight);
    const int width = std::min(glyph.width, boxWidth);
    const int height = std::min(glyph.height, kBoxHeight);
    for (int y = 0; y < height; ++y) {
        std::uint16_t bits = 0;
        for (int x = 0; x < width; ++x)
            if (glyph.dot(x, y))
                bits |= static_cast<std::uint16_t>(0x8000u >> (left + x));
        rows[static_cast<std::size_t>(top + y)] = bits;
    }
    return rows;
}

int chooseBaselineRow(const std::vector<GlyphImage> &glyphs)
{
    int best = kBoxHeight - 1;
    long bestMoved = LONG_MAX, bestOverflow = LONG_MAX;
    for (int baseline = 0; baseline <= kBoxHeight; ++baseline) {
        long moved = 0, overflow = 0;
        for (const GlyphImage &g : glyphs) {
            if (g.isEmpty())
                continue;
            const int top = baseline + g.y0;
            const int bottom = top + g.height; // one past the last row
            const int over = std::max(0, -top) + std::max(0, bottom - kBoxHeight);
            if (over > 0) {
                ++moved;
                overflow += over;
            }
        }
        if (moved < bestMoved || (moved == bestMoved && overflow < bestOverflow)) {
            best = baseline;
            bestMoved = moved;
            bestOverflow = overflow;
        }
    }
    return best;
}

GlyphRows rotateCounterClockwise(const GlyphRows &rows)
{
    GlyphRows turned{};
    for (int y = 0; y < kBoxHeight; ++y) {
        for (int x = 0; x < kWideBoxWidth; ++x) {
            if (rows[static_cast<std::size_t>(y)] & (0x8000u >> x)) {
                const int nx = y;
                const int ny = kWideBoxWidth - 1 - x;
                turned[static_cast<std::size_t>(ny)] |= static_cast<std::uint16_t>(0x8000u >> nx);
            }
        }
    }
    return turned;
}

void appendWideRecord(const GlyphRows &rows, std::vector<std::uint8_t> &out)
{
    for (std::uint16_t r : rows) {
        out.push_back(static_cast<std::uint8_t>(r >> 8));
        out.push_back(static_cast<std::uint8_t>(r & 0xFF));
    }
}

void appendNarrowRecord(const GlyphRows &rows, std::vector<std::uint8_t> &out)
{
    for (std::uint16_t r : rows)
        out.push_back(static_cast<std::uint8_t>(r >> 8));
}

bool hasInk(const GlyphRows &rows)
{
    return std::any_of(rows.begin(), rows.end(), [](std::uint16_t r) { return r != 0; });
}

} // namespace glintag::fontgen
