#include "mainwindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Glintag"));
    glintag::MainWindow window;
    window.show();
    return app.exec();
}
