#include "fontbuilder.h"

#include "codepagemap.h"
#include "sourcefont.h"

#include <unicode/uchar.h>

#include <optional>

namespace glintag::fontgen {

namespace {

constexpr int kNarrowInkWidth = 7;

struct Collected {
    std::vector<GlyphImage> images; // one per record
    int mapped = 0;
};

Collected collectGlyphs(const std::vector<char32_t> &codePoints, const std::vector<SourceFont *> &sources)
{
    Collected result;
    result.images.resize(codePoints.size());
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const char32_t c = codePoints[i];
        if (!isDrawable(c))
            continue;
        ++result.mapped;
        const bool blankIsRight = u_isUWhiteSpace(static_cast<UChar32>(c))
            || u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
        for (SourceFont *font : sources) {
            std::optional<GlyphImage> image = font->glyph(c);
            if (!image)
                continue;
            if (image->isEmpty() && !blankIsRight)
                continue;
            result.images[i] = std::move(*image);
            break;
        }
    }
    return result;
}

} // namespace

BuiltFont buildWideFont(const std::vector<char32_t> &codePoints, const std::vector<SourceFont *> &sources)
{
    const Collected collected = collectGlyphs(codePoints, sources);
    BuiltFont font;
    font.mappedCodes = collected.mapped;
    font.baselineRow = chooseBaselineRow(collected.images);
    font.upright.reserve(codePoints.size() * 24);
    font.vertical.reserve(codePoints.size() * 24);
    for (const GlyphImage &image : collected.images) {
        const GlyphRows rows = placeGlyph(image, kWideBoxWidth, font.baselineRow);
        if (hasInk(rows))
            ++font.inkedCodes;
        appendWideRecord(rows, font.upright);
        appendWideRecord(rotateCounterClockwise(rows), font.vertical);
    }
    return font;
}

BuiltFont buildNarrowFont(const std::vector<char32_t> &codePoints, const std::vector<SourceFont *> &sources)
{
    const Collected collected = collectGlyphs(codePoints, sources);
    BuiltFont font;
    font.mappedCodes = collected.mapped;
    font.baselineRow = chooseBaselineRow(collected.images);
    font.upright.reserve(codePoints.size() * 12);
    for (const GlyphImage &image : collected.images) {
        const GlyphRows rows = placeGlyph(image, kNarrowInkWidth, font.baselineRow);
        if (hasInk(rows))
            ++font.inkedCodes;
        appendNarrowRecord(rows, font.upright);
    }
    return font;
}

} // namespace glintag::fontgen
