// What the desktop costs while a call runs and only the once-a-second figures
// change: the real shell with its own timers, the simulated dialer on the
// machine's clock, the main window shown. Reports the process's CPU time (all
// threads, user and system) per second of wall time, and how long the history
// grid takes to show a month of many calls. Build with -DVORNIK_BENCHMARKS=ON;
// never run as a test. See bench/README.md.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/float_window.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/resource_locator.h"
#include "app/shell.h"
#include "base/setting_keys.h"
#include "dialer/simulated_dialer.h"
#include "support/fake_probe.h"
#include "support/temp_folder.h"

namespace {

using namespace vornik;

struct Options {
    int seconds = 30;
    bool history = false;
    bool floatWindow = false;
    bool call = true;
    bool oneTimer = false;
    int monthCalls = 0;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: desktop_cpu [--seconds N] [--history] [--float] [--no-call]"
                 " [--one-timer] [--month-calls N]\n"
                 "  --seconds N      measure for N seconds (default 30)\n"
                 "  --history        show the history panel as well\n"
                 "  --float          show the floating window as well\n"
                 "  --no-call        stay disconnected instead of dialling\n"
                 "  --one-timer      poll the dialer in the one-second tick instead of every\n"
                 "                   200 ms: what the display costs without the polling\n"
                 "  --month-calls N  first time showing a month of N calls in the grid\n");
}

bool ReadOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seconds" && hasValue) {
            options.seconds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--month-calls" && hasValue) {
            options.monthCalls = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--history") {
            options.history = true;
        } else if (arg == "--float") {
            options.floatWindow = true;
        } else if (arg == "--no-call") {
            options.call = false;
        } else if (arg == "--one-timer") {
            options.oneTimer = true;
        } else {
            return false;
        }
    }
    return true;
}

// The plain event loop: QTest::qWait wakes every few milliseconds and would
// measure itself.
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the paint passes of the windows (one per window and change) and the
// layout passes anywhere while it exists.
class PassCounter : public QObject {
  public:
    PassCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~PassCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWidgetType() && event->type() == QEvent::UpdateRequest) {
            ++paints;
        } else if (watched->isWidgetType() && event->type() == QEvent::LayoutRequest) {
            ++layouts;
        }
        return false;
    }
    int paints = 0;
    int layouts = 0;
};

// User and system time of every thread of this process.
double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::vector<CallRecord> MonthOfCalls(const BillingMonth& month, int count) {
    std::vector<CallRecord> calls;
    calls.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Moment begin{month.year, month.month, 1 + i % 28, i % 24, i % 60, 0};
        CallRecord call;
        call.beginTime = MomentText(begin);
        call.endTime = MomentText(AddSeconds(begin, 600 + i % 900));
        call.entryName = "模拟ADSL";
        call.ipAddress = "198.51.100.23";
        call.bytesIn = 1'000'000 + i;
        call.bytesOut = 200'000 + i;
        call.fee = 0.01 * (i % 300);
        calls.push_back(std::move(call));
    }
    std::sort(calls.begin(), calls.end(),
              [](const CallRecord& a, const CallRecord& b) { return a.beginTime < b.beginTime; });
    return calls;
}

// Shows the month's calls a few times in both orders; the median wall time of
// one showing, events handled, the visible rows painted.
void MeasureMonthView(gui::Shell& shell, int count) {
    const Moment now = SystemClock().Now();
    MonthHistory history{{now.year, now.month}, MonthOfCalls({now.year, now.month}, count), false};
    std::vector<double> times;
    for (int round = 0; round < 6; ++round) {
        history.descending = round % 2 == 1;
        QElapsedTimer timer;
        timer.start();
        shell.ShowHistory(history);
        shell.Window().repaint();
        QApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("showing a month of %d calls: %.1f ms (median of %zu)\n", count,
                times[times.size() / 2], times.size());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    QApplication app(argc, argv);
    gui::InitResources();
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    db.SaveConfig(keys::kLastEntry, "模拟ADSL");
    db.SaveConfig(keys::kJishiFee, "3");
    db.SaveConfig(keys::kShowFloatWin, options.floatWindow ? "1" : "0");

    SystemClock clock;
    SimulatedDialer dialer(clock, folder / "simulated-phonebook.txt");
    testing::FakeProbe probe;
    gui::MessageBoxPrompter prompter;
    gui::Shell shell({{folder.Path()},
                      db,
                      log,
                      dialer,
                      probe,
                      clock,
                      prompter,
                      QSystemTrayIcon::isSystemTrayAvailable(),
                      QStringLiteral("模拟拨号"),
                      !options.oneTimer,
                      {}});
    QTimer second;
    QTimer minute;
    if (options.oneTimer) {
        QObject::connect(&second, &QTimer::timeout, [&] {
            dialer.Poll();
            shell.MainTick();
        });
        QObject::connect(&minute, &QTimer::timeout, [&] { shell.MinuteTick(); });
        second.start(1000);
        minute.start(60000);
    }
    shell.Start();
    if (options.history) {
        shell.Window().ToggleHistory();
    }
    if (options.monthCalls > 0) {
        MeasureMonthView(shell, options.monthCalls);
    }
    if (options.call) {
        shell.Run(gui::Command::kDial);
        if (!QTest::qWaitFor([&] { return shell.CoreSession().Call().isConnected; }, 20000)) {
            std::fprintf(stderr, "desktop_cpu: the simulated call did not come up\n");
            return 1;
        }
    }
    // Past the first painting and the connection's own changes.
    Wait(3000);

    const double cpuBefore = CpuMs();
    const auto wallBefore = std::chrono::steady_clock::now();
    double cpu = 0;
    int paints = 0;
    int layouts = 0;
    {
        const PassCounter passes;
        Wait(options.seconds * 1000);
        cpu = CpuMs() - cpuBefore;
        paints = passes.paints;
        layouts = passes.layouts;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();

    std::printf(
        "platform %s, %s, main window%s%s%s, %.1f s\n", qPrintable(QGuiApplication::platformName()),
        options.call ? "during a simulated call" : "disconnected",
        options.history ? " with history" : "", options.floatWindow ? " and floating window" : "",
        options.oneTimer ? ", one timer" : "", wall);
    std::printf("CPU: %.2f ms per second (%.0f ms in all)\n", cpu / wall, cpu);
    std::printf("paint passes: %.1f per second, layout passes: %.1f per second\n", paints / wall,
                layouts / wall);
    shell.ExitApp();
    return 0;
}
