// Process CPU while the badge face plays at speed 8, for 10 s visible and
// 10 s minimised, measured with getrusage, in a window of the given size
// (default: a 1920 x 1080 screen less panel and title bar, the largest
// face). Offscreen:
//   QT_QPA_PLATFORM=offscreen build/bin/face_cpu_bench [seconds] [WIDTHxHEIGHT]
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/slotrow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms` and returns the share of one core it used.
// (A local loop: quitting the application would close the window.)
double cpuShare(int ms)
{
    const double cpu0 = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - cpu0) / (ms / 1000.0);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int ms = argc > 1 ? std::atoi(argv[1]) * 1000 : 10000;
    QTemporaryDir dir;
    glintag::MainWindowOptions options;
    options.programDir = dir.path();
    options.systemDevices = [] { return QStringList(); };
    glintag::MainWindow window(options);
    const QStringList size = QString::fromLatin1(argc > 2 ? argv[2] : "1920x1044").split(QLatin1Char('x'));
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();
    cpuShare(300); // the first rendering
    for (int i = 1; i < glintag::kSlotCount; ++i)
        window.slotRow(i).selectBox()->setChecked(false);
    window.slotRow(0).speedBox()->setCurrentText(QStringLiteral("8"));
    window.slotRow(0).borderBox()->setChecked(true);
    window.slotRow(0).textBox()->setText(QStringLiteral("Speed eight, scrolling left with the border lamp"));
    std::printf("window %d x %d, face pitch %d px\n", window.width(), window.height(),
                window.parts().preview->face()->pitch());
    std::printf("face clock: %s, %d ms per step\n",
                window.parts().preview->faceClock()->isActive() ? "running" : "stopped",
                window.parts().preview->faceClock()->interval());
    std::printf("playing: %.2f %% of one core over %d s\n", 100 * cpuShare(ms), ms / 1000);
    window.showMinimized();
    std::printf("minimised (clock %s): %.2f %% of one core over %d s\n",
                window.parts().preview->faceClock()->isActive() ? "running" : "stopped", 100 * cpuShare(ms), ms / 1000);
    return 0;
}
