// Every translation keeps the English text's placeholders: a language that
// lost a %2 would show a number in the wrong place or none at all.
#include "i18n/editortexts.h"
#include "i18n/languages.h"
#include "i18n/menutexts.h"
#include "i18n/previewtexts.h"
#include "i18n/statustexts.h"
#include "i18n/texttable.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

using namespace glintag;

namespace {

QStringList placeholders(const char16_t *text)
{
    QStringList found;
    if (!text)
        return found;
    static const QRegularExpression marker(QStringLiteral("%[0-9]+"));
    for (const QRegularExpressionMatch &m : marker.globalMatch(QString::fromUtf16(text)))
        found << m.captured();
    found.sort();
    return found;
}

// The rows whose translations differ from English in their placeholders.
QStringList driftedRows(const std::vector<FiveTexts> &rows)
{
    QStringList drifted;
    for (const FiveTexts &row : rows)
        for (int lang = 0; lang < kUiLanguageCount; ++lang)
            if (row[std::size_t(lang)] && placeholders(row[std::size_t(lang)]) != placeholders(row[UiEnglish]))
                drifted << QString::fromUtf16(row[std::size_t(lang)]);
    return drifted;
}

} // namespace

TEST(Translations, EveryTableKeepsItsPlaceholders)
{
    // The check itself finds a lost placeholder and a doubled one, whatever their order.
    const std::vector<FiveTexts> drifting = {{u"%1 / %2", u"%2 %1", u"%1", u"%1 %2 %2", u"%1 of %2"}};
    EXPECT_EQ(driftedRows(drifting), (QStringList{QStringLiteral("%1"), QStringLiteral("%1 %2 %2")}));
    for (const auto &rows : {statusTextRows(), menuTextRows(), previewTextRows(), editorTextRows(), captionRows()})
        EXPECT_EQ(driftedRows(rows), QStringList());
}
