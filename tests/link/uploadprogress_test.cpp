#include "link/throttledport.h"
#include "link/uploader.h"
#include "link/uploadprogress.h"

#include <algorithm>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace glintag;

namespace {

// The drain waits need an event dispatcher on this thread.
std::unique_ptr<UploadSnapshot> snapshotOf(int bytesPerRow)
{
    static int argc = 1;
    static char name[] = "test_progress", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    auto s = std::make_unique<UploadSnapshot>();
    s->rowBytes[0] = qint16(bytesPerRow);
    return s;
}

// A port on a clock the test owns: every count read is `msPerPoll` later.
struct Line {
    ThrottledPort port;
    qint64 now = 0;
    qint64 msPerPoll = 100;
    int polls = 0;
    Line() { port.open(); port.onPoll = [this] { now += msPerPoll; ++polls; }; }
    void attach(Uploader &u, qint64 stallLimitMs)
    {
        u.setClock([this] { return now; });
        u.setStallLimit(stallLimitMs);
    }
};

} // namespace

TEST(UploadProgress, BytesSentAndSecondsLeftFromTheQueueCount)
{
    const struct {
        qint64 total, queued, waiting;
        int rate;
        qint64 sent;
        int secondsLeft;
    } cases[] = {
        {6244, 100, 100, 120, 0, 53},       // nothing out yet: a full upload is 52.03 s, rounded up
        {6244, 100, 0, 120, 100, 52},
        {6244, 612, 500, 120, 112, 52},      // 51.1 s
        {6244, 6244, 1, 120, 6243, 1},      // one byte left is still a second
        {6244, 6244, 0, 120, 6244, 0},
        {280, 280, 0, 120, 280, 0},
        {1000, 500, 600, 120, 0, 9},        // a count above what was queued is not negative progress
        {1000, 1200, 0, 120, 1000, 0},      // never beyond the total
        {1200, 0, 0, 1200, 0, 1},           // another line rate
    };
    for (const auto &c : cases) {
        const UploadProgress p = uploadProgress(c.total, c.queued, c.waiting, c.rate);
        EXPECT_EQ(p.sent, c.sent) << c.total << "/" << c.queued << "/" << c.waiting;
        EXPECT_EQ(p.secondsLeft, c.secondsLeft) << c.total << "/" << c.queued << "/" << c.waiting;
    }
}

TEST(UploadProgress, EveryStatusInEveryLanguageCarriesItsNumbers)
{
    const UploadEnd ends[] = {UploadEnd::Sent, UploadEnd::Stopped, UploadEnd::Stalled, UploadEnd::LineLost,
                              UploadEnd::WritesRefused};
    for (int lang = 0; lang < 5; ++lang) {
        QStringList seen;
        UploadStatus running;
        running.running = true;
        running.progress = {6244, 1234, 42};
        const QString sending = uploadStatusText(running, lang);
        EXPECT_TRUE(sending.contains(QLatin1String("1234")) && sending.contains(QLatin1String("6244"))
                    && sending.contains(QLatin1String("42")))
            << lang << sending.toStdString();
        seen << sending;
        for (UploadEnd end : ends) {
            UploadStatus s;
            s.end = end;
            s.progress = {6244, 1234, 42};
            s.elapsedMs = 52030;
            const QString text = uploadStatusText(s, lang);
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << lang << text.toStdString();
            EXPECT_TRUE(text.contains(QLatin1String("1234"))) << lang << text.toStdString();
            const char *const second = end == UploadEnd::Sent ? "52" : "6244";   // seconds, or the total
            EXPECT_TRUE(text.contains(QLatin1String(second))) << lang << text.toStdString();
            seen << text;
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), 6) << "two states read the same in language " << lang;
    }
    UploadStatus quick;
    quick.progress = {280, 280, 0};
    quick.elapsedMs = 2340;
    EXPECT_EQ(uploadStatusText(quick, 4), QStringLiteral("Sent 280 bytes in 2.3 s"));
    EXPECT_EQ(uploadStatusText(quick, -1), uploadStatusText(quick, 4)) << "no language reads as English";
}

TEST(Uploader, StatusCountsUpWhileTheTimeLeftFalls)
{
    const auto snapshot = snapshotOf(40);   // 100 + 12 × 40 = 580 bytes
    Line line;
    line.port.drainPerPoll = 12;            // 120 bytes a second at 100 ms a poll
    Uploader uploader(line.port);
    line.attach(uploader, 10000);
    std::vector<UploadProgress> seen;
    std::vector<qint64> at;
    uploader.setStatusCallback([&](const UploadProgress &p) { seen.push_back(p); at.push_back(line.now); }, 1000);
    const UploadOutcome outcome = uploader.run(*snapshot);

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

TEST(Uploader, EndsOnAStalledLineAndSaysWhatGotThrough)
{
    const struct {
        const char *what;
        int drainEvery;       // polls between drains of 16 bytes; 0 never
        bool refuse;
        UploadEnd end;
        qint64 sent;
    } cases[] = {
        {"never drains", 0, false, UploadEnd::Stalled, 0},
        {"slow but moving", 5, false, UploadEnd::Sent, 124},
        {"every write refused", 0, true, UploadEnd::WritesRefused, 0},
    };
    for (const auto &c : cases) {
        const auto snapshot = snapshotOf(2);   // 124 bytes
        Line line;
        line.port.refuseWrites = c.refuse;
        line.port.onPoll = [&] {
            line.now += line.msPerPoll;
            ++line.polls;
            if (c.drainEvery && line.polls % c.drainEvery == 0 && line.port.queued > 0)
                line.port.queued -= std::min<qint64>(line.port.queued, 16), line.port.drainPerPoll = 0;
        };
        Uploader uploader(line.port);
        line.attach(uploader, 1000);   // a one-second limit, on the test's clock
        const UploadOutcome outcome = uploader.run(*snapshot);
        EXPECT_EQ(uploadEnd(outcome), c.end) << c.what;
        EXPECT_EQ(outcome.bytesSent, c.sent) << c.what;
        if (c.end == UploadEnd::Stalled) {
            EXPECT_EQ(line.now, 1100) << c.what << ": the limit is the limit";
        }
    }
}
