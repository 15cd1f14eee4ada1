#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <gtest/gtest.h>

#include <climits>

using namespace glintag;

TEST(i18nLanguageRecord, IndexSelectsRecordAndEverythingElseIsEnglish)
{
    const struct { int index; int language; int charset; } cases[] = {
        {0, 0, 134}, {1, 1, 136}, {2, 2, 128}, {3, 3, 129}, {4, 4, 0},
        {-1, 4, 0},  {5, 4, 0},   {99, 4, 0},  {INT_MIN, 4, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        const LanguageRecord &r = languageRecord(c.index);
        const bool english = c.language == UiEnglish;
        EXPECT_EQ(r.uiLanguage, c.language);
        EXPECT_EQ(r.charset, c.charset);
        EXPECT_EQ(r.showsVerticalShow, !english);
        EXPECT_EQ(r.LblVShw.isNull(), english);  // the hidden header keeps its caption
        EXPECT_EQ(&columnLayoutFor(c.index),
                  english ? &columnsWithoutVerticalShow() : &columnsWithVerticalShow());
        EXPECT_EQ(uiLanguageNames().at(r.uiLanguage) == QLatin1String("English"), english);
    }
}

TEST(i18nLanguageRecord, TitlePaddingAndColons)
{
    const QChar fullWidthColon(0xFF1A);
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        SCOPED_TRACE(lang);
        const LanguageRecord &r = languageRecord(lang);
        const bool cjk = lang != UiEnglish;
        EXPECT_EQ(r.LblTitle, QString(cjk ? 4 : 5, QLatin1Char(' ')) + QLatin1String("Glintag    "));

        const QString colonLabels[] = {r.LblLanguage, r.LblBright, r.LblPort, r.LblType, r.LblUseing};
        for (const QString &label : colonLabels)
            EXPECT_TRUE(label.endsWith(cjk ? QString(fullWidthColon) : QStringLiteral(" :")))
                << label.toStdString();
        const QString others[] = {r.LblTitle,   r.LblSelect,   r.LblText,     r.LblImage,
                                  r.LblSpeed,   r.LblMode,     r.LblFlash,    r.LblLoopLamp,
                                  r.LblAlternate, r.CmdLdPic,  r.CmdSvPic,    r.CmdSend,
                                  r.CmdExit,    r.LblVShw};
        int stray = 0;
        for (const QString &caption : others)
            stray += caption.count(fullWidthColon);
        EXPECT_EQ(stray, 0);
    }
}

TEST(i18nLanguageRecord, MoveModes)
{
    const struct { int lang; const char16_t *animation; const char16_t *pileUp; } cases[] = {
        {0, u"动画", u"堆砌"},          {1, u"動畫", u"堆砌"},     {2, u"アニメーション", u"積み重ね"},
        {3, u"애니메이션", u"더미"}, {4, u"Animation", u"Pile Up"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lang);
        const LanguageRecord &r = languageRecord(c.lang);
        EXPECT_EQ(r.moveModes[7], QString::fromUtf16(c.animation));
        EXPECT_EQ(r.moveModes[5], QString::fromUtf16(c.pileUp));
        // Each list position must stay distinguishable.
        QStringList modes(r.moveModes.begin(), r.moveModes.end());
        EXPECT_EQ(modes.removeDuplicates(), 0);
        EXPECT_FALSE(modes.contains(QString()));
    }
}

TEST(i18nLanguageRecord, SettingsRowCombosDoNotRunIntoTheNextControl)
{
    // Window pixels; combo widths are the designed twips / 15. LblLanguage
    // stays at 16, ProgressBar1 at 584.
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        SCOPED_TRACE(lang);
        const SettingsRowLefts &s = languageRecord(lang).settingsRow;
        const struct { int right; int next; } gaps[] = {
            {16, s.ComLanguage},        {s.ComLanguage + 116, s.LblBright},
            {s.LblBright, s.ComBright}, {s.ComBright + 41, s.LblType},
            {s.LblType, s.ComType},     {s.ComType + 57, s.LblPort},
            {s.LblPort, s.ComSele},     {s.ComSele + 73, 584},
        };
        for (const auto &g : gaps)
            EXPECT_LT(g.right, g.next);
    }
}

TEST(i18nFontFamilies, CharsetPicksScript)
{
    const struct { int charset; const char *first; } cases[] = {
        {134, "Noto Sans CJK SC"}, {136, "Noto Sans CJK TC"}, {128, "Noto Sans CJK JP"},
        {129, "Noto Sans CJK KR"}, {0, "Arial"},              {77, "Arial"},
    };
    for (const auto &c : cases) {
        QStringList families = fontFamiliesForCharset(c.charset);
        EXPECT_EQ(families.value(0), QLatin1String(c.first)) << c.charset;
        EXPECT_GE(families.size(), 2);
        EXPECT_EQ(families.removeDuplicates(), 0);
    }
}
