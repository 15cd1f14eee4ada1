// The status row, Stop and Escape, the stall limit, the port list's
// re-probe, the keyboard, and what comes back after a restart.
#include "windowfixture.h"

#include "app/stripwidgets.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "link/throttledport.h"
#include "render/picturefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace glintag;

namespace {

// A window on a throttled port and a clock the test moves: each count read
// is 100 ms later, and a line is given up after one second without progress.
class StatusTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        throttled = std::make_shared<ThrottledPort>();
        throttled->openable = {3};
        throttled->drainPerPoll = 12;
        port = throttled;
    }

    MainWindowOptions timedOptions()
    {
        MainWindowOptions o = options();
        o.clock = [this] { return now; };
        o.stallLimitMs = 1000;
        return o;
    }

    std::unique_ptr<MainWindow> readyWindow()
    {
        auto w = std::make_unique<MainWindow>(timedOptions());
        waitForFirstRendering(*w);
        w->languageBox->setCurrentIndex(UiEnglish);
        for (int i = 1; i < kSlotCount; ++i)
            w->row(i).select->setChecked(false);
        w->row(0).text->setText(QStringLiteral("SLOW UPLOAD 123"));   // 100 + 12 × 15 = 280 bytes
        return w;
    }

    // Sends; `during` runs at every count read with the poll's number.
    void send(MainWindow &w, std::function<void(int poll)> during = {})
    {
        int polls = 0;
        throttled->onPoll = [&] { now += 100; ++polls; if (during) during(polls); };
        w.sendButton->click();
        throttled->onPoll = nullptr;
        lastPolls = polls;
    }

    std::shared_ptr<ThrottledPort> throttled;
    qint64 now = 0;
    int lastPolls = 0;
};

} // namespace

TEST_F(StatusTest, SendingCountsBytesAndSecondsDownThenSaysSent)
{
    auto w = readyWindow();
    QStringList texts;
    bool stopShown = true;
    send(*w, [&](int) {
        if (texts.isEmpty() || texts.last() != w->statusLine->text())
            texts << w->statusLine->text();
        stopShown = stopShown && !w->stopButton->isHidden();
    });
    EXPECT_TRUE(stopShown) << "Stop is there all through the upload";
    EXPECT_TRUE(w->stopButton->isHidden());
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts.first(), QStringLiteral("Sending: 0 of 280 bytes, 3 s left"));
    EXPECT_TRUE(texts.last().endsWith(QStringLiteral("of 280 bytes, 1 s left"))) << texts.last().toStdString();
    EXPECT_EQ(w->statusLine->text(), QStringLiteral("Sent 280 bytes in 3.3 s"));

    // It follows the language box, and the next edit clears it.
    w->languageBox->setCurrentIndex(UiJapanese);
    EXPECT_EQ(w->statusLine->text(), QStringLiteral("280 バイトを 3.3 秒で転送しました"));
    w->row(0).flash->click();
    EXPECT_TRUE(w->statusLine->text().isEmpty());
}

TEST_F(StatusTest, StopButtonAndEscapeEndTheUploadAtOnce)
{
    for (const bool byKey : {false, true}) {
        throttled->written.clear();
        auto w = readyWindow();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        int stoppedAt = 0;
        send(*w, [&](int poll) {
            if (poll != 5)
                return;
            stoppedAt = poll;
            if (byKey)
                QTest::keyClick(w.get(), Qt::Key_Escape);
            else
                w->stopButton->click();
        });
        EXPECT_EQ(stoppedAt, 5) << byKey;
        EXPECT_EQ(lastPolls, 5) << byKey << ": the line was waited on after the stop";
        EXPECT_FALSE(throttled->isOpen()) << byKey;
        EXPECT_EQ(throttled->callsAfterClose, 0) << byKey;
        EXPECT_LT(throttled->written.size(), 280) << byKey;
        EXPECT_EQ(w->progressBar->value(), 0) << byKey;
        EXPECT_TRUE(w->statusLine->text().startsWith(QStringLiteral("Stopped after ")))
            << w->statusLine->text().toStdString();
        EXPECT_TRUE(w->statusLine->text().contains(QStringLiteral("part of a message")));
        EXPECT_TRUE(dialogs->shown.empty()) << byKey;

        // And the next send goes through whole.
        throttled->written.clear();
        send(*w);
        EXPECT_EQ(throttled->written.size(), 280) << byKey;
        EXPECT_TRUE(w->statusLine->text().startsWith(QStringLiteral("Sent 280 bytes"))) << byKey;
    }
}

TEST_F(StatusTest, FailuresEndWithTheReasonAndWhatGotThrough)
{
    const struct {
        const char *what;
        std::function<void(ThrottledPort &)> setUp;
        QString status;
    } cases[] = {
        {"a device that stops draining", [](ThrottledPort &p) { p.drainLimit = 105; },
         QStringLiteral("The line stopped taking data: 105 of 280 bytes got through")},
        {"a device whose every write fails", [](ThrottledPort &p) { p.refuseWrites = true; },
         QStringLiteral("The port refused the data: 0 of 280 bytes got through")},
    };
    for (const auto &c : cases) {
        auto w = readyWindow();
        c.setUp(*throttled);
        send(*w);
        EXPECT_EQ(w->statusLine->text(), c.status) << c.what;
        EXPECT_FALSE(throttled->isOpen()) << c.what;
        EXPECT_TRUE(dialogs->shown.empty()) << c.what;
        throttled->refuseWrites = false;
        throttled->drainLimit = -1;
    }
}

