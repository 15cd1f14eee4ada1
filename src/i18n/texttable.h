#pragma once

#include "i18n/languages.h"

#include <QString>

#include <array>
#include <cstddef>

namespace glintag {

// One text of a texts struct in every interface language, in the language
// box's order, so a table row shows all five side by side for review.
template<typename Texts> struct TextRow {
    QString Texts::*field;
    std::array<const char16_t *, kUiLanguageCount> texts;
};

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
