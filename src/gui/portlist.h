#pragma once

#include "link/portmap.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace glintag {

class SettingsRow;
class UploadControl;

// The Port box's list: the port names the settings file maps to devices,
// and the ports a probe finds free. Probing opens the port the upload
// holds, so it never happens mid-upload.
class PortList {
public:
    PortList(SettingsRow &row, UploadControl &upload, QString settingsPath,
             std::function<QStringList()> systemDevices);

    // Fills the list from a probe; the choice is left to the caller.
    void scan();
    // Reads the names again and probes, keeping the chosen port; nothing
    // while an upload runs.
    void rescan();

private:
    void rebuildMap();

    SettingsRow &m_row;
    UploadControl &m_upload;
    QString m_settingsPath;
    std::function<QStringList()> m_systemDevices;
};

} // namespace glintag
