#include "link/qtserialport.h"
#include "link/uploader.h"
#include "protocol/uploadprogress.h"
#include "support/pseudoterminal.h"
#include "support/throttledport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace glintag;

static const QList<int> kAllRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0};

namespace {

// The uploader's timer and QSerialPort need an event loop on this thread.
std::unique_ptr<UploadSnapshot> snapshotOf(const RowBytes &rowBytes)
{
    static int argc = 1;
    static char name[] = "test_link", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    auto s = std::make_unique<UploadSnapshot>();
    for (size_t i = 0; i < s->rendering.dots.bytes.size(); ++i)
        s->rendering.dots.bytes[i] = std::uint8_t(i * 7 + i / 512);
    s->rendering.setLengths(rowBytes);
    return s;
}

std::unique_ptr<UploadSnapshot> sample()
{
    return snapshotOf({12, 0, 30, 0, 0, 7});
}

// Starts the upload and runs the event loop until finished() has come.
UploadOutcome runToEnd(Uploader &uploader, const UploadSnapshot &snapshot)
{
    UploadOutcome outcome;
    QEventLoop loop;
    QObject::connect(&uploader, &Uploader::finished, &loop, [&](const UploadOutcome &o) {
        outcome = o;
        loop.quit();
    });
    if (uploader.start(snapshot))
        loop.exec();
    return outcome;
}

// A port on a clock the test owns: every count read is `msPerPoll` later.
struct Line {
    ThrottledPort port;
    qint64 now = 0;
    qint64 msPerPoll = 100;
    int polls = 0;
    Line()
    {
        port.open();
        port.onPoll = [this] {
            now += msPerPoll;
            ++polls;
        };
    }
    void attach(Uploader &u, qint64 stallLimitMs)
    {
        u.setClock([this] { return now; });
        u.setStallLimit(stallLimitMs);
    }
};

} // namespace

TEST(Uploader, SendsTheSnapshotOneDrainedBlockAtATime)
{
    auto snapshot = sample();
    ThrottledPort port;
    ASSERT_TRUE(port.open());
    port.drainPerPoll = 40;
    Uploader uploader(port);
    qint64 now = 0;
    uploader.setClock([&now] { return now += 100; }); // the line's pace, without waiting for it
    QList<int> progress;
    // A row may start only once the line is empty.
    QObject::connect(&uploader, &Uploader::rowProgress, [&](int v) {
        progress.append(v);
        EXPECT_EQ(port.queued, 0) << v;
    });
    UploadOutcome outcome;
    QEventLoop loop;
    QObject::connect(&uploader, &Uploader::finished, [&](const UploadOutcome &o) { outcome = o, loop.quit(); });
    ASSERT_TRUE(uploader.start(*snapshot));
    EXPECT_TRUE(port.written.isEmpty()) << "start() only sets the upload going";
    EXPECT_FALSE(uploader.start(*snapshot)) << "one upload at a time";
    // What goes on the wire was fixed when the upload started.
    snapshot->rendering.dots.bytes.fill(0xAA);
    snapshot->rendering.rendered.fill(512);
    snapshot->rendering.sent.fill(512);
    loop.exec();
    EXPECT_FALSE(outcome.cancelled || outcome.lineLost);
    EXPECT_FALSE(uploader.isRunning());
    EXPECT_EQ(port.written, uploadStream(*sample()));
    EXPECT_EQ(progress, kAllRows);
}

TEST(Uploader, CancelFromAWaitEndsAtOnceWithoutTouchingThePort)
{
    for (bool deleteIt : {false, true}) {
        ThrottledPort p;
        ASSERT_TRUE(p.open());
        p.drainPerPoll = 16;
        auto uploader = std::make_unique<Uploader>(p);
        QList<int> seen;
        int polls = 0, pollsAtStop = -1;
        // As the window does it: a close request, handled while row 3 drains.
        auto stop = [&] {
            pollsAtStop = polls;
            uploader->cancel();
            EXPECT_FALSE(uploader->isRunning()) << deleteIt;
            p.close();
            if (deleteIt)
                uploader.reset();
        };
        p.onPoll = [&] { ++polls; };
        QObject::connect(uploader.get(), &Uploader::rowProgress, [&](int v) {
            seen.append(v);
            if (v == 3)
                QTimer::singleShot(0, stop);
        });
        EXPECT_TRUE(runToEnd(*uploader, *sample()).cancelled) << deleteIt;
        EXPECT_EQ(seen, (QList<int>{1, 2, 3})) << deleteIt;
        EXPECT_EQ(polls, pollsAtStop) << deleteIt << ": the line was read after the stop";
        EXPECT_EQ(p.callsAfterClose, 0) << deleteIt;
    }
}

