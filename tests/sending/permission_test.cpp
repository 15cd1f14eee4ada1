// What a user who may not open a port is told: the device's own owner,
// group and mode, and joining the group only where that would help; and a
// path that is no device at all is called what it is, not a permission
// problem.

#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "link/portmap.h"
#include "link/qtserialport.h"
#include "sending/sendjob.h"
#include "support/pseudoterminal.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace glintag;

namespace {

gid_t groupId(const char *name)
{
    const struct group *g = ::getgrnam(name);
    return g ? g->gr_gid : gid_t(-1);
}

TEST(PermissionAdvice, NamesTheDevicesGroupAndModeAndJoiningOnlyWhereItHelps)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving the test's own pseudo-terminal to another group needs root";
    const struct {
        const char *group;
        mode_t mode;
        QStringList says, neverSays;
    } cases[] = {
        {"dialout",
         0660,
         {"group dialout, mode 0660", "sudo adduser $USER dialout", "belongs to root"},
         {"would not help"}},
        {"tty", 0600, {"group tty, mode 0600", "only root may write to it", "joining group tty would not help"}, {"adduser"}},
        // Writable by the group alone is enough: the port is only written.
        {"tty", 0620, {"group tty, mode 0620", "sudo adduser $USER tty"}, {"dialout"}},
    };
    for (const auto &c : cases) {
        const gid_t gid = groupId(c.group);
        if (gid == gid_t(-1))
            continue;
        Pty line;
        ASSERT_TRUE(line.ok());
        const QByteArray path = QFile::encodeName(line.slavePath());
        ASSERT_EQ(::chown(path.constData(), 0, gid), 0);
        ASSERT_EQ(::chmod(path.constData(), c.mode), 0);
        const QString advice = permissionAdvice(statusTexts(UiEnglish), line.slavePath());
        // Every language names the same facts.
        for (int language = 0; language < kUiLanguageCount; ++language) {
            const QString told = permissionAdvice(statusTexts(language), line.slavePath());
            EXPECT_TRUE(told.contains(line.slavePath()) && told.contains(QLatin1String(c.group))
                        && told.contains(QStringLiteral("%1").arg(uint(c.mode), 4, 8, QLatin1Char('0')))
                        && !told.contains(QLatin1Char('%')))
                << language << ": " << told.toStdString();
        }
        EXPECT_TRUE(advice.startsWith(line.slavePath() + QStringLiteral(" belongs to root"))) << advice.toStdString();
        for (const QString &s : c.says)
            EXPECT_TRUE(advice.contains(s)) << c.group << " " << c.mode << ": " << advice.toStdString();
        for (const QString &s : c.neverSays)
            EXPECT_FALSE(advice.contains(s)) << c.group << " " << c.mode << ": " << advice.toStdString();
    }
    // No device to look at: the usual advice.
    EXPECT_EQ(permissionAdvice(statusTexts(UiEnglish), QStringLiteral("/dev/glintag-no-such-device")),
              statusTexts(UiEnglish).permissionAdvice);
}

TEST(SerialPortOpen, APathThatIsNoDeviceIsCalledWhatItIs)
{
    // QSerialPort wants an application; the send job's tests in this
    // executable may have made it already.
    static int argc = 1;
    static char name[] = "test_sending", *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("passwd"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("root:x:0:0::/root:/bin/sh\n");
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    const struct {
        QString path;
        const char *is;
    } cases[] = {
        {file, "a regular file"},
        {dir.path(), "a folder"},
        {dir.filePath(QStringLiteral("fifo")), "a FIFO"},
    };
    for (const auto &c : cases) {
        QtSerialPort port(PortMap::build({{QStringLiteral("COM5"), c.path}}, {}));
        port.setPortNumber(5);
        EXPECT_FALSE(port.open()) << c.is;
        EXPECT_EQ(port.errorText(), c.path + QStringLiteral(" is not a serial device but ") + QLatin1String(c.is));
        EXPECT_FALSE(port.permissionDenied()) << c.is;
        EXPECT_FALSE(port.isOpen()) << c.is;
    }
    // A pseudo-terminal is a character device and opens as a port does.
    Pty line;
    ASSERT_TRUE(line.ok());
    QtSerialPort port(PortMap::build({{QStringLiteral("COM5"), line.slavePath()}}, {}));
    port.setPortNumber(5);
    EXPECT_TRUE(port.open()) << port.errorText().toStdString();
    port.close();
}

} // namespace
