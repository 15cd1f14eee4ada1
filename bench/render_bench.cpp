// One rendering run of the core, as every keystroke in a slot triggers it.
#include "badge/badgesetup.h"
#include "preview/losswarnings.h"
#include "render/messagebuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace glintag;

namespace {

// The generated font files lie beside this executable.
QString binDir()
{
    return QString::fromLocal8Bit(GLINTAG_BIN_DIR);
}

BadgeSetup textSetup(const QString &text)
{
    BadgeSetup setup;
    for (auto &s : setup.slots)
        s.text = text;
    return setup;
}

void runRender(benchmark::State &state, const BadgeSetup &setup)
{
    benchmark::DoNotOptimize(renderSetup(setup, binDir())); // warm the glyph and code page tables
    for (auto _ : state) {
        const Rendering rendering = renderSetup(setup, binDir());
        benchmark::DoNotOptimize(rendering.sent);
    }
}

void BM_SixteenSlotsOfTwelveChars(benchmark::State &state)
{
    runRender(state, textSetup(QStringLiteral("HELLO WORLD!")));
}
BENCHMARK(BM_SixteenSlotsOfTwelveChars)->Unit(benchmark::kMicrosecond);

void BM_SixteenFullSlotsMixed(benchmark::State &state)
{
    // Single- and double-byte characters until well past 4,096 columns.
    QString text;
    while (text.size() < 600)
        text += QStringLiteral("Badge 中文字 ");
    runRender(state, textSetup(text));
}
BENCHMARK(BM_SixteenFullSlotsMixed)->Unit(benchmark::kMicrosecond);

void BM_PastedHundredThousandChars(benchmark::State &state)
{
    runRender(state, textSetup(QString(100000, QLatin1Char('x'))));
}
BENCHMARK(BM_PastedHundredThousandChars)->Unit(benchmark::kMicrosecond);

void BM_SixteenPictureSlots(benchmark::State &state)
{
    QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
    for (int y = 0; y < kRowCount; ++y)
        for (int x = 0; x < kRowColumns; ++x)
            canvas.setPixel(x, y, ((x * 7 + y * 13) % 5) ? qRgb(255, 40, 0) : qRgb(0, 0, 0));
    BadgeSetup setup = textSetup(QString());
    for (auto &s : setup.slots) {
        s.image = true;
        s.picture = canvas;
    }
    runRender(state, setup);
}
BENCHMARK(BM_SixteenPictureSlots)->Unit(benchmark::kMicrosecond);

// The loss-warning scan the window runs after every edit, over sixteen text
// boxes each full to their 32,767 units with distinct characters no code
// page holds (supplementary ideographs, two units each): the worst case for
// collecting the replaced characters. It must stay well inside a frame
// (20 ms); the rendering is done once outside the loop.
void BM_LossScanSixteenFullTextBoxes(benchmark::State &state)
{
    QString text;
    for (char32_t c = 0x20000; text.size() + 2 <= 32767; ++c)
        text += QString::fromUcs4(&c, 1);
    text += QLatin1Char('x');
    BadgeSetup setup = textSetup(text);
    setup.language = int(state.range(0));
    const Rendering rendering = renderSetup(setup, binDir());
    benchmark::DoNotOptimize(findLossWarnings(setup, rendering)); // warm the code page tables
    for (auto _ : state)
        benchmark::DoNotOptimize(findLossWarnings(setup, rendering));
}
BENCHMARK(BM_LossScanSixteenFullTextBoxes)->Arg(4)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
