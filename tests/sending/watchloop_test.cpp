// The watch loop: what it sends and when, driven by an injected wall clock
// and a port that drains at the test's pace, and real commands for --exec.
#include "sending/watchloop.h"

#include "render/messagebuilder.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"
#include "support/throttledport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace glintag;

namespace {

const QString kProgramDir = QStringLiteral(GLINTAG_BIN_DIR);

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_watch", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

QByteArray streamFor(const QStringList &texts)
{
    UploadSnapshot s;
    s.setup = setupWithTexts(texts);
    s.rendering = renderSetup(s.setup, kProgramDir);
    return uploadStream(s);
}

// Runs the event loop until `done` holds; false if it never does.
bool runUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer limit(20000);
    while (!done() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

// A watch on one throttled port whose uploads need only a few timer ticks:
// the uploader's clock moves a second on at each reading.
struct Watch {
    std::shared_ptr<ThrottledPort> port = std::make_shared<ThrottledPort>();
    qint64 uploaderNow = 0;
    QDateTime wallNow = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0));
    QList<QStringList> made; // the texts each setup was made from
    QStringList notices;
    WatchLoop loop{{QStringLiteral("COM1")},
                   [this](const QStringList &texts, QString *) -> std::optional<BadgeSetup> {
                       made << texts;
                       return setupWithTexts(texts);
                   },
                   kProgramDir,
                   [this](const QString &) { return port; }};

    Watch()
    {
        ensureApplication();
        port->drainPerPoll = 1 << 20;
        loop.sender().setClock([this] { return uploaderNow += 1000; });
        loop.setWallClock([this] { return wallNow; });
        QObject::connect(&loop, &WatchLoop::notice, [this](const QString &m) { notices << m; });
    }
    bool idle()
    {
        return runUntil([this] { return !loop.isSending(); });
    }
};

} // namespace

TEST(WatchLoop, TimeFieldsTakeTheLocalTime)
{
    const QDateTime at(QDate(2026, 3, 2), QTime(9, 5, 7));
    const struct {
        const char *text, *expected;
    } cases[] = {
        {"{time:%H:%M}", "09:05"},
        {"It is {time:%H:%M:%S} on {date:%d.%m.%Y}", "It is 09:05:07 on 02.03.2026"},
        {"{time} {date}", "09:05 2026-03-02"},
        {"{clock:%H} {time:} {time", "{clock:%H}  {time"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(expandTimeFields(QString::fromUtf8(c.text), at), QString::fromUtf8(c.expected)) << c.text;
    EXPECT_TRUE(hasTimeFields(QStringLiteral("a {date:%A}")));
    EXPECT_FALSE(hasTimeFields(QStringLiteral("a {dates}")));
}

// Checked every 5 s for three minutes, the minute changes three times: the
// first content and each change go out, the other checks send nothing.
TEST(WatchLoop, MinuteFieldSendsOncePerMinute)
{
    Watch w;
    w.loop.watchTexts({QStringLiteral("{time:%H:%M}")});
    w.wallNow = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 2));
    const QDateTime start = w.wallNow;
    for (int s = 0; s < 180; s += 5) {
        w.wallNow = start.addSecs(s);
        w.loop.check();
        ASSERT_TRUE(w.idle());
    }
    EXPECT_EQ(w.loop.uploads(), 3);
    EXPECT_EQ(w.port->written, streamFor({"09:00"}) + streamFor({"09:01"}) + streamFor({"09:02"}));
    EXPECT_EQ(w.made.size(), 3) << "unchanged texts are not even rendered again";
}

// The line takes a few bytes per look; two changes come in while the first
// upload runs, and only the newest follows it.
TEST(WatchLoop, ChangeDuringUploadIsSentOnceAfterItWithTheNewest)
{
    Watch w;
    w.port->drainPerPoll = 8;
    w.loop.watchTexts({QStringLiteral("FIRST")});
    w.loop.check();
    ASSERT_TRUE(w.loop.isSending());
    w.loop.watchTexts({QStringLiteral("SECOND")});
    w.loop.check();
    w.loop.watchTexts({QStringLiteral("THIRD")});
    w.loop.check();
    ASSERT_TRUE(runUntil([&] { return w.loop.uploads() == 2 && !w.loop.isSending(); }));
    w.loop.check();
    ASSERT_TRUE(w.idle());
    EXPECT_EQ(w.loop.uploads(), 2);
    EXPECT_EQ(w.port->written, streamFor({"FIRST"}) + streamFor({"THIRD"}));
}

TEST(WatchLoop, CommandOutputLinesAreSlotsAndFailuresKeepTheLastContent)
{
    Watch w;
    w.loop.runner().setTimeout(300);
    const struct {
        const char *command;
        const char *notice; // empty: the output is taken
    } cases[] = {
        {"printf 'ONE\\r\\nTWO\\n'", ""},
        {"echo THREE; exit 3", "--exec: the command exited with status 3; keeping the last content"},
        {"sleep 30 | cat", "--exec: the command took longer than 0.3 s; keeping the last content"},
        {"read line; echo \"$line\"", "nothing to send: the selected slots are empty; keeping the last content"},
        {"kill -9 $$", "--exec: the command was killed; keeping the last content"},
        {"kill -9 $$", ""}, // the same failure again is not told again
        {"printf 'ONE\\nTWO'", ""},
    };
    for (const auto &c : cases) {
        w.notices.clear();
        w.loop.watchCommand(QString::fromUtf8(c.command));
        w.loop.check();
        ASSERT_TRUE(runUntil([&] { return !w.loop.runner().isRunning(); })) << c.command;
        ASSERT_TRUE(w.idle());
        EXPECT_EQ(w.notices.join(QLatin1Char('\n')), QString::fromUtf8(c.notice)) << c.command;
    }
    // The empty output was looked at, and "ONE", "TWO" again; only the
    // first of them went out.
    EXPECT_EQ(w.made, QList<QStringList>({{"ONE", "TWO"}, {""}, {"ONE", "TWO"}}));
    EXPECT_EQ(w.port->written, streamFor({"ONE", "TWO"}));
}

