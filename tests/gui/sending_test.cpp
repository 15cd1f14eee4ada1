// Sending on a throttled port: the status row, Stop and Escape, the stall
// limit, the busy guards and the port list's re-probe.
#include "support/windowfixture.h"

#include "badge/dotcanvas.h"
#include "files/picturefile.h"
#include "gui/windowmenus.h"
#include "i18n/statustexts.h"

using namespace glintag;

TEST_F(UploadTest, SendingCountsBytesAndSecondsDownThenSaysSent)
{
    auto w = readyWindow();
    EXPECT_FALSE(w->parts().menus.stop->isEnabled()) << "nothing to stop yet";
    QStringList texts;
    bool stopOffered = true;
    int barChecks = 0;
    send(*w, [&](int) {
        if (texts.isEmpty() || texts.last() != statusLine(*w))
            texts << statusLine(*w);
        // The bar shows the very bytes the status line counts.
        if (w->parts().progressBar->maximum() == 280) {
            ++barChecks;
            EXPECT_EQ(QString::number(w->parts().progressBar->value()), texts.last().section(QLatin1Char(' '), 1, 1))
                << texts.last().toStdString();
        }
        stopOffered
            = stopOffered && !w->parts().statusRow.stopButton()->isHidden() && w->parts().menus.stop->isEnabled();
    });
    EXPECT_EQ(throttled->written.size(), 280);
    EXPECT_EQ(throttled->lastSettings, QStringLiteral("1200,n,8,1"));
    EXPECT_FALSE(throttled->isOpen());
    EXPECT_GT(barChecks, 10);
    EXPECT_EQ(w->parts().progressBar->value(), 0);
    EXPECT_TRUE(stopOffered) << "Stop is there all through the upload";
    EXPECT_TRUE(w->parts().statusRow.stopButton()->isHidden());
    EXPECT_FALSE(w->parts().menus.stop->isEnabled());
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts.first(), QStringLiteral("Sending: 0 of 280 bytes, 3 s left"));
    EXPECT_TRUE(texts.last().endsWith(QStringLiteral("of 280 bytes, 1 s left"))) << texts.last().toStdString();
    EXPECT_EQ(statusLine(*w), QStringLiteral("Sent 280 bytes in 3.3 s"));

    // It follows the language box, and the next edit clears it.
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiJapanese);
    EXPECT_EQ(statusLine(*w), QStringLiteral("280 バイトを 3.3 秒で転送しました"));
    w->slotRow(0).flashBox()->click();
    EXPECT_TRUE(statusLine(*w).isEmpty());
}

// Send and Load wait for the upload; Save writes the canvas as it stands.
TEST_F(UploadTest, ClicksAndEditsDuringTheUploadLeaveTheStreamAlone)
{
    auto w = readyWindow();
    QImage drawn = makeBlankCanvas(); // on slot 2, which is not sent
    drawn.setPixel(3, 3, kLitPixel);
    w->slotRow(1).imageBox()->click();
    w->slotRow(1).canvas()->setCanvas(drawn);
    send(*w);
    const QByteArray reference = throttled->written;
    throttled->written.clear();
    dialogs->saveNames = {file(QStringLiteral("during.bmp"))};
    send(*w, [&](int poll) {
        if (poll == 2) {
            w->parts().sendButton->click();      // busy
            w->slotRow(0).loadButton()->click(); // busy
            w->slotRow(1).saveButton()->click();
            w->slotRow(0).textBox()->setText(QStringLiteral("EDITED MID-WAY"));
            w->slotRow(0).flashBox()->setChecked(true);
        }
    });
    EXPECT_EQ(throttled->written.toHex(), reference.toHex()) << "an edit changed what was on the wire";
    ASSERT_EQ(dialogs->shown.size(), 2u);
    EXPECT_EQ(dialogs->shown[0].title + ": " + dialogs->shown[0].text, QStringLiteral("Waiting: Sending!"));
    EXPECT_EQ(dialogs->filters.size(), 1) << "no Load dialog while sending";
    EXPECT_EQ(QImage(file(QStringLiteral("during.bmp")), "BMP").convertToFormat(QImage::Format_RGB32), drawn);
    EXPECT_EQ(w->parts().renderer.rendering().rendered[0], 14) << "the edit itself was rendered";
}

TEST_F(UploadTest, StopButtonAndEscapeEndTheUploadAtOnceAndCtrlReturnSendsAgain)
{
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "Stop");
        throttled->written.clear();
        auto w = readyWindow();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        send(*w, [&](int poll) {
            if (poll == 5 && byKey)
                QTest::keyClick(w.get(), Qt::Key_Escape);
            else if (poll == 5)
                w->parts().statusRow.stopButton()->click();
        });
        EXPECT_EQ(lastPolls, 5) << "the line was waited on after the stop";
        EXPECT_FALSE(throttled->isOpen());
        EXPECT_EQ(throttled->callsAfterClose, 0);
        EXPECT_LT(throttled->written.size(), 280);
        EXPECT_EQ(w->parts().progressBar->value(), 0);
        EXPECT_TRUE(statusLine(*w).startsWith(QStringLiteral("Stopped after "))) << statusLine(*w).toStdString();
        EXPECT_TRUE(statusLine(*w).contains(QStringLiteral("part of a message")));
        EXPECT_TRUE(dialogs->shown.empty());

        // And the next send goes through whole.
        throttled->written.clear();
        QTest::keyClick(w->slotRow(0).textBox(), Qt::Key_Return, Qt::ControlModifier);
        waitForUpload(*w);
        EXPECT_EQ(throttled->written.size(), 280);
        EXPECT_TRUE(statusLine(*w).startsWith(QStringLiteral("Sent 280 bytes")));
    }
}

