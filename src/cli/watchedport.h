#pragma once

#include "link/serialport.h"

#include <QElapsedTimer>

#include <functional>

namespace glintag {

// Passes every call through to the real port and watches the transmit
// queue on the way: how many bytes have left the port (for progress), and
// whether the queue has stopped moving (a line that takes no more data
// looks lost to the upload, which then ends). It sends nothing of its own.
class WatchedPort : public SerialPort {
public:
    // A queue that holds bytes and has not shrunk for `stallMs` counts as a
    // stopped line.
    WatchedPort(SerialPort &port, int stallMs);

    // Called with the bytes that have left the port, at every queue reading.
    std::function<void(qint64)> onSent;

    bool stalled() const { return m_stalled; }
    qint64 bytesSent() const { return m_sent; }

    void setPortNumber(int n) override { m_port.setPortNumber(n); }
    int portNumber() const override { return m_port.portNumber(); }
    bool setSettings(const QString &s) override { return m_port.setSettings(s); }
    bool open() override { return m_port.open(); }
    QString errorText() const override { return m_port.errorText(); }
    bool permissionDenied() const override { return m_port.permissionDenied(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override { m_port.close(); }
    bool setDtr(bool on) override { return m_port.setDtr(on); }
    bool write(const QByteArray &bytes) override;
    qint64 bytesWaiting() override;
    QString devicePath() const override { return m_port.devicePath(); }

private:
    SerialPort &m_port;
    int m_stallMs;
    qint64 m_queued = 0;
    qint64 m_sent = 0;
    qint64 m_lastWaiting = -1;
    bool m_stalled = false;
    QElapsedTimer m_sinceMoved;
};

} // namespace glintag
