// The command line as a whole process: start to exit for a send into
// /dev/null, and start to the first byte on a pseudo-terminal. Both include
// loading Qt, reading the font files and rendering.

#include "spawnprogram.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>


namespace {

using Clock = std::chrono::steady_clock;

void BM_SendToDevNull(benchmark::State &state)
{
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const pid_t pid = spawnGlintag({"send", "--output", "/dev/null", "HELLO"});
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("glintag send failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    }
}
BENCHMARK(BM_SendToDevNull)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FirstByteOnPty(benchmark::State &state)
{
    for (auto _ : state) {
        int master = -1, slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        // The slave stays open here until the end, or the master reports a
        // hang-up before the program has opened its side.
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
        const auto t0 = Clock::now();
        const pid_t pid = spawnGlintag({"send", "--quiet", "--port", name, "HELLO"});
        pollfd p{master, POLLIN, 0};
        const bool arrived = pid > 0 && poll(&p, 1, 10000) == 1 && (p.revents & POLLIN);
        const auto t1 = Clock::now();
        char buf[4096];
        while (poll(&p, 1, 200) == 1 && read(master, buf, sizeof buf) > 0) {}
        int status = 0;
        if (pid > 0)
            waitpid(pid, &status, 0);
        close(master);
        close(slave);
        if (!arrived) {
            state.SkipWithError("no byte arrived");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
}
BENCHMARK(BM_FirstByteOnPty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
