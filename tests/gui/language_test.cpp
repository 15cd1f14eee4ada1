#include "gui/previewpanel.h"
#include "support/windowfixture.h"

#include "i18n/languages.h"

using namespace glintag;

using LanguageTest = WindowTest;

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
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(w->slotRow(i).verticalBox()->isChecked(), i == 3 || i == 12) << i;
}
