#pragma once

#include "badge/dotbuffer.h"

#include <QImage>
#include <QRgb>
#include <QString>

#include <array>
#include <vector>

namespace glintag {

class CodePage;
class FontSet;

constexpr int kAnimationModeIndex = 7;  // only slot 0's move-mode list has it
constexpr int kGaugeWidth = 768;        // pixels for 512 bytes: 1.5 per byte

// Columns a double-byte glyph advances: 13 (12 dots and a gap), or 12 on
// the "R2" badge in the modes that do not scroll sideways.
int doubleByteAdvance(const QString &model, int modeIndex);

// Draws a text into one slot's twelve rows (zeroed beforehand) and returns
// its RowBytes. Glyphs are placed while every byte they touch lies inside
// the row; the first one that would not fit ends the text.
std::int16_t renderTextSlot(const QString &text, bool vertical, int doubleAdvance, const FontSet &fonts,
                            CodePage &codePage, std::uint8_t *slotRows);

// Samples a 4096 × 12 canvas into one slot's rows (zeroed beforehand): a
// pixel is lit when its red component is 128 or more. Returns one past the
// last byte that holds a lit dot in any row.
std::int16_t samplePicture(const QImage &canvas, std::uint8_t *slotRows);

// Everything a rendering run reads from one slot's controls.
struct SlotRenderInput {
    bool selected = false;
    bool image = false;
    QString text;
    bool vertical = false;
    int modeIndex = 0;
    QImage canvas;   // shared, not copied; only read when image is set
};

struct RenderRequest {
    int uiLanguage = 0;
    QString model;   // modelBox text
    std::array<SlotRenderInput, kSlotCount> slot;
};

struct BadgeSetup;

// What the renderer reads of a setup.
RenderRequest renderRequest(const BadgeSetup &setup);

// One full rendering run: every slot zeroed, selected slots drawn from
// their text or picture, slot 0 padded to whole animation frames.
void renderMessages(const RenderRequest &request, const QString &programDir, DotBuffer &dots, RowBytes &rowBytes);

// The slot colours, which are also the text colours of the slot boxes.
QRgb slotColour(int slot);

struct GaugeSpan {
    int x0;       // first pixel
    int x1;       // one past the last pixel
    QRgb colour;
};

// The bars of the memory gauge, left to right, then the black rest. Each bar
// reaches up to the next bar's start, so every pixel is repainted each run.
std::vector<GaugeSpan> gaugeSpans(const RowBytes &rowBytes);

} // namespace glintag
