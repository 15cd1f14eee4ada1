#include "support/windowfixture.h"
#include "gui/previewpanel.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>

using namespace glintag;

static int px(int twips) { return twips / 15; }

using LanguageTest = WindowTest;

TEST_F(LanguageTest, WindowShowsTheRecordOfTheChosenLanguage)
{
    auto w = renderedWindow();
    const int runs = w->renderRuns();
    for (const int index : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(index);
        w->languageBox->setCurrentIndex(index == 2 ? 4 : 2);   // a real change every time
        w->languageBox->setCurrentIndex(index);
        const LanguageRecord &rec = languageRecord(index);
        const ColumnLayout &cols = columnLayoutFor(index);
        // A few literals, so a slip in the records cannot hide behind the comparison with them.
        const std::pair<QObject *, QString> captions[] = {
            {w->title, index < 0 ? QStringLiteral("     Glintag    ") : rec.title},
            {w->borderHeader, index == 3 ? QStringLiteral(" 장식테두리") : rec.borderHeader}, {w->selectHeader, rec.selectHeader},
            {w->textHeader, rec.textHeader}, {w->imageHeader, rec.imageHeader}, {w->speedHeader, rec.speedHeader}, {w->modeHeader, rec.modeHeader},
            {w->flashHeader, rec.flashHeader}, {w->portLabel, rec.portLabel}, {w->alternateHeader, rec.alternateHeader},
            {w->languageLabel, rec.languageLabel}, {w->brightnessLabel, rec.brightnessLabel}, {w->modelLabel, rec.modelLabel},
            {w->gaugeCaption, rec.gaugeCaption}, {w->sendButton, rec.sendButton}, {w->exitButton, rec.exitButton}};
        for (const auto &[control, caption] : captions)
            EXPECT_EQ(control->property("text").toString(), caption);
        EXPECT_EQ(w->verticalHeader->isHidden() ? QString() : w->verticalHeader->text(), rec.verticalHeader);   // English keeps it hidden
        EXPECT_EQ(w->font().families(), captionFamilies(rec.charset, installedFaces(rec.charset)));
        const SettingsRowLefts &s = rec.settingsRow;
        std::vector<std::pair<QWidget *, int>> lefts = {
            {w->languageLabel, 16}, {w->languageBox, s.languageBox}, {w->brightnessLabel, s.brightnessLabel}, {w->brightnessBox, s.brightnessBox},
            {w->modelLabel, s.modelLabel}, {w->modelBox, s.modelBox}, {w->portLabel, s.portLabel}, {w->portBox, s.portBox},
            {w->imageHeader, px(cols.imageHeader)}, {w->speedHeader, px(cols.speedHeader)}, {w->modeHeader, px(cols.modeHeader)},
            {w->flashHeader, px(cols.flashHeader)}, {w->borderHeader, px(cols.borderHeader)}, {w->alternateHeader, px(cols.alternateHeader)}};
        for (int i = 0; i < kSlotCount; ++i) {
            lefts.insert(lefts.end(), {{w->row(i).image, px(cols.imageBox)}, {w->row(i).speed, px(cols.speedBox)},
                                       {w->row(i).mode, px(cols.modeBox)}, {w->row(i).flash, px(cols.flashBox)},
                                       {w->row(i).border, px(cols.borderBox)}, {w->row(i).alternate, px(cols.alternateBox)}});
            EXPECT_EQ(w->row(i).vertical->isHidden(), index < 0 || index == 4) << i;
            EXPECT_EQ(w->row(i).load->text() + '|' + w->row(i).save->text(), rec.loadButton + '|' + rec.saveButton) << i;
            for (int k = 0; k < w->row(i).mode->count(); ++k)
                EXPECT_EQ(w->row(i).mode->itemText(k), rec.moveModes[k]) << i << " item " << k;
        }
        for (const auto &[control, left] : lefts)
            EXPECT_EQ(control->x(), left) << control->metaObject()->className() << " at " << left;
        // The title keeps its place and face and is tall enough for its
        // descenders and underline.
        const QFontMetrics title(w->title->font());
        EXPECT_EQ(w->title->pos(), QPoint(8, 0));
        EXPECT_TRUE(w->title->font().bold() && w->title->font().italic() && w->title->font().underline());
        EXPECT_GE(w->title->height(), title.ascent() + std::max(title.descent(), title.underlinePos() + title.lineWidth()));
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
        w->languageBox->setCurrentIndex(index);
        for (QWidget *control : std::initializer_list<QWidget *>{w->title, w->borderHeader, w->gaugeCaption, w->sendButton,
                                                                 w->row(0).load, w->row(0).mode}) {
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
    w->row(0).text->setText(QStringLiteral("あ"));
    ASSERT_EQ(w->rowBytes()[0], 1);   // English has no double-byte code page
    w->row(6).mode->setCurrentIndex(5);   // "Pile Up"
    // The preview's strip is as long as the slot it shows: content, not layout.
    auto layout = [&] { QList<QRect> r; for (QWidget *c : w->findChildren<QWidget *>()) if (!w->preview->isAncestorOf(c)) r << c->geometry(); return r; };
    const QList<QRect> english = layout();

    w->languageBox->setCurrentIndex(2);
    EXPECT_EQ(w->row(6).mode->currentText(), QStringLiteral("積み重ね"));   // still item 5
    const QByteArray font = readFile(QStringLiteral(GLINTAG_BIN_DIR "/JpK12"));
    ASSERT_EQ(font.size(), 577584);
    const QByteArray record = font.mid(24 * ((0x82 - 0x81) * 191 + (0xA0 - 0x40)), 24);   // 82 A0
    ASSERT_NE(record, QByteArray(24, '\0'));   // a blank glyph would prove nothing
    w->row(0).border->click();   // any edit that renders
    ASSERT_EQ(w->rowBytes()[0], 2);
    QByteArray shown;   // 12 rows of two bytes, as the font file stores them
    for (int b = 0; b < 24; ++b) shown += char(w->dotBuffer().at(0, b / 2, b % 2));
    EXPECT_EQ(shown.toHex(' '), record.toHex(' '));
    for (int i : {3, 12}) w->row(i).vertical->setChecked(true);

    w->languageBox->setCurrentIndex(4);
    EXPECT_EQ(layout(), english);
    EXPECT_EQ(w->alternateHeader->geometry(), QRect(912, 16, 65, 17));
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(w->row(i).vertical->isChecked(), i == 3 || i == 12) << i;
}
