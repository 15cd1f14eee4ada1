#include "render/messagebuilder.h"

#include "badge/badgesetup.h"

#include "render/codepage.h"
#include "render/fontset.h"

#include <algorithm>

namespace glintag {

int doubleByteAdvance(const BadgeModel &model, std::optional<MoveMode> mode)
{
    return (model.tightDoubleByte && mode && !moveModeFacts(*mode).sideways) ? 12 : 13;
}

namespace {

// Bytes of a row a glyph touches from a column within a byte: a
// double-byte glyph's 16 dot columns reach into a third byte, a
// single-byte glyph's 8 into a second. A glyph is placed only while all of
// them lie inside the row.
int glyphSpan(std::uint16_t code)
{
    return CodePage::isDoubleByte(code) ? 3 : 2;
}

} // namespace

std::int16_t renderTextSlot(const QString &text, bool vertical, int doubleAdvance, const FontSet &fonts,
                            CodePage &codePage, std::uint8_t *slotRows)
{
    int p = 0;
    for (const QChar ch : text) {
        const std::uint16_t code = codePage.glyphCode(ch.unicode());
        const int q = p >> 3;
        const int s = p & 7;
        if (q + glyphSpan(code) > kRowByteCount)
            break;
        if (CodePage::isDoubleByte(code)) {
            const std::uint8_t *g = fonts.doubleGlyph(code, vertical);
            for (int r = 0; r < kRowCount; ++r) {
                const std::uint32_t w = ((std::uint32_t(g[2 * r]) << 16) | (std::uint32_t(g[2 * r + 1]) << 8)) >> s;
                std::uint8_t *row = slotRows + r * kRowByteCount + q;
                row[0] |= std::uint8_t(w >> 16);
                row[1] |= std::uint8_t(w >> 8);
                row[2] |= std::uint8_t(w);
            }
            p += doubleAdvance;
        } else {
            const std::uint8_t *g = fonts.asciiGlyph(std::uint8_t(code));
            for (int r = 0; r < kRowCount; ++r) {
                const std::uint32_t w = (std::uint32_t(g[r]) << 8) >> s;
                std::uint8_t *row = slotRows + r * kRowByteCount + q;
                row[0] |= std::uint8_t(w >> 8);
                row[1] |= std::uint8_t(w);
            }
            p += 8;
        }
    }
    return std::int16_t((p + 7) / 8);
}

int textUnitsWithin(const QString &text, int doubleAdvance, CodePage &codePage, int columnLimit)
{
    // A double-byte glyph's dots are 12 columns wide; a wider advance only
    // adds a blank gap.
    constexpr int kDoubleDots = 12;
    int p = 0, units = 0;
    for (const QChar ch : text) {
        const std::uint16_t code = codePage.glyphCode(ch.unicode());
        const bool wide = CodePage::isDoubleByte(code);
        if ((p >> 3) + glyphSpan(code) > kRowByteCount || p + (wide ? kDoubleDots : 8) > columnLimit)
            break;
        p += wide ? doubleAdvance : 8;
        ++units;
    }
    return units;
}

std::int16_t samplePicture(const QImage &canvas, std::uint8_t *slotRows)
{
    QImage img = canvas;
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
        img = img.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(img.width(), kRowColumns);
    const int height = std::min(img.height(), kRowCount);
    const int fullBytes = width / 8;
    int rowBytes = 0;
    for (int r = 0; r < height; ++r) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(r));
        std::uint8_t *out = slotRows + r * kRowByteCount;
        // Bit 23 of a QRgb is bit 7 of its red component: lit at red >= 128.
        for (int k = 0; k < fullBytes; ++k) {
            const QRgb *px = line + 8 * k;
            const std::uint8_t b = std::uint8_t(
                ((px[0] >> 16) & 0x80) | ((px[1] >> 17) & 0x40) | ((px[2] >> 18) & 0x20) | ((px[3] >> 19) & 0x10)
                | ((px[4] >> 20) & 0x08) | ((px[5] >> 21) & 0x04) | ((px[6] >> 22) & 0x02) | ((px[7] >> 23) & 0x01));
            out[k] = b;
            if (b && k >= rowBytes)
                rowBytes = k + 1;
        }
        for (int x = fullBytes * 8; x < width; ++x) {
            if (line[x] & 0x00800000u) {
                out[x >> 3] |= std::uint8_t(0x80u >> (x & 7));
                rowBytes = std::max(rowBytes, (x >> 3) + 1);
            }
        }
    }
    return std::int16_t(rowBytes);
}

Rendering renderSetup(const BadgeSetup &setup, const QString &programDir)
{
    Rendering out;
    const FontSet fonts(setup.language, programDir);
    CodePage &codePage = CodePage::shared(hostOrLanguageCodePage(setup.language));
    const BadgeModel &model = badgeModel(setup.model);

    RowBytes drawn{};
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[size_t(i)];
        if (!slot.select)
            continue;
        std::uint8_t *rows = out.dots.slot(i);
        if (!slot.image)
            drawn[size_t(i)] = renderTextSlot(slot.text, slot.vertical, doubleByteAdvance(model, moveModeAt(slot.mode)),
                                              fonts, codePage, rows);
        else
            drawn[size_t(i)] = samplePicture(slot.picture, rows);
    }

    if (moveModeAt(setup.slots[0].mode) == MoveMode::Animation) {
        const int d = model.frameBytes();
        drawn[0] = std::int16_t((drawn[0] + d - 1) / d * d);
    }
    out.setLengths(drawn);
    out.fontFolders = fonts.folders();
    out.missingFonts = fonts.missingFiles();
    return out;
}

QRgb slotColour(int slot)
{
    static const QRgb colours[kSlotCount] = {
        qRgb(255, 0, 0),   qRgb(255, 128, 0), qRgb(255, 192, 0), qRgb(224, 224, 0),
        qRgb(128, 208, 0), qRgb(0, 255, 0),   qRgb(0, 255, 192), qRgb(0, 240, 240),
        qRgb(0, 128, 255), qRgb(0, 0, 255),   qRgb(128, 0, 255), qRgb(192, 0, 255),
        qRgb(255, 0, 255), qRgb(255, 0, 192), qRgb(192, 0, 0),   qRgb(128, 0, 0),
    };
    return colours[slot & 15];
}

std::vector<GaugeSpan> gaugeSpans(const RowBytes &rowBytes)
{
    std::vector<GaugeSpan> spans;
    int x = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (rowBytes[slot] <= 0)
            continue;
        // x + 1.5 × RowBytes, rounded half to even, in halves to stay exact
        const int twice = 2 * x + 3 * rowBytes[slot];
        int next = twice / 2;
        if (twice % 2 && next % 2)
            ++next;
        next = std::min(next, kGaugeWidth);
        if (next > x)
            spans.push_back({x, next, slotColour(slot)});
        x = next;
    }
    spans.push_back({x, kGaugeWidth, qRgb(0, 0, 0)});
    return spans;
}

} // namespace glintag
