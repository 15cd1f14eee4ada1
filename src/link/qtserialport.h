#pragma once

#include "link/portmap.h"
#include "link/serialport.h"

#include <QSerialPort>

namespace glintag {

// The real serial line, on QSerialPort: names "COMn" are turned into
// devices through a PortMap (empty until one is set); no flow control;
// opened for writing only.
class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(PortMap map = PortMap());
    ~QtSerialPort() override;

    void setPortMap(const PortMap &map);
    const PortMap &portMap() const { return m_map; }

    void setPortNumber(int n) override;
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &settings) override;
    LineSettings settings() const { return m_settings; }

    bool open() override;
    QString errorText() const override { return m_errorText; }
    bool permissionDenied() const override { return m_permissionDenied; }
    bool isOpen() const override;
    void close() override;

    bool setDtr(bool on) override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesWaiting() override;
    QString devicePath() const override;

private:
    // Why an open failed when another program has the line.
    static QString busyText();

    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    PortMap m_map;
    int m_number = 0;
    LineSettings m_settings;
    QString m_errorText;
    bool m_permissionDenied = false;
    bool m_lineLost = false;
    bool m_settingLines = false;
};

} // namespace glintag
