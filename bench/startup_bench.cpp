// Program start to first rendering, the way main() starts the window.
// Run offscreen and timed from outside as well:
//   time QT_QPA_PLATFORM=offscreen build/bin/startup_bench
#include "app/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QTemporaryDir dir;   // a first start: no settings file
    glintag::MainWindowOptions options;
    options.programDir = dir.path();
    glintag::MainWindow window(options);
    const qint64 constructed = clock.nsecsElapsed();
    window.show();
    QObject::connect(window.firstRenderTimer, &QTimer::timeout, &app, [&] {
        // queued behind the window's own handler, so the rendering is done
        QTimer::singleShot(0, &app, [&] {
            std::printf("window built: %.1f ms\nfirst rendering: %.1f ms (renders: %d)\n", constructed / 1e6,
                        clock.nsecsElapsed() / 1e6, window.renderRuns());
            app.quit();
        });
    });
    return app.exec();
}
