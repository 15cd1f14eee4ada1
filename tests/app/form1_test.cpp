#include "render/messagebuilder.h"
#include "windowfixture.h"

#include "app/stripwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace glintag;

using Form1Test = WindowTest;

TEST_F(Form1Test, StateAfterStartUpWithoutSettingsFile)
{
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Glintag Ver 6.00"));
    EXPECT_EQ(w->size(), QSize(1002, 677));
    EXPECT_TRUE(w->SettingsLoaded);
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(w->TxtMsg[i]->text(), QStringLiteral("MESSAGE%1").arg(i + 1));
        EXPECT_TRUE(w->ChkSel[i]->isChecked()) << i;
        EXPECT_EQ(w->ComSpd[i]->currentText(), QStringLiteral("3"));
        EXPECT_EQ(w->ComMod[i]->currentIndex(), 0);
        EXPECT_EQ(w->ComMod[i]->count(), i == 0 ? 8 : 7);
        for (QCheckBox *box : {w->ChkFls[i], w->ChkRun[i], w->ChkImg[i], w->ChkVShow[i], w->ChkAlt[i]})
            EXPECT_FALSE(box->isChecked()) << i;
        EXPECT_TRUE(w->ChkAlt[i]->isEnabled()) << i;
        EXPECT_EQ(w->TxtMsg[i]->palette().color(QPalette::Text).rgb(), slotColour(i));
        // row geometry: twips / 15 inside the slot frame
        EXPECT_EQ(w->TxtMsg[i]->geometry(), QRect(56, 40 + 32 * i, 513, 22));
    }
    EXPECT_EQ(w->ComLanguage->currentText(), QStringLiteral("SimpChinese"));
    EXPECT_EQ(w->ComType->currentText(), QStringLiteral("R1"));
    EXPECT_EQ(w->ComBright->currentText(), QStringLiteral("4"));
    EXPECT_EQ(w->Frame9->geometry(), QRect(8, 32, 985, 555));
    EXPECT_EQ(w->Picture2->geometry(), QRect(192, 650, 772, 15));
    EXPECT_EQ(w->CmdSend->geometry(), QRect(760, 600, 105, 25));
    EXPECT_EQ(w->renderRuns(), 0) << "nothing renders while the settings are applied";
}

TEST_F(Form1Test, FirstRenderingComesFromTheTimerOnce)
{
    auto w = makeWindow();
    ASSERT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->Timer1->interval(), 100);
    waitForFirstRendering(*w);
    EXPECT_EQ(w->renderRuns(), 1);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(w->rowBytes()[0], 8) << "MESSAGE1 is eight single-byte characters";
}

TEST_F(Form1Test, TypingHelloGivesFiveBytesAndAnEightPixelRedBar)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 1; i < kSlotCount; ++i)
        w->ChkSel[i]->setChecked(false);
    w->TxtMsg[0]->clear();
    const int before = w->renderRuns();
    QTest::keyClicks(w->TxtMsg[0], QStringLiteral("HELLO"));
    EXPECT_EQ(w->renderRuns(), before + 5) << "every keystroke renders";
    EXPECT_EQ(w->rowBytes()[0], 5);
    const QImage &gauge = w->Picture2->image();
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(gauge.pixel(x, 5), qRgb(255, 0, 0)) << x;
    EXPECT_EQ(gauge.pixel(8, 5), qRgb(0, 0, 0));
    EXPECT_EQ(gauge.pixel(767, 0), qRgb(0, 0, 0));
}

TEST_F(Form1Test, WhichChangesRender)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    struct Case {
        const char *what;
        std::function<void(Form1 &)> change;
        bool renders;
    } cases[] = {
        {"Select", [](Form1 &f) { f.ChkSel[3]->click(); }, true},
        {"Loop Lamp", [](Form1 &f) { f.ChkRun[3]->click(); }, true},
        {"Image", [](Form1 &f) { f.ChkImg[3]->click(); }, true},
        {"move mode", [](Form1 &f) { f.ComMod[3]->setCurrentIndex(4); }, true},
        {"model", [](Form1 &f) { f.ComType->setCurrentIndex(1); }, true},
        {"Flash", [](Form1 &f) { f.ChkFls[3]->click(); }, false},
        {"speed", [](Form1 &f) { f.ComSpd[3]->setCurrentIndex(6); }, false},
        {"vertical show", [](Form1 &f) { f.ChkVShow[3]->click(); }, false},
        {"Alternate", [](Form1 &f) { f.ChkAlt[3]->click(); }, false},
        {"brightness", [](Form1 &f) { f.ComBright->setCurrentIndex(0); }, false},
        {"port", [](Form1 &f) { f.ComSele->setCurrentIndex(5); }, false},
        {"language", [](Form1 &f) { f.ComLanguage->setCurrentIndex(4); }, false},
    };
    for (const Case &c : cases) {
        const int before = w->renderRuns();
        c.change(*w);
        EXPECT_EQ(w->renderRuns() - before, c.renders ? 1 : 0) << c.what;
    }
}

TEST_F(Form1Test, AlternateBoxesThroughRealClicks)
{
    auto w = makeWindow();
    w->show();
    waitForFirstRendering(*w);
    auto click = [&](int i) { QTest::mouseClick(w->ChkAlt[i], Qt::LeftButton, {}, QPoint(8, 8)); };
    for (int i : {3, 4, 5, 6})
        click(i);
    click(4);
    EXPECT_TRUE(w->ChkAlt[3]->isChecked());
    for (int i = 4; i < kSlotCount; ++i)
        EXPECT_FALSE(w->ChkAlt[i]->isChecked()) << i;
    EXPECT_TRUE(w->ChkAlt[4]->isEnabled());
    for (int i = 5; i < kSlotCount; ++i)
        EXPECT_FALSE(w->ChkAlt[i]->isEnabled()) << i;
    click(7);   // disabled: the click does nothing
    EXPECT_FALSE(w->ChkAlt[7]->isChecked());
    w->FindAlternateGroup();
    EXPECT_EQ(w->alternateGroup.beginMsg, 3);
    EXPECT_EQ(w->alternateGroup.msgNum, 1);
}
