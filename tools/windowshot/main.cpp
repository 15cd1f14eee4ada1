// Writes a picture of the main window in each interface language, so a
// layout that is off by a column or a caption that is cut shows at a glance:
//   QT_QPA_PLATFORM=offscreen build/bin/glintag_windowshot /tmp/shots
#include "app/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    glintag::Form1Options options;
    options.programDir = QDir::tempPath();   // never touch a real settings file
    glintag::Form1 window(options);
    window.show();
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    const char *names[] = {"simpchinese", "tradchinese", "japanese", "korean", "english"};
    for (int lang = 0; lang < 5; ++lang) {
        window.ComLanguage->setCurrentIndex(lang);
        QCoreApplication::processEvents();
        const QString file = QStringLiteral("%1/form1-%2.png").arg(out, QLatin1String(names[lang]));
        if (!window.grab().save(file))
            return 1;
    }
    return 0;
}
