#include "gui/termination.h"

#include <QApplication>

#ifndef _WIN32
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace glintag {

#ifndef _WIN32
namespace {

int g_wakeFds[2] = {-1, -1};

// A signal handler may do almost nothing: it only wakes the event loop.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_wakeFds[0], &byte, 1);
}

} // namespace

void closeWindowsOnTermination()
{
    if (g_wakeFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_wakeFds) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_wakeFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] const auto read = ::read(g_wakeFds[1], &byte, 1);
        QApplication::closeAllWindows();
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &action, nullptr);
}
#else
void closeWindowsOnTermination()
{}
#endif

} // namespace glintag
