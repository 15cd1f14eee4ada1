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
TEST_F(MainWindowTest, SlotRowsKeepTheirControlsApartInsideTheFrame)
{
    auto w = renderedWindow();
    const SlotTable &table = w->parts().slotTable;
    const QWidget *const headers[] = {table.selectHeader(), table.textHeader(),      table.imageHeader(),
                                      table.speedHeader(),  table.modeHeader(),      table.flashHeader(),
                                      table.borderHeader(), table.alternateHeader(), table.verticalHeader()};
    for (const int language : {0, 4}) {
        for (const bool picture : {false, true}) {
            w->parts().settingsRow.languageBox()->setCurrentIndex(language);
            w->slotRow(6).imageBox()->setChecked(picture);
            int above = 0; // the lowest edge so far: the headers', then each row's
            for (const QWidget *h : headers)
                if (h->isVisibleTo(&table))
                    above = std::max(above, h->geometry().bottom());
            for (int i = 0; i < kSlotCount; ++i) {
                SCOPED_TRACE(testing::Message() << "language " << language << ", picture " << picture << ", row " << i);
                const SlotRow &row = w->slotRow(i);
                QList<QWidget *> controls = row.tabChain();
                controls << row.pictureFrame();
                QList<const QWidget *> shown;
                for (const QWidget *c : controls)
                    if (c->isVisibleTo(&table))
                        shown << c;
                ASSERT_GE(shown.size(), 8);
                const auto place = [&](const QWidget *c) { return QRect(c->mapTo(&table, QPoint()), c->size()); };
                int top = place(shown[0]).top(), bottom = place(shown[0]).bottom();
                for (int a = 0; a < shown.size(); ++a) {
                    const QRect at = place(shown[a]);
                    EXPECT_TRUE(table.contentsRect().contains(at)) << shown[a]->metaObject()->className();
                    for (int b = a + 1; b < shown.size(); ++b) {
                        // The pan bar lies over the picture strip's right border.
                        const bool panOnStrip = shown[a] == row.panBar() && shown[b] == row.pictureFrame();
                        EXPECT_TRUE(panOnStrip || !at.intersects(place(shown[b])))
                            << shown[a]->metaObject()->className() << " and " << shown[b]->metaObject()->className();
                    }
                    top = std::min(top, at.top());
                    bottom = std::max(bottom, at.bottom());
                }
                EXPECT_GT(top, above);
                above = bottom;
            }
        }
    }
}

TEST_F(MainWindowTest, AlternateBoxesThroughRealClicks)
{
    auto w = renderedWindow();
    w->show();
    // 7 is disabled by its turn: the click does nothing.
    for (int i : {3, 4, 5, 6, 4, 7})
        QTest::mouseClick(w->slotRow(i).alternateBox(), Qt::LeftButton, {}, QPoint(8, 8));
    std::string state; // as in the rule's own test: c checked, . enabled, x disabled
    for (int i = 0; i < kSlotCount; ++i)
        state += w->slotRow(i).alternateBox()->isChecked() ? 'c'
            : w->slotRow(i).alternateBox()->isEnabled()    ? '.'
                                                           : 'x';
    EXPECT_EQ(state, "...c.xxxxxxxxxxx");
    EXPECT_EQ(w->parts().model.setup().alternateGroup().first, 3);
    EXPECT_EQ(w->parts().model.setup().alternateGroup().count, 1);
}

