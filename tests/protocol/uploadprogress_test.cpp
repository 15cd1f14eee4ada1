#include "protocol/uploadprogress.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <iterator>

using namespace glintag;

TEST(UploadProgress, BytesSentAndSecondsLeftFromTheQueueCount)
{
    const struct {
        qint64 total, queued, waiting;
        int rate;
        qint64 sent;
        int secondsLeft;
    } cases[] = {
        {6244, 100, 100, 120, 0, 53}, // nothing out yet: a full upload is 52.03 s, rounded up
        {6244, 100, 0, 120, 100, 52},  {6244, 612, 500, 120, 112, 52}, // 51.1 s
        {6244, 6244, 1, 120, 6243, 1},                                 // one byte left is still a second
        {6244, 6244, 0, 120, 6244, 0}, {280, 280, 0, 120, 280, 0},
        {1000, 500, 600, 120, 0, 9},   // a count above what was queued is not negative progress
        {1000, 1200, 0, 120, 1000, 0}, // never beyond the total
        {1200, 0, 0, 1200, 0, 1},      // another line rate
    };
    for (const auto &c : cases) {
        const UploadProgress p = uploadProgress(c.total, c.queued, c.waiting, c.rate);
        EXPECT_EQ(p.sent, c.sent) << c.total << "/" << c.queued << "/" << c.waiting;
        EXPECT_EQ(p.secondsLeft, c.secondsLeft) << c.total << "/" << c.queued << "/" << c.waiting;
    }
}

// 1234 of 6244 bytes, 42 s left, 52.03 s taken; Sent gives the seconds, the
// rest the total. A stop before any byte left says the badge is unchanged; a
// line that stands still (7 s) says so instead of a countdown that stands
// still with it.
TEST(UploadProgress, EveryStatusInEveryLanguageCarriesItsNumbers)
{
    const struct {
        bool running;
        UploadEnd end;
        UploadProgress progress;
        QStringList facts;
        QString absent;
    } states[] = {
        {true, UploadEnd::Sent, {6244, 1234, 42}, {"1234", "6244", "42"}, {}},
        {true, UploadEnd::Sent, {6244, 1234, 42, 7}, {"6244", "7"}, "42"},
        {false, UploadEnd::Sent, {6244, 1234, 42}, {"1234", "52"}, {}},
        {false, UploadEnd::Stopped, {6244, 1234, 42}, {"1234", "6244"}, {}},
        {false, UploadEnd::Stopped, {6244, 0, 53}, {"6244"}, {}},
        {false, UploadEnd::Stalled, {6244, 1234, 42}, {"1234", "6244"}, {}},
        {false, UploadEnd::LineLost, {6244, 1234, 42}, {"1234", "6244"}, {}},
        {false, UploadEnd::WritesRefused, {6244, 1234, 42}, {"1234", "6244"}, {}},
    };
    for (int lang = 0; lang < 5; ++lang) {
        QStringList seen;
        for (const auto &state : states) {
            const QString text = uploadStatusText({state.running, state.end, state.progress, 52030}, lang);
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << lang << text.toStdString();
            for (const QString &fact : state.facts)
                EXPECT_TRUE(text.contains(fact)) << lang << " " << fact.toStdString() << " in " << text.toStdString();
            if (!state.absent.isEmpty()) {
                EXPECT_FALSE(text.contains(state.absent)) << lang << ": a frozen countdown";
            }
            seen << text;
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), int(std::size(states))) << "two states read the same in language " << lang;
    }
}
