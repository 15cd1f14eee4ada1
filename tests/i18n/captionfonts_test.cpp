#include "i18n/captionfonts.h"
#include "i18n/languages.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(CaptionFonts, PreferredFacesFirstThenWhateverTheMachineHasForTheScript)
{
    const QString noto = QStringLiteral("Noto Sans CJK KR");
    const struct {
        int charset;
        QStringList installed;
        QStringList expectedTail; // what follows the preferred list
    } cases[] = {
        {kCharsetHangul, {}, {}},
        {kCharsetHangul, {QStringLiteral("Baekmuk Dotum")}, {QStringLiteral("Baekmuk Dotum")}},
        // already preferred, whatever the case: not repeated
        {kCharsetHangul,
         {QStringLiteral("wenquanyi micro hei"), QStringLiteral("UnBatang"), noto},
         {QStringLiteral("UnBatang")}},
        {kCharsetShiftJis, {QStringLiteral("Droid Sans Japanese")}, {QStringLiteral("Droid Sans Japanese")}},
        // the default face draws Latin everywhere
        {kCharsetAnsi, {QStringLiteral("DejaVu Sans")}, {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(captionFamilies(c.charset, c.installed), fontFamiliesForCharset(c.charset) + c.expectedTail)
            << c.installed.join(',').toStdString();
    }
}
