// Sending: the exact stream on a real pseudo-terminal, and on a throttled
// port the status row, Stop and Escape, the stall limit, the busy guards and
// the port list's re-probe.
#include "support/windowfixture.h"

#include "gui/windowmenus.h"
#include "i18n/statustexts.h"
#include "support/pseudoterminal.h"

#include <QSocketNotifier>

using namespace glintag;

TEST_F(WindowTest, PseudoTerminalReceivesTheExactStream)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    writeSettings("[Ports]\nCOM7=" + pty.slavePath().toLocal8Bit() + "\n");
    auto w = renderedWindow();
    ASSERT_EQ(w->parts().settingsRow.portBox()->count(), 1);
    EXPECT_EQ(w->parts().settingsRow.portBox()->currentText(), QStringLiteral("COM7"));
    EXPECT_EQ(w->parts().settingsRow.portBox()->itemData(0, Qt::ToolTipRole).toString(), pty.slavePath());

    selectTexts(*w, {QStringLiteral("HELLO")});
    w->parts().sendButton->click();
    waitForUpload(*w);
    EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front().text.toStdString();
    EXPECT_FALSE(w->parts().uploadControl.probePort().isOpen());
    EXPECT_EQ(w->parts().progressBar->value(), 0);

    // The expectation, from the font file and the wire rules alone.
    const QByteArray ascii = readFile(QStringLiteral(GLINTAG_BIN_DIR "/ASC12"));
    ASSERT_EQ(ascii.size(), 3072);
    QByteArray expected("HellD");
    QByteArray header(95, '\0');
    header[6] = 5; // N = 5 bytes per row
    for (int i = 7; i <= 14; ++i)
        header[i] = char(0xFF);
    for (int i = 0; i < 16; ++i) {
        header[15 + i] = char(0x20);               // speed "3", to Left, no flash or lamp
        header[32 + 4 * i] = char(i == 0 ? 0 : 5); // offset lo
        header[34 + 4 * i] = char(i == 0 ? 5 : 0); // length lo
    }
    expected += header;
    for (int r = 0; r < 12; ++r)
        for (char c : QByteArray("HELLO"))
            expected += ascii[12 * c + r];
    EXPECT_EQ(pty.read(expected.size() + 1).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST_F(WindowTest, LineLostMidUploadEndsItAndTheWindowStaysUsable)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    writeSettings("[Ports]\nCOM4=" + pty.slavePath().toLocal8Bit() + "\n");
    auto w = renderedWindow();
    selectTexts(*w, {QString(500, QLatin1Char('W'))});
    // Hang up as soon as the first bytes arrive.
    QSocketNotifier hangUp(pty.masterFd(), QSocketNotifier::Read);
    QObject::connect(&hangUp, &QSocketNotifier::activated, [&] {
        hangUp.setEnabled(false);
        pty.closeMaster();
    });
    w->parts().sendButton->click();
    waitForUpload(*w);
    EXPECT_FALSE(w->parts().uploadControl.probePort().isOpen());
    EXPECT_EQ(w->parts().progressBar->value(), 0);
    // Said in the status line, in the window's language, with what got out.
    const QString said = w->parts().statusRow.statusLine()->text();
    EXPECT_TRUE(said.startsWith(
        statusTexts(w->parts().settingsRow.languageBox()->currentIndex()).lineLost.section(QLatin1Char('%'), 0, 0)))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("/ 6100"))) << said.toStdString();
    const int before = w->parts().renderer.runs();
    w->slotRow(0).textBox()->setText(QStringLiteral("again"));
    EXPECT_EQ(w->parts().renderer.runs(), before + 1);
}

