// The dot editor and animated GIFs:
//   QT_QPA_PLATFORM=offscreen build/bin/doteditor_bench
// A click in the editor with the slot's gauge and preview brought up to date
// (the grid repainted, Apply, the window's rendering, gauge and preview
// painted), and fitting a 100-frame 480 x 270 GIF into R1 frames with the
// peak memory that adds.
#include "badge/badgemodel.h"
#include "badge/dotcanvas.h"
#include "files/animatedgif.h"
#include "gui/doteditordialog.h"
#include "gui/dotgrid.h"
#include "gui/mainwindow.h"
#include "gui/pictureediting.h"
#include "gui/previewpanel.h"
#include "gui/slotrow.h"
#include "gui/stripwidgets.h"
#include "support/files.h"
#include "support/gifwriter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

using namespace glintag;

void BM_EditorClickToPreview(benchmark::State &state)
{
    QTemporaryDir dir;
    MainWindowOptions options;
    options.programDir = dir.path();
    options.systemDevices = [] { return QStringList(); };
    MainWindow window(options);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was never shown");
        return;
    }
    window.slotRow(0).imageBox()->setChecked(true);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.parts().pictureEditing.open(0);
        DotEditorDialog *editor = window.parts().pictureEditing.editor();
        DotGrid *grid = editor->grid();
        const int x = (n++ % 200) * grid->pitch() + 2;
        state.ResumeTiming();
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(x, 2));
        grid->repaint();
        editor->button(DotEditorDialog::Apply)->click();
        window.parts().memoryGauge->repaint();
        window.parts().preview->repaint();
        state.PauseTiming();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorClickToPreview)->Unit(benchmark::kMillisecond);

// Resident memory now and at its peak since the last reset, in kB.
qint64 statusField(const char *name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name))).trimmed().split(' ').front().toLongLong();
    return -1;
}

// Fits the GIF once in a fresh process and returns the peak resident
// memory that added, in MB (the benchmark's own heap would hide it).
double peakAboveInFreshProcess(const QString &path)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fit-once"), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    return p.readAllStandardOutput().trimmed().toDouble() / 1024;
}

int fitOnce(const QString &path)
{
    const qint64 before = statusField("VmRSS:");
    GifAnimation animation;
    if (!loadGifAnimation(path, frameWidth(kModelR1), &animation))
        return 1;
    std::printf("%lld\n", statusField("VmHWM:") - before);
    return 0;
}

// The largest screen the loader takes (three screens within the full-decode
// cap), three 1 x 1 frames on it: the memory a hostile GIF can claim.
void BM_FitGifLargestScreen(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.gif"));
    GifWriter gif(2040, 2040);
    for (int k = 0; k < 3; ++k)
        gif.addFrame(QRect(k, k, 1, 1), {1});
    if (!writeFile(path, gif.finish())) {
        state.SkipWithError("cannot write the GIF");
        return;
    }
    GifAnimation animation;
    for (auto _ : state)
        benchmark::DoNotOptimize(loadGifAnimation(path, frameWidth(kModelR1), &animation));
    state.counters["peak_above_MB"] = peakAboveInFreshProcess(path);
}
BENCHMARK(BM_FitGifLargestScreen)->Unit(benchmark::kMillisecond);

void BM_FitGif100Frames480x270(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("anim.gif"));
    {
        // A bar sweeping across a grey screen, one frame per step.
        GifWriter gif(480, 270);
        for (int k = 0; k < 100; ++k) {
            std::vector<int> pixels(480 * 270, 6);
            for (int y = 60; y < 210; ++y)
                for (int x = k * 4; x < k * 4 + 80; ++x)
                    pixels[size_t(y * 480 + x)] = 1;
            gif.addFrame(QRect(0, 0, 480, 270), pixels);
        }
        if (!writeFile(path, gif.finish())) {
            state.SkipWithError("cannot write the GIF");
            return;
        }
    }
    GifAnimation animation;
    for (auto _ : state) {
        QString reason;
        if (!loadGifAnimation(path, frameWidth(kModelR1), &animation, &reason)) {
            state.SkipWithError(qPrintable(reason));
            break;
        }
        benchmark::DoNotOptimize(animation.canvas.constBits());
    }
    state.counters["frames"] = animation.framesPlaced;
    state.counters["file_MB"] = double(QFile(path).size()) / (1 << 20);
    state.counters["peak_above_MB"] = peakAboveInFreshProcess(path);
}
BENCHMARK(BM_FitGif100Frames480x270)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--fit-once") == 0)
        return fitOnce(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
