#include "gui/portlist.h"

#include "gui/settingsrow.h"
#include "gui/uploadcontrol.h"
#include "link/portnames.h"
#include "settings/settings.h"

namespace glintag {

PortList::PortList(SettingsRow &row, UploadControl &upload, QString settingsPath,
                   std::function<QStringList()> systemDevices) :
    m_row(row), m_upload(upload), m_settingsPath(std::move(settingsPath)), m_systemDevices(std::move(systemDevices))
{
    rebuildMap();
}

void PortList::rebuildMap()
{
    // Port names that stand for devices of the user's choosing.
    m_upload.setPortMap(PortMap::forSystem(loadPortEntries(m_settingsPath), m_systemDevices));
}

void PortList::scan()
{
    m_row.fillPortList(scanPorts(m_upload.probePort()), m_upload.portMap());
}

void PortList::rescan()
{
    if (m_upload.isRunning())
        return;
    const QString kept = m_row.port();
    rebuildMap();
    scan();
    m_row.choosePort(kept);
}

} // namespace glintag
