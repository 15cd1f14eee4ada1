#include "windowfixture.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using namespace glintag;

static int px(int twips) { return twips / 15; }

using LanguageTest = WindowTest;

TEST_F(LanguageTest, WindowShowsTheRecordOfTheChosenLanguage)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    const int runs = w->renderRuns();
    for (const int index : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(index);
        w->ComLanguage->setCurrentIndex(index == 2 ? 4 : 2);   // a real change every time
        w->ComLanguage->setCurrentIndex(index);
        const LanguageRecord &rec = languageRecord(index);
        const ColumnLayout &cols = columnLayoutFor(index);
        // A few literals, so a slip in the records cannot hide behind the comparison with them.
        const std::pair<QObject *, QString> captions[] = {
            {w->LblTitle, index < 0 ? QStringLiteral("     Glintag    ") : rec.LblTitle},
            {w->LblLoopLamp, index == 3 ? QStringLiteral(" 장식테두리") : rec.LblLoopLamp}, {w->LblSelect, rec.LblSelect},
            {w->LblText, rec.LblText}, {w->LblImage, rec.LblImage}, {w->LblSpeed, rec.LblSpeed}, {w->LblMode, rec.LblMode},
            {w->LblFlash, rec.LblFlash}, {w->LblPort, rec.LblPort}, {w->LblAlternate, rec.LblAlternate},
            {w->LblLanguage, rec.LblLanguage}, {w->LblBright, rec.LblBright}, {w->LblType, rec.LblType},
            {w->LblUseing, rec.LblUseing}, {w->CmdSend, rec.CmdSend}, {w->CmdExit, rec.CmdExit}};
        for (const auto &[control, caption] : captions)
            EXPECT_EQ(control->property("text").toString(), caption);
        EXPECT_EQ(w->LblVShw->isHidden() ? QString() : w->LblVShw->text(), rec.LblVShw);   // English keeps it hidden
        EXPECT_EQ(w->font().families(), captionFamilies(rec.charset, installedFaces(rec.charset)));
        const SettingsRowLefts &s = rec.settingsRow;
        std::vector<std::pair<QWidget *, int>> lefts = {
            {w->LblLanguage, 16}, {w->ComLanguage, s.ComLanguage}, {w->LblBright, s.LblBright}, {w->ComBright, s.ComBright},
            {w->LblType, s.LblType}, {w->ComType, s.ComType}, {w->LblPort, s.LblPort}, {w->ComSele, s.ComSele},
            {w->LblImage, px(cols.LblImage)}, {w->LblSpeed, px(cols.LblSpeed)}, {w->LblMode, px(cols.LblMode)},
            {w->LblFlash, px(cols.LblFlash)}, {w->LblLoopLamp, px(cols.LblLoopLamp)}, {w->LblAlternate, px(cols.LblAlternate)}};
        for (int i = 0; i < kSlotCount; ++i) {
            lefts.insert(lefts.end(), {{w->ChkImg[i], px(cols.ChkImg)}, {w->ComSpd[i], px(cols.ComSpd)},
                                       {w->ComMod[i], px(cols.ComMod)}, {w->ChkFls[i], px(cols.ChkFls)},
                                       {w->ChkRun[i], px(cols.ChkRun)}, {w->ChkAlt[i], px(cols.ChkAlt)}});
            EXPECT_EQ(w->ChkVShow[i]->isHidden(), index < 0 || index == 4) << i;
            EXPECT_EQ(w->CmdLdPic[i]->text() + '|' + w->CmdSvPic[i]->text(), rec.CmdLdPic + '|' + rec.CmdSvPic) << i;
            for (int k = 0; k < w->ComMod[i]->count(); ++k)
                EXPECT_EQ(w->ComMod[i]->itemText(k), rec.moveModes[k]) << i << " item " << k;
        }
        for (const auto &[control, left] : lefts)
            EXPECT_EQ(control->x(), left) << control->metaObject()->className() << " at " << left;
    }
    EXPECT_EQ(w->renderRuns(), runs);
}

// Boxes instead of letters: every caption character must be drawn by an
// installed face from the window's family list (the test machine has one
// East Asian outline face, as the package's dependency guarantees).
TEST_F(LanguageTest, EveryCaptionCharacterHasAnInstalledFace)
{
    auto w = makeWindow();
    for (int index = 0; index < kUiLanguageCount; ++index) {
        w->ComLanguage->setCurrentIndex(index);
        for (QWidget *control : std::initializer_list<QWidget *>{w->LblTitle, w->LblLoopLamp, w->LblUseing, w->CmdSend,
                                                                 w->CmdLdPic[0], w->ComMod[0]}) {
            QString text = control->property("text").toString();
            if (auto *box = qobject_cast<QComboBox *>(control))
                text = box->itemText(box->count() - 1);
            QStringList faces;
            for (const QString &family : control->font().families())
                if (QFontDatabase::hasFamily(family))
                    faces << family;
            ASSERT_FALSE(faces.isEmpty()) << index;
            for (const uint ch : text.toUcs4()) {
                const bool drawn = QChar::isSpace(ch) || std::any_of(faces.begin(), faces.end(), [&](const QString &f) {
                    return QFontMetrics(QFont(f)).inFontUcs4(ch);
                });
                EXPECT_TRUE(drawn) << "language " << index << " U+" << std::hex << ch << " in " << text.toStdString();
            }
        }
    }
}

TEST_F(LanguageTest, EnglishJapaneseEnglishRestoresLayoutAndKeepsTicks)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = makeWindow();
    w->ComMod[6]->setCurrentIndex(5);   // "Pile Up"
    auto layout = [&] { QList<QRect> r; for (QWidget *c : w->findChildren<QWidget *>()) r << c->geometry(); return r; };
    const QList<QRect> english = layout();

    w->ComLanguage->setCurrentIndex(2);
    EXPECT_EQ(w->ComMod[6]->currentText(), QStringLiteral("積み重ね"));   // still item 5
    for (int i : {3, 12}) w->ChkVShow[i]->setChecked(true);

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
    w->TxtMsg[0]->setText(QStringLiteral("あ"));
    ASSERT_EQ(w->rowBytes()[0], 1);   // English has no double-byte code page
    QFile f(QStringLiteral(GLINTAG_BIN_DIR "/JpK12"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly) && f.size() == 577584);
    const QByteArray record = f.readAll().mid(24 * ((0x82 - 0x81) * 191 + (0xA0 - 0x40)), 24);   // 82 A0
    ASSERT_NE(record, QByteArray(24, '\0'));   // a blank glyph would prove nothing
    w->ComLanguage->setCurrentIndex(2);
    w->ChkRun[0]->click();   // any edit that renders
    ASSERT_EQ(w->rowBytes()[0], 2);
    QByteArray shown;   // 12 rows of two bytes, as the font file stores them
    for (int b = 0; b < 24; ++b) shown += char(w->dotBuffer().at(0, b / 2, b % 2));
    EXPECT_EQ(shown.toHex(' '), record.toHex(' '));
}
