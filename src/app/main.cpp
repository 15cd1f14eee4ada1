#include "cli/commandline.h"
#include "gui/mainwindow.h"
#include "gui/termination.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// What a person without a window can do instead, after every reason the
// window cannot open.
const char kInstead[] = "use 'glintag send', 'glintag preview' or 'glintag ports' (see 'glintag --help')";

bool isSet(const char *name)
{
    const char *v = std::getenv(name);
    return v && *v;
}

// A value as the message shows it: an environment variable may be of any
// length, the line may not.
QByteArray shown(const char *name)
{
    const QByteArray value = qgetenv(name);
    return value.size() <= 80 ? value : value.left(79) + "\xe2\x80\xa6";
}

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
    return desktop && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

// While the application connects to the window system, Qt's platform
// warnings are held back and its fatal error (which would abort with
// advice to reinstall) becomes one line naming the cause and exit 1. Once
// the connection stands, the held warnings go out as usual.
class WindowSystemStart {
public:
    WindowSystemStart() { s_previous = qInstallMessageHandler(&WindowSystemStart::handle); }
    ~WindowSystemStart()
    {
        qInstallMessageHandler(s_previous);
        for (const Held &h : s_held) {
            const QMessageLogContext context(nullptr, 0, nullptr, h.category.constData());
            s_previous ? s_previous(h.type, context, h.text) : qt_message_output(h.type, context, h.text);
        }
        s_held.clear();
    }
    WindowSystemStart(const WindowSystemStart &) = delete;
    WindowSystemStart &operator=(const WindowSystemStart &) = delete;

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtFatalMsg)
            failed(text);
        const QByteArray category = context.category ? QByteArray(context.category) : QByteArray();
        if (category.startsWith("qt.qpa.")) {
            if (s_held.size() < 64)
                s_held.append({type, category, text});
            return;
        }
        if (s_previous)
            s_previous(type, context, text);
    }

    // Qt's plugin loader says, in its held warnings, which platform it
    // tried (in quotes) and whether its plugin was found and failed (no
    // display to be had) or was not found at all.
    [[noreturn]] static void failed(const QString &fatal)
    {
        QString told = fatal;
        for (const Held &h : s_held)
            told += QLatin1Char('\n') + h.text;
        QByteArray cause;
        // Qt may try several platforms in turn: one that was found and could
        // not connect says more than one that is not installed.
        const int notFound = told.contains(QLatin1String("even though it was found"))
            ? -1
            : told.indexOf(QLatin1String("Could not find the Qt platform plugin"));
        if (notFound >= 0) {
            const int open = told.indexOf(QLatin1Char('"'), notFound);
            const int close = open < 0 ? -1 : told.indexOf(QLatin1Char('"'), open + 1);
            const QByteArray platform = close > open + 1 && close - open <= 81
                ? told.mid(open + 1, close - open - 1).toUtf8()
                : QByteArray();
            cause = platform.isEmpty() ? QByteArray("the window system's plugin is not installed")
                                       : "the window system plugin '" + platform + "' is not installed";
        } else {
            QByteArrayList displays;
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
                if (isSet(name))
                    displays << QByteArray(name) + '=' + shown(name);
            cause = displays.isEmpty() ? QByteArray("the window system did not start")
                                       : "cannot connect to the display (" + displays.join(", ") + ')';
        }
        const QByteArray line = "glintag: " + cause + "; without a window, " + kInstead + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        // Half a platform is set up: nothing of it may run its destructors.
        std::_Exit(1);
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QList<Held> s_held;
};

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
        std::fprintf(stderr, "glintag: no display to open the window on; without one, %s\n", kInstead);
        return 1;
    }
    std::optional<WindowSystemStart> start(std::in_place);
    QApplication app(argc, argv);
    start.reset();
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glintag.Glintag"));
    glintag::closeWindowsOnTermination();
    glintag::MainWindow window;
    window.show();
    return app.exec();
}
