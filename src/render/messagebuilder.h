#pragma once

#include "badge/badgemodel.h"
#include "badge/movemode.h"
#include "badge/rendering.h"

#include <QImage>
#include <QRgb>
#include <QString>

#include <optional>
#include <vector>

namespace glintag {

class CodePage;
class FontSet;

constexpr int kGaugeWidth = kRowLimit * 3 / 2; // 768 pixels for the row: 1.5 per byte

// Columns a double-byte glyph advances: 13 (12 dots and a gap), or 12 on a
// tight model in a mode that does not scroll sideways.
int doubleByteAdvance(const BadgeModel &model, std::optional<MoveMode> mode);

// Draws a text into one slot's twelve rows (zeroed beforehand) and returns
// its RowBytes. Glyphs are placed while every byte they touch lies inside
// the row; the first one that would not fit ends the text.
std::int16_t renderTextSlot(const QString &text, bool vertical, int doubleAdvance, const FontSet &fonts,
                            CodePage &codePage, std::uint8_t *slotRows);

// How many of a text's UTF-16 units renderTextSlot draws with all their
// dots within the first `columnLimit` columns of the row: what reaches the
// badge whole when the row is cut there.
int textUnitsWithin(const QString &text, int doubleAdvance, CodePage &codePage, int columnLimit);

// Samples a 4096 × 12 canvas into one slot's rows (zeroed beforehand): a
// pixel is lit when its red component is 128 or more. Returns one past the
// last byte that holds a lit dot in any row.
std::int16_t samplePicture(const QImage &canvas, std::uint8_t *slotRows);

struct BadgeSetup;

// One full rendering run: selected slots drawn from their text or picture,
// slot 1 padded to whole animation frames, the lengths clamped to the row
// limit once for everyone who reads them.
Rendering renderSetup(const BadgeSetup &setup, const QString &programDir);

// The slot colours, which are also the text colours of the slot boxes.
QRgb slotColour(int slot);

struct GaugeSpan {
    int x0; // first pixel
    int x1; // one past the last pixel
    QRgb colour;
};

// The bars of the memory gauge, left to right, then the black rest. Each bar
// reaches up to the next bar's start, so every pixel is repainted each run.
std::vector<GaugeSpan> gaugeSpans(const RowBytes &rowBytes);

} // namespace glintag
