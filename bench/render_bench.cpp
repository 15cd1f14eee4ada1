// One rendering run of the core, as every keystroke in a slot triggers it.
#include "render/messagebuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace glintag;

namespace {

// The generated font files lie beside this executable.
QString binDir() { return QString::fromLocal8Bit(GLINTAG_BIN_DIR); }

RenderRequest textRequest(const QString &text)
{
    RenderRequest req;
    req.uiLanguage = 0;
    req.model = QStringLiteral("R1");
    for (auto &s : req.slot)
        s = {true, false, text, false, 0, {}};
    return req;
}

void runRender(benchmark::State &state, const RenderRequest &req)
{
    DotBuffer dots;
    RowBytes rb{};
    renderMessages(req, binDir(), dots, rb);   // warm the glyph and code page tables
    for (auto _ : state) {
        renderMessages(req, binDir(), dots, rb);
        benchmark::DoNotOptimize(rb);
    }
}

void BM_SixteenSlotsOfTwelveChars(benchmark::State &state)
{
    runRender(state, textRequest(QStringLiteral("HELLO WORLD!")));
}
BENCHMARK(BM_SixteenSlotsOfTwelveChars)->Unit(benchmark::kMicrosecond);

void BM_SixteenFullSlotsMixed(benchmark::State &state)
{
    // Single- and double-byte characters until well past 4,096 columns.
    QString text;
    while (text.size() < 600)
        text += QStringLiteral("Badge 中文字 ");
    runRender(state, textRequest(text));
}
BENCHMARK(BM_SixteenFullSlotsMixed)->Unit(benchmark::kMicrosecond);

void BM_PastedHundredThousandChars(benchmark::State &state)
{
    runRender(state, textRequest(QString(100000, QLatin1Char('x'))));
}
BENCHMARK(BM_PastedHundredThousandChars)->Unit(benchmark::kMicrosecond);

void BM_SixteenPictureSlots(benchmark::State &state)
{
    QImage canvas(kRowColumns, kRowCount, QImage::Format_RGB32);
    for (int y = 0; y < kRowCount; ++y)
        for (int x = 0; x < kRowColumns; ++x)
            canvas.setPixel(x, y, ((x * 7 + y * 13) % 5) ? qRgb(255, 40, 0) : qRgb(0, 0, 0));
    RenderRequest req = textRequest(QString());
    for (auto &s : req.slot) {
        s.image = true;
        s.canvas = canvas;
    }
    runRender(state, req);
}
BENCHMARK(BM_SixteenPictureSlots)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
