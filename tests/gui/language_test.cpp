#include "gui/previewpanel.h"
#include "support/windowfixture.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>

using namespace glintag;

static int px(int twips)
{
    return twips / 15;
}

using LanguageTest = WindowTest;

TEST_F(LanguageTest, WindowShowsTheRecordOfTheChosenLanguage)
{
    auto w = renderedWindow();
    const int runs = w->renderRuns();
    for (const int index : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(index);
        w->settingsRow().languageBox()->setCurrentIndex(index == 2 ? 4 : 2); // a real change every time
        w->settingsRow().languageBox()->setCurrentIndex(index);
        const LanguageRecord &rec = languageRecord(index);
        const ColumnLayout &cols = columnLayoutFor(index);
        // A few literals, so a slip in the records cannot hide behind the comparison with them.
        const std::pair<QObject *, QString> captions[]
            = {{w->title(), index < 0 ? QStringLiteral("     Glintag    ") : rec.title},
               {w->slotTable().borderHeader(), index == 3 ? QStringLiteral(" 장식테두리") : rec.borderHeader},
               {w->slotTable().selectHeader(), rec.selectHeader},
               {w->slotTable().textHeader(), rec.textHeader},
               {w->slotTable().imageHeader(), rec.imageHeader},
               {w->slotTable().speedHeader(), rec.speedHeader},
               {w->slotTable().modeHeader(), rec.modeHeader},
               {w->slotTable().flashHeader(), rec.flashHeader},
               {w->settingsRow().portLabel(), rec.portLabel},
               {w->slotTable().alternateHeader(), rec.alternateHeader},
               {w->settingsRow().languageLabel(), rec.languageLabel},
               {w->settingsRow().brightnessLabel(), rec.brightnessLabel},
               {w->settingsRow().modelLabel(), rec.modelLabel},
               {w->gaugeCaption(), rec.gaugeCaption},
               {w->sendButton(), rec.sendButton},
               {w->exitButton(), rec.exitButton}};
        for (const auto &[control, caption] : captions)
            EXPECT_EQ(control->property("text").toString(), caption);
        EXPECT_EQ(w->slotTable().verticalHeader()->isHidden() ? QString() : w->slotTable().verticalHeader()->text(),
                  rec.verticalHeader); // English keeps it hidden
        EXPECT_EQ(w->font().families(), captionFamilies(rec.charset, installedFaces(rec.charset)));
        const SettingsRowLefts &s = rec.settingsRow;
        std::vector<std::pair<QWidget *, int>> lefts = {{w->settingsRow().languageLabel(), 16},
                                                        {w->settingsRow().languageBox(), s.languageBox},
                                                        {w->settingsRow().brightnessLabel(), s.brightnessLabel},
                                                        {w->settingsRow().brightnessBox(), s.brightnessBox},
                                                        {w->settingsRow().modelLabel(), s.modelLabel},
                                                        {w->settingsRow().modelBox(), s.modelBox},
                                                        {w->settingsRow().portLabel(), s.portLabel},
                                                        {w->settingsRow().portBox(), s.portBox},
                                                        {w->slotTable().imageHeader(), px(cols.imageHeader)},
                                                        {w->slotTable().speedHeader(), px(cols.speedHeader)},
                                                        {w->slotTable().modeHeader(), px(cols.modeHeader)},
                                                        {w->slotTable().flashHeader(), px(cols.flashHeader)},
                                                        {w->slotTable().borderHeader(), px(cols.borderHeader)},
                                                        {w->slotTable().alternateHeader(), px(cols.alternateHeader)}};
        for (int i = 0; i < kSlotCount; ++i) {
            lefts.insert(lefts.end(),
                         {{w->slotRow(i).imageBox(), px(cols.imageBox)},
                          {w->slotRow(i).speedBox(), px(cols.speedBox)},
                          {w->slotRow(i).modeBox(), px(cols.modeBox)},
                          {w->slotRow(i).flashBox(), px(cols.flashBox)},
                          {w->slotRow(i).borderBox(), px(cols.borderBox)},
                          {w->slotRow(i).alternateBox(), px(cols.alternateBox)}});
            EXPECT_EQ(w->slotRow(i).verticalBox()->isHidden(), index < 0 || index == 4) << i;
            EXPECT_EQ(w->slotRow(i).loadButton()->text() + '|' + w->slotRow(i).saveButton()->text(),
                      rec.loadButton + '|' + rec.saveButton)
                << i;
            for (int k = 0; k < w->slotRow(i).modeBox()->count(); ++k)
                EXPECT_EQ(w->slotRow(i).modeBox()->itemText(k), rec.moveModes[k]) << i << " item " << k;
        }
        for (const auto &[control, left] : lefts)
            EXPECT_EQ(control->x(), left) << control->metaObject()->className() << " at " << left;
        // The title keeps its place and face and is tall enough for its
        // descenders and underline.
        const QFontMetrics title(w->title()->font());
        EXPECT_EQ(w->title()->pos(), QPoint(8, 0));
        EXPECT_TRUE(w->title()->font().bold() && w->title()->font().italic() && w->title()->font().underline());
        EXPECT_GE(w->title()->height(),
                  title.ascent() + std::max(title.descent(), title.underlinePos() + title.lineWidth()));
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
        w->settingsRow().languageBox()->setCurrentIndex(index);
        for (QWidget *control :
             std::initializer_list<QWidget *>{w->title(), w->slotTable().borderHeader(), w->gaugeCaption(),
                                              w->sendButton(), w->slotRow(0).loadButton(), w->slotRow(0).modeBox()}) {
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

// English, Japanese and back: the next rendering takes the double-byte
// character from the new language's font file at the code its code page
// gives (read straight from the generated file), and the layout and the
// ticks come back.
TEST_F(LanguageTest, EnglishJapaneseEnglishRendersWithTheNewFontAndRestoresLayoutAndTicks)
{
    writeSettings("[Language]\nLanguage=4\n");
    auto w = renderedWindow();
    w->slotRow(0).textBox()->setText(QStringLiteral("あ"));
    ASSERT_EQ(w->rowBytes()[0], 1);              // English has no double-byte code page
    w->slotRow(6).modeBox()->setCurrentIndex(5); // "Pile Up"
    // The preview's strip is as long as the slot it shows: content, not layout.
    auto layout = [&] {
        QList<QRect> r;
        for (QWidget *c : w->findChildren<QWidget *>())
            if (!w->preview()->isAncestorOf(c))
                r << c->geometry();
        return r;
    };
    const QList<QRect> english = layout();

    w->settingsRow().languageBox()->setCurrentIndex(2);
    EXPECT_EQ(w->slotRow(6).modeBox()->currentText(), QStringLiteral("積み重ね")); // still item 5
    const QByteArray font = readFile(QStringLiteral(GLINTAG_BIN_DIR "/JpK12"));
    ASSERT_EQ(font.size(), 577584);
    const QByteArray record = font.mid(24 * ((0x82 - 0x81) * 191 + (0xA0 - 0x40)), 24); // 82 A0
    ASSERT_NE(record, QByteArray(24, '\0')); // a blank glyph would prove nothing
    w->slotRow(0).borderBox()->click();      // any edit that renders
    ASSERT_EQ(w->rowBytes()[0], 2);
    QByteArray shown; // 12 rows of two bytes, as the font file stores them
    for (int b = 0; b < 24; ++b)
        shown += char(w->dotBuffer().at(0, b / 2, b % 2));
    EXPECT_EQ(shown.toHex(' '), record.toHex(' '));
    for (int i : {3, 12})
        w->slotRow(i).verticalBox()->setChecked(true);

    w->settingsRow().languageBox()->setCurrentIndex(4);
    EXPECT_EQ(layout(), english);
    EXPECT_EQ(w->slotTable().alternateHeader()->geometry(), QRect(912, 16, 65, 17));
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(w->slotRow(i).verticalBox()->isChecked(), i == 3 || i == 12) << i;
}
