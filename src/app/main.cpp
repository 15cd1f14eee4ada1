#include "cli/commandline.h"
#include "gui/mainwindow.h"
#include "gui/termination.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Any argument means the command line, which needs no display: it must
    // be decided before a widget application is created.
    if (argc > 1)
        return glintag::runCommandLine(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glintag.Glintag"));
    glintag::closeWindowsOnTermination();
    glintag::MainWindow window;
    window.show();
    return app.exec();
}
