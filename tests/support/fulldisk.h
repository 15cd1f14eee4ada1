#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, every write past `limit` bytes of a file fails with
// EFBIG, as on a disk that is full; the signal that would end the process
// is ignored so that the write returns its error instead.
class FullDisk {
public:
    explicit FullDisk(rlim_t limit) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    void (*m_oldHandler)(int);
    rlimit m_saved{};
};
