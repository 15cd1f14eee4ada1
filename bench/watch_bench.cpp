// The watch and the send to several badges:
//  - the cost of one look that finds nothing changed, 16 slots with time
//    fields (the loop itself, with an injected clock);
//  - the CPU the real program uses between changes with --every 1, on a
//    pseudo-terminal badge (from /proc, over 30 s by default);
//  - the wall time of a send to 1 and to 4 pseudo-terminal badges, each
//    paced at the line's 120 bytes per second by the uploader.
// Usage: watch_bench [--benchmark_* flags] [--cpu-seconds N] [--skip-process]

#include "render/messagebuilder.h"
#include "sending/watchloop.h"
#include "support/pseudoterminal.h"
#include "support/setups.h"
#include "support/throttledport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include "spawnprogram.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>

using namespace glintag;

namespace {

using Clock = std::chrono::steady_clock;

void BM_NothingChanged16Slots(benchmark::State &state)
{
    auto port = std::make_shared<ThrottledPort>();
    port->drainPerPoll = 1 << 20;
    WatchLoop loop(
        {QStringLiteral("COM1")},
        [](const QStringList &texts, QString *) -> std::optional<BadgeSetup> { return setupWithTexts(texts); },
        QStringLiteral(GLINTAG_BIN_DIR), [port](const QString &) { return port; });
    qint64 now = 0;
    loop.sender().setClock([&now] { return now += 1000; });
    const QDateTime wall(QDate(2026, 3, 2), QTime(9, 0, 0));
    loop.setWallClock([&wall] { return wall; });
    QStringList texts;
    for (int i = 0; i < kSlotCount; ++i)
        texts << QStringLiteral("Slot %1 {date:%a %d %b} {time:%H:%M}").arg(i + 1);
    loop.watchTexts(texts);
    loop.check();
    const QDeadlineTimer limit(30000);
    while (loop.isSending() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (loop.uploads() != 1) {
        state.SkipWithError("the first upload did not finish");
        return;
    }
    for (auto _ : state)
        loop.check();
    if (loop.uploads() != 1)
        state.SkipWithError("a look that changed nothing sent");
}
BENCHMARK(BM_NothingChanged16Slots)->Unit(benchmark::kMicrosecond);

// utime + stime of a process, in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat.size()) {
        const size_t end = stat.find(' ', at);
        fields.push_back(stat.substr(at, end - at));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    // Fields 14 and 15 of the file; the list starts at field 3.
    return fields.size() > 13 ? double(std::stoll(fields[11]) + std::stoll(fields[12])) / double(sysconf(_SC_CLK_TCK))
                              : -1;
}

// Reads every master until `done` holds or `seconds` have passed.
void drain(std::vector<std::unique_ptr<Pty>> &ptys, double seconds, const std::function<bool()> &done = {})
{
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < until && !(done && done())) {
        std::vector<pollfd> fds;
        for (const auto &p : ptys)
            fds.push_back({p->masterFd(), POLLIN, 0});
        if (::poll(fds.data(), nfds_t(fds.size()), 20) > 0)
            for (auto &f : fds)
                if (f.revents & POLLIN) {
                    char buf[1024];
                    [[maybe_unused]] const ssize_t n = ::read(f.fd, buf, sizeof buf);
                }
    }
}

void watchCpu(const std::string &settings, double seconds)
{
    std::vector<std::unique_ptr<Pty>> ptys;
    ptys.push_back(std::make_unique<Pty>());
    int err[2];
    if (::pipe(err) != 0)
        return;
    ::fcntl(err[0], F_SETFL, O_NONBLOCK);
    const pid_t pid = spawnGlintag(
        {"watch", "--settings", settings, "--port", ptys[0]->slavePath().toStdString(), "--every", "1", "HELLO"},
        err[1]);
    ::close(err[1]);
    std::string log;
    drain(ptys, 30, [&] {
        char buf[512];
        const ssize_t n = ::read(err[0], buf, sizeof buf);
        if (n > 0)
            log.append(buf, size_t(n));
        return log.find(" first ") != std::string::npos && log.find('\n') != std::string::npos;
    });
    const double before = cpuSeconds(pid);
    const auto t0 = Clock::now();
    drain(ptys, seconds);
    const double after = cpuSeconds(pid);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    ::kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ::close(err[0]);
    std::printf("watch --every 1, between changes: %.3f s CPU in %.1f s = %.3f %% of one core (goal <= 0.5 %%)\n",
                after - before, wall, 100.0 * (after - before) / wall);
}

double sendSeconds(const std::string &settings, int ports)
{
    std::vector<std::unique_ptr<Pty>> ptys;
    std::vector<std::string> args = {"send", "--settings", settings, "--quiet"};
    for (int i = 0; i < ports; ++i) {
        ptys.push_back(std::make_unique<Pty>());
        args.push_back("--port");
        args.push_back(ptys.back()->slavePath().toStdString());
    }
    args.push_back("Four badges at once, each paced at the line's own rate");
    const auto t0 = Clock::now();
    const pid_t pid = spawnGlintag(args, -1);
    int status = -1;
    drain(ptys, 120, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    double cpuFor = 30;
    bool process = true;
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cpu-seconds") == 0 && i + 1 < argc)
            cpuFor = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--skip-process") == 0)
            process = false;
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    QCoreApplication app(restCount, rest.data());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    if (!process)
        return 0;

    QTemporaryDir dir;
    const std::string settings = dir.filePath(QStringLiteral("s.ini")).toStdString();
    std::ofstream(settings) << "[Language]\nLanguage=4\n";
    const double one = sendSeconds(settings, 1);
    const double four = sendSeconds(settings, 4);
    std::printf("send to 1 pty badge: %.2f s; to 4: %.2f s; 4 take %+.1f %% of one (goal within 5 %%)\n", one, four,
                100.0 * (four - one) / one);
    watchCpu(settings, cpuFor);
    return 0;
}
