// Program start to first rendering, the way main() starts the window.
// Run offscreen and timed from outside as well:
//   time QT_QPA_PLATFORM=offscreen build/bin/startup_bench [fifo|folder|socket|device]
// With an argument, that takes the settings file's place (a device as a
// symbolic link to /dev/null); start-up must neither block nor fail on it.
#include "gui/dialogs.h"
#include "gui/mainwindow.h"
#include "gui/windowrendering.h"
#include "settings/settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool placeAtSettingsPath(const char *kind, const QString &dir)
{
    const QByteArray path = QFile::encodeName(QDir(dir).filePath(QLatin1String(glintag::kSettingsFileName)));
    if (std::strcmp(kind, "fifo") == 0)
        return ::mkfifo(path.constData(), 0600) == 0;
    if (std::strcmp(kind, "folder") == 0)
        return QDir(dir).mkdir(QLatin1String(glintag::kSettingsFileName));
    if (std::strcmp(kind, "device") == 0)
        return ::symlink("/dev/null", path.constData()) == 0;
    if (std::strcmp(kind, "socket") == 0) {
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0); // left open for the run
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        return sock >= 0 && ::bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    return false;
}

// Answers every message box at once and prints it, so the save at close
// shows what the user would be told without waiting for a click.
class PrintingDialogs : public glintag::Dialogs {
public:
    Answer message(const QString &text, const QString &title, Buttons, const QString &detail) override
    {
        std::printf("message box \"%s\" (%s): %s\n", qPrintable(text), qPrintable(title), qPrintable(detail));
        return Answer::Ok;
    }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
};

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QTemporaryDir dir; // a first start: no settings file
    if (argc > 1 && !placeAtSettingsPath(argv[1], dir.path())) {
        std::fprintf(stderr, "cannot place a %s at the settings path\n", argv[1]);
        return 2;
    }
    glintag::MainWindowOptions options;
    options.programDir = dir.path();
    if (argc > 1)
        options.dialogs = std::make_shared<PrintingDialogs>();
    glintag::MainWindow window(options);
    const qint64 constructed = clock.nsecsElapsed();
    window.show();
    QObject::connect(window.parts().renderer.firstRenderTimer(), &QTimer::timeout, &app, [&] {
        // queued behind the window's own handler, so the rendering is done
        QTimer::singleShot(0, &app, [&] {
            std::printf("window built: %.1f ms\nfirst rendering: %.1f ms (renders: %d)\n", constructed / 1e6,
                        clock.nsecsElapsed() / 1e6, window.parts().renderer.runs());
            std::fflush(stdout);
            app.quit();
        });
    });
    return app.exec();
}
