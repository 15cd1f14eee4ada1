#include "cli/commandline.h"
#include "gui/mainwindow.h"
#include "gui/termination.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Qt aborts with several lines of plugin text when the desktop platform
// has no display to connect to; a person at a text console, or a script
// that forgot the command, gets one line instead. A platform chosen on
// purpose (offscreen, say) is left to Qt.
bool displayMissing()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool desktop
        = !platform || !*platform || std::strncmp(platform, "xcb", 3) == 0 || std::strncmp(platform, "wayland", 7) == 0;
    auto set = [](const char *name) {
        const char *v = std::getenv(name);
        return v && *v;
    };
    return desktop && !set("DISPLAY") && !set("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

} // namespace

int main(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    // A file that reaches the size limit (ulimit -f) is a failed write to
    // report and clean up after, not a reason to die mid-write and leave a
    // temporary behind.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Any argument means the command line, which needs no display: it must
    // be decided before a widget application is created.
    if (argc > 1)
        return glintag::runCommandLine(argc, argv);
    if (displayMissing()) {
        std::fputs("glintag: no display to open the window on; without one, use 'glintag send', "
                   "'glintag preview' or 'glintag ports' (see 'glintag --help')\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glintag.Glintag"));
    glintag::closeWindowsOnTermination();
    glintag::MainWindow window;
    window.show();
    return app.exec();
}
