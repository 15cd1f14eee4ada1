// The window at start-up, what renders when, the slot rows' layout, the
// alternate boxes under real clicks, the Tab order and the tooltips.
#include "support/windowfixture.h"

#include "gui/previewpanel.h"
#include "gui/statusrow.h"

#include "i18n/statustexts.h"
#include "render/messagebuilder.h"

#include <QApplication>
#include <QKeySequence>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QWheelEvent>

#include <functional>

using namespace glintag;

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, StartUpWithoutSettingsFileThenOneRenderingThenTheChangesThatRender)
{
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Glintag Ver 6.00"));
    EXPECT_EQ(w->parts().content->size(), QSize(1002, 700));
    // Room for the preview beside the controls, as far as the screen allows.
    EXPECT_EQ(w->size(), QSize(1602, 820).boundedTo(w->screen()->availableGeometry().size() - QSize(0, 36)));
    EXPECT_TRUE(w->settingsLoaded());
    for (int i = 0; i < kSlotCount; ++i) {
        // The defaults were applied (each value of each field is checked by the
        // settings tests, and its way into the row by the restart test).
        EXPECT_EQ(w->slotRow(i).textBox()->text(), QStringLiteral("MESSAGE%1").arg(i + 1));
        EXPECT_TRUE(w->slotRow(i).selectBox()->isChecked()) << i;
        EXPECT_EQ(w->slotRow(i).modeBox()->count(), i == 0 ? 8 : 7);
        EXPECT_TRUE(w->slotRow(i).alternateBox()->isEnabled()) << i;
        EXPECT_EQ(w->slotRow(i).textBox()->palette().color(QPalette::Text).rgb(), slotColour(i));
    }
    EXPECT_EQ(w->parts().settingsRow.languageBox()->currentText(), QStringLiteral("SimpChinese"));
    EXPECT_EQ(w->parts().settingsRow.modelBox()->currentText(), QStringLiteral("R1"));
    EXPECT_EQ(w->parts().settingsRow.brightnessBox()->currentText(), QStringLiteral("4"));
    // The slot table sits under the title and above the settings row, whose
    // buttons stand in order on one line.
    EXPECT_TRUE(w->parts().content->rect().contains(w->parts().slotTable.geometry()));
    for (QWidget *c : std::initializer_list<QWidget *>{w->parts().progressBar, w->parts().sendButton,
                                                       w->parts().exitButton, w->parts().settingsRow.portBox()})
        EXPECT_GT(c->y(), w->parts().slotTable.geometry().bottom()) << c->metaObject()->className();
    EXPECT_LE(w->parts().progressBar->geometry().right(), w->parts().sendButton->x());
    EXPECT_LE(w->parts().sendButton->geometry().right(), w->parts().exitButton->x());
    EXPECT_EQ(w->parts().sendButton->y(), w->parts().exitButton->y());
    EXPECT_EQ(w->parts().renderer.runs(), 0) << "nothing renders while the settings are applied";

    // The first rendering comes from the timer, once.
    ASSERT_TRUE(w->parts().renderer.firstRenderTimer()->isActive());
    EXPECT_EQ(w->parts().renderer.firstRenderTimer()->interval(), 100);
    waitForFirstRendering(*w);
    EXPECT_EQ(w->parts().renderer.runs(), 1);
    EXPECT_FALSE(w->parts().renderer.firstRenderTimer()->isActive());
    EXPECT_EQ(w->parts().renderer.rendering().rendered[0], 8) << "MESSAGE1 is eight single-byte characters";

    // Typing HELLO: five renderings, five bytes and an eight-pixel red bar.
    selectOnly(*w, {0});
    w->slotRow(0).textBox()->clear();
    const int before = w->parts().renderer.runs();
    QTest::keyClicks(w->slotRow(0).textBox(), QStringLiteral("HELLO"));
    EXPECT_EQ(w->parts().renderer.runs(), before + 5) << "every keystroke renders";
    EXPECT_EQ(w->parts().renderer.rendering().rendered[0], 5);
    const QImage &gauge = w->parts().memoryGauge->image();
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(gauge.pixel(x, 5), qRgb(255, 0, 0)) << x;
    EXPECT_EQ(gauge.pixel(8, 5), qRgb(0, 0, 0));
    EXPECT_EQ(gauge.pixel(767, 0), qRgb(0, 0, 0));

    // Which other changes render.
    const struct {
        const char *what;
        std::function<void(MainWindow &)> change;
        bool renders;
    } cases[] = {
        {"Select", [](MainWindow &f) { f.slotRow(3).selectBox()->click(); }, true},
        {"Loop Lamp", [](MainWindow &f) { f.slotRow(3).borderBox()->click(); }, true},
        {"Image", [](MainWindow &f) { f.slotRow(3).imageBox()->click(); }, true},
        {"move mode", [](MainWindow &f) { f.slotRow(3).modeBox()->setCurrentIndex(4); }, true},
        {"model", [](MainWindow &f) { f.parts().settingsRow.modelBox()->setCurrentIndex(1); }, true},
        {"Flash", [](MainWindow &f) { f.slotRow(3).flashBox()->click(); }, false},
        {"speed", [](MainWindow &f) { f.slotRow(3).speedBox()->setCurrentIndex(6); }, false},
        {"vertical show", [](MainWindow &f) { f.slotRow(3).verticalBox()->click(); }, false},
        {"Alternate", [](MainWindow &f) { f.slotRow(3).alternateBox()->click(); }, false},
        {"brightness", [](MainWindow &f) { f.parts().settingsRow.brightnessBox()->setCurrentIndex(0); }, false},
        {"port", [](MainWindow &f) { f.parts().settingsRow.portBox()->setCurrentIndex(5); }, false},
        {"language", [](MainWindow &f) { f.parts().settingsRow.languageBox()->setCurrentIndex(4); }, false},
    };
    for (const auto &c : cases) {
        const int runs = w->parts().renderer.runs();
        c.change(*w);
        EXPECT_EQ(w->parts().renderer.runs() - runs, c.renders ? 1 : 0) << c.what;
    }

    // The figure under the gauge's end: the bytes per row the selected slots
    // send, within the 512, in the window's language.
    selectOnly(*w, {0});
    EXPECT_EQ(w->parts().statusRow.rowUse()->text(), QStringLiteral("5 of 512 bytes per row"));
    w->slotRow(0).textBox()->setText(QString(600, QLatin1Char('A')));
    EXPECT_EQ(w->parts().statusRow.rowUse()->text(), QStringLiteral("511 of 512 bytes per row"));
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiJapanese);
    EXPECT_EQ(w->parts().statusRow.rowUse()->text(), statusTexts(UiJapanese).gaugeUse.arg(511));
}

