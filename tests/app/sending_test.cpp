#include "windowfixture.h"

#include "i18n/statustexts.h"
#include "link/throttledport.h"
#include "pseudoterminal.h"

#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSocketNotifier>

using namespace glintag;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Only slot 0 selected, holding `text`.
void onlyFirstSlot(MainWindow &w, const QString &text)
{
    for (int i = 1; i < kSlotCount; ++i)
        w.row(i).select->setChecked(false);
    w.row(0).text->setText(text);
}

} // namespace

TEST_F(WindowTest, PseudoTerminalReceivesTheExactStream)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    writeSettings("[Ports]\nCOM7=" + pty.slavePath().toLocal8Bit() + "\n");
    auto w = makeWindow();
    ASSERT_EQ(w->portBox->count(), 1);
    EXPECT_EQ(w->portBox->currentText(), QStringLiteral("COM7"));
    EXPECT_EQ(w->portBox->itemData(0, Qt::ToolTipRole).toString(), pty.slavePath());
    waitForFirstRendering(*w);

    onlyFirstSlot(*w, QStringLiteral("HELLO"));
    w->sendButton->click();
    EXPECT_TRUE(dialogs->shown.empty()) << dialogs->shown.front().text.toStdString();
    EXPECT_FALSE(w->badgePort->isOpen());
    EXPECT_EQ(w->progressBar->value(), 0);

    // The expectation, from the font file and the wire rules alone.
    const QByteArray ascii = readFile(QStringLiteral(GLINTAG_BIN_DIR "/ASC12"));
    ASSERT_EQ(ascii.size(), 3072);
    QByteArray expected("HellD");
    QByteArray header(95, '\0');
    header[6] = 5;                                   // N = 5 bytes per row
    for (int i = 7; i <= 14; ++i)
        header[i] = char(0xFF);
    for (int i = 0; i < 16; ++i) {
        header[15 + i] = char(0x20);                 // speed "3", to Left, no flash or lamp
        header[32 + 4 * i] = char(i == 0 ? 0 : 5);   // offset lo
        header[34 + 4 * i] = char(i == 0 ? 5 : 0);   // length lo
    }
    expected += header;
    for (int r = 0; r < 12; ++r)
        for (char c : QByteArray("HELLO"))
            expected += ascii[12 * c + r];
    EXPECT_EQ(pty.read(expected.size() + 1).toHex(' '), expected.toHex(' '));
}

TEST_F(WindowTest, LineLostMidUploadEndsItAndTheWindowStaysUsable)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    writeSettings("[Ports]\nCOM4=" + pty.slavePath().toLocal8Bit() + "\n");
    auto w = makeWindow();
    waitForFirstRendering(*w);
    onlyFirstSlot(*w, QString(500, QLatin1Char('W')));
    // Hang up as soon as the first bytes arrive.
    QSocketNotifier hangUp(pty.masterFd(), QSocketNotifier::Read);
    QObject::connect(&hangUp, &QSocketNotifier::activated, [&] {
        hangUp.setEnabled(false);
        pty.closeMaster();
    });
    w->sendButton->click();
    EXPECT_FALSE(w->badgePort->isOpen());
    EXPECT_EQ(w->progressBar->value(), 0);
    // Said in the status line, in the window's language, with what got out.
    const QString said = w->statusLine->text();
    EXPECT_TRUE(said.startsWith(statusTexts(w->languageBox->currentIndex()).lineLost.section(QLatin1Char('%'), 0, 0)))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("/ 6100"))) << said.toStdString();
    const int before = w->renderRuns();
    w->row(0).text->setText(QStringLiteral("again"));
    EXPECT_EQ(w->renderRuns(), before + 1);
}

class SlowUpload : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        throttled = std::make_shared<ThrottledPort>();
        throttled->openable = {3};
        throttled->drainPerPoll = 40;
        port = throttled;
    }

    // One upload of a full-ish slot 0; `during` runs at every poll.
    std::unique_ptr<MainWindow> sendWith(std::function<void(MainWindow &, int poll)> during)
    {
        auto w = makeWindow();
        waitForFirstRendering(*w);
        onlyFirstSlot(*w, QStringLiteral("SLOW UPLOAD 123"));
        MainWindow *raw = w.get();
        int polls = 0;
        throttled->onPoll = [raw, &polls, during] { during(*raw, ++polls); };
        w->sendButton->click();
        throttled->onPoll = nullptr;
        return w;
    }

    std::shared_ptr<ThrottledPort> throttled;
};

