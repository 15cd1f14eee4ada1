// What the window keeps across a restart, and what it does with a kept
// picture it cannot read or did not write.
#include "support/windowfixture.h"

#include "files/picturefile.h"
#include "i18n/statustexts.h"

#include <QDir>

#include <sys/stat.h>

using namespace glintag;

using SettingsWindow = WindowTest;

TEST_F(SettingsWindow, EverythingTheUserSetComesBackAfterARestart)
{
    writeSettings("[Alternate]\nAlternateBeginMsg=9\nAlternateMsgNum=5\n");
    const QString pictures = file(QStringLiteral("pictures"));
    ASSERT_TRUE(QDir().mkpath(pictures));
    QImage strip(64, 12, QImage::Format_RGB32);
    strip.fill(Qt::black);
    for (int x = 0; x < 64; x += 3)
        strip.setPixel(x, x % 12, qRgb(255, 0, 0));
    ASSERT_TRUE(strip.save(pictures + QStringLiteral("/strip.bmp"), "BMP"));
    BadgeSetup expected = defaultBadgeSetup();
    expected.language = 2;
    expected.model = QStringLiteral("R2");
    expected.brightness = QStringLiteral("2");
    {
        auto w = renderedWindow();
        EXPECT_TRUE(w->slotRow(13).alternateBox()->isChecked());
        w->slotRow(10).alternateBox()->setChecked(false); // cuts the run down to slot index 9 alone
        for (int i = 0; i < kSlotCount; ++i) {
            SlotSetup &s = expected.slots[size_t(i)];
            s = w->slotRow(i).setup(); // the Alternate ticks as the rule left them
            s.text = QStringLiteral("slot %1 文字 ✓").arg(i);
            s.select = i % 2;
            s.speed = QString::number(i % 8 + 1);
            s.mode = i == 0 ? 7 : i % 7;
            s.flash = i % 3 == 0;
            s.border = i % 4 == 1;
            s.image = i % 5 == 4;
            s.vertical = i % 6 == 3;
            w->slotRow(i).setSetup(s);
        }
        dialogs->openNames.push_back(pictures + QStringLiteral("/strip.bmp"));
        w->slotRow(4).loadButton()->click();
        w->slotRow(4).panBar()->setValue(40);
        expected.slots[4].picture = w->slotRow(4).canvas()->canvas();
        w->parts().settingsRow.languageBox()->setCurrentIndex(2);
        w->parts().settingsRow.modelBox()->setCurrentIndex(1);
        w->parts().settingsRow.brightnessBox()->setEditText(QStringLiteral("2"));
        w->parts().settingsRow.portBox()->setEditText(QStringLiteral("COM21"));
        EXPECT_TRUE(w->parts().model.setup() == expected) << "every edit reached the model";
        ASSERT_TRUE(w->close());
    }
    auto w = makeWindow();
    EXPECT_TRUE(w->parts().model.setup() == expected);
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_TRUE(w->slotRow(i).setup() == expected.slots[size_t(i)]) << "row " << i << " shows its slot";
        EXPECT_EQ(w->slotRow(i).textBox()->isHidden(), i % 5 == 4) << "a restored Image tick shows the picture strip";
        EXPECT_EQ(w->slotRow(i).alternateBox()->isEnabled(), i <= 10) << i;
    }
    EXPECT_EQ(w->slotRow(0).modeBox()->itemText(7), QStringLiteral("アニメーション"))
        << "the stored language was applied";
    EXPECT_EQ(w->parts().settingsRow.portBox()->currentText(), QStringLiteral("COM21"));
    EXPECT_EQ(w->slotRow(4).panBar()->value(), 40);
    EXPECT_EQ(w->slotRow(4).canvas()->x(), -40);
    EXPECT_TRUE(statusLine(*w).isEmpty());
    dialogs->openNames.push_back(QString());
    w->slotRow(4).loadButton()->click();
    EXPECT_EQ(dialogs->folders.last(), pictures) << "the dialog opens where the last picture came from";
}

