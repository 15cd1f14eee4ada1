#include "gui/previewpanel.h"
#include "support/windowfixture.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeySequence>
#include <QRegularExpression>

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
    const int runs = w->parts().renderer.runs();
    for (const int index : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(index);
        w->parts().settingsRow.languageBox()->setCurrentIndex(index == 2 ? 4 : 2); // a real change every time
        w->parts().settingsRow.languageBox()->setCurrentIndex(index);
        const LanguageRecord &rec = languageRecord(index);
        // A few literals, so a slip in the records cannot hide behind the comparison with them.
        const std::pair<QObject *, QString> captions[]
            = {{w->parts().title, index < 0 ? QStringLiteral("     Glintag    ") : rec.title},
               {w->parts().slotTable.borderHeader(), index == 3 ? QStringLiteral(" 장식테두리") : rec.borderHeader},
               {w->parts().slotTable.selectHeader(), rec.selectHeader},
               {w->parts().slotTable.textHeader(), rec.textHeader},
               {w->parts().slotTable.imageHeader(), rec.imageHeader},
               {w->parts().slotTable.speedHeader(), rec.speedHeader},
               {w->parts().slotTable.modeHeader(), rec.modeHeader},
               {w->parts().slotTable.flashHeader(), rec.flashHeader},
               {w->parts().settingsRow.portLabel(), rec.portLabel},
               {w->parts().slotTable.alternateHeader(), rec.alternateHeader},
               {w->parts().settingsRow.languageLabel(), rec.languageLabel},
               {w->parts().settingsRow.brightnessLabel(), rec.brightnessLabel},
               {w->parts().settingsRow.modelLabel(), rec.modelLabel},
               {w->parts().gaugeCaption, rec.gaugeCaption},
               {w->parts().sendButton, rec.sendButton},
               {w->parts().exitButton, rec.exitButton}};
        // Buttons and the settings labels carry an Alt mnemonic: a marked
        // letter of their own, or "(&K)" added where they have none.
        for (const auto &[control, caption] : captions) {
            QString text = control->property("text").toString();
            const bool marked = qobject_cast<QPushButton *>(control) || text.contains(QLatin1Char('&'));
            EXPECT_EQ(!QKeySequence::mnemonic(text).isEmpty(), marked) << text.toStdString();
            text.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)"))).remove(QLatin1Char('&'));
            EXPECT_EQ(text, caption);
        }
        // The settings labels have no room for "(&K)": only the Latin captions are marked.
        const SettingsRow &labels = w->parts().settingsRow;
        for (QLabel *l : {labels.languageLabel(), labels.brightnessLabel(), labels.modelLabel(), labels.portLabel()}) {
            EXPECT_EQ(QKeySequence::mnemonic(l->text()).isEmpty(), index >= 0 && index < UiEnglish)
                << l->text().toStdString();
            EXPECT_TRUE(l->buddy());
        }
        EXPECT_EQ(w->parts().slotTable.verticalHeader()->isHidden() ? QString()
                                                                    : w->parts().slotTable.verticalHeader()->text(),
                  rec.verticalHeader); // English keeps it hidden
        EXPECT_EQ(w->font().families(), captionFamilies(rec.charset, installedFaces(rec.charset)));
        // The settings row reads left to right, no box running into the next
        // label, and every column's controls stand under their header.
        const SettingsRow &r = w->parts().settingsRow;
        const QWidget *row[]
            = {r.languageLabel(), r.languageBox(), r.brightnessLabel(), r.brightnessBox(),     r.modelLabel(),
               r.modelBox(),      r.portLabel(),   r.portBox(),         w->parts().progressBar};
        for (size_t k = 1; k < std::size(row); ++k)
            EXPECT_LT(row[k - 1]->x(), row[k]->x()) << k;
        for (size_t k = 1; k + 1 < std::size(row); k += 2)
            EXPECT_LE(row[k]->geometry().right(), row[k + 1]->x()) << "box " << k;
        const SlotTable &t = w->parts().slotTable;
        for (int i = 0; i < kSlotCount; ++i) {
            const std::pair<QWidget *, QWidget *> columns[]
                = {{t.imageHeader(), w->slotRow(i).imageBox()},   {t.speedHeader(), w->slotRow(i).speedBox()},
                   {t.modeHeader(), w->slotRow(i).modeBox()},     {t.flashHeader(), w->slotRow(i).flashBox()},
                   {t.borderHeader(), w->slotRow(i).borderBox()}, {t.alternateHeader(), w->slotRow(i).alternateBox()}};
            for (const auto &[header, control] : columns)
                EXPECT_TRUE(header->x() <= control->x() && control->x() < header->x() + px(600))
                    << i << " " << header->property("text").toString().toStdString();
            EXPECT_EQ(w->slotRow(i).verticalBox()->isHidden(), index < 0 || index == 4) << i;
            QString buttons = w->slotRow(i).loadButton()->text() + '|' + w->slotRow(i).saveButton()->text();
            buttons.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)"))).remove(QLatin1Char('&'));
            EXPECT_EQ(buttons, rec.loadButton + '|' + rec.saveButton) << i;
            for (int k = 0; k < w->slotRow(i).modeBox()->count(); ++k)
                EXPECT_EQ(w->slotRow(i).modeBox()->itemText(k), rec.moveModes[k]) << i << " item " << k;
        }
        // The title keeps its place and face and is tall enough for its
        // descenders and underline.
        const QFontMetrics title(w->parts().title->font());
        EXPECT_EQ(w->parts().title->pos(), QPoint(8, 0));
        EXPECT_TRUE(w->parts().title->font().bold() && w->parts().title->font().italic()
                    && w->parts().title->font().underline());
        EXPECT_GE(w->parts().title->height(),
                  title.ascent() + std::max(title.descent(), title.underlinePos() + title.lineWidth()));
    }
    EXPECT_EQ(w->parts().renderer.runs(), runs);
}

