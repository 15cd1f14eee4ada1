#pragma once

// A SerialPort whose transmit queue drains by a fixed amount at each count
// read, so an upload's waits run a known number of times. Everything written
// is recorded.

#include "link/serialport.h"

#include <QSet>

#include <algorithm>
#include <functional>

namespace glintag {

class ThrottledPort : public SerialPort {
public:
    QSet<int> openable; // every number opens when empty
    qint64 drainPerPoll = 0, queued = 0;
    std::function<void()> onPoll; // runs at each count read while open
    QByteArray written;
    int callsAfterClose = 0; // a stopped upload must leave a closed port alone
    QString lastSettings;
    bool refuseWrites = false; // a device whose every write fails
    qint64 drainLimit = -1;    // stops draining once this many bytes have gone (-1: never)
    QSet<int> withoutDevice;   // numbers with no device behind them

    void setPortNumber(int n) override { m_number = n; }
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &s) override
    {
        lastSettings = s;
        return true;
    }
    bool open() override { return !m_open && (openable.isEmpty() || openable.contains(m_number)) && (m_open = true); }
    QString errorText() const override { return QStringLiteral("refused"); }
    bool permissionDenied() const override { return false; }
    bool isOpen() const override { return m_open; }
    void close() override
    {
        m_open = false;
        queued = 0;
    }
    bool setDtr(bool) override { return noteUse(); }
    bool write(const QByteArray &b) override
    {
        return noteUse() && !refuseWrites && (written += b, queued += b.size(), true);
    }
    qint64 bytesWaiting() override
    {
        if (noteUse() && onPoll)
            onPoll(); // may close the port: that is not a use after close
        if (!m_open)
            return -1;
        qint64 drain = drainPerPoll;
        if (drainLimit >= 0)
            drain = std::clamp<qint64>(drainLimit - (written.size() - queued), 0, drain);
        return queued = std::max<qint64>(0, queued - drain);
    }
    QString devicePath() const override
    {
        return withoutDevice.contains(m_number) ? QString() : QStringLiteral("test:%1").arg(m_number);
    }

private:
    bool noteUse()
    {
        callsAfterClose += !m_open;
        return m_open;
    }
    int m_number = 0;
    bool m_open = false;
};

} // namespace glintag
