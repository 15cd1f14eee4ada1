#include "link/qtserialport.h"
#include "link/throttledport.h"
#include "link/uploader.h"
#include "pseudoterminal.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace glintag;

static const QList<int> kAllRows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0};

// The drain waits and QSerialPort need an event dispatcher on this thread.
static std::unique_ptr<UploadSnapshot> sample()
{
    static int argc = 1;
    static char name[] = "test_link", *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    auto s = std::make_unique<UploadSnapshot>();
    for (size_t i = 0; i < s->dots.bytes.size(); ++i)
        s->dots.bytes[i] = std::uint8_t(i * 7 + i / 512);
    s->rowBytes = {12, 0, 30, 0, 0, 7};
    return s;
}

TEST(Uploader, SendsTheSnapshotOneDrainedBlockAtATime)
{
    auto snapshot = sample();
    ThrottledPort port;
    ASSERT_TRUE(port.open());
    port.drainPerPoll = 40;
    // What goes on the wire was fixed when the upload started.
    port.onPoll = [&] { snapshot->dots.bytes.fill(0xAA); snapshot->rowBytes.fill(512); };
    Uploader uploader(port);
    QList<int> progress;
    // A row may start only once the line is empty.
    uploader.setProgressCallback([&](int v) { progress.append(v); EXPECT_EQ(port.queued, 0) << v; });
    const UploadOutcome outcome = uploader.run(*snapshot);
    EXPECT_FALSE(outcome.cancelled || outcome.lineLost);
    EXPECT_EQ(port.written, uploadStream(*sample()));
    EXPECT_EQ(progress, kAllRows);
}

TEST(Uploader, CancelFromAWaitReturnsAtOnceWithoutTouchingThePort)
{
    for (bool deleteIt : {false, true}) {
        ThrottledPort p;
        ASSERT_TRUE(p.open());
        p.drainPerPoll = 16;
        auto uploader = std::make_unique<Uploader>(p);
        QList<int> seen;
        // As the window does it: a close request, handled inside the wait for row 3 to drain.
        auto stop = [&] { uploader->cancel(); p.close(); if (deleteIt) uploader.reset(); };
        uploader->setProgressCallback([&](int v) { seen.append(v); if (v == 3) QTimer::singleShot(0, stop); });
        EXPECT_TRUE(uploader->run(*sample()).cancelled) << deleteIt;
        EXPECT_EQ(seen, (QList<int>{1, 2, 3})) << deleteIt;
        EXPECT_EQ(p.callsAfterClose, 0) << deleteIt;
    }
}

TEST(QtSerialPort, PseudoTerminal)
{
    const auto snapshot = sample();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialPort port(PortMap::build({{"COM7", pty.slavePath()}}, {}));
    port.setPortNumber(7);
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    port.setDtr(true);   // refused: a pseudo-terminal has no modem lines
    Uploader uploader(port);
    EXPECT_FALSE(uploader.run(*snapshot).lineLost);
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(pty.read(100 + 12 * 49), uploadStream(*snapshot));

    QList<int> progress;
    uploader.setProgressCallback([&](int v) { progress.append(v); if (v == 4) pty.closeMaster(); });
    EXPECT_TRUE(uploader.run(*snapshot).lineLost);
    EXPECT_EQ(port.bytesWaiting(), -1);
    EXPECT_EQ(progress, kAllRows);
}
