// The desktop under a private X server: a display that goes away ends the
// program through Qt, and the running call is still written; a start that is
// refused says so in a box as well as on stderr.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "program_folder_fixture.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

// An Xvfb of the test's own on a free display, reached through its local socket only.
class PrivateDisplay {
  public:
    explicit PrivateDisplay(const std::filesystem::path& scratch) {
        int numberPipe[2];
        if (::pipe(numberPipe) != 0) {
            return;
        }
        const std::string fd = std::to_string(numberPipe[1]);
        server_ = std::make_unique<ChildProcess>(
            "/usr/bin/Xvfb",
            ChildOptions{{"-displayfd", fd, "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                         {},
                         false,
                         {}},
            scratch);
        ::close(numberPipe[1]);
        std::string number;
        char c = 0;
        while (::read(numberPipe[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        ::close(numberPipe[0]);
        if (!number.empty()) {
            name_ = ":" + number;
        }
    }

    const std::string& Name() const { return name_; }
    ChildProcess& Server() { return *server_; }

    // The names of the top-level windows on the display.
    std::string Windows() const {
        std::string listing;
        FILE* pipe = ::popen(("xwininfo -display " + name_ + " -root -children 2>&1").c_str(), "r");
        if (pipe == nullptr) {
            return listing;
        }
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            listing.append(buffer, got);
        }
        ::pclose(pipe);
        return listing;
    }

    bool WaitForWindow(const std::string& title) const {
        return WaitUntil([&] { return Windows().find('"' + title + '"') != std::string::npos; },
                         kBound);
    }

  private:
    std::unique_ptr<ChildProcess> server_;
    std::string name_;
};

ChildOptions Desktop(const ProgramFolderFixture& folder, const PrivateDisplay& display) {
    ChildOptions options;
    options.args = {"--dialer", "sim", "--root", folder.Root().string()};
    options.env = {"DISPLAY=" + display.Name(), "LC_ALL=C.UTF-8"};
    return options;
}

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!OnPath("Xvfb") || !OnPath("xwininfo")) {
            GTEST_SKIP() << "needs Xvfb and xwininfo (scripts/deps.sh --test)";
        }
        display_ = std::make_unique<PrivateDisplay>(scratch_.Path());
        ASSERT_FALSE(display_->Name().empty()) << display_->Server().Describe();
    }

    TempFolder scratch_;
    std::unique_ptr<PrivateDisplay> display_;
};

TEST_F(DesktopTest, DisplayGoneTheRunningCallIsWritten) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(0);
    ChildProcess vornik(VornikExecutable(), Desktop(folder, *display_), folder.Scratch());
    ASSERT_TRUE(display_->WaitForWindow("Vornik")) << vornik.Describe();
    // The window is up, so the dial is under way; a link without delay is up at
    // the dialer's next poll, well within this.
    std::this_thread::sleep_for(2s);
    display_->Server().Signal(SIGTERM);
    const std::optional<int> status = vornik.WaitForExit(kBound);
    ASSERT_TRUE(status) << vornik.Describe();
    EXPECT_NE(vornik.Err().find("拨号记录已保存"), std::string::npos) << vornik.Describe();
    EXPECT_NE(folder.ErrorLogText().find("the running call was written"), std::string::npos)
        << folder.ErrorLogText();
    const std::vector<LoggedCall> calls = folder.CheckedCalls();
    EXPECT_EQ(calls.size(), 1u) << vornik.Describe();
}

TEST_F(DesktopTest, RefusedStartsReachTheUser) {
    {
        SCOPED_TRACE("a second desktop start brings the first window forward");
        ProgramFolderFixture folder;
        ChildProcess first(VornikExecutable(), Desktop(folder, *display_), folder.Scratch());
        ASSERT_TRUE(display_->WaitForWindow("Vornik")) << first.Describe();
        ChildProcess second(VornikExecutable(), Desktop(folder, *display_), folder.Scratch());
        const std::optional<int> status = second.WaitForExit(kBound);
        ASSERT_TRUE(status) << second.Describe();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << second.Describe();
        EXPECT_NE(second.Err().find("已把它的窗口调到前面"), std::string::npos)
            << second.Describe();
        first.Signal(SIGTERM);
        ASSERT_TRUE(first.WaitForExit(kBound)) << first.Describe();
    }
    {
        SCOPED_TRACE("the running one has no window: a box says so");
        ProgramFolderFixture folder;
        ChildProcess first(VornikExecutable(), folder.Headless(), folder.Scratch());
        ASSERT_TRUE(first.WaitForOutput("连接:", kBound)) << first.Describe();
        ChildProcess second(VornikExecutable(), Desktop(folder, *display_), folder.Scratch());
        EXPECT_TRUE(display_->WaitForWindow("Vornik")) << second.Describe();
        EXPECT_TRUE(WaitUntil(
            [&] { return second.Err().find("在终端中运行") != std::string::npos; }, kBound))
            << second.Describe();
        second.Signal(SIGTERM);
        ASSERT_TRUE(second.WaitForExit(kBound));
        first.Signal(SIGTERM);
        ASSERT_TRUE(first.WaitForExit(kBound));
    }
    {
        SCOPED_TRACE("a start that cannot take the lock: a box says why");
        ProgramFolderFixture folder;
        std::filesystem::create_directories(folder.Root() / "vornik.lock");
        ChildProcess vornik(VornikExecutable(), Desktop(folder, *display_), folder.Scratch());
        EXPECT_TRUE(display_->WaitForWindow("Vornik")) << vornik.Describe();
        EXPECT_TRUE(WaitUntil(
            [&] { return vornik.Err().find("vornik.lock 是一个文件夹") != std::string::npos; },
            kBound))
            << vornik.Describe();
    }
}

}  // namespace
}  // namespace vornik::testing
