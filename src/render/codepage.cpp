#include "codepage.h"

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
    case 0: return "windows-936";
    case 1: return "windows-950";
    case 2: return "windows-932";
    case 3: return "windows-949";
    default: return "windows-1252";
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

struct CodePage::Impl {
    UConverter *cnv = nullptr;
    ~Impl()
    {
        if (cnv)
            ucnv_close(cnv);
    }
};

CodePage::CodePage(const char *icuName)
    : m_name(icuName), m_impl(std::make_unique<Impl>())
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

std::uint16_t CodePage::convert(char16_t unit)
{
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