TEST_F(UploadTest, SendingCountsBytesAndSecondsDownThenSaysSent)
{
    auto w = readyWindow();
    EXPECT_FALSE(w->parts().menus.stop->isEnabled()) << "nothing to stop yet";
    QStringList texts;
    bool stopOffered = true;
    int barChecks = 0;
    send(*w, [&](int) {
        const QString line = w->parts().statusRow.statusLine()->text();
        if (texts.isEmpty() || texts.last() != line)
            texts << line;
        // The bar shows the very bytes the status line counts.
        if (w->parts().progressBar->maximum() == 280) {
            ++barChecks;
            EXPECT_EQ(QString::number(w->parts().progressBar->value()), line.section(QLatin1Char(' '), 1, 1))
                << line.toStdString();
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
    EXPECT_EQ(w->parts().statusRow.statusLine()->text(), QStringLiteral("Sent 280 bytes in 3.3 s"));

    // It follows the language box, and the next edit clears it.
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiJapanese);
    EXPECT_EQ(w->parts().statusRow.statusLine()->text(), QStringLiteral("280 バイトを 3.3 秒で転送しました"));
    w->slotRow(0).flashBox()->click();
    EXPECT_TRUE(w->parts().statusRow.statusLine()->text().isEmpty());
}

TEST_F(UploadTest, ClicksAndEditsDuringTheUploadLeaveTheStreamAlone)
{
    auto w = readyWindow();
    send(*w);
    const QByteArray reference = throttled->written;
    throttled->written.clear();
    send(*w, [&](int poll) {
        if (poll == 2) {
            w->parts().sendButton->click();      // busy
            w->slotRow(0).loadButton()->click(); // busy, other title
            w->slotRow(0).textBox()->setText(QStringLiteral("EDITED MID-WAY"));
            w->slotRow(0).flashBox()->setChecked(true);
        }
    });
    EXPECT_EQ(throttled->written.toHex(), reference.toHex()) << "an edit changed what was on the wire";
    ASSERT_EQ(dialogs->shown.size(), 2u);
    EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Sending!"));
    EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Waiting"));
    EXPECT_EQ(dialogs->shown[1].title, QStringLiteral("Waits"));
    EXPECT_TRUE(dialogs->filters.isEmpty()) << "no file dialog while sending";
    EXPECT_EQ(w->parts().renderer.rendering().rendered[0], 14) << "the edit itself was rendered";
}

TEST_F(UploadTest, StopButtonAndEscapeEndTheUploadAtOnceAndCtrlReturnSendsAgain)
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
                w->parts().statusRow.stopButton()->click();
        });
        EXPECT_EQ(stoppedAt, 5) << byKey;
        EXPECT_EQ(lastPolls, 5) << byKey << ": the line was waited on after the stop";
        EXPECT_FALSE(throttled->isOpen()) << byKey;
        EXPECT_EQ(throttled->callsAfterClose, 0) << byKey;
        EXPECT_LT(throttled->written.size(), 280) << byKey;
        EXPECT_EQ(w->parts().progressBar->value(), 0) << byKey;
        EXPECT_TRUE(w->parts().statusRow.statusLine()->text().startsWith(QStringLiteral("Stopped after ")))
            << w->parts().statusRow.statusLine()->text().toStdString();
        EXPECT_TRUE(w->parts().statusRow.statusLine()->text().contains(QStringLiteral("part of a message")));
        EXPECT_TRUE(dialogs->shown.empty()) << byKey;

        // And the next send goes through whole.
        throttled->written.clear();
        QTest::keyClick(w->slotRow(0).textBox(), Qt::Key_Return, Qt::ControlModifier);
        waitForUpload(*w);
        EXPECT_EQ(throttled->written.size(), 280) << byKey;
        EXPECT_TRUE(w->parts().statusRow.statusLine()->text().startsWith(QStringLiteral("Sent 280 bytes"))) << byKey;
    }
}

TEST_F(UploadTest, FailuresEndWithTheReasonAndWhatGotThrough)
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
        EXPECT_EQ(w->parts().statusRow.statusLine()->text(), c.status) << c.what;
        EXPECT_FALSE(throttled->isOpen()) << c.what;
        EXPECT_TRUE(dialogs->shown.empty()) << c.what;
        throttled->refuseWrites = false;
        throttled->drainLimit = -1;
    }
}

