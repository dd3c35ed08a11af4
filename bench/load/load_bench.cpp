// Loading the demo folder as the program does at start (full mode) and on an update
// (reload mode). Reports, besides the times, when page 1 was ready and the peak RSS.
//
//   build/bench/load/bench_load [--benchmark_repetitions=5]
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/daynum.h"
#include "data/load_pages.h"
#include "support/recording_host.h"

namespace {

using namespace tidemark;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kNow = "2024-03-01 07:25";

// The demo folder, generated once per run.
const std::string& DemoFolder() {
    static std::string folder = [] {
        fs::path root = fs::temp_directory_path() / ("tm_bench_load_" + std::to_string(::getpid()));
        fs::path dir = root / "Tidemark";
        std::string command =
            std::string("'") + TIDEMARK_DEMO_EXE + "' '" + dir.string() + "' --now '" + kNow + "' >/dev/null";
        if (std::system(command.c_str()) != 0) std::abort();
        return dir.string() + "/";
    }();
    return folder;
}

double PeakRssMiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

double DemoNow() { return MakeDayNumber(2024, 3, 1, 7, 25, 0); }

void BM_FullLoad(benchmark::State& state) {
    double firstPageMs = 0;
    for (auto _ : state) {
        ProgramState program;
        program.programFolder = DemoFolder();
        RecordingHost host(DemoNow());
        auto start = Clock::now();
        LoadPagesHooks hooks;
        hooks.showFirstPage = [&] {
            firstPageMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        };
        LoadPagesResult out = LoadPages(program, host, LoadMode::Full, hooks);
        if (!out.ok()) state.SkipWithError(out.error().c_str());
        benchmark::DoNotOptimize(program.store.At(1, 0).currentValue);
    }
    state.counters["page1_ms"] = firstPageMs;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Reload(benchmark::State& state) {
    ProgramState program;
    program.programFolder = DemoFolder();
    RecordingHost host(DemoNow());
    if (!LoadPages(program, host, LoadMode::Full).ok()) {
        state.SkipWithError("full load failed");
        return;
    }
    for (auto _ : state) {
        LoadPagesResult out = LoadPages(program, host, LoadMode::Reload);
        if (!out.ok()) state.SkipWithError(out.error().c_str());
    }
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