// Boxes instead of letters: every caption character must be drawn by an
// installed face from the window's family list (the test machine has one
// East Asian outline face, as the package's dependency guarantees).
TEST_F(LanguageTest, EveryCaptionCharacterHasAnInstalledFace)
{
    auto w = makeWindow();
    for (int index = 0; index < kUiLanguageCount; ++index) {
        w->parts().settingsRow.languageBox()->setCurrentIndex(index);
        for (QWidget *control : std::initializer_list<QWidget *>{w->parts().title, w->parts().slotTable.borderHeader(),
                                                                 w->parts().gaugeCaption, w->parts().sendButton,
                                                                 w->slotRow(0).loadButton(), w->slotRow(0).modeBox()}) {
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
    ASSERT_EQ(w->parts().renderer.rendering().rendered[0], 1); // English has no double-byte code page
    w->slotRow(6).modeBox()->setCurrentIndex(5);               // "Pile Up"
    // The preview's strip is as long as the slot it shows: content, not layout.
    auto layout = [&] {
        QList<QRect> r;
        for (QWidget *c : w->findChildren<QWidget *>())
            if (!w->parts().preview->isAncestorOf(c))
                r << c->geometry();
        return r;
    };
    const QList<QRect> english = layout();

    w->parts().settingsRow.languageBox()->setCurrentIndex(2);
    EXPECT_EQ(w->slotRow(6).modeBox()->currentText(), QStringLiteral("積み重ね")); // still item 5
    const QByteArray font = readFile(QStringLiteral(GLINTAG_BIN_DIR "/JpK12"));
    ASSERT_EQ(font.size(), 577584);
    const QByteArray record = font.mid(24 * ((0x82 - 0x81) * 191 + (0xA0 - 0x40)), 24); // 82 A0
    ASSERT_NE(record, QByteArray(24, '\0')); // a blank glyph would prove nothing
    w->slotRow(0).borderBox()->click();      // any edit that renders
    ASSERT_EQ(w->parts().renderer.rendering().rendered[0], 2);
    QByteArray shown; // 12 rows of two bytes, as the font file stores them
    for (int b = 0; b < 24; ++b)
        shown += char(w->parts().renderer.rendering().dots.at(0, b / 2, b % 2));
    EXPECT_EQ(shown.toHex(' '), record.toHex(' '));
    for (int i : {3, 12})
        w->slotRow(i).verticalBox()->setChecked(true);

    w->parts().settingsRow.languageBox()->setCurrentIndex(4);
    EXPECT_EQ(layout(), english);
    EXPECT_TRUE(w->parts().slotTable.rect().contains(w->parts().slotTable.alternateHeader()->geometry()))
        << "the last header stays inside the frame";
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(w->slotRow(i).verticalBox()->isChecked(), i == 3 || i == 12) << i;
}
