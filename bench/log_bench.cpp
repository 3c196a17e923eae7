// What reading a big log costs: opening it, a month's totals and a month's calls.
// Make the log first (bench/make_big_log), then point VORNIK_BIG_LOG at it:
//   build-bench/bench/make_big_log /tmp/big/db/diallog.db
//   VORNIK_BIG_LOG=/tmp/big/db/diallog.db build-bench/bench/log_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "reports/usage_totals.h"
#include "store/dbio.h"

namespace vornik {
namespace {

const char* BigLog() {
    const char* file = std::getenv("VORNIK_BIG_LOG");
    return file != nullptr ? file : "/tmp/vornik-big/db/diallog.db";
}

// A billing month in the middle of the log's years.
constexpr BillingMonth kMonth{2026, 6};

void BM_OpenBigLog(benchmark::State& state) {
    const ErrorLog log("/tmp/vornik-bench.trace");
    for (auto _ : state) {
        Dbio db(BigLog(), log);
        db.OpenDatabase();
        if (!db.IsOpen()) {
            state.SkipWithError(db.OpenFailure().c_str());
            return;
        }
    }
}
BENCHMARK(BM_OpenBigLog)->Unit(benchmark::kMillisecond);

// Open, with the look at its pages done: it runs beside the program at first.
struct OpenLog {
    OpenLog() : db(BigLog(), log), reader(db) {
        db.OpenDatabase();
        while (!db.PagesChecked()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ErrorLog log{"/tmp/vornik-bench.trace"};
    Dbio db;
    UsageTotalsReader reader;
};

void BM_MonthTotals(benchmark::State& state) {
    OpenLog open;
    UsageTotals totals;
    for (auto _ : state) {
        open.reader.LoadMonthTotals(false, kMonth, 21, "模拟ADSL", {2026, 12, 6, 0, 0, 0}, totals);
        benchmark::DoNotOptimize(totals);
    }
    state.counters["seconds"] = static_cast<double>(totals.shownMonthSeconds);
}
BENCHMARK(BM_MonthTotals)->Unit(benchmark::kMillisecond);

void BM_MonthRows(benchmark::State& state) {
    OpenLog open;
    std::size_t calls = 0;
    for (auto _ : state) {
        const auto rows = open.reader.LoadMonthRows(kMonth, 21, "模拟ADSL");
        calls = rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["calls"] = static_cast<double>(calls);
}
BENCHMARK(BM_MonthRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornik

BENCHMARK_MAIN();
