#include "codepagemap.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>

namespace glintag::fontgen {

namespace {

// Decodes the bytes as one whole character, or returns 0: a failed or
// partial conversion, or one that splits into several characters (a lead
// byte the code page treats as a single-byte character), is unmapped.
char32_t decodeOne(UConverter *converter, const char *bytes, int length)
{
    UChar units[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter, units, 8, bytes, length, &status);
    if (U_FAILURE(status) || n <= 0)
        return 0;
    UChar32 c;
    int32_t i = 0;
    U16_NEXT(units, i, n, c);
    if (i != n || c == 0xFFFD || c == 0x1A)
        return 0;
    return static_cast<char32_t>(c);
}

UConverter *openStrict(const char *codePage, std::string *error)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter *converter = ucnv_open(codePage, &status);
    if (U_FAILURE(status)) {
        *error = std::string("ICU has no converter ") + codePage;
        return nullptr;
    }
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return converter;
}

} // namespace

std::vector<char32_t> wideCodePoints(const char *codePage, std::string *error)
{
    UConverter *converter = openStrict(codePage, error);
    if (!converter)
        return {};
    std::vector<char32_t> table(kWideRecordCount, 0);
    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            table[static_cast<std::size_t>(wideRecordIndex(lead, trail))] = decodeOne(converter, bytes, 2);
        }
    }
    ucnv_close(converter);
    return table;
}

std::vector<char32_t> narrowCodePoints(const char *codePage, std::string *error)
{
    UConverter *converter = openStrict(codePage, error);
    if (!converter)
        return {};
    std::vector<char32_t> table(kNarrowRecordCount, 0);
    for (int code = 0; code < kNarrowRecordCount; ++code) {
        const char byte = static_cast<char>(code);
        table[static_cast<std::size_t>(code)] = decodeOne(converter, &byte, 1);
    }
    ucnv_close(converter);
    return table;
}

bool isDrawable(char32_t codePoint)
{
    const auto c = static_cast<UChar32>(codePoint);
    if (c <= 0 || c > 0x10FFFF)
        return false;
    switch (u_charType(c)) {
    case U_CONTROL_CHAR:
    case U_PRIVATE_USE_CHAR:
    case U_SURROGATE:
    case U_UNASSIGNED:
        return false;
    default:
        return !u_hasBinaryProperty(c, UCHAR_NONCHARACTER_CODE_POINT);
    }
}

} // namespace glintag::fontgen
