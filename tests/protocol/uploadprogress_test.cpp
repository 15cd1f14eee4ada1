#include "protocol/uploadprogress.h"

#include <QStringList>

#include <gtest/gtest.h>

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

TEST(UploadProgress, EveryStatusInEveryLanguageCarriesItsNumbers)
{
    // 1234 of 6244 bytes, 42 s left, 52.03 s taken; Sent gives the seconds, the rest the total.
    const struct {
        bool running;
        UploadEnd end;
        QStringList facts;
    } states[] = {{true, UploadEnd::Sent, {"1234", "6244", "42"}}, {false, UploadEnd::Sent, {"1234", "52"}},
                  {false, UploadEnd::Stopped, {"1234", "6244"}},   {false, UploadEnd::Stalled, {"1234", "6244"}},
                  {false, UploadEnd::LineLost, {"1234", "6244"}},  {false, UploadEnd::WritesRefused, {"1234", "6244"}}};
    for (int lang = 0; lang < 5; ++lang) {
        QStringList seen;
        for (const auto &state : states) {
            const QString text = uploadStatusText({state.running, state.end, {6244, 1234, 42}, 52030}, lang);
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << lang << text.toStdString();
            for (const QString &fact : state.facts)
                EXPECT_TRUE(text.contains(fact)) << lang << " " << fact.toStdString() << " in " << text.toStdString();
            seen << text;
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), 6) << "two states read the same in language " << lang;
    }
    const UploadStatus quick{false, UploadEnd::Sent, {280, 280, 0}, 2340};
    EXPECT_EQ(uploadStatusText(quick, 4), QStringLiteral("Sent 280 bytes in 2.3 s"));
    EXPECT_EQ(uploadStatusText(quick, -1), uploadStatusText(quick, 4)) << "no language reads as English";
}

// A stop before any byte left says the badge is unchanged; a line that
// stands still says so instead of a countdown that stands still with it.
TEST(UploadProgress, NothingSentAndAStillLineSayWhatTheyAre)
{
    const UploadStatus none{false, UploadEnd::Stopped, {6244, 0, 53}, 400};
    const UploadStatus some{false, UploadEnd::Stopped, {6244, 1234, 42}, 400};
    const UploadStatus still{true, UploadEnd::Sent, {6244, 1234, 42, 7}, 0};
    const UploadStatus moving{true, UploadEnd::Sent, {6244, 1234, 42, 0}, 0};
    for (int lang = 0; lang < 5; ++lang) {
        for (const UploadStatus &s : {none, still}) {
            const QString text = uploadStatusText(s, lang);
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << lang << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("6244"))) << lang << text.toStdString();
        }
        EXPECT_NE(uploadStatusText(none, lang), uploadStatusText(some, lang)) << lang;
        EXPECT_TRUE(uploadStatusText(still, lang).contains(QStringLiteral("7"))) << lang;
        EXPECT_FALSE(uploadStatusText(still, lang).contains(QStringLiteral("42"))) << lang << ": a frozen countdown";
        EXPECT_NE(uploadStatusText(still, lang), uploadStatusText(moving, lang)) << lang;
    }
    EXPECT_EQ(uploadStatusText(none, 4),
              QStringLiteral("Stopped before any of the 6244 bytes went out: the badge is unchanged"));
}