TEST(Uploader, StatusCountsUpWhileTheTimeLeftFalls)
{
    const auto snapshot = snapshotOf({40}); // 100 + 12 × 40 = 580 bytes
    Line line;
    line.port.drainPerPoll = 12; // 120 bytes a second at 100 ms a poll
    Uploader uploader(line.port);
    line.attach(uploader, 10000);
    std::vector<UploadProgress> seen;
    std::vector<qint64> at;
    uploader.setStatusInterval(1000);
    QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
        seen.push_back(p);
        at.push_back(line.now);
    });
    const UploadOutcome outcome = runToEnd(uploader, *snapshot);

    EXPECT_EQ(uploadEnd(outcome), UploadEnd::Sent);
    EXPECT_EQ(outcome.totalBytes, 580);
    EXPECT_EQ(outcome.bytesSent, 580);
    EXPECT_EQ(outcome.elapsedMs, line.now);
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen.front().sent, 0);
    EXPECT_EQ(seen.front().secondsLeft, 5);
    for (size_t k = 1; k < seen.size(); ++k) {
        EXPECT_GE(seen[k].sent, seen[k - 1].sent) << k;
        EXPECT_LE(seen[k].secondsLeft, seen[k - 1].secondsLeft) << k;
        EXPECT_LE(at[k] - at[k - 1], 1000 + line.msPerPoll) << "more than a second without a word, at " << k;
    }
    EXPECT_LE(seen.back().secondsLeft, 1);
    EXPECT_EQ(finalStatus(outcome).progress.secondsLeft, 0);
}

TEST(Uploader, EndsOnAStalledLineOrRefusedWritesAndSaysWhatGotThrough)
{
    const struct {
        const char *what;
        int drainEvery; // polls between drains of 16 bytes; 0 never
        bool refuseWrites;
        UploadEnd end;
        qint64 sent;
    } cases[] = {
        {"never drains", 0, false, UploadEnd::Stalled, 0},
        {"slow but moving", 5, false, UploadEnd::Sent, 124},
        {"refuses every write", 0, true, UploadEnd::WritesRefused, 0},
    };
    for (const auto &c : cases) {
        const auto snapshot = snapshotOf({2}); // 124 bytes
        Line line;
        line.port.refuseWrites = c.refuseWrites;
        line.port.onPoll = [&] {
            line.now += line.msPerPoll;
            ++line.polls;
            if (c.drainEvery && line.polls % c.drainEvery == 0 && line.port.queued > 0)
                line.port.queued -= std::min<qint64>(line.port.queued, 16), line.port.drainPerPoll = 0;
        };
        Uploader uploader(line.port);
        line.attach(uploader, 1000); // a one-second limit, on the test's clock
        const UploadOutcome outcome = runToEnd(uploader, *snapshot);
        EXPECT_EQ(uploadEnd(outcome), c.end) << c.what;
        EXPECT_EQ(outcome.bytesSent, c.sent) << c.what;
        if (c.end == UploadEnd::Stalled) {
            EXPECT_EQ(line.now, 1100) << c.what << ": the limit is the limit";
        }
        if (c.refuseWrites) {
            // "HellD", the header and the twelve packets: each refused, none waited on.
            EXPECT_EQ(outcome.failedWrites, 14) << c.what;
            EXPECT_EQ(outcome.bytesQueued, 0) << c.what;
        }
    }
}

