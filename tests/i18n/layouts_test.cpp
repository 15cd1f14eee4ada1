#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <gtest/gtest.h>

using namespace glintag;

// Guards the hand-typed numbers of the tables; the window test checks that
// the window applies them.
TEST(i18nLayouts, ColumnsFitTheFrameWithoutOverlap)
{
    for (const ColumnLayout *c : {&columnsWithoutVerticalShow(), &columnsWithVerticalShow()}) {
        SCOPED_TRACE(c->verticalShowVisible);
        // {left, width} of a slot row's controls, left to right; a hidden vertical-show box takes no room
        const bool v = c->verticalShowVisible;
        const std::pair<int, int> row[] = {{kTextBoxLeft, kTextBoxWidth},
                                           {c->imageBox, kCheckBoxWidth},
                                           {v ? c->verticalBox : c->speedBox, v ? kCheckBoxWidth : 0},
                                           {c->speedBox, kSpeedBoxWidth},
                                           {c->modeBox, c->modeBoxWidth},
                                           {c->flashBox, kCheckBoxWidth},
                                           {c->borderBox, kCheckBoxWidth},
                                           {c->alternateBox, kCheckBoxWidth},
                                           {kSlotFrameWidth, 0}};
        for (size_t i = 0; i + 1 < std::size(row); ++i)
            EXPECT_LE(row[i].first + row[i].second, row[i + 1].first) << "control " << i;
        // Headers in column order, each a little left of its control; the last "header" is where
        // alternateHeader would have to start to overrun the frame.
        const int headers[] = {c->imageHeader,
                               c->speedHeader,
                               c->modeHeader,
                               c->flashHeader,
                               c->borderHeader,
                               c->alternateHeader,
                               kSlotFrameWidth - c->alternateHeaderWidth + 1};
        const int controls[] = {c->imageBox, c->speedBox, c->modeBox, c->flashBox, c->borderBox, c->alternateBox};
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(headers[i] <= controls[i] && controls[i] < headers[i] + 600 && headers[i] < headers[i + 1])
                << i;
        EXPECT_TRUE(
            !v || (c->imageHeader < c->verticalHeader && c->verticalHeader + c->verticalHeaderWidth <= c->speedHeader));
    }
}

TEST(i18nLayouts, SettingsRowCombosPerLanguage)
{
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        // Window pixels: combo widths are fixed; languageLabel ends before 16, progressBar starts at 584.
        const SettingsRowLefts &s = languageRecord(lang).settingsRow;
        const int edges[] = {
            16,           s.languageBox, s.languageBox + 116, s.brightnessLabel, s.brightnessBox, s.brightnessBox + 41,
            s.modelLabel, s.modelBox,    s.modelBox + 57,     s.portLabel,       s.portBox,       s.portBox + 73,
            584};
        for (size_t i = 0; i + 1 < std::size(edges); ++i)
            EXPECT_LT(edges[i], edges[i + 1]) << "language " << lang << ", edge " << i;
    }
}
