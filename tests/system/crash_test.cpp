// SIGKILL at any moment (before, while and after dialling, around the first
// minute's write) never leaves a log that does not open, fails its integrity
// check or holds a half-written call, and loses at most the running call's last
// minute.
#include <signal.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <thread>

#include "base/clock.h"
#include "program_folder_fixture.h"

namespace vornik::testing {
namespace {

constexpr char kConnected[] = "拨号状态：连接已建立";
// The minute tick writes the running call; a kill may come just before it.
constexpr std::int64_t kAtMostMissingSeconds = 60 + 2;

struct KilledRun {
    ProgramFolderFixture* folder;
    std::unique_ptr<ChildProcess> vornik;
    std::chrono::steady_clock::time_point killAt;
    std::optional<Moment> connectedAt;
    std::int64_t lastIdBefore = 0;
    std::string what;
};

void KillAndCheck(KilledRun& run) {
    run.vornik->Signal(SIGKILL);
    ASSERT_TRUE(run.vornik->WaitForExit(30s));
    const Moment killed = SystemClock().Now();
    SCOPED_TRACE(run.what + ", killed at " + MomentText(killed) + "\n" + run.vornik->Out());
    const std::vector<LoggedCall> calls = run.folder->CheckedCalls();
    const LoggedCall* written = nullptr;
    for (const LoggedCall& call : calls) {
        if (call.id > run.lastIdBefore) {
            EXPECT_EQ(written, nullptr) << "one run wrote two calls";
            written = &call;
        }
    }
    if (written != nullptr) {
        EXPECT_LE(SecondsBetween(written->end, killed), kAtMostMissingSeconds);
    } else if (run.connectedAt) {
        EXPECT_LE(SecondsBetween(*run.connectedAt, killed), kAtMostMissingSeconds)
            << "a call up for more than a minute is not in the log";
    }
}

std::int64_t LastId(const ProgramFolderFixture& folder) {
    const std::vector<LoggedCall> calls = folder.CheckedCalls();
    return calls.empty() ? 0 : calls.back().id;
}

TEST(CrashTest, KilledAtRandomTheLogStaysWhole) {
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("seed " + std::to_string(seed));
    using Clock = std::chrono::steady_clock;

    // Two runs, each in its own folder, live through the first minute's write and
    // are killed around it; meanwhile short runs in one shared folder are killed
    // before, while and soon after dialling, each starting on what the last left.
    std::vector<std::unique_ptr<ProgramFolderFixture>> folders;
    std::vector<KilledRun> longRuns;
    const auto start = Clock::now();
    for (const auto killAfter : {59'500ms, 60'700ms}) {
        folders.push_back(std::make_unique<ProgramFolderFixture>());
        ProgramFolderFixture& folder = *folders.back();
        folder.PrepareAutoDial(3);
        longRuns.push_back({&folder,
                            std::make_unique<ChildProcess>(VornikExecutable(), folder.Headless(),
                                                           folder.Scratch()),
                            start + killAfter, std::nullopt, 0,
                            "killed " + std::to_string(killAfter.count()) + " ms after its start"});
    }
    ProgramFolderFixture shared;
    shared.PrepareAutoDial(3);
    // Before the dial (and the log's opening), while dialling, in the call.
    const std::pair<int, int> windows[] = {{0, 400}, {400, 3000}, {3000, 6000}, {0, 6000}};
    constexpr int kShortRuns = 16;
    int shortRuns = 0;
    std::optional<KilledRun> current;
    while (!longRuns.empty() || shortRuns < kShortRuns || current) {
        const auto now = Clock::now();
        if (!current && shortRuns < kShortRuns) {
            const auto [from, to] = windows[shortRuns % 4];
            const int afterMs = std::uniform_int_distribution<int>(from, to)(random);
            current = KilledRun{&shared,
                                nullptr,
                                now + std::chrono::milliseconds(afterMs),
                                std::nullopt,
                                LastId(shared),
                                "short run " + std::to_string(shortRuns) + " killed after " +
                                    std::to_string(afterMs) + " ms"};
            current->vornik = std::make_unique<ChildProcess>(VornikExecutable(), shared.Headless(),
                                                             shared.Scratch());
            ++shortRuns;
        }
        auto watch = [&](KilledRun& run) {
            if (!run.connectedAt && run.vornik->Out().find(kConnected) != std::string::npos) {
                run.connectedAt = SystemClock().Now();
            }
            if (!run.vornik->Running()) {
                ADD_FAILURE() << run.what << ": ended by itself: " << run.vornik->Describe();
                return true;
            }
            if (Clock::now() >= run.killAt) {
                KillAndCheck(run);
                return true;
            }
            return false;
        };
        if (current && watch(*current)) {
            current.reset();
        }
        for (auto run = longRuns.begin(); run != longRuns.end();) {
            run = watch(*run) ? longRuns.erase(run) : std::next(run);
        }
        if (HasFatalFailure()) {
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
    // And the log is still the program's: one more start runs and leaves in order.
    ChildProcess last(VornikExecutable(), shared.Headless(), shared.Scratch());
    ASSERT_TRUE(last.WaitForOutput(kConnected, 30s)) << last.Describe();
    last.Signal(SIGTERM);
    ASSERT_TRUE(last.WaitForExit(30s));
    EXPECT_NE(last.Out().find("Vornik: 已退出，拨号记录已保存"), std::string::npos)
        << last.Describe();
}

}  // namespace
}  // namespace vornik::testing
