#pragma once

#include "i18n/languages.h"

#include <QString>

#include <array>
#include <cstddef>
#include <vector>

namespace glintag {

// One text in every interface language, in the language box's order, so a
// table row shows all five side by side for review. It takes five texts and
// no fewer: a row that lost a language would not build. A null text is one
// a language leaves unset, and says so where it stands.
class FiveTexts {
public:
    static_assert(kUiLanguageCount == 5, "one constructor argument per interface language");
    constexpr FiveTexts(const char16_t *simpChinese, const char16_t *tradChinese, const char16_t *japanese,
                        const char16_t *korean, const char16_t *english) :
        m_texts{simpChinese, tradChinese, japanese, korean, english}
    {}
    const char16_t *operator[](std::size_t uiLanguage) const { return m_texts[uiLanguage]; }

private:
    std::array<const char16_t *, kUiLanguageCount> m_texts;
};

// One text of a texts struct in every interface language.
template<typename Texts> struct TextRow {
    QString Texts::*field;
    FiveTexts texts;
};

// Every row of a table, for the check that all languages keep the English
// placeholders.
template<typename Texts, std::size_t N> std::vector<FiveTexts> textsOf(const TextRow<Texts> (&rows)[N])
{
    std::vector<FiveTexts> all;
    for (const TextRow<Texts> &row : rows)
        all.push_back(row.texts);
    return all;
}

// The struct for each language, filled from a table's rows.
template<typename Texts, std::size_t N>
std::array<Texts, kUiLanguageCount> buildTextTable(const TextRow<Texts> (&rows)[N])
{
    std::array<Texts, kUiLanguageCount> all{};
    for (std::size_t lang = 0; lang < all.size(); ++lang)
        for (const TextRow<Texts> &row : rows)
            all[lang].*row.field = QString::fromUtf16(row.texts[lang]);
    return all;
}

// The texts of a language box position; anything outside the list is
// English, as the captions are.
template<typename Texts> const Texts &textsFor(const std::array<Texts, kUiLanguageCount> &all, int uiLanguage)
{
    if (uiLanguage < UiSimpChinese || uiLanguage > UiKorean)
        uiLanguage = UiEnglish;
    return all[std::size_t(uiLanguage)];
}

} // namespace glintag
