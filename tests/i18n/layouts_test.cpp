#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace glintag;

// Guards the hand-typed numbers of the tables; the window test checks that
// the window applies them.
TEST(i18nLayouts, ColumnsFitTheFrameWithoutOverlap)
{
    for (const ColumnLayout *c : {&columnsWithoutVerticalShow(), &columnsWithVerticalShow()}) {
        SCOPED_TRACE(c->verticalShowVisible);
        std::vector<std::pair<int, int>> row = {{kTxtMsgLeft, kTxtMsgWidth}, {c->ChkImg, kCheckBoxWidth}};
        if (c->verticalShowVisible)
            row.push_back({c->ChkVShow, kCheckBoxWidth});
        row.insert(row.end(), {{c->ComSpd, kComSpdWidth}, {c->ComMod, kComModWidth}, {c->ChkFls, kCheckBoxWidth},
                               {c->ChkRun, kCheckBoxWidth}, {c->ChkAlt, kCheckBoxWidth}, {kSlotFrameWidth, 0}});
        for (size_t i = 0; i + 1 < row.size(); ++i)
            EXPECT_LE(row[i].first + row[i].second, row[i + 1].first) << "control " << i;

        // {header, control}: headers in column order, each a little left of its control.
        const std::pair<int, int> columns[] = {
            {c->LblImage, c->ChkImg}, {c->LblSpeed, c->ComSpd},    {c->LblMode, c->ComMod},
            {c->LblFlash, c->ChkFls}, {c->LblLoopLamp, c->ChkRun}, {c->LblAlternate, c->ChkAlt},
        };
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_TRUE(columns[i].first <= columns[i].second && columns[i].second < columns[i].first + 600) << i;
            EXPECT_LT(columns[i].first, i < 5 ? columns[i + 1].first : kSlotFrameWidth) << i;
        }
        EXPECT_LE(c->LblAlternate + c->LblAlternateWidth, kSlotFrameWidth);
        if (c->verticalShowVisible) {
            EXPECT_TRUE(c->LblImage < c->LblVShw && c->LblVShw + c->LblVShwWidth <= c->LblSpeed);
        }
    }
}

TEST(i18nLayouts, SettingsRowFontsAndCombosPerLanguage)
{
    const char *firstFamily[] = {"Noto Sans CJK SC", "Noto Sans CJK TC", "Noto Sans CJK JP", "Noto Sans CJK KR", "Arial"};
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        SCOPED_TRACE(lang);
        EXPECT_EQ(fontFamiliesForCharset(languageRecord(lang).charset).value(0), QLatin1String(firstFamily[lang]));
        // Window pixels: combo widths are fixed; LblLanguage ends before 16, ProgressBar1 starts at 584.
        const SettingsRowLefts &s = languageRecord(lang).settingsRow;
        const std::pair<int, int> gaps[] = {
            {16, s.ComLanguage},        {s.ComLanguage + 116, s.LblBright}, {s.LblBright, s.ComBright},
            {s.ComBright + 41, s.LblType}, {s.LblType, s.ComType},         {s.ComType + 57, s.LblPort},
            {s.LblPort, s.ComSele},     {s.ComSele + 73, 584},
        };
        for (const auto &[right, next] : gaps)
            EXPECT_LT(right, next);
    }
}
