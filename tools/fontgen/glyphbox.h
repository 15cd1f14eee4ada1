#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace glintag::fontgen {

// A glyph's ink, trimmed to its bounding box, positioned against the pen
// origin: x grows to the right, y grows downwards with y = 0 the first row
// below the baseline (so rows above the baseline have negative y).
struct GlyphImage {
    int x0 = 0;
    int y0 = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> dots; // width * height, row-major, 1 = ink

    bool isEmpty() const { return width == 0 || height == 0; }
    bool dot(int x, int y) const { return dots[static_cast<std::size_t>(y * width + x)] != 0; }

    // Builds an image from row-major dots and trims blank borders away.
    static GlyphImage fromDots(int x0, int y0, int width, int height, const std::vector<std::uint8_t> &dots);
};

// Twelve rows, dot 0 in bit 15; the layout of a double-byte record.
using GlyphRows = std::array<std::uint16_t, 12>;

constexpr int kBoxHeight = 12;
constexpr int kWideBoxWidth = 12;

// Places a glyph in a box of boxWidth x 12 dots with the baseline between
// rows baselineRow - 1 and baselineRow. Glyphs that stick out but would fit
// are nudged inside; larger ones keep their top-left part. Nothing is ever
// set outside the box.
GlyphRows placeGlyph(const GlyphImage &glyph, int boxWidth, int baselineRow);

// The baseline row that lets the most glyphs sit in the box unshifted
// (ties: the fewest rows of overflow in total).
int chooseBaselineRow(const std::vector<GlyphImage> &glyphs);

// Quarter turn counter-clockwise within the 12 x 12 box: the dot at (x, y)
// moves to (y, 11 - x).
GlyphRows rotateCounterClockwise(const GlyphRows &rows);

// The 24-byte big-endian form and the 12-byte form (dots 0..7 only).
void appendWideRecord(const GlyphRows &rows, std::vector<std::uint8_t> &out);
void appendNarrowRecord(const GlyphRows &rows, std::vector<std::uint8_t> &out);

bool hasInk(const GlyphRows &rows);

} // namespace glintag::fontgen
