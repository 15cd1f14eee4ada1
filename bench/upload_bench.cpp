// A full upload (sixteen full slots, N = 512) against a line that drains at a
// fixed byte rate: wall time against the line's own time, and the process CPU
// time the drain waits (the uploader's timer in the event loop) cost. The real line carries 120 bytes per second; the
// rate here is scaled up 100 times so a run takes half a second. The waits'
// overhead per block and their CPU share per second do not depend on the rate.
// The status line's texts are built as the window builds them, at the
// window's refresh interval, so their cost is in the figures.

#include "link/uploader.h"
#include "protocol/uploadstream.h"
#include "support/throttledport.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>

using namespace glintag;

namespace {

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

std::unique_ptr<UploadSnapshot> fullSnapshot()
{
    auto s = std::make_unique<UploadSnapshot>();
    for (std::size_t i = 0; i < s->rendering.dots.bytes.size(); ++i)
        s->rendering.dots.bytes[i] = std::uint8_t(i * 13);
    RowBytes full;
    full.fill(kRowByteCount);
    s->rendering.setLengths(full);
    return s;
}

void BM_FullUploadThrottled(benchmark::State &state)
{
    const double rate = double(state.range(0));
    const auto snapshot = fullSnapshot();
    const double lineSeconds = (100.0 + 12.0 * 512.0) / rate;
    double wallTotal = 0, cpuTotal = 0;
    for (auto _ : state) {
        ThrottledPort port;
        port.open();
        // The line: each block starts when the previous one has left, then
        // takes size / rate seconds; what is left is the waiting count.
        const auto start = std::chrono::steady_clock::now();
        double lineFreeAt = 0;
        int seen = 0;
        port.onPoll = [&] {
            const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (port.written.size() > seen) {
                lineFreeAt = std::max(lineFreeAt, now) + (port.written.size() - seen) / rate;
                seen = int(port.written.size());
            }
            port.queued = qint64(std::max(0.0, (lineFreeAt - now) * rate) + 0.999);
        };
        Uploader uploader(port);
        QString statusText;
        int statusUpdates = 0;
        QObject::connect(&uploader, &Uploader::status, [&](const UploadProgress &p) {
            UploadStatus status;
            status.running = true;
            status.progress = p;
            statusText = uploadStatusText(status, 4);
            ++statusUpdates;
        });
        UploadOutcome outcome;
        QEventLoop loop;
        QObject::connect(&uploader, &Uploader::finished, [&](const UploadOutcome &o) {
            outcome = o;
            loop.quit();
        });
        const double cpu0 = processCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        uploader.start(*snapshot);
        loop.exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = processCpuSeconds() - cpu0;
        benchmark::DoNotOptimize(outcome);
        if (port.written.size() != 100 + 12 * 512)
            state.SkipWithError("wrong stream length");
        state.SetIterationTime(wall);
        state.counters["status_updates"] = statusUpdates;
        wallTotal += wall;
        cpuTotal += cpu;
    }
    const double n = double(state.iterations());
    state.counters["line_s"] = lineSeconds;
    state.counters["wall_s"] = wallTotal / n;
    state.counters["overhead_ms"] = (wallTotal / n - lineSeconds) * 1e3;
    state.counters["cpu_pct_of_wall"] = 100.0 * cpuTotal / wallTotal;
}
// 12,000 B/s for a quick figure; 120 B/s is the real line (52 s per run).
BENCHMARK(BM_FullUploadThrottled)->Arg(12000)->Arg(120)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BuildUploadStream(benchmark::State &state)
{
    const auto snapshot = fullSnapshot();
    for (auto _ : state)
        benchmark::DoNotOptimize(uploadStream(*snapshot));
}
BENCHMARK(BM_BuildUploadStream)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // The uploader runs from the application's event loop.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
