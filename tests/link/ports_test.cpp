#include "link/portmap.h"
#include "link/portnames.h"
#include "support/throttledport.h"

#include <gtest/gtest.h>

using namespace glintag;

TEST(PortNames, portNumberOf)
{
    const struct {
        const char *text;
        int n;
    } cases[] = {
        {"COM1", 1}, {"COM32", 32}, {"COM33", 0}, {"COM0", 0}, {"com1", 0}, {"COM03", 0}, {" COM3", 0}, {"COM", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(portNumberOf(QString::fromUtf8(c.text)), c.n) << c.text;
}

TEST(PortNames, ScanChoosesFirstBelowThreeElseLast)
{
    const struct {
        QSet<int> openable;
        const char *found;
    } cases[] = {
        {{1, 2}, "COM1 COM2 > COM1"},
        {{1, 4}, "COM1 COM4 > COM4"},
        {{3}, "COM3 > COM3"},
        {{1, 2, 17, 32}, "COM1 COM2 COM17 COM32 > COM32"},
        {{99}, " > "},
    };
    for (const auto &c : cases) {
        ThrottledPort port;
        port.openable = c.openable;
        const PortScan scan = scanPorts(port);
        EXPECT_EQ(scan.names.join(' ') + " > " + scan.chosen, c.found);
        EXPECT_FALSE(port.isOpen());
    }
}

TEST(PortMap, SectionFirstThenDevicesInNaturalOrder)
{
    const PortMap map
        = PortMap::build({{"COM2", "/dev/ttyUSB0"},
                          {"com3", "/dev/lower"},
                          {"COM40", "/dev/range"},
                          {"COM5", "/dev/pts/7"},
                          {"COM5", "/dev/second"},
                          {"COM6", "  "}},
                         {"/dev/ttyUSB1", "/dev/ttyS10", "/dev/rfcomm0", "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyUSB0",
                          "/dev/cu.usbserial-A1", "/dev/ttyS2", "/dev/ttySAC1", "/dev/ttyS0"});
    const QStringList expected
        = {"/dev/ttyS0",   "/dev/ttyUSB0", "/dev/ttyS2",           "/dev/ttyS10",  "/dev/pts/7",
           "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/cu.usbserial-A1", "/dev/rfcomm0", "/dev/ttySAC1"};
    for (int n = 0; n <= 33; ++n)
        EXPECT_EQ(map.devicePath(n), expected.value(n - 1)) << n;
    EXPECT_EQ(map.devicePath("COM4"), "/dev/ttyS10");

    QStringList many;
    for (int i = 39; i >= 0; --i)
        many << QStringLiteral("/dev/ttyS%1").arg(i);
    const PortMap full = PortMap::build({{"COM32", "/dev/badge"}}, many);
    EXPECT_EQ(full.names().size(), 32);
    EXPECT_EQ(full.devicePath(32), "/dev/badge");
}
