// Setup files and the face's animation with sixteen full picture slots:
// saving and opening a setup, exporting one round as a GIF, and
// `glintag preview --gif` as a whole process.

#include "files/picturefile.h"
#include "preview/facegif.h"
#include "render/messagebuilder.h"
#include "settings/setupfile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace glintag;

namespace {

// Every slot a picture across the whole canvas, sent as the picture.
BadgeSetup fullSetup()
{
    BadgeSetup s = defaultBadgeSetup();
    QRandomGenerator random(7);
    for (SlotSetup &slot : s.slots) {
        slot.image = true;
        slot.picture = makeBlankCanvas();
        for (int y = 0; y < kCanvasHeight; ++y)
            for (int x = 0; x < kCanvasWidth; ++x)
                if (random.bounded(2))
                    slot.picture.setPixel(x, y, 0xFFFFFFFFu);
    }
    return s;
}

struct Fixture {
    QTemporaryDir dir;
    BadgeSetup setup = fullSetup();
    QString path = dir.filePath(QStringLiteral("full.ini"));
    Fixture() { saveSetupFile(path, setup); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_SaveSetup16FullSlots(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        if (!saveSetupFile(f.path, f.setup))
            state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveSetup16FullSlots)->Unit(benchmark::kMillisecond);

void BM_OpenSetup16FullSlots(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        StoredSettings stored;
        if (!loadSetupFile(f.path, stored) || stored.setup != f.setup)
            state.SkipWithError("open failed");
    }
}
BENCHMARK(BM_OpenSetup16FullSlots)->Unit(benchmark::kMillisecond);

// What Export preview does after the file dialog: render, the round, the file.
void BM_ExportGif16FullSlots(benchmark::State &state)
{
    Fixture &f = fixture();
    const QString gif = f.dir.filePath(QStringLiteral("face.gif"));
    size_t frames = 0;
    for (auto _ : state) {
        const FaceRound round = faceRound(f.setup, renderSetup(f.setup, QStringLiteral(GLINTAG_BIN_DIR)));
        frames = round.frames.size();
        if (!writeFaceGif(round, gif, 6))
            state.SkipWithError("export failed");
    }
    state.counters["frames"] = double(frames);
}
BENCHMARK(BM_ExportGif16FullSlots)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PreviewGifProcess(benchmark::State &state)
{
    Fixture &f = fixture();
    const QStringList args = {QStringLiteral("preview"), QStringLiteral("--settings"), f.path, QStringLiteral("--gif"),
                              f.dir.filePath(QStringLiteral("cli.gif"))};
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(GLINTAG_BIN_DIR "/glintag"), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            state.SkipWithError("glintag preview --gif failed");
    }
}
BENCHMARK(BM_PreviewGifProcess)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
