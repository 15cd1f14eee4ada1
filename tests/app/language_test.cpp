#include "windowfixture.h"

#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace glintag;

static int px(int twips) { return twips / 15; }

using LanguageTest = WindowTest;

TEST_F(LanguageTest, WindowShowsTheRecordOfTheChosenLanguage)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    const int runs = w->renderRuns();
    // Literals typed from the tables, so a slip in the records cannot hide
    // behind the comparison with the records.
    const struct { int index; const char16_t *title, *loopLamp, *pileUp; } cases[] = {
        {0, u"    Glintag    ", u"跑马灯", u"堆砌"},       {1, u"    Glintag    ", u"跑馬燈", u"堆砌"},
        {2, u"    Glintag    ", u"飾り枠", u"積み重ね"},   {3, u"    Glintag    ", u" 장식테두리", u"더미"},
        {4, u"     Glintag    ", u"Loop Lamp", u"Pile Up"}, {-1, u"     Glintag    ", u"Loop Lamp", u"Pile Up"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        w->ComLanguage->setCurrentIndex(c.index == 2 ? 4 : 2);
        w->ComLanguage->setCurrentIndex(c.index);
        const LanguageRecord &rec = languageRecord(c.index);
        const ColumnLayout &cols = columnLayoutFor(c.index);
        const std::pair<QString, QString> captions[] = {
            {w->LblTitle->text(), QString::fromUtf16(c.title)}, {w->LblLoopLamp->text(), QString::fromUtf16(c.loopLamp)},
            {w->ComMod[9]->itemText(5), QString::fromUtf16(c.pileUp)},
            {w->LblVShw->isHidden() ? QString() : w->LblVShw->text(), rec.LblVShw},   // English keeps it hidden
            {w->LblTitle->text(), rec.LblTitle}, {w->LblSelect->text(), rec.LblSelect}, {w->LblText->text(), rec.LblText},
            {w->LblImage->text(), rec.LblImage}, {w->LblSpeed->text(), rec.LblSpeed}, {w->LblMode->text(), rec.LblMode},
            {w->LblFlash->text(), rec.LblFlash}, {w->LblLoopLamp->text(), rec.LblLoopLamp}, {w->LblPort->text(), rec.LblPort},
            {w->LblAlternate->text(), rec.LblAlternate}, {w->LblLanguage->text(), rec.LblLanguage},
            {w->LblBright->text(), rec.LblBright}, {w->LblType->text(), rec.LblType}, {w->LblUseing->text(), rec.LblUseing},
            {w->CmdSend->text(), rec.CmdSend}, {w->CmdExit->text(), rec.CmdExit},
        };
        for (const auto &[shown, expected] : captions)
            EXPECT_EQ(shown, expected);
        EXPECT_EQ(w->font().families(), fontFamiliesForCharset(rec.charset));
        const SettingsRowLefts &s = rec.settingsRow;
        const std::pair<QWidget *, int> lefts[] = {
            {w->LblLanguage, 16}, {w->ComLanguage, s.ComLanguage}, {w->LblBright, s.LblBright}, {w->ComBright, s.ComBright},
            {w->LblType, s.LblType}, {w->ComType, s.ComType}, {w->LblPort, s.LblPort}, {w->ComSele, s.ComSele},
            {w->LblImage, px(cols.LblImage)}, {w->LblSpeed, px(cols.LblSpeed)}, {w->LblMode, px(cols.LblMode)},
            {w->LblFlash, px(cols.LblFlash)}, {w->LblLoopLamp, px(cols.LblLoopLamp)}, {w->LblAlternate, px(cols.LblAlternate)},
        };
        for (const auto &[control, left] : lefts)
            EXPECT_EQ(control->x(), left) << control->metaObject()->className() << " at " << left;
        for (int i = 0; i < kSlotCount; ++i) {
            const std::pair<QWidget *, int> row[] = {
                {w->ChkImg[i], cols.ChkImg}, {w->ComSpd[i], cols.ComSpd}, {w->ComMod[i], cols.ComMod},
                {w->ChkFls[i], cols.ChkFls}, {w->ChkRun[i], cols.ChkRun}, {w->ChkAlt[i], cols.ChkAlt},
            };
            for (const auto &[control, left] : row)
                EXPECT_EQ(control->x(), px(left)) << "slot " << i;
            EXPECT_EQ(w->ChkVShow[i]->isHidden(), c.index < 0 || c.index == 4) << i;
            EXPECT_EQ(w->CmdLdPic[i]->text() + '|' + w->CmdSvPic[i]->text(), rec.CmdLdPic + '|' + rec.CmdSvPic) << i;
            for (int k = 0; k < w->ComMod[i]->count(); ++k)
                EXPECT_EQ(w->ComMod[i]->itemText(k), rec.moveModes[k]) << i << " item " << k;
        }
    }
    EXPECT_EQ(w->renderRuns(), runs);
}

TEST_F(LanguageTest, EnglishJapaneseEnglishRestoresLayoutAndKeepsTicks)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = makeWindow();
    w->ComMod[6]->setCurrentIndex(5);   // "Pile Up"
    auto layout = [&] { QList<QRect> r; for (QWidget *c : w->findChildren<QWidget *>()) r << c->geometry(); return r; };
    const QList<QRect> english = layout();

    w->ComLanguage->setCurrentIndex(2);
    EXPECT_EQ(w->ComMod[6]->currentIndex(), 5);
    EXPECT_EQ(w->ComMod[6]->itemText(5), QStringLiteral("積み重ね"));
    w->ChkVShow[3]->setChecked(true);
    w->ChkVShow[12]->setChecked(true);

    w->ComLanguage->setCurrentIndex(4);
    EXPECT_EQ(layout(), english);
    EXPECT_EQ(w->LblAlternate->geometry(), QRect(912, 16, 65, 17));
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(w->ChkVShow[i]->isChecked(), i == 3 || i == 12) << i;
}

// The double-byte character must come from the new language's font file at
// the code its code page gives, read straight from the generated file.
TEST_F(LanguageTest, NextRenderingUsesTheNewFontAndCodePage)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 1; i < kSlotCount; ++i)
        w->ChkSel[i]->setChecked(false);
    w->TxtMsg[0]->setText(QStringLiteral("あ"));
    ASSERT_EQ(w->rowBytes()[0], 1);   // English has no double-byte code page

    const struct { int index; const char *file; int lead, trail; } cases[] = {
        {2, "JpK12", 0x82, 0xA0}, {0, "HzK12", 0xA4, 0xA2}, {3, "KrK12", 0xAA, 0xA2},
    };
    for (const auto &c : cases) {
        QFile f(QStringLiteral(GLINTAG_BIN_DIR "/") + QLatin1String(c.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly) && f.size() == 577584) << c.file;
        const QByteArray record = f.readAll().mid(24 * ((c.lead - 0x81) * 191 + (c.trail - 0x40)), 24);
        ASSERT_NE(record, QByteArray(24, '\0')) << c.file;   // a blank glyph would prove nothing

        w->ComLanguage->setCurrentIndex(c.index);
        w->ChkRun[0]->click();   // any edit that renders
        ASSERT_EQ(w->rowBytes()[0], 2) << c.file;
        QByteArray shown;   // 12 rows of two bytes, as the font file stores them
        for (int b = 0; b < 24; ++b)
            shown += char(w->dotBuffer().at(0, b / 2, b % 2));
        EXPECT_EQ(shown.toHex(' '), record.toHex(' ')) << c.file;
    }
}