TEST_F(SlowUpload, GuardsProgressAndEditsDuringTheUpload)
{
    std::vector<int> progress;
    auto ref = sendWith([&](MainWindow &w, int) { progress.push_back(w.progressBar->value()); });
    const QByteArray reference = throttled->written;
    ASSERT_EQ(reference.size(), 100 + 12 * 15);
    EXPECT_EQ(progress.front(), 1);
    EXPECT_EQ(progress.back(), 12);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(ref->progressBar->value(), 0);
    EXPECT_FALSE(throttled->isOpen());
    EXPECT_EQ(throttled->lastSettings, QStringLiteral("1200,n,8,1"));

    throttled->written.clear();
    dialogs->shown.clear();
    auto w = sendWith([&](MainWindow &f, int poll) {
        if (poll == 2) {
            f.sendButton->click();                                  // busy
            f.row(0).load->click();                              // busy, other title
            f.row(0).text->setText(QStringLiteral("EDITED MID-WAY"));
            f.row(0).flash->setChecked(true);
        }
    });
    EXPECT_EQ(throttled->written.toHex(), reference.toHex()) << "an edit changed what was on the wire";
    ASSERT_EQ(dialogs->shown.size(), 2u);
    EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Sending!"));
    EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Waiting"));
    EXPECT_EQ(dialogs->shown[1].title, QStringLiteral("Waits"));
    EXPECT_TRUE(dialogs->filters.isEmpty()) << "no file dialog while sending";
    EXPECT_EQ(w->rowBytes()[0], 14) << "the edit itself was rendered";
}

TEST_F(SlowUpload, CloseDuringTheUpload)
{
    struct Case {
        Dialogs::Answer answer;
        bool finishes;
    } cases[] = {{Dialogs::Answer::No, true}, {Dialogs::Answer::Yes, false}};
    for (const Case &c : cases) {
        throttled->written.clear();
        dialogs->shown.clear();
        dialogs->answers = {c.answer};
        QFile::remove(programDir() + QStringLiteral("/Nvq.ini"));
        bool closed = false;
        auto w = sendWith([&](MainWindow &f, int poll) {
            if (poll == 3)
                closed = f.close();
        });
        ASSERT_EQ(dialogs->shown.size(), 1u);
        EXPECT_EQ(dialogs->shown[0].text, QStringLiteral("Sending! Are you exit?"));
        EXPECT_EQ(dialogs->shown[0].title, QStringLiteral("Warning"));
        EXPECT_EQ(dialogs->shown[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(closed, !c.finishes);
        EXPECT_EQ(throttled->written.size() == 100 + 12 * 15, c.finishes);
        EXPECT_FALSE(throttled->isOpen());
        EXPECT_EQ(throttled->callsAfterClose, 0) << "the stopped upload touched the closed port";
        EXPECT_TRUE(QFile::exists(programDir() + QStringLiteral("/Nvq.ini"))) << "settings are written either way";
        throttled->callsAfterClose = 0;
    }
}

TEST_F(SlowUpload, RefusalsBeforeAnythingIsSent)
{
    struct Case {
        const char *what;
        std::function<void(MainWindow &)> setUp;
        const char *text, *title;
    } cases[] = {
        {"nothing selected", [](MainWindow &f) { f.row(0).select->setChecked(false); }, "No Sending Text! Do Not Send!", "Note"},
        {"empty texts", [](MainWindow &f) { f.row(0).text->clear(); }, "No Sending Text! Do Not Send!", "Note"},
        {"lower-case port", [](MainWindow &f) { f.portBox->setEditText(QStringLiteral("com3")); }, "Set Port Number Error!", "Error"},
        {"port 33", [](MainWindow &f) { f.portBox->setEditText(QStringLiteral("COM33")); }, "Set Port Number Error!", "Error"},
        {"port busy", [](MainWindow &f) { f.portBox->setEditText(QStringLiteral("COM5")); }, "Port in use or not port", "Warning"},
    };
    for (const Case &c : cases) {
        auto w = makeWindow();
        waitForFirstRendering(*w);
        onlyFirstSlot(*w, QStringLiteral("X"));
        c.setUp(*w);
        throttled->written.clear();
        dialogs->shown.clear();
        w->sendButton->click();
        ASSERT_EQ(dialogs->shown.size(), 1u) << c.what;
        EXPECT_EQ(dialogs->shown[0].text, QString::fromLatin1(c.text)) << c.what;
        EXPECT_EQ(dialogs->shown[0].title, QString::fromLatin1(c.title)) << c.what;
        if (dialogs->shown[0].title == QStringLiteral("Warning")) {   // names the device and the reason
            EXPECT_EQ(dialogs->shown[0].detail, QStringLiteral("test:5: refused")) << c.what;
        }
        EXPECT_TRUE(throttled->written.isEmpty()) << c.what;
        EXPECT_FALSE(throttled->isOpen()) << c.what;
    }
}