TEST_F(MainWindowTest, TabRunsRowByRowAndEveryHeaderAndSettingTellsWhatItDoes)
{
    auto w = renderedWindow();
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiEnglish); // no vertical-show box in the row
    w->show();
    QWidget *const expected[] = {w->slotRow(0).selectBox(), w->slotRow(0).textBox(),      w->slotRow(0).imageBox(),
                                 w->slotRow(0).speedBox(),  w->slotRow(0).modeBox(),      w->slotRow(0).flashBox(),
                                 w->slotRow(0).borderBox(), w->slotRow(0).alternateBox(), w->slotRow(1).selectBox()};
    // What Tab stops at: shown, takes Tab, and not the edit field inside a
    // combo box (which hands its focus to the box).
    auto nextStop = [&](QWidget *at) {
        do
            at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisibleTo(w.get()) || at->focusProxy());
        return at;
    };
    QWidget *at = w->slotRow(0).selectBox();
    for (QWidget *next : expected) {
        EXPECT_EQ(at, next) << next->metaObject()->className() << " " << at->metaObject()->className();
        at = nextStop(at);
    }
    at = w->slotRow(15).alternateBox();
    for (QWidget *next : std::initializer_list<QWidget *>{
             w->parts().settingsRow.languageBox(), w->parts().settingsRow.brightnessBox(),
             w->parts().settingsRow.modelBox(), w->parts().settingsRow.portBox(), w->parts().sendButton,
             w->parts().exitButton, w->parts().preview->stripArea(), w->parts().preview->warningList()}) {
        at = nextStop(at);
        EXPECT_EQ(at, next) << at->metaObject()->className();
    }
    // Those two show the focus in their frame.
    QApplication::setActiveWindow(w.get());
    w->parts().preview->warningList()->setFocus(Qt::TabFocusReason);
    const auto frame = [](QWidget *c) { return c->palette().color(QPalette::WindowText); };
    EXPECT_EQ(frame(w->parts().preview->warningList()), w->palette().color(QPalette::Highlight));
    EXPECT_NE(frame(w->parts().preview->stripArea()), frame(w->parts().preview->warningList()));
    // A picture row's pan bar is a Tab stop between the text side and Load,
    // and the arrow keys pan.
    w->slotRow(2).imageBox()->setChecked(true);
    EXPECT_EQ(nextStop(w->slotRow(2).selectBox()), w->slotRow(2).panBar());
    EXPECT_EQ(nextStop(w->slotRow(2).panBar()), w->slotRow(2).loadButton());
    const int pan = w->slotRow(2).panBar()->value();
    w->slotRow(2).panBar()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->slotRow(2).panBar(), Qt::Key_Right);
    EXPECT_GT(w->slotRow(2).panBar()->value(), pan);

    QWidget *const tipped[] = {w->parts().slotTable.selectHeader(),
                               w->parts().slotTable.textHeader(),
                               w->parts().slotTable.imageHeader(),
                               w->parts().slotTable.speedHeader(),
                               w->parts().slotTable.modeHeader(),
                               w->parts().slotTable.flashHeader(),
                               w->parts().slotTable.borderHeader(),
                               w->parts().slotTable.alternateHeader(),
                               w->parts().slotTable.verticalHeader(),
                               w->parts().settingsRow.languageBox(),
                               w->parts().settingsRow.brightnessBox(),
                               w->parts().settingsRow.modelBox(),
                               w->parts().settingsRow.portBox(),
                               w->parts().progressBar,
                               w->parts().sendButton,
                               w->parts().exitButton,
                               w->parts().statusRow.stopButton(),
                               w->slotRow(3).textBox(),
                               w->slotRow(3).pictureFrame(),
                               w->slotRow(3).panBar(),
                               w->slotRow(3).loadButton(),
                               w->slotRow(3).saveButton(),
                               w->parts().memoryGauge};
    std::vector<QStringList> byLanguage(std::size(tipped));
    for (int lang = 0; lang < 5; ++lang) {
        w->parts().settingsRow.languageBox()->setCurrentIndex(lang);
        for (size_t k = 0; k < std::size(tipped); ++k) {
            EXPECT_FALSE(tipped[k]->toolTip().isEmpty()) << lang << " " << k;
            byLanguage[k] << tipped[k]->toolTip();
        }
        EXPECT_EQ(w->parts().slotTable.borderHeader()->toolTip(), statusTexts(lang).borderTip);
        QString stop = w->parts().statusRow.stopButton()->text();
        EXPECT_FALSE(QKeySequence::mnemonic(stop).isEmpty());
        EXPECT_EQ(stop.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)"))).remove(QLatin1Char('&')),
                  statusTexts(lang).stopButton);
        // Every Tab stop has a name for screen readers; a row's names say its slot.
        for (QWidget *stop : w->parts().slotTable.tabChain() + w->parts().settingsRow.tabChain()
                 + QList<QWidget *>{w->parts().preview->stripArea(), w->parts().preview->warningList()}) {
            const QString name = stop->accessibleName().isEmpty() && qobject_cast<QPushButton *>(stop)
                ? stop->property("text").toString()
                : stop->accessibleName();
            EXPECT_FALSE(name.isEmpty()) << lang << " " << stop->metaObject()->className();
            const int slot = w->parts().slotTable.slotHolding(stop);
            if (slot >= 0) {
                EXPECT_TRUE(name.startsWith(statusTexts(lang).slotName.arg(slot + 1) + QLatin1Char(':')))
                    << name.toStdString();
            }
        }
    }
    for (size_t k = 0; k < byLanguage.size(); ++k) {
        // Simplified and Traditional Chinese may well read the same.
        byLanguage[k].removeDuplicates();
        EXPECT_GE(byLanguage[k].size(), 4) << "tooltip " << k << " is not translated";
    }
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
TEST_F(MainWindowTest, TheModelHoldsWhatTheRowsShow)
{
    auto w = renderedWindow();
    const auto rowsShow = [&] {
        BadgeSetup shown = w->parts().model.setup();
        for (int i = 0; i < kSlotCount; ++i)
            shown.slots[size_t(i)] = w->slotRow(i).setup();
        shown.language = w->parts().settingsRow.languageBox()->currentIndex();
        shown.model = w->parts().settingsRow.modelBox()->currentText();
        shown.brightness = w->parts().settingsRow.brightnessBox()->currentText();
        return shown;
    };
    const std::function<void()> steps[] = {
        [&] { QTest::keyClicks(w->slotRow(2).textBox(), QStringLiteral("abc")); },
        [&] { w->slotRow(4).alternateBox()->click(); },
        [&] { w->slotRow(6).alternateBox()->click(); }, // the rule fills the run between
        [&] { w->slotRow(1).speedBox()->setCurrentIndex(6); },
        [&] { w->slotRow(0).modeBox()->setCurrentIndex(7); },
        [&] { w->slotRow(3).imageBox()->click(); },
        [&] { w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean); },
        [&] { w->slotRow(5).verticalBox()->click(); },
        [&] { w->parts().settingsRow.modelBox()->setCurrentIndex(1); },
        [&] { w->parts().settingsRow.brightnessBox()->setCurrentIndex(0); },
        [&] { w->parts().documents.undo(); },
        [&] { w->parts().documents.undo(); },
        [&] { w->parts().documents.redo(); },
        [&] { w->parts().documents.newSetup(); },
    };
    int k = 0;
    for (const auto &step : steps) {
        step();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w->parts().model.setup() == rowsShow()) << "after step " << k;
        ++k;
    }
}
