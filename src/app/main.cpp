#include "mainwindow.h"
#include "termination.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.glintag.Glintag"));
    glintag::closeWindowsOnTermination();
    glintag::MainWindow window;
    window.show();
    return app.exec();
}
