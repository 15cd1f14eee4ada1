#pragma once

#include <string>
#include <vector>

namespace glintag::fontgen {

constexpr int kLeadFirst = 0x81;
constexpr int kLeadLast = 0xFE;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFE;
constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;                    // 191
constexpr int kWideRecordCount = (kLeadLast - kLeadFirst + 1) * kTrailCount; // 24066
constexpr int kNarrowRecordCount = 256;

constexpr int wideRecordIndex(int lead, int trail)
{
    return (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst);
}

// The Unicode code point of every double-byte record of a code page, in
// record order; 0 where the two bytes are not one character of it. Returns
// an empty table and sets *error when ICU lacks the converter.
std::vector<char32_t> wideCodePoints(const char *codePage, std::string *error);

// The code point of every byte 0..255 of a single-byte code page; 0 where
// the byte is unmapped.
std::vector<char32_t> narrowCodePoints(const char *codePage, std::string *error);

// Control characters, private-use and non-characters get no drawing: what
// a private-use code looks like depends on the font vendor.
bool isDrawable(char32_t codePoint);

} // namespace glintag::fontgen
