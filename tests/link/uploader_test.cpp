#include "coreapp.h"
#include "link/throttledport.h"
#include "link/uploader.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace glintag;

namespace {

std::unique_ptr<UploadSnapshot> sampleSnapshot()
{
    auto s = std::make_unique<UploadSnapshot>();
    for (int j = 0; j < kSlotCount; ++j)
        for (int r = 0; r < kRowCount; ++r)
            for (int k = 0; k < kRowByteCount; ++k)
                s->dots.row(j, r)[k] = std::uint8_t(j * 16 + r + k);
    s->rowBytes[0] = 12;
    s->rowBytes[2] = 30;
    s->rowBytes[5] = 7;
    s->options.slotOptions[2] = {QStringLiteral("6"), 1, 1, 3};
    s->options.brightness = QStringLiteral("2");
    return s;
}

class UploaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApp();
        port.setPortNumber(3);
        ASSERT_TRUE(port.open());
        port.drainPerPoll = 40;
    }

    ThrottledPort port;
    QList<int> progress;
};

} // namespace

TEST_F(UploaderTest, SendsTheSnapshotWithOneDrainPerBlock)
{
    auto snapshot = sampleSnapshot();
    const QByteArray expected = uploadStream(*snapshot);
    QList<qint64> queuedAtWrite;
    int lastWritten = 0;
    port.onPoll = [&] {
        if (port.written.size() != lastWritten) {
            lastWritten = port.written.size();
            queuedAtWrite.append(port.queued());
        }
        // The window re-renders into the very data the upload started from:
        // none of it may reach the wire.
        snapshot->dots.bytes.fill(0xAA);
        snapshot->rowBytes.fill(512);
        snapshot->options.slotOptions[0].speed = QStringLiteral("8");
        snapshot->options.brightness = QStringLiteral("1");
    };

    Uploader uploader(port);
    uploader.setProgressCallback([&](int v) {
        progress.append(v);
        EXPECT_TRUE(uploader.isRunning());
        EXPECT_EQ(port.queued(), 0) << "a row started before the line was empty";
    });
    const UploadOutcome outcome = uploader.run(*snapshot);

    EXPECT_FALSE(outcome.cancelled);
    EXPECT_FALSE(outcome.lineLost);
    EXPECT_EQ(outcome.failedWrites, 0);
    EXPECT_EQ(outcome.bytesQueued, expected.size());
    EXPECT_EQ(port.written, expected);
    EXPECT_EQ(progress, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
    // Preamble and header go together, then one wait per packet: the queue
    // holds exactly one block whenever something new was seen.
    ASSERT_EQ(queuedAtWrite.size(), 13);
    EXPECT_EQ(queuedAtWrite.first(), 100);
    for (int i = 1; i < 13; ++i)
        EXPECT_EQ(queuedAtWrite[i], 49) << i;
    EXPECT_FALSE(uploader.isRunning());
    EXPECT_TRUE(port.isOpen()) << "closing is the caller's business";
}

TEST_F(UploaderTest, CancelReturnsAtOnceWithoutTouchingThePort)
{
    enum class Where { DrainEvent, ProgressCallback, DeletedInEvent };
    const struct { const char *name; Where where; QList<int> progress; } cases[] = {
        {"cancel from an event during a wait", Where::DrainEvent, {1, 2, 3}},
        {"cancel from the progress callback", Where::ProgressCallback, {1, 2, 3}},
        {"uploader deleted by the event", Where::DeletedInEvent, {1, 2, 3}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ThrottledPort p;
        ASSERT_TRUE(p.open());
        p.drainPerPoll = 16;
        QList<int> seen;
        auto uploader = std::make_unique<Uploader>(p);
        Uploader *raw = uploader.get();

        auto closeAndCancel = [&] {
            raw->cancel();
            p.close();
            if (c.where == Where::DeletedInEvent)
                uploader.reset();
        };
        bool armed = false;
        raw->setProgressCallback([&](int v) {
            seen.append(v);
            if (v == 3) {
                if (c.where == Where::ProgressCallback)
                    closeAndCancel();
                else
                    armed = true;
            }
        });
        p.onPoll = [&] {
            if (armed) {
                armed = false;
                // As the window does it: a close request handled inside the wait.
                QTimer::singleShot(0, closeAndCancel);
            }
        };

        const auto snapshot = sampleSnapshot();
        const UploadOutcome outcome = raw->run(*snapshot);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(seen, c.progress);
        EXPECT_EQ(p.callsAfterClose, 0);
        EXPECT_GE(p.written.size(), 100 + 2 * 49);
        EXPECT_LT(p.written.size(), uploadStream(*snapshot).size());
    }
}

TEST_F(UploaderTest, LostLineEndsEachWaitAndTheRowsStillCount)
{
    auto snapshot = sampleSnapshot();
    Uploader uploader(port);
    uploader.setProgressCallback([&](int v) {
        progress.append(v);
        if (v == 5)
            port.loseLine();
    });
    const int pollsBefore = port.bytesWaitingCalls;
    const UploadOutcome outcome = uploader.run(*snapshot);
    EXPECT_TRUE(outcome.lineLost);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.failedWrites, 8);   // packets of rows 4..11 skipped
    EXPECT_EQ(progress, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
    EXPECT_EQ(port.written, uploadStream(*snapshot).left(100 + 4 * 49));
    EXPECT_GT(port.bytesWaitingCalls, pollsBefore);
}