TEST(WatchLoop, InputLinesBecomeSlotsAGroupAtATime)
{
    Watch w;
    w.loop.watchInput();
    w.loop.start();
    w.loop.feedInput("ONE\nTW");
    w.loop.feedInput("O\r\n");
    EXPECT_TRUE(w.made.isEmpty()) << "a group ends with an empty line";
    w.loop.feedInput("\n\nTHREE");
    ASSERT_TRUE(w.idle());
    w.loop.endInput();
    ASSERT_TRUE(w.idle());
    EXPECT_EQ(w.made, QList<QStringList>({{"ONE", "TWO"}, {"THREE"}}));
    EXPECT_EQ(w.port->written, streamFor({"ONE", "TWO"}) + streamFor({"THREE"}));
}

// A badge that is not there is tried again, with one message when it goes
// and one when it is back; what it missed is sent then.
TEST(WatchLoop, LostPortIsTriedAgainAndResumes)
{
    Watch w;
    w.port->openable = {7};
    w.loop.setRetryInterval(1);
    w.loop.watchTexts({QStringLiteral("HELLO")});
    w.loop.check();
    EXPECT_EQ(w.notices, QStringList({"COM1: cannot open: refused; trying again every 0.001 s"}));
    EXPECT_EQ(w.loop.uploads(), 0);
    // Several retries fail quietly before the badge comes back.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    w.port->openable.clear();
    ASSERT_TRUE(runUntil([&] { return w.loop.uploads() == 1 && !w.loop.isSending(); }));
    EXPECT_EQ(w.notices.size(), 2);
    EXPECT_EQ(w.notices.value(1), QStringLiteral("COM1: the port is back"));
    EXPECT_EQ(w.port->written, streamFor({"HELLO"}));
}

// Each port keeps its own record of what it took: a badge that comes back
// gets the content it missed, and the one that had it gets nothing again.
TEST(WatchLoop, EachPortGetsWhatItMissedOnlyOnce)
{
    ensureApplication();
    std::map<QString, std::shared_ptr<ThrottledPort>> ports;
    for (const char *name : {"COM1", "COM2"}) {
        ports[QString::fromUtf8(name)] = std::make_shared<ThrottledPort>();
        ports[QString::fromUtf8(name)]->drainPerPoll = 1 << 20;
    }
    ports["COM2"]->openable = {9};
    WatchLoop loop(
        {QStringLiteral("COM1"), QStringLiteral("COM2")},
        [](const QStringList &texts, QString *) -> std::optional<BadgeSetup> { return setupWithTexts(texts); },
        kProgramDir, [&](const QString &name) { return ports.at(name); });
    qint64 now = 0;
    loop.sender().setClock([&now] { return now += 1000; });
    loop.setRetryInterval(1);
    QList<QStringList> uploads; // the ports each upload opened
    QObject::connect(&loop, &WatchLoop::uploadStarted,
                     [&](const QString &, qint64, const QStringList &opened) { uploads << opened; });
    loop.watchTexts({QStringLiteral("A")});
    loop.check();
    ASSERT_TRUE(runUntil([&] { return !loop.isSending(); }));
    ports["COM2"]->openable.clear();
    ASSERT_TRUE(runUntil([&] { return uploads.size() == 2 && !loop.isSending(); }));
    loop.watchTexts({QStringLiteral("B")});
    loop.check();
    ASSERT_TRUE(runUntil([&] { return uploads.size() == 3 && !loop.isSending(); }));
    EXPECT_EQ(uploads, QList<QStringList>({{"COM1"}, {"COM2"}, {"COM1", "COM2"}}));
    EXPECT_EQ(ports["COM1"]->written, streamFor({"A"}) + streamFor({"B"}));
    EXPECT_EQ(ports["COM2"]->written, streamFor({"A"}) + streamFor({"B"}));
}

// A badge plugged back in may come up as another device: the port name is
// looked up again before each retry, and the real pseudo-terminal behind
// it gets the exact stream.
TEST(WatchLoop, RetryLooksThePortNameUpAgain)
{
    ensureApplication();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QString device = QStringLiteral("/dev/glintag-test-nothing-here");
    WatchLoop loop(
        {QStringLiteral("COM2")},
        [](const QStringList &texts, QString *) -> std::optional<BadgeSetup> { return setupWithTexts(texts); },
        kProgramDir);
    qint64 now = 0;
    loop.sender().setClock([&now] { return now += 1000; });
    loop.sender().setPortMap(PortMap::build({{QStringLiteral("COM2"), device}}, {}));
    loop.setPortMapSource([&device] { return PortMap::build({{QStringLiteral("COM2"), device}}, {}); });
    loop.setRetryInterval(1);
    loop.watchTexts({QStringLiteral("AGAIN")});
    loop.check();
    EXPECT_EQ(loop.uploads(), 0);
    device = pty.slavePath();
    QByteArray received;
    ASSERT_TRUE(runUntil([&] {
        char buf[1024];
        pollfd p{pty.masterFd(), POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
            if (n <= 0)
                break;
            received.append(buf, int(n));
        }
        return loop.uploads() == 1 && !loop.isSending();
    }));
    received += pty.read(int(streamFor({"AGAIN"}).size() - received.size()));
    EXPECT_EQ(received.toHex(), streamFor({"AGAIN"}).toHex());
}
