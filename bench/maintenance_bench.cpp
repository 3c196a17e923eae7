// What the log maintenance costs on a big log: backing up, compacting, checking,
// exporting into a new file and exporting again (every call already present).
// The big log itself is only read; the writes go to copies in a scratch folder.
// Make the log first (bench/make_big_log), then:
//   VORNIK_BIG_LOG=/tmp/vornik-big/db/diallog.db build-bench/bench/maintenance_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "maintenance/log_maintenance.h"
#include "store/error_log.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;

fs::path BigLog() {
    const char* file = std::getenv("VORNIK_BIG_LOG");
    return file != nullptr ? file : "/tmp/vornik-big/db/diallog.db";
}

fs::path Scratch(const char* name) {
    const fs::path folder = "/tmp/vornik-bench-maintenance";
    fs::create_directories(folder);
    return folder / name;
}

const ErrorLog& Trace() {
    static const ErrorLog log("/tmp/vornik-bench.trace");
    return log;
}

template <typename Outcome>
bool Failed(benchmark::State& state, const Outcome& outcome) {
    if (!outcome) {
        state.SkipWithError(outcome.Error().c_str());
        return true;
    }
    return false;
}

void BM_Backup(benchmark::State& state) {
    for (auto _ : state) {
        if (Failed(state, BackupLog(BigLog(), Scratch("backup.db"), Trace()))) {
            return;
        }
    }
}
BENCHMARK(BM_Backup)->Unit(benchmark::kSecond)->Iterations(2);

void BM_Check(benchmark::State& state) {
    for (auto _ : state) {
        if (Failed(state, CheckLogFile(BigLog(), Trace()))) {
            return;
        }
    }
}
BENCHMARK(BM_Check)->Unit(benchmark::kSecond)->Iterations(2);

// On the backup's copy, so the big log stays as make_big_log wrote it.
void BM_Compact(benchmark::State& state) {
    for (auto _ : state) {
        const auto outcome = CompactLog(Scratch("backup.db"), Trace());
        if (Failed(state, outcome)) {
            return;
        }
        state.counters["MB after"] = static_cast<double>(outcome->bytesAfter) / 1e6;
    }
}
BENCHMARK(BM_Compact)->Unit(benchmark::kSecond)->Iterations(2);

void BM_ExportIntoNewFile(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(Scratch("export.db"));
        state.ResumeTiming();
        if (Failed(state, ExportLog(BigLog(), Scratch("export.db"), true, Trace()))) {
            return;
        }
    }
}
BENCHMARK(BM_ExportIntoNewFile)->Unit(benchmark::kSecond)->Iterations(2);

void BM_ExportAgain(benchmark::State& state) {
    for (auto _ : state) {
        const auto outcome = ExportLog(BigLog(), Scratch("export.db"), true, Trace());
        if (Failed(state, outcome)) {
            return;
        }
        state.counters["present"] = static_cast<double>(outcome->alreadyPresent);
    }
}
BENCHMARK(BM_ExportAgain)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace
}  // namespace vornik

BENCHMARK_MAIN();