// How an upload ended is said with what got through; a line that stands
// still says so while the upload waits on it.
TEST_F(UploadTest, EveryEndIsSaidWithWhatGotThrough)
{
    stallLimitMs = 5000;
    const struct {
        std::function<void(ThrottledPort &)> setUp;
        int stopAt; // the poll at which Stop is clicked; 0 for none
        QString shownDuring, status;
    } cases[] = {
        {[](ThrottledPort &p) { p.drainLimit = 105; }, 0,
         QStringLiteral("Sending: 105 of 280 bytes; the line has taken nothing for 2 s"),
         QStringLiteral("The line stopped taking data: 105 of 280 bytes got through")},
        {[](ThrottledPort &p) { p.refuseWrites = true; }, 0, QString(),
         QStringLiteral("The port refused the data: 0 of 280 bytes got through")},
        {[](ThrottledPort &p) { p.drainLimit = 0; }, 3, QString(),
         QStringLiteral("Stopped before any of the 280 bytes went out: the badge is unchanged")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status.toStdString());
        auto w = readyWindow();
        c.setUp(*throttled);
        QStringList texts;
        send(*w, [&](int poll) {
            texts << statusLine(*w);
            if (poll == c.stopAt)
                w->parts().statusRow.stopButton()->click();
        });
        EXPECT_TRUE(c.shownDuring.isEmpty() || texts.contains(c.shownDuring));
        EXPECT_EQ(statusLine(*w), c.status);
        EXPECT_FALSE(throttled->isOpen());
        EXPECT_TRUE(dialogs->shown.empty());
        throttled->refuseWrites = false;
        throttled->drainLimit = -1;
    }
}

TEST_F(UploadTest, CloseDuringTheUpload)
{
    for (const bool finishes : {true, false}) {
        QFile::remove(file(QStringLiteral("Nvq.ini")));
        auto w = readyWindow();
        throttled->written.clear();
        throttled->callsAfterClose = 0;
        dialogs->shown.clear();
        dialogs->answers = {finishes ? Dialogs::Answer::No : Dialogs::Answer::Yes};
        bool closed = false;
        send(*w, [&](int poll) {
            if (poll == 3)
                closed = w->close();
        });
        ASSERT_EQ(dialogs->shown.size(), 1u);
        EXPECT_EQ(dialogs->shown[0].title + ": " + dialogs->shown[0].text,
                  QStringLiteral("Warning: Sending! Are you exit?"));
        EXPECT_EQ(dialogs->shown[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(closed, !finishes);
        EXPECT_EQ(throttled->written.size() == 280, finishes);
        EXPECT_FALSE(throttled->isOpen());
        EXPECT_EQ(throttled->callsAfterClose, 0) << "the stopped upload touched the closed port";
        EXPECT_TRUE(QFile::exists(file(QStringLiteral("Nvq.ini")))) << "settings are written either way";
    }
}

TEST_F(UploadTest, RefusalsBeforeAnythingIsSent)
{
    // Typed key by key, as a user does; the box lists COM3.
    const auto type = [](MainWindow &f, const char *text) {
        QLineEdit *edit = f.parts().settingsRow.portBox()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::keyClick(edit, Qt::Key_Return);
    };
    // A refused port names the device (if any) and the reason; a wrong
    // name says what the box takes.
    const QString wrongName = QStringLiteral("Error: Set Port Number Error! / ") + statusTexts(UiEnglish).portAllowed;
    const struct {
        const char *what;
        std::function<void(MainWindow &)> setUp;
        QString said; // title: text / detail; empty when it sends
    } cases[] = {
        {"nothing selected", [](MainWindow &f) { f.slotRow(0).selectBox()->setChecked(false); },
         QStringLiteral("Note: No Sending Text! Do Not Send! / ")},
        {"empty texts", [](MainWindow &f) { f.slotRow(0).textBox()->clear(); },
         QStringLiteral("Note: No Sending Text! Do Not Send! / ")},
        {"listed port typed in lower case", [&](MainWindow &f) { type(f, "com3"); }, wrongName},
        {"listed port typed in upper case", [&](MainWindow &f) { type(f, "COM3"); }, QString()},
        {"port busy", [&](MainWindow &f) { type(f, "COM5"); },
         QStringLiteral("Warning: Port in use or not port / test:5: refused")},
        {"no device behind the number", [&](MainWindow &f) { type(f, "COM7"); },
         QStringLiteral("Warning: Port in use or not port / refused")},
    };
    throttled->withoutDevice = {7};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto w = readyWindow();
        c.setUp(*w);
        dialogs->shown.clear();
        throttled->written.clear();
        w->parts().sendButton->click();
        waitForUpload(*w);
        QString said;
        for (const FakeDialogs::Shown &s : dialogs->shown)
            said += s.title + ": " + s.text + " / " + s.detail;
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(throttled->written.size(), c.said.isEmpty() ? 280 : 0);
        EXPECT_FALSE(throttled->isOpen());
    }
}

TEST_F(UploadTest, AnEmptyKeptPortLeavesTheChoiceToTheStartUpProbe)
{
    // The probe finds COM3 alone, so its choice is COM3.
    const struct {
        const char *kept;
        const char *shown;
    } cases[] = {
        {"", "COM3"},
        {"[Glintag]\nPort=\n", "COM3"},
        {"[Glintag]\nPort=COM21\n", "COM21"},
        {"[Glintag]\nPort=/dev/ttyUSB0\n", "/dev/ttyUSB0"},
    };
    for (const auto &c : cases) {
        writeSettings(QByteArray("[Language]\nLanguage=4\n") + c.kept);
        auto w = renderedWindow();
        EXPECT_EQ(w->parts().settingsRow.port(), QLatin1String(c.shown)) << c.kept;
    }
}
