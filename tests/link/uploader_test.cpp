#include "link/qtserialport.h"
#include "link/uploader.h"
#include "protocol/uploadprogress.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"
#include "support/throttledport.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace glintag;

namespace {

std::unique_ptr<UploadSnapshot> snapshotOf(const RowBytes &rowBytes)
{
    ensureApplication();
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
    return runToSignal(uploader, &Uploader::finished, [&] { return uploader.start(snapshot); });
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
    Line line;
    ThrottledPort &port = line.port;
    port.drainPerPoll = 40;
    Uploader uploader(port);
    line.attach(uploader, 10000);
    QList<int> progress;
    // A row may start only once the line is empty.
    QObject::connect(&uploader, &Uploader::rowProgress, [&](int v) {
        progress.append(v);
        EXPECT_EQ(port.queued, 0) << v;
    });
    const UploadOutcome outcome = runToSignal(uploader, &Uploader::finished, [&] {
        EXPECT_TRUE(uploader.start(*snapshot));
        EXPECT_TRUE(port.written.isEmpty()) << "start() only sets the upload going";
        EXPECT_FALSE(uploader.start(*snapshot)) << "one upload at a time";
        // What goes on the wire was fixed when the upload started.
        snapshot->rendering.dots.bytes.fill(0xAA);
        snapshot->rendering.rendered.fill(512);
        snapshot->rendering.sent.fill(512);
        return uploader.isRunning();
    });
    EXPECT_FALSE(outcome.cancelled || outcome.lineLost);
    EXPECT_FALSE(uploader.isRunning());
    EXPECT_EQ(port.written, uploadStream(*sample()));
    EXPECT_EQ(progress, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
}

// As the window does it: a close request, handled while row 3 drains, that
// also deletes the uploader. (Stopped and kept: UploadTest.
// StopButtonAndEscapeEndTheUploadAtOnceAndCtrlReturnSendsAgain.)
TEST(Uploader, CancelFromAWaitEndsAtOnceWithoutTouchingThePort)
{
    Line line;
    line.port.drainPerPoll = 16;
    auto uploader = std::make_unique<Uploader>(line.port);
    QList<int> seen;
    int pollsAtStop = -1;
    auto stop = [&] {
        pollsAtStop = line.polls;
        uploader->cancel();
        EXPECT_FALSE(uploader->isRunning());
        line.port.close();
        uploader.reset();
    };
    QObject::connect(uploader.get(), &Uploader::rowProgress, [&](int v) {
        seen.append(v);
        if (v == 3)
            QTimer::singleShot(0, stop);
    });
    EXPECT_TRUE(runToEnd(*uploader, *sample()).cancelled);
    EXPECT_EQ(seen, (QList<int>{1, 2, 3}));
    EXPECT_EQ(line.polls, pollsAtStop) << "the line was read after the stop";
    EXPECT_EQ(line.port.callsAfterClose, 0);
}

// However fast a driver says its queue empties, no more than 120 bytes a
// second leave a 1200-baud line: the status counts up to what the line can
// have carried, regularly, while the time left falls, and says the line is
// still only when that count has stood still for the hint's time: not while
// an adapter that took everything at once drains it at the line's pace.
TEST(Uploader, TheStatusCountsWhatTheLineCanHaveCarried)
{
    struct Case {
        const char *what;
        qint64 drainPerPoll; // every poll is 100 ms
        qint64 drainLimit;
        bool refuseWrites;
        qint64 stallLimitMs;
        UploadEnd end;
        qint64 sent, endsAt; // endsAt: the clock at the end, where it is fixed (0: not)
        bool expectHint;
    } cases[] = {
        {"a driver that empties at once", 100000, -1, false, 10000, UploadEnd::Sent, 580, 0, false},
        {"a driver at the line's pace", 12, -1, false, 10000, UploadEnd::Sent, 580, 0, false},
        {"slower than the line, yet moving within a 1 s limit", 6, -1, false, 1000, UploadEnd::Sent, 580, 0, false},
        {"a line that stops after 200 bytes", 12, 200, false, 10000, UploadEnd::Stalled, 200, 0, true},
        {"a line that never takes a byte: the limit is the limit", 0, -1, false, 1000, UploadEnd::Stalled, 0, 1100,
         false},
        {"a device that refuses every write", 0, -1, true, 1000, UploadEnd::WritesRefused, 0, 0, false},
    };
    for (const Case &c : cases) {
        const auto snapshot = snapshotOf({40}); // 100 + 12 × 40 = 580 bytes
        Line line;
        line.port.drainLimit = c.drainLimit;
        line.port.drainPerPoll = c.drainPerPoll;
        line.port.refuseWrites = c.refuseWrites;
        Uploader uploader(line.port);
        line.attach(uploader, c.stallLimitMs);
        uploader.setStatusInterval(300);
        std::vector<UploadProgress> seen;
        qint64 lastAt = 0, shownSince = 0;
        int hints = 0;
        QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
            EXPECT_LE(p.sent, lineFloor(line.now)) << c.what << " at " << line.now << " ms";
            EXPECT_LE(line.now - lastAt, 300 + line.msPerPoll) << c.what << ": no word for too long at " << line.now;
            if (!seen.empty()) {
                EXPECT_GE(p.sent, seen.back().sent) << c.what << " at " << line.now;
                EXPECT_LE(p.secondsLeft, seen.back().secondsLeft) << c.what << " at " << line.now;
            }
            if (seen.empty() || p.sent != seen.back().sent)
                shownSince = line.now;
            if (p.quietSeconds > 0) {
                ++hints;
                EXPECT_GE(line.now - shownSince, kQuietHintMs) << c.what << ": " << p.sent << " at " << line.now;
            }
            seen.push_back(p);
            lastAt = line.now;
        });
        const UploadOutcome outcome = runToEnd(uploader, *snapshot);
        EXPECT_EQ(uploadEnd(outcome), c.end) << c.what;
        EXPECT_EQ(hints > 0, c.expectHint) << c.what;
        EXPECT_EQ(outcome.bytesSent, c.sent) << c.what;
        if (c.refuseWrites) {
            // "HellD", the header and the twelve packets: each refused, none waited on.
            EXPECT_EQ(outcome.failedWrites, 14) << c.what;
            EXPECT_EQ(outcome.bytesQueued, 0) << c.what;
        }
        EXPECT_LE(outcome.bytesSent, lineFloor(outcome.elapsedMs)) << c.what << ": more than the line can carry";
        EXPECT_EQ(outcome.elapsedMs, c.endsAt ? c.endsAt : line.now) << c.what;
        ASSERT_FALSE(seen.empty()) << c.what;
        EXPECT_EQ(seen.front().sent, 0) << c.what;
        EXPECT_EQ(seen.front().secondsLeft, 5) << c.what;
        if (c.end == UploadEnd::Sent) {
            EXPECT_LE(seen.back().secondsLeft, 1) << c.what;
            EXPECT_EQ(finalStatus(outcome).progress.secondsLeft, 0) << c.what;
        }
    }
}