// In both column layouts and on both sides of a row (text or picture): no
// two shown controls of a row overlap, the rows stand one under the other
// below the headers, and everything is inside the slot frame.
// On a screen too short for the slots, the wheel over a box or a pan bar
// scrolls the page and leaves the value alone, unless the user has put the
// keyboard focus there.
TEST_F(MainWindowTest, TheWheelScrollsPastBoxesWithoutFocusAndChangesOnlyTheFocusedOne)
{
    auto w = renderedWindow();
    w->slotRow(5).imageBox()->setChecked(true);                 // shows the pan bar
    w->parts().settingsRow.brightnessBox()->setCurrentIndex(1); // room to move either way
    w->resize(1000, 400);
    w->show();
    QApplication::setActiveWindow(w.get());
    QCoreApplication::processEvents();
    // On a short screen the rows scroll in their own area, the rest with the page.
    QScrollBar *page = w->parts().scroller->verticalScrollBar(), *rows = w->parts().slotArea->verticalScrollBar();
    ASSERT_GT(page->maximum(), 0);
    ASSERT_GT(rows->maximum(), 0);
    const auto turn = [](QWidget *target) {
        const QPointF at(target->width() / 2, target->height() / 2);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &wheel);
    };
    const struct {
        const char *what;
        QAbstractSlider *bar = nullptr;
        QComboBox *box = nullptr;
        QScrollBar *view = nullptr; // what the wheel scrolls instead
    } cases[] = {
        {"speed", nullptr, w->slotRow(5).speedBox(), rows},
        {"mode", nullptr, w->slotRow(7).modeBox(), rows},
        {"brightness", nullptr, w->parts().settingsRow.brightnessBox(), page},
        {"pan", w->slotRow(5).panBar(), nullptr, rows},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QWidget *target = c.box ? static_cast<QWidget *>(c.box) : c.bar;
        const auto value = [&] { return c.box ? c.box->currentIndex() : c.bar->value(); };
        w->parts().sendButton->setFocus();
        c.view->setValue(0);
        const int before = value();
        turn(target);
        EXPECT_EQ(value(), before) << "no focus: the value stays";
        EXPECT_GT(c.view->value(), 0) << "and the view scrolls";
        EXPECT_FALSE(target->hasFocus()) << "nor does the wheel give it the focus";

        target->setFocus();
        ASSERT_TRUE(target->hasFocus());
        c.view->setValue(0);
        turn(target);
        EXPECT_NE(value(), before) << "with the focus the wheel changes it";
        EXPECT_EQ(c.view->value(), 0);
    }
}

// Whatever the user does, the setup the window sends, saves and renders is
// what its rows show.