#include "badge/badgesetup.h"
#include "files/picturefile.h"
#include "render/messagebuilder.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

// A full-width picture with lit and dark dots mixed, as a slot would carry.
QImage stripedPicture()
{
    QImage img(glintag::kCanvasWidth, glintag::kCanvasHeight, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, ((x / 3 + y) % 2) ? qRgb(255, 40, 0) : qRgb(0, 0, 60));
    return img;
}

void runLoad(benchmark::State &state, const char *format)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("strip.pic"));
    if (!stripedPicture().save(file, format)) {
        state.SkipWithError("cannot write the picture");
        return;
    }
    QImage canvas = glintag::makeBlankCanvas();
    QString reason;
    for (auto _ : state) {
        if (!glintag::loadPictureOntoCanvas(file, canvas, &reason)) {
            state.SkipWithError(qPrintable(reason));
            break;
        }
        benchmark::DoNotOptimize(canvas.constBits());
    }
}

void BM_LoadBmpOntoCanvas(benchmark::State &state)
{
    runLoad(state, "BMP");
}
void BM_LoadJpegOntoCanvas(benchmark::State &state)
{
    runLoad(state, "JPEG");
}

void BM_SaveCanvasAsBmp(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.bmp"));
    const QImage canvas = stripedPicture();
    QString reason;
    for (auto _ : state) {
        if (!glintag::saveCanvasAsBmp(canvas, file, &reason)) {
            state.SkipWithError(qPrintable(reason));
            break;
        }
    }
}

// What pressing Load costs: the file onto the canvas, then a full rendering
// run of all sixteen slots (the loaded one and fifteen texts).
void BM_LoadBmpAndRender(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("strip.bmp"));
    if (!stripedPicture().save(file, "BMP")) {
        state.SkipWithError("cannot write the picture");
        return;
    }
    glintag::BadgeSetup setup = glintag::defaultBadgeSetup();
    setup.slots[1].image = true;
    QImage canvas = glintag::makeBlankCanvas();
    for (auto _ : state) {
        if (!glintag::loadPictureOntoCanvas(file, canvas, nullptr)) {
            state.SkipWithError("cannot load");
            break;
        }
        setup.slots[1].picture = canvas;
        const glintag::Rendering rendering = glintag::renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR));
        benchmark::DoNotOptimize(rendering.sent);
    }
}

} // namespace

BENCHMARK(BM_LoadBmpAndRender)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmpOntoCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpegOntoCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCanvasAsBmp)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
