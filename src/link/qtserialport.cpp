#include "link/qtserialport.h"

#include "link/outqueue.h"
#include "link/portnames.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/file.h>
#include <sys/ioctl.h>
#endif

namespace glintag {

namespace {

QSerialPort::Parity parityOf(char letter)
{
    switch (letter) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsOf(const QString &text)
{
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

} // namespace

QtSerialPort::QtSerialPort(PortMap map) : m_map(std::move(map))
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

QtSerialPort::~QtSerialPort()
{
    close();
}

void QtSerialPort::setPortMap(const PortMap &map)
{
    m_map = map;
}

void QtSerialPort::setPortNumber(int n)
{
    m_number = n;
}

bool QtSerialPort::setSettings(const QString &settings)
{
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        return false;
    m_settings = *parsed;
    return true;
}

QString QtSerialPort::busyText()
{
    return QStringLiteral("The port is busy: another program has it open");
}

bool QtSerialPort::open()
{
    m_errorText.clear();
    m_permissionDenied = false;
    if (m_port.isOpen()) {
        m_errorText = QStringLiteral("%1 is already open").arg(m_port.portName());
        return false;
    }
    const QString path = devicePath();
    if (path.isEmpty()) {
        m_errorText = QStringLiteral("No device is known for %1").arg(portName(m_number));
        return false;
    }

#ifdef Q_OS_UNIX
    // A path given by hand may name anything: a file or a folder is no
    // port, and opening it would only give a puzzling error (or, for a
    // file the user may not write, advice about groups).
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISCHR(st.st_mode)) {
        m_errorText = QStringLiteral("%1 is not a serial device but %2")
                          .arg(path, S_ISDIR(st.st_mode)    ? QStringLiteral("a folder")
                                     : S_ISREG(st.st_mode)  ? QStringLiteral("a regular file")
                                     : S_ISFIFO(st.st_mode) ? QStringLiteral("a FIFO")
                                     : S_ISSOCK(st.st_mode) ? QStringLiteral("a socket")
                                                            : QStringLiteral("a block device"));
        return false;
    }
#endif
    m_port.setPortName(path);
    m_port.setBaudRate(m_settings.baud);
    m_port.setDataBits(QSerialPort::DataBits(m_settings.dataBits));
    m_port.setParity(parityOf(m_settings.parity));
    m_port.setStopBits(stopBitsOf(m_settings.stopBits));
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_lineLost = false;
    m_settingLines = true;
    const bool opened = m_port.open(QIODevice::WriteOnly);
    m_settingLines = false;
    if (!opened) {
        m_errorText = m_port.errorString();
        // Qt reports a busy device the same way; only a node we may not write
        // to is a matter of permissions.
        m_permissionDenied = m_port.error() == QSerialPort::PermissionError && QFileInfo::exists(path)
            && !QFileInfo(path).isWritable();
        if (m_port.error() == QSerialPort::PermissionError && !m_permissionDenied && QFileInfo::exists(path))
            m_errorText = busyText();
        m_port.clearError();
        return false;
    }
    m_port.clearError();
#ifdef Q_OS_LINUX
    // One badge, one stream: no other program may open the line while this
    // one writes (TIOCEXCL), and as that does not hold root back, every
    // instance of this program also takes the device's lock.
    const int fd = int(m_port.handle());
    ::ioctl(fd, TIOCEXCL);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_port.close();
        m_port.clearError();
        m_errorText = busyText();
        return false;
    }
#endif
    return true;
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialPort::close()
{
    if (!m_port.isOpen())
        return;
    // An upload given up: drop what is still queued instead of letting the
    // driver hold the close until it has trickled out at 1200 baud.
    if (bytesWaiting() > 0)
        m_port.clear(QSerialPort::Output);
    m_port.close();
    m_port.clearError();
    m_lineLost = false;
}

bool QtSerialPort::setDtr(bool on)
{
    if (!m_port.isOpen())
        return false;
    // Devices without modem lines refuse this with an error of their own;
    // that says nothing about the line itself.
    m_settingLines = true;
    const bool ok = m_port.setDataTerminalReady(on);
    m_settingLines = false;
    if (!ok)
        m_port.clearError();
    return ok;
}

bool QtSerialPort::write(const QByteArray &bytes)
{
    if (!m_port.isOpen() || m_lineLost)
        return false;
    return m_port.write(bytes) == bytes.size();
}

qint64 QtSerialPort::bytesWaiting()
{
    if (!m_port.isOpen() || m_lineLost)
        return -1;
    const qint64 driver = driverOutQueue(m_port.handle());
    if (driver < 0)
        return -1;
    return m_port.bytesToWrite() + driver;
}

QString QtSerialPort::devicePath() const
{
    return m_map.devicePath(m_number);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (m_settingLines)
        return;
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::DeviceNotFoundError:
        if (m_port.isOpen() && !m_lineLost) {
            m_lineLost = true;
            // Bytes left in Qt's buffer would keep its write notifier firing
            // (and failing) for as long as the port stays open. The flush can
            // fail on the dead handle and report again: m_lineLost stops
            // that recursion.
            m_port.clear(QSerialPort::Output);
        }
        break;
    default:
        break;
    }
}

} // namespace glintag