// The file's reading and its being left alone are the settings' own tests;
// here the window says at its close what it could not keep, and still closes.
TEST_F(SettingsWindow, NoRegularFileAtThePathIsSaidAtTheCloseAndLeftAlone)
{
    const QByteArray path = QFile::encodeName(file(QStringLiteral("Nvq.ini")));
    ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
    struct stat before, after;
    ASSERT_EQ(::stat(path.constData(), &before), 0);
    auto w = makeWindow();
    EXPECT_TRUE(w->close()); // after OK, the window still closes
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].title + ": " + dialogs->shown[0].text, QStringLiteral("Error: Save settings fail!"));
    EXPECT_TRUE(dialogs->shown[0].detail.startsWith(file(QStringLiteral("Nvq.ini"))
                                                    + QStringLiteral(": The name belongs to a ")))
        << dialogs->shown[0].detail.toStdString();
    ASSERT_EQ(::stat(path.constData(), &after), 0);
    EXPECT_TRUE(before.st_ino == after.st_ino && before.st_mode == after.st_mode);
}

TEST_F(SettingsWindow, KeptPicturesTheWindowCannotReadOrDidNotWriteSurviveAStartAndAClose)
{
    // An older version's names: slot 3 a link to the user's own 640 x 48
    // logo, slot 2 damaged, slot 5 a device. (What the close writes beside
    // such names is the kept settings' own test.)
    QImage logo(640, 48, QImage::Format_RGB32);
    logo.fill(Qt::black);
    for (int y = 0; y < 48; ++y)
        logo.setPixel(y * 7, y, qRgb(255, 255, 255));
    ASSERT_TRUE(logo.save(file(QStringLiteral("logo.bmp")), "BMP"));
    const QByteArray logoBytes = readFile(file(QStringLiteral("logo.bmp")));
    ASSERT_EQ(::symlink("logo.bmp", QFile::encodeName(file(QStringLiteral("Nvq-slot3.bmp"))).constData()), 0);
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(file(QStringLiteral("Nvq-slot5.bmp"))).constData()), 0);
    const QByteArray damaged = QByteArray("BM") + QByteArray(60, '\x7f');
    ASSERT_TRUE(writeFile(file(QStringLiteral("Nvq-slot2.bmp")), damaged));
    writeSettings("[Message2]\nImage=1\n[Language]\nLanguage=4\n[Glintag]\nPicture2=Nvq-slot2.bmp\nPan2=90\n"
                  "Picture3=Nvq-slot3.bmp\nPicture5=Nvq-slot5.bmp\n");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round); // the second start finds what the first close kept
        auto w = makeWindow();
        EXPECT_TRUE(dialogs->shown.empty()) << "no message box at start-up";
        // The damaged picture starts blank, from its start, with a word in the
        // status line that follows the language box.
        EXPECT_TRUE(w->slotRow(1).canvas()->canvas() == makeBlankCanvas());
        EXPECT_EQ(w->slotRow(1).panBar()->value(), -3);
        EXPECT_TRUE(w->parts().statusRow.statusLine()->toolTip().contains(QStringLiteral("Nvq-slot2.bmp:")));
        const int language = round == 0 ? UiEnglish : UiKorean;
        EXPECT_EQ(w->parts().settingsRow.languageBox()->currentIndex(), language);
        w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean);
        for (int slot : {2, 5}) {
            const QString name = QStringLiteral("Nvq-slot%1.bmp").arg(slot);
            EXPECT_TRUE(statusLine(*w).contains(statusTexts(UiKorean).pictureMissing.arg(slot).arg(name)))
                << statusLine(*w).toStdString();
        }
        EXPECT_EQ(w->slotRow(2).canvas()->canvas().pixel(14, 2), qRgb(255, 255, 255));
        ASSERT_TRUE(w->close());
        EXPECT_TRUE(dialogs->shown.empty());
    }
    EXPECT_EQ(readFile(file(QStringLiteral("logo.bmp"))), logoBytes);
    EXPECT_EQ(readFile(file(QStringLiteral("Nvq-slot2.bmp"))), damaged);
}