// However fast a driver says its queue empties, no more than 120 bytes a
// second leave a 1200-baud line: neither the count nor the end may run ahead
// of the clock. A pseudo-terminal takes the whole stream at once.
TEST(Uploader, NeverCountsMoreThanTheLineCanCarry)
{
    const struct {
        const char *what;
        qint64 drainPerPoll; // the throttled port's; 0: a pseudo-terminal
        int hangUpAtRow;     // the pseudo-terminal's master closes then; 0 never
        UploadEnd end;
    } cases[] = {
        {"a driver that empties at once", 100000, 0, UploadEnd::Sent},
        {"a driver at the line's own pace", 12, 0, UploadEnd::Sent},
        {"a pseudo-terminal", 0, 0, UploadEnd::Sent},
        {"a pseudo-terminal hung up at row 4", 0, 4, UploadEnd::LineLost},
    };
    for (const auto &c : cases) {
        const auto snapshot = sample();
        ThrottledPort throttled;
        Pty pty;
        ASSERT_TRUE(pty.ok());
        QtSerialPort ptyPort(PortMap::build({{"COM7", pty.slavePath()}}, {}));
        ptyPort.setPortNumber(7);
        SerialPort &port = c.drainPerPoll ? static_cast<SerialPort &>(throttled) : ptyPort;
        ASSERT_TRUE(port.open()) << c.what;
        throttled.drainPerPoll = c.drainPerPoll;
        Uploader uploader(port);
        qint64 now = 0;
        uploader.setClock([&now] { return now += 37; });
        uploader.setStatusInterval(100);
        int reports = 0;
        QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
            ++reports;
            EXPECT_LE(p.sent, lineFloor(now)) << c.what << " at " << now << " ms";
        });
        QObject::connect(&uploader, &Uploader::rowProgress, [&](int row) {
            if (c.hangUpAtRow && row == c.hangUpAtRow)
                pty.closeMaster();
        });
        const UploadOutcome outcome = runToEnd(uploader, *snapshot);
        EXPECT_EQ(uploadEnd(outcome), c.end) << c.what;
        EXPECT_LE(outcome.bytesSent, lineFloor(outcome.elapsedMs)) << c.what;
        EXPECT_GT(reports, 12) << c.what << ": the count was not followed";
        if (c.end == UploadEnd::Sent) {
            EXPECT_EQ(outcome.bytesSent, outcome.totalBytes) << c.what;
            EXPECT_GE(outcome.elapsedMs * kLineBytesPerSecond, outcome.totalBytes * 1000)
                << c.what << ": \"Sent\" before the line can have carried it";
        } else {
            EXPECT_LT(outcome.bytesSent, outcome.totalBytes) << c.what;
        }
    }
}

// The status counts the bytes the line can have carried and says the line is
// still only when that count has stood still for the hint's time: not while
// an adapter that took everything at once drains it at the line's pace.
TEST(Uploader, TheLineIsSaidToBeStillOnlyWhenTheCountStandsStill)
{
    struct Case {
        const char *what;
        qint64 drainPerPoll; // every poll is 100 ms
        qint64 drainLimit;
        UploadEnd end;
        bool expectHint;
    } cases[] = {
        {"an adapter that buffers", 1000, -1, UploadEnd::Sent, false},
        {"a driver a little faster than the line", 30, -1, UploadEnd::Sent, false},
        {"a driver at the line's pace", 12, -1, UploadEnd::Sent, false},
        {"a line that stops after 200 bytes", 12, 200, UploadEnd::Stalled, true},
    };
    for (const Case &c : cases) {
        const auto snapshot = snapshotOf({40});
        Line line;
        line.port.drainLimit = c.drainLimit;
        line.port.drainPerPoll = c.drainPerPoll;
        Uploader uploader(line.port);
        line.attach(uploader, 10000);
        uploader.setStatusInterval(300);
        qint64 shown = -1, shownSince = 0;
        int hints = 0;
        QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
            EXPECT_LE(p.sent, lineFloor(line.now)) << c.what << " at " << line.now << " ms";
            if (p.sent != shown)
                shown = p.sent, shownSince = line.now;
            if (p.quietSeconds > 0) {
                ++hints;
                EXPECT_GE(line.now - shownSince, kQuietHintMs) << c.what << ": " << p.sent << " at " << line.now;
            }
        });
        const UploadOutcome outcome = runToEnd(uploader, *snapshot);
        EXPECT_EQ(uploadEnd(outcome), c.end) << c.what;
        EXPECT_EQ(hints > 0, c.expectHint) << c.what;
        if (c.end == UploadEnd::Sent)
            EXPECT_EQ(outcome.bytesSent, 580) << c.what;
        else
            EXPECT_EQ(outcome.bytesSent, 200) << c.what;
    }
}
