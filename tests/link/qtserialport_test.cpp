#include "coreapp.h"
#include "link/qtserialport.h"
#include "link/uploader.h"
#include "pseudoterminal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace glintag;

namespace {

class QtSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApp();
        ASSERT_TRUE(pty.ok());
        port.setPortMap(PortMap::build({{QStringLiteral("COM7"), pty.slavePath()}}, {}));
        port.setPortNumber(7);
        ASSERT_TRUE(port.setSettings(QStringLiteral("1200,n,8,1")));
    }

    // What the event loop must do for queued bytes to reach the device.
    qint64 drain()
    {
        qint64 waiting = port.bytesWaiting();
        for (int i = 0; i < 1000 && waiting > 0; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            waiting = port.bytesWaiting();
        }
        return waiting;
    }

    Pty pty;
    QtSerialPort port{PortMap()};
};

} // namespace

TEST_F(QtSerialPortTest, WritesReachTheDeviceAndTheQueueEmpties)
{
    ASSERT_TRUE(port.open()) << port.errorText().toStdString();
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.devicePath(), pty.slavePath());
    EXPECT_FALSE(port.open()) << "a second open of an open port";

    // A pseudo-terminal has no modem lines; the refusal must not count
    // against the line.
    port.setDtr(true);
    QByteArray bytes("HellD");
    for (int i = 0; i < 512; ++i)
        bytes.append(char(i * 7));
    ASSERT_TRUE(port.write(bytes.left(5)));
    ASSERT_TRUE(port.write(bytes.mid(5)));
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(pty.read(bytes.size()), bytes);

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.bytesWaiting(), -1);
    EXPECT_FALSE(port.write("x"));
    port.close();   // closing a closed port is harmless

    for (const QString &path : {QString(), QStringLiteral("/nonexistent/ttyX")}) {
        QtSerialPort other(PortMap::build({{QStringLiteral("COM2"), path}}, {}));
        other.setPortNumber(2);
        EXPECT_FALSE(other.open()) << path.toStdString();
        EXPECT_FALSE(other.isOpen());
        EXPECT_FALSE(other.errorText().isEmpty());
        EXPECT_FALSE(other.permissionDenied());
    }
}

TEST_F(QtSerialPortTest, UploadThroughThePseudoTerminal)
{
    auto snapshot = std::make_unique<UploadSnapshot>();
    for (int r = 0; r < kRowCount; ++r)
        for (int k = 0; k < 20; ++k)
            snapshot->dots.row(1, r)[k] = std::uint8_t(r * 20 + k);
    snapshot->rowBytes[1] = 20;
    const QByteArray expected = uploadStream(*snapshot);

    ASSERT_TRUE(port.open());
    Uploader uploader(port);
    const UploadOutcome outcome = uploader.run(*snapshot);
    EXPECT_FALSE(outcome.lineLost);
    EXPECT_EQ(outcome.failedWrites, 0);
    EXPECT_EQ(pty.read(expected.size()), expected);
}

TEST_F(QtSerialPortTest, OtherEndGoneEndsTheWaits)
{
    auto snapshot = std::make_unique<UploadSnapshot>();
    snapshot->rowBytes[0] = 40;
    ASSERT_TRUE(port.open());
    Uploader uploader(port);
    QList<int> progress;
    uploader.setProgressCallback([&](int v) {
        progress.append(v);
        if (v == 4)
            pty.closeMaster();
    });
    const UploadOutcome outcome = uploader.run(*snapshot);
    EXPECT_TRUE(outcome.lineLost);
    EXPECT_EQ(port.bytesWaiting(), -1);
    EXPECT_EQ(progress.size(), 13);
    port.close();
    EXPECT_FALSE(port.isOpen());
}
