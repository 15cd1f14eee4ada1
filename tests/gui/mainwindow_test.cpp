// The window at start-up, what renders when, and the wheel over its boxes.
#include "support/windowfixture.h"

#include "files/picturefile.h"
#include "i18n/statustexts.h"

#include <QApplication>
#include <QScrollArea>
#include <QWheelEvent>

using namespace glintag;

using MainWindowTest = WindowTest;

// A first start shows the defaults and renders nothing until the start-up
// timer's one rendering; then every edit of the dots renders once.
TEST_F(MainWindowTest, OneRenderingAfterStartUpThenOnlyTheChangesThatRender)
{
    auto w = makeWindow();
    EXPECT_TRUE(w->settingsLoaded());
    BadgeSetup defaults = defaultBadgeSetup(); // in the system's language, blank canvases
    for (int i = 0; i < kSlotCount; ++i)
        defaults.slots[size_t(i)].picture = makeBlankCanvas();
    EXPECT_TRUE(w->parts().model.setup() == defaults);
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_TRUE(w->slotRow(i).setup() == w->parts().model.setup().slots[size_t(i)]) << i;
        EXPECT_EQ(w->slotRow(i).modeBox()->count(), i == 0 ? 8 : 7) << "only slot 1 offers Animation";
        EXPECT_EQ(w->slotRow(i).textBox()->palette().color(QPalette::Text).rgb(), slotColour(i));
    }
    EXPECT_EQ(w->parts().renderer.runs(), 0) << "nothing renders while the settings are applied";
    waitForFirstRendering(*w);
    EXPECT_EQ(w->parts().renderer.runs(), 1);
    EXPECT_EQ(w->parts().renderer.rendering().rendered[0], 8) << "MESSAGE1 is eight single-byte characters";

    // Typing HELLO: five renderings, five bytes and an eight-pixel red bar.
    selectOnly(*w, {0});
    w->slotRow(0).textBox()->clear();
    const int before = w->parts().renderer.runs();
    QTest::keyClicks(w->slotRow(0).textBox(), QStringLiteral("HELLO"));
    EXPECT_EQ(w->parts().renderer.runs(), before + 5) << "every keystroke renders";
    const QImage &gauge = w->parts().memoryGauge->image();
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(gauge.pixel(x, 5), x < 8 ? qRgb(255, 0, 0) : qRgb(0, 0, 0)) << x;

    // One change of each kind the model tells apart, and each setting.
    const struct {
        const char *what;
        std::function<void(MainWindow &)> change;
        bool renders;
    } cases[] = {
        {"Select", [](MainWindow &f) { f.slotRow(3).selectBox()->click(); }, true},
        {"Image", [](MainWindow &f) { f.slotRow(3).imageBox()->click(); }, true},
        {"model", [](MainWindow &f) { f.parts().settingsRow.modelBox()->setCurrentIndex(1); }, true},
        {"Flash", [](MainWindow &f) { f.slotRow(3).flashBox()->click(); }, false},
        {"vertical show", [](MainWindow &f) { f.slotRow(3).verticalBox()->click(); }, true},
        {"brightness", [](MainWindow &f) { f.parts().settingsRow.brightnessBox()->setCurrentIndex(0); }, false},
        {"port", [](MainWindow &f) { f.parts().settingsRow.portBox()->setCurrentIndex(5); }, false},
        {"language", [](MainWindow &f) { f.parts().settingsRow.languageBox()->setCurrentIndex(4); }, true},
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
    // The language decides what a text takes: "中文中文" is four "?" in
    // English and four 12-dot characters in Chinese.
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiEnglish);
    w->slotRow(0).textBox()->setText(QStringLiteral("中文中文"));
    const QString english = w->parts().statusRow.rowUse()->text();
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiSimpChinese);
    EXPECT_NE(w->parts().statusRow.rowUse()->text(), english);
    EXPECT_EQ(w->parts().statusRow.rowUse()->text(), statusTexts(UiSimpChinese).gaugeUse.arg(7));
}

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
        QWidget *target;
        QScrollBar *view; // what the wheel scrolls instead
    } cases[] = {{w->slotRow(5).speedBox(), rows},
                 {w->parts().settingsRow.brightnessBox(), page},
                 {w->slotRow(5).panBar(), rows}};
    for (const auto &c : cases) {
        QWidget *target = c.target;
        SCOPED_TRACE(target->metaObject()->className());
        const auto box = qobject_cast<QComboBox *>(target);
        const auto value = [&] { return box ? box->currentIndex() : static_cast<QScrollBar *>(target)->value(); };
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
