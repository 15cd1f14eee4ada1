// The window at start-up, what renders when, the alternate boxes under real
// clicks, the Tab order and the tooltips.
#include "support/windowfixture.h"

#include "i18n/statustexts.h"
#include "render/messagebuilder.h"

#include <QScreen>

using namespace glintag;

using Form1Test = WindowTest;

TEST_F(Form1Test, StartUpWithoutSettingsFileThenOneRenderingThenTheChangesThatRender)
{
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Glintag Ver 6.00"));
    EXPECT_EQ(w->content->size(), QSize(1002, 851));
    EXPECT_EQ(w->size(), w->content->size().boundedTo(w->screen()->availableGeometry().size() - QSize(0, 40)));
    EXPECT_TRUE(w->settingsLoaded());
    for (int i = 0; i < kSlotCount; ++i) {
        // The defaults were applied (each value of each field is checked by the
        // settings tests, and its way into the row by the restart test).
        EXPECT_EQ(w->row(i).text->text(), QStringLiteral("MESSAGE%1").arg(i + 1));
        EXPECT_TRUE(w->row(i).select->isChecked()) << i;
        EXPECT_EQ(w->row(i).mode->count(), i == 0 ? 8 : 7);
        EXPECT_TRUE(w->row(i).alternate->isEnabled()) << i;
        EXPECT_EQ(w->row(i).text->palette().color(QPalette::Text).rgb(), slotColour(i));
        // row geometry: twips / 15 inside the slot frame
        EXPECT_EQ(w->row(i).text->geometry(), QRect(56, 40 + 32 * i, 513, 22));
    }
    EXPECT_EQ(w->languageBox->currentText(), QStringLiteral("SimpChinese"));
    EXPECT_EQ(w->modelBox->currentText(), QStringLiteral("R1"));
    EXPECT_EQ(w->brightnessBox->currentText(), QStringLiteral("4"));
    EXPECT_EQ(w->slotFrame->geometry(), QRect(8, 32, 985, 555));
    EXPECT_EQ(w->sendButton->geometry(), QRect(760, 600, 105, 25));
    EXPECT_EQ(w->renderRuns(), 0) << "nothing renders while the settings are applied";

    // The first rendering comes from the timer, once.
    ASSERT_TRUE(w->firstRenderTimer->isActive());
    EXPECT_EQ(w->firstRenderTimer->interval(), 100);
    waitForFirstRendering(*w);
    EXPECT_EQ(w->renderRuns(), 1);
    EXPECT_FALSE(w->firstRenderTimer->isActive());
    EXPECT_EQ(w->rowBytes()[0], 8) << "MESSAGE1 is eight single-byte characters";

    // Typing HELLO: five renderings, five bytes and an eight-pixel red bar.
    selectOnly(*w, {0});
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

    // Which other changes render.
    const struct {
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
    for (const auto &c : cases) {
        const int runs = w->renderRuns();
        c.change(*w);
        EXPECT_EQ(w->renderRuns() - runs, c.renders ? 1 : 0) << c.what;
    }
}

TEST_F(Form1Test, AlternateBoxesThroughRealClicks)
{
    auto w = renderedWindow();
    w->show();
    // 7 is disabled by its turn: the click does nothing.
    for (int i : {3, 4, 5, 6, 4, 7})
        QTest::mouseClick(w->row(i).alternate, Qt::LeftButton, {}, QPoint(8, 8));
    std::string state;   // as in the rule's own test: c checked, . enabled, x disabled
    for (int i = 0; i < kSlotCount; ++i)
        state += w->row(i).alternate->isChecked() ? 'c' : w->row(i).alternate->isEnabled() ? '.' : 'x';
    EXPECT_EQ(state, "...c.xxxxxxxxxxx");
    EXPECT_EQ(w->alternateGroup().first, 3);
    EXPECT_EQ(w->alternateGroup().count, 1);
}

TEST_F(Form1Test, TabRunsRowByRowAndEveryHeaderAndSettingTellsWhatItDoes)
{
    auto w = renderedWindow();
    w->languageBox->setCurrentIndex(UiEnglish);   // no vertical-show box in the row
    w->show();
    QWidget *const expected[] = {w->row(0).select, w->row(0).text, w->row(0).image, w->row(0).speed,
                                 w->row(0).mode, w->row(0).flash, w->row(0).border, w->row(0).alternate,
                                 w->row(1).select};
    // What Tab stops at: shown, takes Tab, and not the edit field inside a
    // combo box (which hands its focus to the box).
    auto nextStop = [&](QWidget *at) {
        do
            at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisibleTo(w.get()) || at->focusProxy());
        return at;
    };
    QWidget *at = w->row(0).select;
    for (QWidget *next : expected) {
        EXPECT_EQ(at, next) << next->metaObject()->className() << " " << at->metaObject()->className();
        at = nextStop(at);
    }
    at = w->row(15).alternate;
    for (QWidget *next : std::initializer_list<QWidget *>{w->languageBox, w->brightnessBox, w->modelBox, w->portBox, w->sendButton, w->exitButton}) {
        at = nextStop(at);
        EXPECT_EQ(at, next) << at->metaObject()->className();
    }

    QWidget *const tipped[] = {w->selectHeader, w->textHeader, w->imageHeader, w->speedHeader, w->modeHeader,
                               w->flashHeader, w->borderHeader, w->alternateHeader, w->verticalHeader,
                               w->languageBox, w->brightnessBox, w->modelBox, w->portBox, w->progressBar,
                               w->sendButton, w->exitButton, w->stopButton};
    std::vector<QStringList> byLanguage(std::size(tipped));
    for (int lang = 0; lang < 5; ++lang) {
        w->languageBox->setCurrentIndex(lang);
        for (size_t k = 0; k < std::size(tipped); ++k) {
            EXPECT_FALSE(tipped[k]->toolTip().isEmpty()) << lang << " " << k;
            byLanguage[k] << tipped[k]->toolTip();
        }
        EXPECT_EQ(w->borderHeader->toolTip(), statusTexts(lang).borderTip);
        EXPECT_EQ(w->stopButton->text(), statusTexts(lang).stopButton);
    }
    for (size_t k = 0; k < byLanguage.size(); ++k) {
        // Simplified and Traditional Chinese may well read the same.
        byLanguage[k].removeDuplicates();
        EXPECT_GE(byLanguage[k].size(), 4) << "tooltip " << k << " is not translated";
    }
}
