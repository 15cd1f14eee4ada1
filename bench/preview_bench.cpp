// The preview's costs: painting the strip of a full slot, one step of the
// badge face, and a keystroke in the real window up to the updated strip
// and face (rendering, warnings and painting included). Offscreen:
//   QT_QPA_PLATFORM=offscreen build/bin/preview_bench
#include "badge/badgesetup.h"
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/slotrow.h"
#include "preview/faceframes.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace glintag;

namespace {

DotBuffer patternDots()
{
    DotBuffer dots;
    for (int r = 0; r < kRowCount; ++r)
        for (int b = 0; b < kRowByteCount; ++b)
            dots.row(0, r)[b] = std::uint8_t(0x5A ^ (r * 17 + b));
    return dots;
}

// Every pixel of a 4,096-column strip, as the widget paints it.
void BM_PaintFullStrip(benchmark::State &state)
{
    const DotBuffer dots = patternDots();
    DotStrip strip(nullptr);
    SlotDots slot;
    slot.rows = dots.slot(0);
    slot.columns = kRowColumns;
    strip.setDots(slot);
    QImage target(strip.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        strip.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PaintFullStrip)->Unit(benchmark::kMillisecond);

// One step of the face in each mode, with flash and the border lamp on.
void BM_FaceStep(benchmark::State &state)
{
    const DotBuffer dots = patternDots();
    FacePiece piece;
    piece.mode = MoveMode(state.range(0));
    piece.flash = piece.border = true;
    piece.dots.rows = dots.slot(0);
    piece.dots.columns = kRowColumns;
    FacePlayer player;
    player.setPieces({piece}, kModelR2.faceWidth);
    for (auto _ : state)
        benchmark::DoNotOptimize(player.step());
}
BENCHMARK(BM_FaceStep)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

// A keystroke in slot 1 of the default window (sixteen selected slots):
// rendering, gauge, warnings, strip and face, painted. Argument 0: the
// window as it opens on the offscreen screen; 1: a 1920 x 1080 screen's
// whole area less panel and title bar, the largest face (pitch 16).
void BM_KeystrokeToPreview(benchmark::State &state)
{
    QTemporaryDir dir;
    MainWindowOptions options;
    options.programDir = dir.path();
    options.systemDevices = [] { return QStringList(); };
    MainWindow window(options);
    if (state.range(0) == 1)
        window.resize(1920, 1044);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was never shown");
        return;
    }
    window.slotRow(0).textBox()->setText(QString(60, QLatin1Char('A')));
    int n = 0;
    for (auto _ : state) {
        QTest::keyClick(window.slotRow(0).textBox(), (n++ % 2) ? Qt::Key_Backspace : Qt::Key_B);
        window.parts().preview->repaint(); // the strip and the face, painted now
    }
    state.counters["face_pitch"] = window.parts().preview->face()->pitch();
}
BENCHMARK(BM_KeystrokeToPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
