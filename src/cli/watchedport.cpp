#include "cli/watchedport.h"

#include <algorithm>

namespace glintag {

WatchedPort::WatchedPort(SerialPort &port, int stallMs) : m_port(port), m_stallMs(stallMs) {}

bool WatchedPort::write(const QByteArray &bytes)
{
    const bool ok = m_port.write(bytes);
    if (ok) {
        m_queued += bytes.size();
        m_sinceMoved.start();   // new bytes: the line gets a fresh chance
        m_lastWaiting = -1;
    }
    return ok;
}

qint64 WatchedPort::bytesWaiting()
{
    if (m_stalled)
        return -1;
    const qint64 waiting = m_port.bytesWaiting();
    if (waiting < 0)
        return waiting;
    if (m_lastWaiting < 0 || waiting < m_lastWaiting) {
        m_lastWaiting = waiting;
        m_sinceMoved.start();
    } else if (waiting > 0 && m_sinceMoved.isValid() && m_sinceMoved.elapsed() >= m_stallMs) {
        m_stalled = true;
        return -1;
    }
    m_sent = std::max(m_sent, m_queued - waiting);
    if (onSent)
        onSent(m_sent);
    return waiting;
}

} // namespace glintag