// A pseudo-terminal takes the whole stream at once, yet is counted at the
// line's pace; hung up half-way, the upload ends as a lost line. (Sent
// whole over one: SendJob.PutsExactlyTheRenderedStreamOnAPseudoTerminal.)
TEST(Uploader, APseudoTerminalIsCountedAtTheLinesPace)
{
    const auto snapshot = sample();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port(PortMap::build({{"COM7", pty.slavePath()}}, {}));
    port.setPortNumber(7);
    ASSERT_TRUE(port.open());
    Uploader uploader(port);
    qint64 now = 0;
    uploader.setClock([&now] { return now += 37; });
    uploader.setStatusInterval(100);
    int reports = 0;
    QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
        ++reports;
        EXPECT_LE(p.sent, lineFloor(now)) << "at " << now << " ms";
    });
    QObject::connect(&uploader, &Uploader::rowProgress, [&](int row) {
        if (row == 4)
            pty.closeMaster();
    });
    const UploadOutcome outcome = runToEnd(uploader, *snapshot);
    EXPECT_EQ(uploadEnd(outcome), UploadEnd::LineLost);
    EXPECT_LE(outcome.bytesSent, lineFloor(outcome.elapsedMs));
    EXPECT_GT(reports, 12) << "the count was not followed";
    EXPECT_LT(outcome.bytesSent, outcome.totalBytes);
}
