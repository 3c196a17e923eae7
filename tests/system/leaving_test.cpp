// The headless program on a terminal ended by the signals a terminal, a session
// or a pipeline sends: the running call is in the log with its end, and the exit
// status says that it was saved.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "program_folder_fixture.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;
// Whether the status printed on the terminal shows a call two seconds old or
// older: its record must end no earlier. A busy machine may skip a second on the way.
bool ShowsTwoSecondsIn(const std::string& out) {
    const std::string label = "已连接 00:";
    for (auto at = out.find(label); at != std::string::npos; at = out.find(label, at + 1)) {
        const std::string shown = out.substr(at + label.size(), 5);  // MM:SS
        if (shown.size() == 5 && shown >= "00:02") {
            return true;
        }
    }
    return false;
}

struct Leaving {
    int signal;
    bool inCall;  // else while dialling
};

void PrintTo(const Leaving& leaving, std::ostream* out) {
    *out << sigabbrev_np(leaving.signal) << (leaving.inCall ? " in a call" : " while dialling");
}

class LeavingOnSignal : public ::testing::TestWithParam<Leaving> {};

TEST_P(LeavingOnSignal, WritesTheCallAndExitsWithZero) {
    const Leaving leaving = GetParam();
    ProgramFolderFixture folder;
    // While dialling, the link stays out of reach for the whole test.
    folder.PrepareAutoDial(leaving.inCall ? 1 : 600);
    ChildOptions options = folder.Headless();
    options.stdoutTerminal = true;
    ChildProcess vornik(VornikExecutable(), options, folder.Scratch());
    if (leaving.inCall) {
        ASSERT_TRUE(WaitUntil([&] { return ShowsTwoSecondsIn(vornik.Out()); }, kBound))
            << vornik.Describe();
    } else {
        ASSERT_TRUE(vornik.WaitForOutput("拨号状态：正在打开端口", kBound)) << vornik.Describe();
    }
    vornik.Signal(leaving.signal);
    const std::optional<int> status = vornik.WaitForExit(kBound);
    ASSERT_TRUE(status) << vornik.Describe();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << vornik.Describe();
    const std::vector<LoggedCall> calls = folder.CheckedCalls();
    if (leaving.inCall) {
        EXPECT_NE(vornik.Out().find("Vornik: 已退出，拨号记录已保存"), std::string::npos)
            << vornik.Describe();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_GE(SecondsBetween(calls[0].begin, calls[0].end), 2);
    } else {
        EXPECT_NE(vornik.Out().find("Vornik: 已退出"), std::string::npos) << vornik.Describe();
        EXPECT_TRUE(calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, LeavingOnSignal,
                         ::testing::Values(Leaving{SIGHUP, false}, Leaving{SIGHUP, true},
                                           Leaving{SIGTERM, false}, Leaving{SIGTERM, true},
                                           Leaving{SIGQUIT, false}, Leaving{SIGQUIT, true}),
                         [](const ::testing::TestParamInfo<Leaving>& param) {
                             return std::string(sigabbrev_np(param.param.signal)) +
                                    (param.param.inCall ? "_InACall" : "_WhileDialling");
                         });

// The terminal the status goes to is closed during a call, and no hang-up signal
// comes with it (it is not the program's controlling terminal). The program stops
// printing, goes on metering, and still leaves in order when told to.
TEST(LeavingOnSignal, OutputGoneKeepsMeteringUntilTold) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(1);
    ChildOptions options = folder.Headless();
    options.stdoutTerminal = true;
    ChildProcess vornik(VornikExecutable(), options, folder.Scratch());
    ASSERT_TRUE(WaitUntil([&] { return ShowsTwoSecondsIn(vornik.Out()); }, kBound))
        << vornik.Describe();
    vornik.CloseTerminal();
    // The next status line meets the closed terminal.
    const std::string outputFailed = "headless output failed";
    WaitUntil(
        [&] {
            return folder.ErrorLogText().find(outputFailed) != std::string::npos ||
                   !vornik.Running();
        },
        kBound);
    ASSERT_TRUE(vornik.Running()) << vornik.Describe();
    EXPECT_NE(folder.ErrorLogText().find(outputFailed), std::string::npos);
    vornik.Signal(SIGTERM);
    const std::optional<int> status = vornik.WaitForExit(kBound);
    ASSERT_TRUE(status) << vornik.Describe();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << vornik.Describe();
    const std::vector<LoggedCall> calls = folder.CheckedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GE(SecondsBetween(calls[0].begin, calls[0].end), 2);
}

}  // namespace
}  // namespace vornik::testing
