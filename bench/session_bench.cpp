// What the program does once a second and once a minute during a call, and what
// opening the log costs. Build with -DVORNIK_BENCHMARKS=ON; never run as a test.
#include <benchmark/benchmark.h>

#include "app/session.h"
#include "app/status_display.h"
#include "base/setting_keys.h"
#include "dialer/simulated_dialer.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/recording_ui.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

struct RunningCall {
    RunningCall() {
        db.OpenDatabase();
        db.SaveConfig(keys::kLastEntry, "模拟ADSL");
        db.SaveConfig(keys::kJishiFee, "3");
        session.StartUp();
        session.Dial();
        for (int i = 0; i < 10; ++i) {
            Second();
        }
    }
    void Second() {
        clock.Advance(1);
        dialer.Poll();
        session.MainTick();
    }

    testing::TempFolder folder;
    ErrorLog log{folder / "log/error.log"};
    Dbio db{folder / "db/diallog.db", log};
    testing::FakeClock clock{{2026, 12, 6, 20, 0, 0}};
    SimulatedDialer dialer{clock, folder / "simulated-phonebook.txt"};
    testing::RecordingUi ui;
    testing::FakeProbe probe;
    Session session{db, dialer, clock, ui, probe};
};

// The one-second tick with the status text it feeds: no statement reaches the log.
void BM_SecondTickDuringACall(benchmark::State& state) {
    RunningCall call;
    for (auto _ : state) {
        call.Second();
        const StatusText text = ComposeStatusText(call.session.Call(), call.session.Fee().callFee,
                                                  call.session.Totals(), true, PlainNumber);
        benchmark::DoNotOptimize(text);
        call.ui.statusLines.clear();
    }
}
BENCHMARK(BM_SecondTickDuringACall);

// The minute tick: the fee and one write of the call's row.
void BM_MinuteTickDuringACall(benchmark::State& state) {
    RunningCall call;
    for (auto _ : state) {
        call.clock.Advance(60);
        call.session.MinuteTick();
    }
}
// A fixed count, so that instruction counts under callgrind compare run to run
// (the log checkpoints its -wal every few hundred minutes).
BENCHMARK(BM_MinuteTickDuringACall)->Unit(benchmark::kMicrosecond)->Iterations(1000);

// Opening the encrypted log (the key derivation dominates).
void BM_OpenLog(benchmark::State& state) {
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio create(folder / "db/diallog.db", log);
    create.OpenDatabase();
    create.CloseDatabase();
    for (auto _ : state) {
        Dbio db(folder / "db/diallog.db", log);
        db.OpenDatabase();
        benchmark::DoNotOptimize(db.IsOpen());
    }
}
BENCHMARK(BM_OpenLog)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornik

BENCHMARK_MAIN();
