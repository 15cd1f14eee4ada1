#include "render/codepage.h"

#include <unicode/ucnv.h>

#include <map>
#include <mutex>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace glintag {

const char *codePageNameForLanguage(int uiLanguage)
{
    switch (uiLanguage) {
    case 0:
        return "windows-936";
    case 1:
        return "windows-950";
    case 2:
        return "windows-932";
    case 3:
        return "windows-949";
    default:
        return "windows-1252";
    }
}

const char *hostOrLanguageCodePage(int uiLanguage)
{
#ifdef _WIN32
    static const std::string host = "windows-" + std::to_string(GetACP());
    (void)uiLanguage;
    return host.c_str();
#else
    // There is no system-wide ANSI code page here; the language the user
    // picked decides which double-byte table the text is looked up in.
    return codePageNameForLanguage(uiLanguage);
#endif
}

namespace {

// Where ICU's "windows-932" (an IBM table underneath) and Windows' code page
// 932 part ways: Windows keeps the controls in place and gives the single
// bytes ICU leaves unmapped to U+0080 and the private-use U+F8F0..U+F8F3.
struct UnitByte {
    char16_t unit;
    std::uint8_t byte;
};
constexpr UnitByte kWindows932Singles[] = {
    {0x001A, 0x1A}, {0x001C, 0x1C}, {0x007F, 0x7F}, {0x0080, 0x80},
    {0xF8F0, 0xA0}, {0xF8F1, 0xFD}, {0xF8F2, 0xFE}, {0xF8F3, 0xFF},
};

bool isWindows932Lead(std::uint8_t b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Full-width forms of the half-width katakana U+FF61..U+FF9F, which code
// page 932 holds as the single bytes 0xA1..0xDF in the same order.
constexpr char16_t kFullWidthKatakana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};
static_assert(sizeof kFullWidthKatakana / sizeof kFullWidthKatakana[0] == 0xDF - 0xA1 + 1);

} // namespace

struct CodePage::Impl {
    UConverter *cnv = nullptr;
    ~Impl()
    {
        if (cnv)
            ucnv_close(cnv);
    }
};

CodePage::CodePage(const char *icuName) :
    m_name(icuName), m_windows932(m_name == "windows-932"), m_impl(std::make_unique<Impl>())
{
    UErrorCode err = U_ZERO_ERROR;
    m_impl->cnv = ucnv_open(icuName, &err);
    if (U_FAILURE(err) || !m_impl->cnv) {
        m_impl->cnv = nullptr;
        return;
    }
    // Windows substitutes '?' for what a code page lacks; ICU's own
    // substitution byte differs per table (0x1A, 0xFCFC, ...).
    err = U_ZERO_ERROR;
    ucnv_setSubstChars(m_impl->cnv, "?", 1, &err);
    m_valid = U_SUCCESS(err);
}

CodePage::~CodePage() = default;

std::uint16_t CodePage::code(char16_t unit)
{
    const std::size_t word = unit >> 6;
    const std::uint64_t bit = std::uint64_t(1) << (unit & 63);
    if (m_known[word] & bit)
        return m_codes[unit];
    const std::uint16_t c = convert(unit);
    m_codes[unit] = c;
    m_known[word] |= bit;
    return c;
}

std::uint16_t CodePage::glyphCode(char16_t unit)
{
    const std::uint16_t c = code(unit);
    if (m_windows932 && c >= 0xA1 && c <= 0xDF)
        return code(kFullWidthKatakana[c - 0xA1]);
    return c;
}

std::uint16_t CodePage::convert(char16_t unit)
{
    if (m_windows932) {
        for (const UnitByte &m : kWindows932Singles) {
            if (m.unit == unit)
                return m.byte;
        }
    }
    // A surrogate converted on its own is always unpaired.
    if (!m_valid || (unit >= 0xD800 && unit <= 0xDFFF))
        return '?';
    char out[8];
    UErrorCode err = U_ZERO_ERROR;
    const UChar in = unit;
    const int32_t n = ucnv_fromUChars(m_impl->cnv, out, sizeof out, &in, 1, &err);
    if (U_FAILURE(err) || n <= 0)
        return '?';
    if (n == 1)
        return static_cast<std::uint8_t>(out[0]);
    if (n == 2)
        return static_cast<std::uint16_t>((static_cast<std::uint8_t>(out[0]) << 8) | static_cast<std::uint8_t>(out[1]));
    return '?';
}

QByteArray CodePage::encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (QChar ch : text) {
        const std::uint16_t c = code(ch.unicode());
        if (isDoubleByte(c) || c > 0xFF)
            out.append(char(c >> 8));
        out.append(char(c & 0xFF));
    }
    return out;
}

QString CodePage::decode(const QByteArray &bytes) const
{
    if (m_valid && m_windows932)
        return decodeWindows932(bytes);
    return decodeWithIcu(bytes);
}

// The single bytes ICU maps differently are taken out at character
// boundaries (a trail byte may look like one of them) and the runs between
// them go through ICU.
QString CodePage::decodeWindows932(const QByteArray &bytes) const
{
    QString out;
    int runStart = 0;
    const int n = int(bytes.size());
    for (int i = 0; i < n;) {
        const std::uint8_t b = std::uint8_t(bytes.at(i));
        if (isWindows932Lead(b)) {
            i += 2;
            continue;
        }
        const UnitByte *special = nullptr;
        for (const UnitByte &m : kWindows932Singles) {
            if (m.byte == b)
                special = &m;
        }
        if (special) {
            out += decodeWithIcu(bytes.mid(runStart, i - runStart));
            out += QChar(special->unit);
            runStart = i + 1;
        }
        ++i;
    }
    out += decodeWithIcu(bytes.mid(runStart));
    return out;
}

QString CodePage::decodeWithIcu(const QByteArray &bytes) const
{
    if (!m_valid || bytes.isEmpty())
        return m_valid ? QString() : QString::fromLatin1(bytes);
    UErrorCode err = U_ZERO_ERROR;
    // toUChars keeps state only within one call; a const converter is
    // safe to reuse because it resets at the start of every call.
    QString out(bytes.size() * 2 + 2, Qt::Uninitialized);
    const int32_t n = ucnv_toUChars(m_impl->cnv, reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                                    bytes.constData(), int32_t(bytes.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        return QString::fromLatin1(bytes);
    out.truncate(n);
    return out;
}

CodePage &CodePage::shared(const char *icuName)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CodePage>> pages;
    std::lock_guard<std::mutex> lock(mutex);
    auto &slot = pages[icuName];
    if (!slot)
        slot = std::make_unique<CodePage>(icuName);
    return *slot;
}

} // namespace glintag
