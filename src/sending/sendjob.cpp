#include "sending/sendjob.h"

#include "i18n/statustexts.h"
#include "link/portnames.h"
#include "link/qtserialport.h"
#include "render/messagebuilder.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#endif

namespace glintag {

namespace {

// What the badge would get for the setup: its rendering and what the header
// takes from the setup.
void renderSnapshot(const BadgeSetup &setup, const QString &programDir, UploadSnapshot &snapshot)
{
    snapshot.setup = setup;
    snapshot.rendering = renderSetup(setup, programDir);
}

bool nothingToSend(const BadgeSetup &setup, const RowBytes &rowBytes)
{
    qint16 total = 0;
    for (int i = 0; i < kSlotCount; ++i)
        if (setup.slots[size_t(i)].select)
            total = qint16(total + rowBytes[size_t(i)]);
    return total <= 0;
}

} // namespace

bool rendersNothing(const UploadSnapshot &snapshot)
{
    return nothingToSend(snapshot.setup, snapshot.rendering.rendered);
}

QString permissionAdvice(const StatusTexts &texts, const QString &device)
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (device.isEmpty() || ::stat(QFile::encodeName(device).constData(), &st) != 0)
        return texts.permissionAdvice;
    const auto nameOf = [](const char *name, unsigned id) {
        return name ? QString::fromLocal8Bit(name) : QString::number(id);
    };
    const struct group *g = ::getgrgid(st.st_gid);
    const struct passwd *u = ::getpwuid(st.st_uid);
    const QString group = nameOf(g ? g->gr_name : nullptr, st.st_gid);
    const QString owner = nameOf(u ? u->pw_name : nullptr, st.st_uid);
    const QString mode = QStringLiteral("%1").arg(uint(st.st_mode & 07777), 4, 8, QLatin1Char('0'));
    // The port is opened for writing: the group must be allowed to write.
    return (st.st_mode & S_IWGRP ? texts.permissionJoinGroup : texts.permissionOwnerOnly)
        .arg(device, owner, group, mode);
#else
    Q_UNUSED(device);
    return texts.permissionAdvice;
#endif
}

SendJob::SendJob(std::shared_ptr<SerialPort> port, QObject *parent) :
    QObject(parent), m_port(port ? std::move(port) : std::make_shared<QtSerialPort>()),
    m_machinePort(dynamic_cast<QtSerialPort *>(m_port.get())), m_uploader(*m_port),
    m_snapshot(std::make_unique<UploadSnapshot>())
{
    connect(&m_uploader, &Uploader::rowProgress, this, &SendJob::rowProgress);
    connect(&m_uploader, &Uploader::status, this, &SendJob::status);
    connect(&m_uploader, &Uploader::finished, this, &SendJob::onUploaded);
}

SendJob::~SendJob() = default;

void SendJob::setPortMap(const PortMap &map)
{
    m_map = map;
    if (m_machinePort)
        m_machinePort->setPortMap(map);
}

void SendJob::setClock(Uploader::Clock clock)
{
    m_uploader.setClock(std::move(clock));
}

void SendJob::setStallLimit(qint64 ms)
{
    m_uploader.setStallLimit(ms);
}

bool SendJob::refuse(SendEnd end)
{
    m_outcome.end = end;
    return false;
}

bool SendJob::prepare(const BadgeSetup &setup, const QString &programDir)
{
    if (isRunning())
        return refuse(SendEnd::Busy);
    m_outcome = SendOutcome();
    renderSnapshot(setup, programDir, *m_snapshot);
    if (nothingToSend(setup, m_snapshot->rendering.rendered))
        return refuse(SendEnd::NothingToSend);
    return true;
}

bool SendJob::adopt(const UploadSnapshot &snapshot)
{
    if (isRunning())
        return refuse(SendEnd::Busy);
    m_outcome = SendOutcome();
    *m_snapshot = snapshot;
    return true;
}

bool SendJob::start(const QString &port, PortNaming naming)
{
    if (isRunning())
        return refuse(SendEnd::Busy);
    m_outcome = SendOutcome();
    QString name = port;
    if (portNumberOf(port) > 0) {
        m_outcome.portName = port;
    } else {
        if (naming != PortNaming::NamesOrPaths || !port.startsWith(QLatin1Char('/')))
            return refuse(SendEnd::BadPortName);
        // A device named by its path stands in for the first number.
        name = portName(1);
        setPortMap(PortMap::build({{name, port}}, {}));
    }
    readPortChoice(*m_port, name);
    m_outcome.device = m_port->devicePath();
    if (!m_port->open()) {
        m_outcome.openError = m_port->errorText();
        m_outcome.permissionDenied = m_port->permissionDenied();
        return refuse(SendEnd::CannotOpen);
    }
    if (!m_port->isOpen()) {
        m_port->setDtr(false);
        return refuse(SendEnd::OpenFailed);
    }
    // Devices without modem lines (a pseudo-terminal) refuse DTR; the upload
    // goes on regardless.
    m_port->setDtr(true);
    m_uploader.start(*m_snapshot);
    return true;
}

void SendJob::cancel()
{
    m_uploader.cancel(); // onUploaded() closes the port
}

void SendJob::onUploaded(const UploadOutcome &upload)
{
    m_port->close();
    m_outcome.end = SendEnd::Uploaded;
    m_outcome.upload = upload;
    Q_EMIT finished(m_outcome);
}

} // namespace glintag
