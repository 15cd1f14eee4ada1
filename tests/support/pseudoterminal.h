#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

// The port under test opens the slave by its path; the test reads the master.
class Pty {
public:
    Pty()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) == 0) {
            m_slavePath = QString::fromLocal8Bit(name), ::close(slave);
            // A program the test starts must not inherit the master, or
            // closing it here would never hang the line up.
            ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        }
    }
    ~Pty() { closeMaster(); }
    bool ok() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    QString slavePath() const { return m_slavePath; }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master), m_master = -1;
    }

    // Until `count` bytes have arrived or nothing more comes.
    QByteArray read(int count)
    {
        QByteArray out;
        char buf[1024];
        pollfd p{m_master, POLLIN, 0};
        for (ssize_t n = 1; out.size() < count && n > 0 && ::poll(&p, 1, 2000) > 0;)
            if ((n = ::read(m_master, buf, sizeof buf)) > 0)
                out.append(buf, int(n));
        return out;
    }

private:
    int m_master = -1;
    QString m_slavePath;
};
