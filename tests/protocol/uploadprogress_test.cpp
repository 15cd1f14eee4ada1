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
        {6244, 100, 100, 120, 0, 53},   // nothing out yet: a full upload is 52.03 s, rounded up
        {6244, 612, 500, 120, 112, 52}, // 51.1 s
        {6244, 6244, 1, 120, 6243, 1},  // one byte left is still a second
        {6244, 6244, 0, 120, 6244, 0},
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

// The ends the window's sending tests leave without their numbers: 1234 of
// 6244 bytes, 52.03 s taken (whole seconds from ten on).
TEST(UploadProgress, EveryStatusInEveryLanguageCarriesItsNumbers)
{
    const struct {
        UploadEnd end;
        QStringList facts;
    } states[] = {
        {UploadEnd::Sent, {"1234", "52"}},
        {UploadEnd::Stopped, {"1234", "6244"}},
        {UploadEnd::LineLost, {"1234", "6244"}},
    };
    for (int lang = 0; lang < 5; ++lang) {
        QStringList seen;
        for (const auto &state : states) {
            const QString text = uploadStatusText({false, state.end, {6244, 1234, 42}, 52030}, lang);
            for (const QString &fact : state.facts)
                EXPECT_TRUE(text.contains(fact)) << lang << " " << fact.toStdString() << " in " << text.toStdString();
            seen << text;
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), int(std::size(states))) << "two states read the same in language " << lang;
    }
}
