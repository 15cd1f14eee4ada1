// The watch loop: what it sends and when, on ports that drain at the test's
// pace, and real commands for --exec.
#include "sending/watchloop.h"

#include "support/eventloop.h"
#include "support/setups.h"
#include "support/throttledport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace glintag;

namespace {

QByteArray streamOf(const QStringList &texts)
{
    return streamFor(setupWithTexts(texts));
}

// "1" to "16": as many lines as there are slots.
QStringList sixteenNumbers()
{
    QStringList numbers;
    for (int i = 1; i <= kSlotCount; ++i)
        numbers << QString::number(i);
    return numbers;
}

// A notice in a few words the tests can compare: its kind and the value it
// carries.
QString describe(const WatchNotice &n)
{
    static const char *const ends[] = {"printed", "status", "killed", "timed out", "cannot start", "too much"};
    switch (n.kind) {
    case WatchNotice::Kind::CommandFailed:
        return QStringLiteral("command %1 %2").arg(QLatin1String(ends[int(n.command.end)])).arg(n.command.status);
    case WatchNotice::Kind::LinesDropped:
        return QStringLiteral("dropped %1").arg(n.count);
    case WatchNotice::Kind::TextsCut:
        return QStringLiteral("cut %1").arg(n.count);
    case WatchNotice::Kind::GroupTooLong:
        return QStringLiteral("group too long");
    case WatchNotice::Kind::NoContent:
        return QStringLiteral("no content");
    case WatchNotice::Kind::SetupRefused:
        return QStringLiteral("refused: %1").arg(n.why);
    case WatchNotice::Kind::NothingToSend:
        return QStringLiteral("nothing to send");
    case WatchNotice::Kind::PortLost:
        return QStringLiteral("%1 lost: %2, again in %3 s").arg(n.port, n.outcome.openError).arg(n.retrySeconds);
    case WatchNotice::Kind::PortBack:
        return QStringLiteral("%1 back").arg(n.port);
    }
    return QString();
}

// A watch on throttled ports (COM1 unless told) whose uploads need only a
// few timer ticks: the uploader's clock moves a second on at each reading.
struct Watch {
    std::map<QString, std::shared_ptr<ThrottledPort>> ports;
    std::shared_ptr<ThrottledPort> port; // the first
    qint64 uploaderNow = 0;
    QList<QStringList> made; // the texts each setup was made from
    QStringList notices;
    WatchLoop loop;

    explicit Watch(const QStringList &names = {QStringLiteral("COM1")}) :
        loop(
            names,
            [this](const QStringList &texts, QString *) -> std::optional<BadgeSetup> {
                made << texts;
                return setupWithTexts(texts);
            },
            QStringLiteral(GLINTAG_BIN_DIR), [this](const QString &name) { return ports.at(name); })
    {
        ensureApplication();
        for (const QString &name : names) {
            ports[name] = std::make_shared<ThrottledPort>();
            ports[name]->drainPerPoll = 1 << 20;
        }
        port = ports.at(names.first());
        loop.sender().setClock([this] { return uploaderNow += 1000; });
        QObject::connect(&loop, &WatchLoop::notice, [this](const WatchNotice &n) { notices << describe(n); });
    }
    bool idle()
    {
        return runUntil([this] { return !loop.isSending(); });
    }
};

} // namespace

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
    EXPECT_EQ(w.port->written, streamOf({"FIRST"}) + streamOf({"THIRD"}));
}

TEST(WatchLoop, CommandOutputLinesAreSlotsAndFailuresKeepTheLastContent)
{
    Watch w;
    w.loop.runner().setTimeout(300);
    const QStringList oneTwo = {"ONE", "TWO"}, sixteen = sixteenNumbers(), none;
    const struct {
        const char *command;
        const char *notice; // empty: the output is taken
        QStringList made;   // the texts a new setup is made from; none: no new setup
    } cases[] = {
        {"printf 'ONE\\r\\nTWO\\n'", "", oneTwo},
        {"echo THREE; exit 3", "command status 3", none},
        {"sleep 30 | cat", "command timed out 1", none},
        {"read line; echo \"$line\"", "nothing to send", {""}}, // the empty line is looked at
        {"kill -9 $$", "command killed 0", none},
        {"kill -9 $$", "", none},     // the same failure again is not told again
        {"true", "no content", none}, // nothing printed is never sent as a blank badge
        {"true", "", none},
        {"yes", "command too much 1048576", none},
        {"seq 1 17", "dropped 1", sixteen},
        {"seq 1 100000", "dropped 99984", none}, // the same sixteen again
        {"head -c 2000 /dev/zero | tr '\\0' x", "cut 1", {QString(kTextByteLimit, QLatin1Char('x'))}},
        {"printf 'ONE\\nTWO'", "", oneTwo},
    };
    for (const auto &c : cases) {
        w.notices.clear();
        w.made.clear();
        w.loop.watchCommand(QString::fromUtf8(c.command));
        w.loop.check();
        ASSERT_TRUE(runUntil([&] { return !w.loop.runner().isRunning(); })) << c.command;
        ASSERT_TRUE(w.idle());
        EXPECT_EQ(w.notices.join(QLatin1Char('\n')), QString::fromUtf8(c.notice)) << c.command;
        EXPECT_EQ(w.made, c.made.isEmpty() ? QList<QStringList>() : QList<QStringList>{c.made}) << c.command;
    }
}

