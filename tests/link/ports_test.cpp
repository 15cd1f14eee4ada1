#include "link/portmap.h"
#include "link/portnames.h"
#include "link/throttledport.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(PortNames, PortNumberOf)
{
    const struct { QString text; int n; } cases[] = {
        {QStringLiteral("COM1"), 1}, {QStringLiteral("COM9"), 9}, {QStringLiteral("COM10"), 10},
        {QStringLiteral("COM32"), 32}, {QStringLiteral("COM33"), 0}, {QStringLiteral("COM0"), 0},
        {QStringLiteral("com1"), 0}, {QStringLiteral("Com1"), 0}, {QStringLiteral("COM03"), 0},
        {QStringLiteral(" COM3"), 0}, {QStringLiteral("COM3 "), 0}, {QStringLiteral("COM+3"), 0},
        {QStringLiteral("COM"), 0}, {QString(), 0}, {QString::fromUtf8("COM\xEF\xBC\x93"), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PortNumberOf(c.text), c.n) << c.text.toStdString();
}

TEST(PortNames, ScanChoosesFirstBelowThreeElseLast)
{
    const struct { QSet<int> openable; QStringList names; const char *chosen; } cases[] = {
        {{1, 2}, {"COM1", "COM2"}, "COM1"},
        {{1, 4}, {"COM1", "COM4"}, "COM4"},
        {{3}, {"COM3"}, "COM3"},
        {{2}, {"COM2"}, "COM2"},
        {{1, 2, 17, 32}, {"COM1", "COM2", "COM17", "COM32"}, "COM32"},
        {{}, {}, ""},   // with failOpens below: nothing opens
    };
    for (const auto &c : cases) {
        ThrottledPort port;
        port.openable = c.openable;
        port.failOpens = c.openable.isEmpty();
        const PortScan scan = ScanSerialPorts(port);
        EXPECT_EQ(scan.names, c.names);
        EXPECT_EQ(scan.chosen, QLatin1String(c.chosen));
        EXPECT_FALSE(port.isOpen());
    }
}

TEST(PortNames, ReadComSetTouchesThePortOnlyOnAValidName)
{
    const struct { const char *text; bool ok; int number; } cases[] = {
        {"COM7", true, 7}, {"COM32", true, 32}, {"COM33", false, 5}, {"com1", false, 5}, {"", false, 5},
    };
    for (const auto &c : cases) {
        ThrottledPort port;
        port.setPortNumber(5);
        EXPECT_EQ(ReadComSet(port, QString::fromLatin1(c.text)), c.ok) << c.text;
        EXPECT_EQ(port.portNumber(), c.number) << c.text;
        EXPECT_EQ(port.lastSettings, c.ok ? QStringLiteral("1200,n,8,1") : QString()) << c.text;
    }
}

TEST(PortMap, SystemDevicesInStableOrder)
{
    const QStringList devices = {
        "/dev/ttyUSB1", "/dev/ttyS10", "/dev/rfcomm0", "/dev/ttyACM0", "/dev/ttyS2",
        "/dev/ttyUSB0", "/dev/cu.usbserial-A1", "/dev/ttyS2", "/dev/ttySAC1", "/dev/ttyS0",
    };
    const PortMap map = PortMap::build({}, devices);
    const QStringList expected = {
        "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB1",
        "/dev/ttyACM0", "/dev/cu.usbserial-A1", "/dev/rfcomm0", "/dev/ttySAC1",
    };
    for (int n = 1; n <= 32; ++n)
        EXPECT_EQ(map.devicePath(n), expected.value(n - 1)) << n;
    EXPECT_EQ(map.names().size(), expected.size());
    EXPECT_EQ(map.devicePath(QStringLiteral("COM4")), "/dev/ttyUSB0");
    EXPECT_TRUE(map.devicePath(0).isEmpty());
    EXPECT_TRUE(map.devicePath(33).isEmpty());
}

TEST(PortMap, SectionEntriesComeFirst)
{
    const QList<QPair<QString, QString>> section = {
        {"COM2", "/dev/ttyUSB0"},
        {"com3", "/dev/ignored-lower"},
        {"COM40", "/dev/ignored-range"},
        {"COM5", "/dev/pts/7"},
        {"COM5", "/dev/second-entry"},
        {"COM6", "  "},
    };
    const PortMap map = PortMap::build(section, {"/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyS0"});
    const QStringList expected = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1", "", "/dev/pts/7"};
    for (int n = 1; n <= 32; ++n)
        EXPECT_EQ(map.devicePath(n), expected.value(n - 1)) << n;
    EXPECT_EQ(map.names(), (QStringList{"COM1", "COM2", "COM3", "COM5"}));
}

TEST(PortMap, AtMostThirtyTwoNames)
{
    QStringList devices;
    for (int i = 39; i >= 0; --i)
        devices.append(QStringLiteral("/dev/ttyS%1").arg(i));
    const PortMap map = PortMap::build({{"COM32", "/dev/badge"}}, devices);
    EXPECT_EQ(map.names().size(), 32);
    EXPECT_EQ(map.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(map.devicePath(31), "/dev/ttyS30");
    EXPECT_EQ(map.devicePath(32), "/dev/badge");
}
