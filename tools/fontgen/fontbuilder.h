#pragma once

#include "glyphbox.h"

#include <cstdint>
#include <vector>

namespace glintag::fontgen {

class SourceFont;

struct BuiltFont {
    std::vector<std::uint8_t> upright;
    std::vector<std::uint8_t> vertical; // empty for the single-byte font
    int mappedCodes = 0;                // drawable characters the code page maps
    int inkedCodes = 0;                 // of those, records that received ink
    int baselineRow = 0;
};

// Lays out one record per entry of codePoints (0 = unmapped, left blank).
// Each character is taken from the first source that draws it; a source
// that has only a blank glyph for a visible character defers to the next.
// All glyphs of one file share one baseline row.
BuiltFont buildWideFont(const std::vector<char32_t> &codePoints, const std::vector<SourceFont *> &sources);

// 12-byte records, glyphs kept within seven columns so the eighth stays a
// gap between letters.
BuiltFont buildNarrowFont(const std::vector<char32_t> &codePoints, const std::vector<SourceFont *> &sources);

} // namespace glintag::fontgen
