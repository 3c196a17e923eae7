// One Vornik per program folder: what a start finds in the lock file decides
// whether it runs, tells the user about the running one, or says why it cannot
// start.
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "program_folder_fixture.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;
// What a child that could not set up its private mount ends with.
constexpr int kNoMountNamespace = 77;

std::string HostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

int ExitCode(ChildProcess& vornik) {
    const std::optional<int> status = vornik.WaitForExit(kBound);
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

// Starts the program and ends it with SIGTERM once it runs; true when it ran and
// left with 0.
::testing::AssertionResult StartsAndLeaves(const ProgramFolderFixture& folder) {
    ChildProcess vornik(VornikExecutable(), folder.Headless(), folder.Scratch());
    if (!vornik.WaitForOutput("连接:", kBound)) {
        return ::testing::AssertionFailure() << "did not start: " << vornik.Describe();
    }
    vornik.Signal(SIGTERM);
    if (ExitCode(vornik) != 0) {
        return ::testing::AssertionFailure() << "did not leave with 0: " << vornik.Describe();
    }
    return ::testing::AssertionSuccess();
}

// What another machine, a crashed run or a damaged disk leaves behind holds no
// lock: the start takes it over, again and again.
TEST(InstanceLock, LeftOverLockFilesAreTakenOver) {
    ProgramFolderFixture folder;
    const std::filesystem::path lock = folder.Root() / "vornik.lock";
    const std::string contents[] = {
        "",                                            // empty
        std::string("\x7f\x01garbage\n\xff\xfe", 13),  // garbage
        "4242\nVornik\nanother-machine.example\n",     // a portable folder's
        "1\nVornik\n" + HostName() + "\n",             // a live process here
    };
    for (const std::string& content : contents) {
        SCOPED_TRACE("lock file holding '" + content + "'");
        WriteFile(lock, content);
        EXPECT_TRUE(StartsAndLeaves(folder));
    }
    // Each non-empty leftover is named in the error log; a clean exit leaves none.
    std::size_t named = 0;
    const std::string trace = folder.ErrorLogText();
    for (auto at = trace.find("took over vornik.lock"); at != std::string::npos;
         at = trace.find("took over vornik.lock", at + 1)) {
        ++named;
    }
    EXPECT_EQ(named, 3u) << trace;
    EXPECT_FALSE(std::filesystem::exists(lock));
}

// A second start tells the user that Vornik runs, and ends with 0; the first runs on.
TEST(InstanceLock, SecondStartIsToldAndEndsWithZero) {
    ProgramFolderFixture folder;
    ChildProcess first(VornikExecutable(), folder.Headless(), folder.Scratch());
    ASSERT_TRUE(first.WaitForOutput("连接:", kBound)) << first.Describe();
    ChildProcess second(VornikExecutable(), folder.Headless(), folder.Scratch());
    EXPECT_EQ(ExitCode(second), 0) << second.Describe();
    EXPECT_NE(second.Err().find("Vornik 已在运行（程序文件夹 " + folder.Root().string()),
              std::string::npos)
        << second.Describe();
    EXPECT_NE(second.Err().find("在终端中运行"), std::string::npos) << second.Describe();
    EXPECT_TRUE(first.Running());
    first.Signal(SIGTERM);
    EXPECT_EQ(ExitCode(first), 0) << first.Describe();
    // The lock went with the first: the next start runs.
    EXPECT_TRUE(StartsAndLeaves(folder));
}

// Runs `setUp` in a private mount namespace of the child, as root; without one
// the child ends with kNoMountNamespace.
ChildOptions InPrivateMount(ChildOptions options, std::function<int()> setUp) {
    options.beforeExec = [setUp = std::move(setUp)] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return kNoMountNamespace;
        }
        return setUp() == 0 ? 0 : kNoMountNamespace;
    };
    return options;
}

struct Refusal {
    int code;
    std::string err;
};

Refusal Refused(const ProgramFolderFixture& folder, const ChildOptions& options) {
    ChildProcess vornik(VornikExecutable(), options, folder.Scratch());
    const int code = ExitCode(vornik);
    return {code, vornik.Err()};
}

// Whatever stops the start is named on stderr, and the start fails.
TEST(InstanceLock, WhatStopsTheStartIsNamed) {
    {
        SCOPED_TRACE("the lock is a folder");
        ProgramFolderFixture folder;
        std::filesystem::create_directories(folder.Root() / "vornik.lock");
        const Refusal refusal = Refused(folder, folder.Headless());
        EXPECT_EQ(refusal.code, 1) << refusal.err;
        EXPECT_NE(refusal.err.find("vornik.lock 是一个文件夹"), std::string::npos) << refusal.err;
    }
    {
        SCOPED_TRACE("another process holds the lock and does not answer");
        ProgramFolderFixture folder;
        const std::string lock = (folder.Root() / "vornik.lock").string();
        const int held = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const Refusal refusal = Refused(folder, folder.Headless());
        ::close(held);
        EXPECT_EQ(refusal.code, 1) << refusal.err;
        EXPECT_NE(refusal.err.find("没有应答"), std::string::npos) << refusal.err;
    }
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a read-only folder and a full disk need a private mount (root)";
    }
    {
        SCOPED_TRACE("the program folder is read-only");
        ProgramFolderFixture folder;
        folder.SaveSettings({});  // db/ and log/ are there, as after an earlier run
        const std::string root = folder.Root().string();
        const Refusal refusal =
            Refused(folder, InPrivateMount(folder.Headless(), [root] {
                        return ::mount(root.c_str(), root.c_str(), nullptr, MS_BIND, nullptr) ||
                               ::mount(nullptr, root.c_str(), nullptr,
                                       MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
                    }));
        if (refusal.code == kNoMountNamespace) {
            GTEST_SKIP() << "no private mount namespace";
        }
        EXPECT_EQ(refusal.code, 1) << refusal.err;
        EXPECT_NE(refusal.err.find("只读"), std::string::npos) << refusal.err;
    }
    {
        SCOPED_TRACE("the disk is full");
        ProgramFolderFixture folder;
        const std::string root = folder.Root().string();
        const Refusal refusal = Refused(
            folder, InPrivateMount(folder.Headless(), [root] {
                if (::mount("tmpfs", root.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
                    return -1;
                }
                const std::string db = root + "/db", log = root + "/log", fill = root + "/fill";
                ::mkdir(db.c_str(), 0700);
                ::mkdir(log.c_str(), 0700);
                const int fd = ::open(fill.c_str(), O_WRONLY | O_CREAT, 0600);
                static char block[4096];
                while (::write(fd, block, sizeof block) > 0) {
                }
                ::close(fd);
                return 0;
            }));
        EXPECT_EQ(refusal.code, 1) << refusal.err;
        EXPECT_NE(refusal.err.find("磁盘已满"), std::string::npos) << refusal.err;
    }
}

}  // namespace
}  // namespace vornik::testing
