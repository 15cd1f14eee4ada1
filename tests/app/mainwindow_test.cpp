#include "render/messagebuilder.h"
#include "windowfixture.h"

#include "app/stripwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <functional>

using namespace glintag;

using Form1Test = WindowTest;

TEST_F(Form1Test, StateAfterStartUpWithoutSettingsFile)
{
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Glintag Ver 6.00"));
    EXPECT_EQ(w->content->size(), QSize(1002, 851));
    EXPECT_EQ(w->size(), w->content->size().boundedTo(w->screen()->availableGeometry().size() - QSize(0, 40)));
    EXPECT_TRUE(w->settingsLoaded());
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(w->row(i).text->text(), QStringLiteral("MESSAGE%1").arg(i + 1));
        EXPECT_TRUE(w->row(i).select->isChecked()) << i;
        EXPECT_EQ(w->row(i).speed->currentText(), QStringLiteral("3"));
        EXPECT_EQ(w->row(i).mode->currentIndex(), 0);
        EXPECT_EQ(w->row(i).mode->count(), i == 0 ? 8 : 7);
        for (QCheckBox *box : {w->row(i).flash, w->row(i).border, w->row(i).image, w->row(i).vertical, w->row(i).alternate})
            EXPECT_FALSE(box->isChecked()) << i;
        EXPECT_TRUE(w->row(i).alternate->isEnabled()) << i;
        EXPECT_EQ(w->row(i).text->palette().color(QPalette::Text).rgb(), slotColour(i));
        // row geometry: twips / 15 inside the slot frame
        EXPECT_EQ(w->row(i).text->geometry(), QRect(56, 40 + 32 * i, 513, 22));
    }
    EXPECT_EQ(w->languageBox->currentText(), QStringLiteral("SimpChinese"));
    EXPECT_EQ(w->modelBox->currentText(), QStringLiteral("R1"));
    EXPECT_EQ(w->brightnessBox->currentText(), QStringLiteral("4"));
    EXPECT_EQ(w->slotFrame->geometry(), QRect(8, 32, 985, 555));
    EXPECT_EQ(w->memoryGauge->geometry(), QRect(192, 650, 772, 15));
    EXPECT_EQ(w->sendButton->geometry(), QRect(760, 600, 105, 25));
    EXPECT_EQ(w->renderRuns(), 0) << "nothing renders while the settings are applied";
}

TEST_F(Form1Test, FirstRenderingComesFromTheTimerOnce)
{
    auto w = makeWindow();
    ASSERT_TRUE(w->firstRenderTimer->isActive());
    EXPECT_EQ(w->firstRenderTimer->interval(), 100);
    waitForFirstRendering(*w);
    EXPECT_EQ(w->renderRuns(), 1);
    EXPECT_FALSE(w->firstRenderTimer->isActive());
    EXPECT_EQ(w->rowBytes()[0], 8) << "MESSAGE1 is eight single-byte characters";
}

TEST_F(Form1Test, TypingHelloGivesFiveBytesAndAnEightPixelRedBar)
{
    auto w = makeWindow();
    waitForFirstRendering(*w);
    for (int i = 1; i < kSlotCount; ++i)
        w->row(i).select->setChecked(false);
    w->row(0).text->clear();
    const int before = w->renderRuns();
    QTest::keyClicks(w->row(0).text, QStringLiteral("HELLO"));
    EXPECT_EQ(w->renderRuns(), before + 5) << "every keystroke renders";
    EXPECT_EQ(w->rowBytes()[0], 5);
    const QImage &gauge = w->memoryGauge->image();
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
        std::function<void(MainWindow &)> change;
        bool renders;
    } cases[] = {
        {"Select", [](MainWindow &f) { f.row(3).select->click(); }, true},
        {"Loop Lamp", [](MainWindow &f) { f.row(3).border->click(); }, true},
        {"Image", [](MainWindow &f) { f.row(3).image->click(); }, true},
        {"move mode", [](MainWindow &f) { f.row(3).mode->setCurrentIndex(4); }, true},
        {"model", [](MainWindow &f) { f.modelBox->setCurrentIndex(1); }, true},
        {"Flash", [](MainWindow &f) { f.row(3).flash->click(); }, false},
        {"speed", [](MainWindow &f) { f.row(3).speed->setCurrentIndex(6); }, false},
        {"vertical show", [](MainWindow &f) { f.row(3).vertical->click(); }, false},
        {"Alternate", [](MainWindow &f) { f.row(3).alternate->click(); }, false},
        {"brightness", [](MainWindow &f) { f.brightnessBox->setCurrentIndex(0); }, false},
        {"port", [](MainWindow &f) { f.portBox->setCurrentIndex(5); }, false},
        {"language", [](MainWindow &f) { f.languageBox->setCurrentIndex(4); }, false},
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
    auto click = [&](int i) { QTest::mouseClick(w->row(i).alternate, Qt::LeftButton, {}, QPoint(8, 8)); };
    for (int i : {3, 4, 5, 6})
        click(i);
    click(4);
    EXPECT_TRUE(w->row(3).alternate->isChecked());
    for (int i = 4; i < kSlotCount; ++i)
        EXPECT_FALSE(w->row(i).alternate->isChecked()) << i;
    EXPECT_TRUE(w->row(4).alternate->isEnabled());
    for (int i = 5; i < kSlotCount; ++i)
        EXPECT_FALSE(w->row(i).alternate->isEnabled()) << i;
    click(7);   // disabled: the click does nothing
    EXPECT_FALSE(w->row(7).alternate->isChecked());
    EXPECT_EQ(w->alternateGroup().first, 3);
    EXPECT_EQ(w->alternateGroup().count, 1);
}
