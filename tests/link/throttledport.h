#pragma once

// A SerialPort whose transmit queue drains only as fast as its owner lets it:
// by explicit drain() calls, a fixed amount per count read, or a byte rate
// measured on the clock. Everything written is recorded.

#include "link/serialport.h"

#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <functional>

namespace glintag {

class ThrottledPort : public SerialPort {
public:
    // Which numbers open; every number does when empty.
    QSet<int> openable;
    bool failOpens = false;
    bool hasModemLines = true;
    // Drained at each bytesWaiting() call (after onPoll has run).
    qint64 drainPerPoll = 0;
    // Called at each bytesWaiting() while open, before the count is taken.
    std::function<void()> onPoll;

    // Records
    QByteArray written;
    QList<int> openedNumbers;
    QList<bool> dtrCalls;
    int bytesWaitingCalls = 0;
    int callsAfterClose = 0;   // operations other than isOpen/close on a closed port
    QString lastSettings;

    void setRate(double bytesPerSecond)
    {
        m_rate = bytesPerSecond;
        m_clock.start();
        m_drainedByRate = 0;
    }
    void drain(qint64 n) { m_queued = std::max<qint64>(0, m_queued - n); }
    void loseLine() { m_lineLost = true; }
    qint64 queued() const { return m_queued; }

    void setPortNumber(int n) override { m_number = n; }
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &settings) override
    {
        if (!parseLineSettings(settings))
            return false;
        lastSettings = settings;
        return true;
    }
    bool open() override
    {
        if (m_open || failOpens || (!openable.isEmpty() && !openable.contains(m_number)))
            return false;
        m_open = true;
        m_lineLost = false;
        openedNumbers.append(m_number);
        return true;
    }
    QString errorText() const override { return QStringLiteral("refused"); }
    bool permissionDenied() const override { return false; }
    bool isOpen() const override { return m_open; }
    void close() override
    {
        m_open = false;
        m_queued = 0;
    }
    bool setDtr(bool on) override
    {
        noteClosedUse();
        dtrCalls.append(on);
        return m_open && hasModemLines;
    }
    bool write(const QByteArray &bytes) override
    {
        noteClosedUse();
        if (!m_open || m_lineLost)
            return false;
        catchUp();   // an idle line saves up nothing for later bytes
        written += bytes;
        m_queued += bytes.size();
        return true;
    }
    qint64 bytesWaiting() override
    {
        noteClosedUse();
        ++bytesWaitingCalls;
        if (m_open && onPoll)
            onPoll();
        if (!m_open || m_lineLost)
            return -1;
        drain(drainPerPoll);
        catchUp();
        return m_queued;
    }
    QString devicePath() const override { return QStringLiteral("test:%1").arg(m_number); }

private:
    void catchUp()
    {
        if (m_rate <= 0)
            return;
        const qint64 due = qint64(double(m_clock.nsecsElapsed()) * 1e-9 * m_rate);
        drain(due - m_drainedByRate);
        m_drainedByRate = due;
    }

    void noteClosedUse()
    {
        if (!m_open)
            ++callsAfterClose;
    }

    int m_number = 0;
    bool m_open = false;
    bool m_lineLost = false;
    qint64 m_queued = 0;
    double m_rate = 0;
    QElapsedTimer m_clock;
    qint64 m_drainedByRate = 0;
};

} // namespace glintag
