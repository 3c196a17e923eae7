// Headless output that no one watches as it comes (a pipe, a file): the events
// as they happen and the status once a minute, never the status of every second. And a run without
// windows never maps the desktop's libraries.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "program_folder_fixture.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;
constexpr char kConnected[] = "拨号状态：连接已建立";
constexpr char kLeftSaved[] = "Vornik: 已退出，拨号记录已保存";

// `vornik --headless | tee log`: the start, each state of the two-second dial and
// the end, with the call saved; the status once, at the end of the start.
TEST(HeadlessOutput, IntoAPipeOnlyWhatChanges) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(2);
    ChildOptions options = folder.Headless();
    options.stdoutPipe = true;
    ChildProcess vornik(VornikExecutable(), options, folder.Scratch());
    ASSERT_TRUE(vornik.ReadPipeUntil(kConnected, kBound)) << vornik.Describe();
    vornik.Signal(SIGTERM);
    ASSERT_TRUE(vornik.ReadPipeUntil(kLeftSaved, kBound)) << vornik.Describe();
    const std::optional<int> status = vornik.WaitForExit(kBound);
    ASSERT_TRUE(status) << vornik.Describe();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << vornik.Describe();
    const std::string& text = vornik.PipeText();
    EXPECT_EQ(text.rfind("Vornik 模拟拨号", 0), 0u) << text;
    for (const char* state : {"拨号状态：正在打开端口", "拨号状态：通过用户验证", kConnected}) {
        EXPECT_NE(text.find(state), std::string::npos) << state << " missing:\n" << text;
    }
    // The status line, on a terminal drawn again every second in place.
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
    const std::size_t statusAt = text.find(" | 本月 ");
    ASSERT_NE(statusAt, std::string::npos) << text;
    EXPECT_LT(statusAt, text.find("拨号状态：正在打开端口")) << text;
    EXPECT_EQ(text.find(" | 本月 ", statusAt + 1), std::string::npos) << text;
    EXPECT_EQ(folder.CheckedCalls().size(), 1u);
}

// `vornik --headless | head`: the reader is gone during a call. The end is
// written to the log all the same, and the program leaves with 0.
TEST(HeadlessOutput, AReaderGoneBeforeTheEndDoesNotSpoilIt) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(1);
    ChildOptions options = folder.Headless();
    options.stdoutPipe = true;
    ChildProcess vornik(VornikExecutable(), options, folder.Scratch());
    ASSERT_TRUE(vornik.ReadPipeUntil(kConnected, kBound)) << vornik.Describe();
    vornik.CloseStdoutPipe();
    vornik.Signal(SIGTERM);
    const std::optional<int> status = vornik.WaitForExit(kBound);
    ASSERT_TRUE(status) << vornik.Describe();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << vornik.Describe();
    // The line that said so met the closed pipe.
    EXPECT_NE(folder.ErrorLogText().find("headless output failed"), std::string::npos)
        << folder.ErrorLogText();
    EXPECT_EQ(folder.CheckedCalls().size(), 1u);
}

// Widgets, pictures and sounds stay out of a run on the terminal: they come with
// the desktop module, loaded only to show windows.
TEST(HeadlessOutput, NoDesktopLibraryIsMapped) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(0);
    ChildProcess vornik(VornikExecutable(), folder.Headless(), folder.Scratch());
    ASSERT_TRUE(vornik.WaitForOutput(kConnected, kBound)) << vornik.Describe();
    const std::string maps = ReadFile("/proc/" + std::to_string(vornik.Pid()) + "/maps");
    ASSERT_NE(maps.find("libQt6Core"), std::string::npos) << maps;
    for (const char* library : {"libQt6Widgets", "libQt6Gui", "libQt6Multimedia", "libQt6Svg",
                                "/imageformats/", "vornik-desktop"}) {
        EXPECT_EQ(maps.find(library), std::string::npos) << library << " is mapped";
    }
    vornik.Signal(SIGTERM);
    ASSERT_TRUE(vornik.WaitForExit(kBound)) << vornik.Describe();
}

}  // namespace
}  // namespace vornik::testing