TEST_F(StatusTest, OpeningThePortListProbesAgainAndKeepsTheText)
{
    auto w = readyWindow();
    ASSERT_EQ(w->portBox->count(), 1);
    throttled->openable = {3, 9};   // plugged in after start-up
    const QStringList typed = {QStringLiteral("COM17"), QStringLiteral("COM3")};
    for (const QString &text : typed) {
        w->portBox->setEditText(text);
        w->portBox->showPopup();
        w->portBox->hidePopup();
        EXPECT_EQ(w->portBox->count(), 2) << text.toStdString();
        EXPECT_EQ(w->portBox->itemText(1), QStringLiteral("COM9"));
        EXPECT_EQ(w->portBox->currentText(), text);
        EXPECT_FALSE(throttled->isOpen());
    }
}

TEST_F(StatusTest, TabRunsRowByRowAndEveryHeaderAndSettingTellsWhatItDoes)
{
    auto w = readyWindow();
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
    for (QWidget *next : QList<QWidget *>{w->languageBox, w->brightnessBox, w->modelBox, w->portBox, w->sendButton, w->exitButton}) {
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

TEST_F(StatusTest, CtrlReturnSends)
{
    auto w = readyWindow();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    throttled->onPoll = [&] { now += 100; };
    QTest::keyClick(w->row(0).text, Qt::Key_Return, Qt::ControlModifier);
    throttled->onPoll = nullptr;
    EXPECT_EQ(throttled->written.size(), 280);
}

TEST_F(StatusTest, ARestartBringsBackWhatTheUserSet)
{
    const QString pictures = programDir() + QStringLiteral("/pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    QImage strip(64, 12, QImage::Format_RGB32);
    strip.fill(Qt::black);
    for (int x = 0; x < 64; x += 3)
        strip.setPixel(x, x % 12, qRgb(255, 0, 0));
    ASSERT_TRUE(strip.save(pictures + QStringLiteral("/strip.bmp"), "BMP"));
    QImage before;
    {
        auto w = readyWindow();
        w->row(4).image->click();
        dialogs->openNames.push_back(pictures + QStringLiteral("/strip.bmp"));
        w->row(4).load->click();
        w->row(4).pan->setValue(40);
        w->modelBox->setCurrentIndex(1);
        w->brightnessBox->setEditText(QStringLiteral("2"));
        w->portBox->setEditText(QStringLiteral("COM21"));
        before = w->row(4).canvas->canvas();
        ASSERT_TRUE(w->close());
    }
    auto w = readyWindow();
    EXPECT_EQ(w->modelBox->currentText(), QStringLiteral("R2"));
    EXPECT_EQ(w->brightnessBox->currentText(), QStringLiteral("2"));
    EXPECT_EQ(w->portBox->currentText(), QStringLiteral("COM21"));
    EXPECT_TRUE(w->row(4).image->isChecked());
    EXPECT_TRUE(w->row(4).canvas->canvas() == before);
    EXPECT_EQ(w->row(4).pan->value(), 40);
    EXPECT_EQ(w->row(4).canvas->x(), -40);
    EXPECT_TRUE(w->statusLine->text().isEmpty());
    dialogs->openNames.push_back(QString());
    w->row(4).load->click();
    EXPECT_EQ(dialogs->folders.last(), pictures) << "the dialog opens where the last picture came from";
}

TEST_F(StatusTest, ADamagedPictureStartsBlankWithAWordInTheStatusLine)
{
    writeSettings("[Message2]\nImage=1\n[Language]\nLanguage=4\n[Glintag]\nPicture2=Nvq-slot2.bmp\nPan2=90\n");
    QFile f(programDir() + QStringLiteral("/Nvq-slot2.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("BM") + QByteArray(60, '\x7f'));
    f.close();
    auto w = std::make_unique<MainWindow>(timedOptions());
    EXPECT_TRUE(dialogs->shown.empty()) << "no message box at start-up";
    EXPECT_TRUE(w->row(1).canvas->canvas() == makeBlankCanvas());
    EXPECT_EQ(w->row(1).pan->value(), -3);
    EXPECT_EQ(w->statusLine->text(),
              QStringLiteral("The picture kept for slot 2 (Nvq-slot2.bmp) could not be read; its canvas is blank"));
    EXPECT_TRUE(w->statusLine->toolTip().contains(QStringLiteral("Nvq-slot2.bmp:")));
    w->languageBox->setCurrentIndex(UiKorean);
    EXPECT_EQ(w->statusLine->text(), statusTexts(UiKorean).pictureMissing.arg(2).arg(QStringLiteral("Nvq-slot2.bmp")));
}