// A line that stands still says so while the upload waits on it, and a stop
// before any byte left says the badge kept what it had.
TEST_F(UploadTest, AStillLineAndAStopBeforeAnyByteAreSaidAsSuch)
{
    stallLimitMs = 5000;
    auto w = readyWindow();
    throttled->drainLimit = 105;
    QStringList texts;
    send(*w, [&](int) {
        if (texts.isEmpty() || texts.last() != w->parts().statusRow.statusLine()->text())
            texts << w->parts().statusRow.statusLine()->text();
    });
    EXPECT_TRUE(texts.contains(QStringLiteral("Sending: 105 of 280 bytes; the line has taken nothing for 2 s")))
        << texts.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->parts().statusRow.statusLine()->text(),
              QStringLiteral("The line stopped taking data: 105 of 280 bytes got through"));

    throttled->drainLimit = 0;
    send(*w, [&](int poll) {
        if (poll == 3)
            w->parts().statusRow.stopButton()->click();
    });
    EXPECT_EQ(w->parts().statusRow.statusLine()->text(),
              QStringLiteral("Stopped before any of the 280 bytes went out: the badge is unchanged"));
    w->parts().settingsRow.languageBox()->setCurrentIndex(UiKorean);
    EXPECT_EQ(w->parts().statusRow.statusLine()->text(), statusTexts(UiKorean).stoppedBeforeAny.arg(280));
}

TEST_F(UploadTest, CloseDuringTheUpload)
{
    const struct {
        Dialogs::Answer answer;
        bool finishes;
    } cases[] = {{Dialogs::Answer::No, true}, {Dialogs::Answer::Yes, false}};
    for (const auto &c : cases) {
        QFile::remove(file(QStringLiteral("Nvq.ini")));
        auto w = readyWindow();
        throttled->written.clear();
        throttled->callsAfterClose = 0;
        dialogs->shown.clear();
        dialogs->answers = {c.answer};
        bool closed = false;
        send(*w, [&](int poll) {
            if (poll == 3)
                closed = w->close();
        });
        ASSERT_EQ(dialogs->shown.size(), 1u);
        EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Sending! Are you exit?"));
        EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Warning"));
        EXPECT_EQ(dialogs->shown[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(closed, !c.finishes);
        EXPECT_EQ(throttled->written.size() == 280, c.finishes);
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
    const struct {
        const char *what;
        std::function<void(MainWindow &)> setUp;
        const char *text, *title, *detail;
    } cases[] = {
        {"nothing selected", [](MainWindow &f) { f.slotRow(0).selectBox()->setChecked(false); },
         "No Sending Text! Do Not Send!", "Note", ""},
        {"empty texts", [](MainWindow &f) { f.slotRow(0).textBox()->clear(); }, "No Sending Text! Do Not Send!", "Note",
         ""},
        {"lower-case port", [](MainWindow &f) { f.parts().settingsRow.portBox()->setEditText(QStringLiteral("com3")); },
         "Set Port Number Error!", "Error", ""},
        {"listed port typed in lower case", [&](MainWindow &f) { type(f, "com3"); }, "Set Port Number Error!", "Error",
         ""},
        {"listed port typed in upper case", [&](MainWindow &f) { type(f, "COM3"); }, "", "", ""},
        {"port busy", [](MainWindow &f) { f.parts().settingsRow.portBox()->setEditText(QStringLiteral("COM5")); },
         "Port in use or not port", "Warning", "test:5: refused"},
        {"no device behind the number", [](MainWindow &f) { f.parts().settingsRow.portBox()->setEditText("COM7"); },
         "Port in use or not port", "Warning", "refused"},
    };
    throttled->withoutDevice = {7};
    for (const auto &c : cases) {
        auto w = readyWindow();
        c.setUp(*w);
        dialogs->shown.clear();
        throttled->written.clear();
        w->parts().sendButton->click();
        if (!*c.text) { // the control case: the same typing sends
            waitForUpload(*w);
            EXPECT_TRUE(dialogs->shown.empty()) << c.what;
            EXPECT_EQ(throttled->written.size(), 280) << c.what;
            continue;
        }
        ASSERT_EQ(dialogs->shown.size(), 1u) << c.what;
        EXPECT_EQ(dialogs->shown[0].text, QString::fromLatin1(c.text)) << c.what;
        EXPECT_EQ(dialogs->shown[0].title, QString::fromLatin1(c.title)) << c.what;
        if (dialogs->shown[0].title == QStringLiteral("Warning")) { // names the device (if any) and the reason
            EXPECT_EQ(dialogs->shown[0].detail, QString::fromLatin1(c.detail)) << c.what;
        }
        if (dialogs->shown[0].title == QStringLiteral("Error")) { // says what the box takes
            EXPECT_EQ(dialogs->shown[0].detail, statusTexts(UiEnglish).portAllowed) << c.what;
        }
        EXPECT_TRUE(throttled->written.isEmpty()) << c.what;
        EXPECT_FALSE(throttled->isOpen()) << c.what;
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

