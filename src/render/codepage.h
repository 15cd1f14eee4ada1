#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace glintag {

// ICU converter name of the multi-byte code page that goes with an interface
// language: 0 → "windows-936", 1 → "windows-950", 2 → "windows-932",
// 3 → "windows-949", anything else → "windows-1252". On Windows the host's
// ANSI code page wins over the language (see hostOrLanguageCodePage).
const char *codePageNameForLanguage(int uiLanguage);

// The code page the renderer uses for a given interface language: the host's
// ANSI code page where the platform has one, otherwise the language's.
const char *hostOrLanguageCodePage(int uiLanguage);

// Converts UTF-16 code units one at a time to a byte code of a Windows code
// page, the way the font tables are indexed: a single-byte result c gives
// c (0..255), a double-byte result L,T gives L*256+T. Anything the code page
// cannot represent, lone surrogates included, gives '?' (0x3F).
// Results are memoised per code unit, so repeated runs cost a table lookup.
class CodePage {
public:
    explicit CodePage(const char *icuName);
    ~CodePage();
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;

    const char *name() const { return m_name.c_str(); }
    bool isValid() const { return m_valid; }

    // 0..255 for single-byte characters, 0x8000..0xFFFF for double-byte.
    std::uint16_t code(char16_t unit);

    // The code whose glyph draws the unit: code(), except that in code page
    // 932 the half-width katakana (single bytes 0xA1..0xDF, which the
    // single-byte font does not hold) give the code of their full-width form.
    std::uint16_t glyphCode(char16_t unit);

    static bool isDoubleByte(std::uint16_t code) { return code >= 0x8000; }

    // Whole text to bytes, one code unit at a time (what a settings file
    // written in this code page would hold).
    QByteArray encode(const QString &text);
    // Bytes of this code page to text; undecodable bytes become U+FFFD.
    QString decode(const QByteArray &bytes) const;

    // One shared converter per code page name, for the life of the process.
    static CodePage &shared(const char *icuName);

private:
    std::uint16_t convert(char16_t unit);
    QString decodeWithIcu(const QByteArray &bytes) const;
    QString decodeWindows932(const QByteArray &bytes) const;

    std::string m_name;
    bool m_valid = false;
    // ICU's table for this name differs from the Windows code page on a few
    // single bytes; those are mapped here instead.
    bool m_windows932 = false;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    // Every code unit is converted at most once; the bit set tells which
    // entries of the table are filled.
    std::array<std::uint16_t, 65536> m_codes{};
    std::array<std::uint64_t, 65536 / 64> m_known{};
};

} // namespace glintag
