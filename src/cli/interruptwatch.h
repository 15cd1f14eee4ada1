#pragma once

#include <QSocketNotifier>

#include <functional>
#include <iterator>
#include <memory>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace glintag {

// Ctrl+C must not kill the process in the middle of a write, and neither may
// the end of a session (SIGHUP) or a service manager's stop (SIGTERM): the
// handler only wakes the event loop, which stops the upload and closes the
// port. The process then ends with the usual 128 + the signal's number.
class InterruptWatch {
public:
    InterruptWatch()
    {
#ifdef Q_OS_UNIX
        if (::pipe(s_pipe) != 0)
            return;
        ::fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
            m_notifier->setEnabled(false);
            if (onInterrupt)
                onInterrupt();
        });
        struct sigaction sa = {};
        sa.sa_handler = &InterruptWatch::handle;
        sigemptyset(&sa.sa_mask);
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &sa, &m_previous[i]);
        m_installed = true;
#endif
    }
    ~InterruptWatch()
    {
#ifdef Q_OS_UNIX
        if (m_installed)
            for (size_t i = 0; i < std::size(kSignals); ++i)
                ::sigaction(kSignals[i], &m_previous[i], nullptr);
        m_notifier.reset();
        for (int &fd : s_pipe)
            if (fd >= 0)
                ::close(fd), fd = -1;
#endif
    }

    static bool interrupted()
    {
        return s_signal != 0;
    }

    // read(2) that a watched signal ends, before or during the wait: -1
    // with errno EINTR once interrupted() holds. Waiting on the signal's
    // pipe as well leaves no moment in which a signal could come unseen
    // and the read wait on for ever.
    static ssize_t read(int fd, char *buffer, size_t size)
    {
#ifdef Q_OS_UNIX
        for (;;) {
            if (interrupted()) {
                errno = EINTR;
                return -1;
            }
            pollfd waits[2] = {{fd, POLLIN, 0}, {s_pipe[0], POLLIN, 0}};
            const int ready = ::poll(waits, s_pipe[0] >= 0 ? 2 : 1, -1);
            if (ready < 0 && errno != EINTR)
                return -1;
            if (ready > 0 && waits[0].revents != 0 && !interrupted()) {
                const ssize_t n = ::read(fd, buffer, size);
                if (n >= 0 || errno != EINTR)
                    return n;
            }
        }
#else
        return ::read(fd, buffer, size);
#endif
    }
    // The exit status for the signal that came.
    static int exitCode()
    {
        return 128 + int(s_signal);
    }
    std::function<void()> onInterrupt;

private:
#ifdef Q_OS_UNIX
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static void handle(int signal)
    {
        s_signal = signal;
        const char c = 1;
        [[maybe_unused]] const auto n = ::write(s_pipe[1], &c, 1);
    }
    struct sigaction m_previous[std::size(kSignals)] = {};
    bool m_installed = false;
    static inline int s_pipe[2] = {-1, -1};
#endif
    static inline volatile sig_atomic_t s_signal = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace glintag