// A badge that is not there is tried again, quietly, with one message when
// it goes and one when it is back. Each port keeps its own record of what it
// took: the badge that comes back gets the content it missed, and the one
// that had it gets nothing again.
TEST(WatchLoop, ALostPortIsTriedAgainAndGetsWhatItMissedOnlyOnce)
{
    Watch w({QStringLiteral("COM1"), QStringLiteral("COM2")});
    w.ports["COM2"]->openable = {9};
    w.loop.setRetryInterval(1);
    QList<QStringList> uploads; // the ports each upload opened
    QObject::connect(&w.loop, &WatchLoop::uploadStarted,
                     [&](WatchReason, qint64, const QStringList &opened) { uploads << opened; });
    w.loop.watchTexts({QStringLiteral("A")});
    w.loop.check();
    ASSERT_TRUE(w.idle());
    EXPECT_EQ(w.notices, QStringList({"COM2 lost: refused, again in 0.001 s"}));
    // Several retries fail quietly before the badge comes back.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    w.ports["COM2"]->openable.clear();
    ASSERT_TRUE(runUntil([&] { return uploads.size() == 2 && !w.loop.isSending(); }));
    EXPECT_EQ(w.notices, QStringList({"COM2 lost: refused, again in 0.001 s", "COM2 back"}));
    w.loop.watchTexts({QStringLiteral("B")});
    w.loop.check();
    ASSERT_TRUE(runUntil([&] { return uploads.size() == 3 && !w.loop.isSending(); }));
    EXPECT_EQ(uploads, QList<QStringList>({{"COM1"}, {"COM2"}, {"COM1", "COM2"}}));
    EXPECT_EQ(w.ports["COM1"]->written, streamOf({"A"}) + streamOf({"B"}));
    EXPECT_EQ(w.ports["COM2"]->written, streamOf({"A"}) + streamOf({"B"}));
}

// Lines gather into a group up to an empty line, whatever the pieces they
// come in. Lines past slot 16 are counted, not kept; a group longer than the
// read bound (an endless line, say) is skipped to its empty line, told once,
// and the next group goes out as usual.
TEST(WatchLoop, InputGroupsAreHeldToTheSlotsAndTheReadBound)
{
    Watch w;
    w.loop.watchInput();
    w.loop.start();
    w.loop.feedInput("ONE\nTW");
    w.loop.feedInput("O\r\n");
    EXPECT_TRUE(w.made.isEmpty()) << "a group ends with an empty line";
    w.loop.feedInput("\n\n");
    ASSERT_TRUE(w.idle());
    const QStringList sixteen = sixteenNumbers();
    w.loop.feedInput((sixteen + QStringList{"17", "", ""}).join(QLatin1Char('\n')).toUtf8());
    ASSERT_TRUE(w.idle());
    const QByteArray piece(64 * 1024, 'x');
    for (int i = 0; i < 20; ++i) // 1.25 MiB without a line's end
        w.loop.feedInput(piece);
    w.loop.feedInput("\nSKIPPED TOO\n\r\nAFTER");
    w.loop.endInput(); // the last group needs no empty line
    ASSERT_TRUE(w.idle());
    EXPECT_EQ(w.made, QList<QStringList>({{"ONE", "TWO"}, sixteen, {"AFTER"}}));
    EXPECT_EQ(w.notices, QStringList({"dropped 1", "group too long"}));
    EXPECT_EQ(w.loop.groups(), 3);
    EXPECT_EQ(w.port->written, streamOf({"ONE", "TWO"}) + streamOf(sixteen) + streamOf({"AFTER"}));
}
