// The log survives a failure at every step of the operations that write files:
// a step made to fail, a full disk, and the process killed at random moments.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>

#include "maintenance/log_fixture.h"

namespace vornik::testing {
namespace {

constexpr MaintenanceStep kReplacingSteps[] = {
    MaintenanceStep::kCopyWritten, MaintenanceStep::kCopySynced, MaintenanceStep::kCopyChecked,
    MaintenanceStep::kOldKept, MaintenanceStep::kReplaced};

MaintenanceHooks FailingAt(MaintenanceStep failing) {
    return {[failing](MaintenanceStep step) { return step != failing; }};
}

class Faults : public LogFixture {
  protected:
    void SetUp() override {
        AddCalls(Log(), old_);
        AddCalls(Other(), other_);
    }
    std::filesystem::path Other() const { return folder_ / "other.db"; }

    // The log opens, passes its check, and holds one of the expected lists.
    void ExpectSound(const std::vector<std::vector<Call>>& allowed, const std::string& when) {
        ASSERT_TRUE(CheckLogFile(Log(), errors_)) << when;
        const auto found = CallsIn(Log());
        bool matches = false;
        for (const auto& calls : allowed) {
            matches = matches || found == Texts(calls);
        }
        EXPECT_TRUE(matches) << when << ": " << found.size() << " calls";
    }
    std::vector<Call> Both() const {
        auto both = old_;
        both.insert(both.end(), other_.begin(), other_.end());
        return both;
    }
    void ExpectNoTemporaryFiles() const {
        for (const std::string& name : FilesBeside(Log())) {
            EXPECT_FALSE(name.starts_with(".")) << name;
        }
    }

    std::vector<Call> old_ = ManyCalls(400);
    std::vector<Call> other_ = ManyCalls(50, 10000);
};

TEST_F(Faults, AFailingStepLeavesTheOldLogOrTheNewOne) {
    for (MaintenanceStep step : kReplacingSteps) {
        const std::string when = "step " + std::to_string(static_cast<int>(step));
        // Compaction and backup keep nothing aside, so they do not stop there.
        const bool stops = step != MaintenanceStep::kOldKept;
        EXPECT_EQ(CompactLog(Log(), errors_, FailingAt(step)).Ok(), !stops) << when;
        ExpectSound({old_}, "compact, " + when);
        EXPECT_EQ(BackupLog(Log(), folder_ / "db/copy.db", errors_, FailingAt(step)).Ok(), !stops)
            << when;
        ExpectSound({old_}, "backup, " + when);
        EXPECT_FALSE(RestoreLog(Log(), Other(), errors_, FailingAt(step))) << when;
        ExpectSound({old_, other_}, "restore, " + when);
        // Put the old log back for the next step.
        if (CallsIn(Log()) != Texts(old_)) {
            ASSERT_TRUE(RestoreLog(Log(), BeforeRestoreFile(Log()), errors_));
        }
        std::filesystem::remove(folder_ / "db/copy.db");
        ExpectNoTemporaryFiles();
    }
}

TEST_F(Faults, AFailingImportOrExportAddsNothing) {
    const auto failing = FailingAt(MaintenanceStep::kRowsCopied);
    EXPECT_FALSE(ImportLog(Log(), Other(), errors_, failing));
    ExpectSound({old_}, "import");
    EXPECT_FALSE(ExportLog(Other(), Log(), false, errors_, failing));
    ExpectSound({old_}, "export");
    ASSERT_TRUE(ImportLog(Log(), Other(), errors_));
    ExpectSound({Both()}, "import without a fault");
}

// Runs `operation` in a child process and kills it after a random pause no
// longer than the operation takes; then the log must be sound.
class KilledAtRandom : public Faults {
  protected:
    void KillLoop(const std::function<bool()>& operation,
                  const std::vector<std::vector<Call>>& allowed,
                  const std::function<void()>& reset = {}) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(operation());
        const auto length = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        std::mt19937 random(20060521);
        std::uniform_int_distribution<long> pause(0, length.count() + 1000);
        for (int run = 0; run < 50; ++run) {
            if (reset) {
                reset();
            }
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::_exit(operation() ? 0 : 1);
            }
            ::usleep(static_cast<useconds_t>(pause(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            ExpectSound(allowed, "run " + std::to_string(run));
            if (HasFailure()) {
                return;
            }
        }
    }
};

TEST_F(KilledAtRandom, Compaction) {
    KillLoop([&] { return CompactLog(Log(), errors_).Ok(); }, {old_});
}

TEST_F(KilledAtRandom, BackupOfTheLog) {
    KillLoop([&] { return BackupLog(Log(), folder_ / "db/copy.db", errors_).Ok(); }, {old_});
}

TEST_F(KilledAtRandom, Restore) {
    KillLoop([&] { return RestoreLog(Log(), Other(), errors_).Ok(); }, {old_, other_},
             [&] {
                 if (CallsIn(Log()) != Texts(old_)) {
                     ASSERT_TRUE(RestoreLog(Log(), BeforeRestoreFile(Log()), errors_));
                 }
             });
}

TEST_F(KilledAtRandom, Import) {
    KillLoop([&] { return ImportLog(Log(), Other(), errors_).Ok(); }, {old_, Both()},
             [&] {
                 std::filesystem::remove_all(Log().parent_path());
                 AddCalls(Log(), old_);
             });
}

// A small file system of its own, in a mount namespace of this test's process.
class FullDisk : public Faults {
  protected:
    void SetUp() override {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            GTEST_SKIP() << "needs a mount namespace of its own (root or unshare -m)";
        }
        small_ = folder_ / "small";
        std::filesystem::create_directories(small_);
        if (::mount("tmpfs", small_.c_str(), "tmpfs", 0, "size=4m") != 0) {
            GTEST_SKIP() << "cannot mount a small tmpfs";
        }
        Faults::SetUp();
    }
    void TearDown() override {
        if (!small_.empty()) {
            ::umount2(small_.c_str(), MNT_DETACH);
        }
    }
    // Fills the small disk until no block is left.
    void Fill() const {
        std::ofstream filler(small_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }
    void Empty() const { std::filesystem::remove(small_ / "filler"); }

    std::filesystem::path small_;
};

TEST_F(FullDisk, LeavesTheLogWhole) {
    const std::filesystem::path log = small_ / "diallog.db";
    AddCalls(log, old_);
    Fill();
    EXPECT_FALSE(CompactLog(log, errors_));
    EXPECT_FALSE(BackupLog(log, small_ / "copy.db", errors_));
    EXPECT_FALSE(ImportLog(log, Other(), errors_));
    Empty();
    ASSERT_TRUE(CheckLogFile(log, errors_));
    EXPECT_EQ(CallsIn(log), Texts(old_));
    for (const std::string& name : FilesBeside(log)) {
        EXPECT_FALSE(name.starts_with(".")) << name;
    }
}

}  // namespace
}  // namespace vornik::testing
