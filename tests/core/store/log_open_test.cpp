// Opening a log file that is not what it should be: a -wal left beside it, damage,
// a file of another kind. What the user is told, and what the file holds after.
#include <gtest/gtest.h>

#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <thread>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "store/call_log_writer.h"
#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

void AddCalls(Dbio& db, int count, const std::string& entry) {
    Connection& log = db.Shared();
    ASSERT_TRUE(log.InTransaction([&] {
        for (int i = 0; i < count; ++i) {
            log.ExecuteSql(
                "INSERT INTO diallog (beginTime, entryName, fee) VALUES "
                "('2006-05-21 10:00:00', ?, 0.5)",
                {entry});
        }
        return true;
    }));
}

std::int64_t Calls(Dbio& db, const std::string& entry) {
    const auto count =
        db.QueryValue("SELECT count(*) FROM diallog NOT INDEXED WHERE entryName = ?", {entry});
    return count ? count->Integer() : -1;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class LogOpenTest : public ::testing::Test {
  protected:
    fs::path DbFile() const { return folder_ / "db/diallog.db"; }
    fs::path Wal() const { return DbFile().string() + "-wal"; }
    // Compared without printing: the files are binary.
    bool Holds(const fs::path& file, const std::string& content) const {
        return ReadFile(file) == content;
    }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{DbFile(), log_};
};

TEST_F(LogOpenTest, AWalLeftByACrashIsReplayedAndOneFromAnotherFileIsMovedAside) {
    // The program died with 20 calls only in the -wal of its 300-call log.
    Dbio running(folder_ / "running/diallog.db", log_);
    AddCalls(running, 300, "adsl");
    running.CloseDatabase();
    AddCalls(running, 20, "gprs");
    fs::create_directories(DbFile().parent_path());
    fs::copy_file(running.DatabaseFile(), DbFile());
    fs::copy_file(running.DatabaseFile().string() + "-wal", Wal());
    db_.OpenDatabase();
    EXPECT_EQ(db_.OpenFailure(), "");
    EXPECT_EQ(Calls(db_, "adsl"), 300);
    EXPECT_EQ(Calls(db_, "gprs"), 20);
    db_.CloseDatabase();

    // Then a backup of another 300-call log is copied into db/ beside a -wal of
    // the old one.
    Dbio other(folder_ / "other/diallog.db", log_);
    AddCalls(other, 300, "backup");
    other.CloseDatabase();
    AddCalls(running, 5, "gprs");
    const std::string staleWal = ReadFile(running.DatabaseFile().string() + "-wal");
    fs::copy_file(other.DatabaseFile(), DbFile(), fs::copy_options::overwrite_existing);
    WriteFile(Wal(), staleWal);
    db_.OpenDatabase();
    EXPECT_EQ(db_.OpenFailure(), "");
    AddCalls(db_, 1, "backup");
    db_.CloseDatabase();
    std::vector<fs::path> moved;
    for (const auto& entry : fs::directory_iterator(DbFile().parent_path())) {
        if (entry.path().filename().string().rfind("diallog.db-wal.", 0) == 0) {
            moved.push_back(entry.path());
        }
    }
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_TRUE(Holds(moved[0], staleWal));
    EXPECT_TRUE(Has(ReadFile(log_.File()), moved[0].string()));
    EXPECT_EQ(Calls(db_, "backup"), 301);
    db_.CloseDatabase();

    // A file that is no log on its own nor with its -wal: neither is touched.
    WriteFile(DbFile(), std::string(8192, '\x42'));
    WriteFile(Wal(), staleWal);
    db_.OpenDatabase();
    EXPECT_FALSE(db_.IsOpen());
    db_.CloseDatabase();
    EXPECT_TRUE(Holds(DbFile(), std::string(8192, '\x42')));
    EXPECT_TRUE(Holds(Wal(), staleWal));
}

TEST_F(LogOpenTest, DamageStopsTheWritesAndIsToldAtTheNextStartWhileTheRecordsStayReadable) {
    AddCalls(db_, 300, "adsl");
    const auto indexRoot =
        db_.QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'diallog_calls'");
    const auto pageSize = db_.QueryValue("PRAGMA page_size");
    db_.OpenDatabase();
    ASSERT_EQ(db_.OpenFailure(), "");

    // A sector of the index goes bad while the program runs; an entry's totals
    // are read through it.
    std::fstream(DbFile(), std::ios::in | std::ios::out | std::ios::binary)
        .seekp((indexRoot->Integer() - 1) * pageSize->Integer() + 200)
        .write("garbled by a bad sector", 23);
    EXPECT_FALSE(db_.QueryValue("SELECT sum(fee) FROM diallog WHERE entryName = 'adsl'"));
    const std::string damagedWrite = "拨号记录文件已损坏，已停止写入：请用“恢复拨号记录”从备份恢复";
    CallLogWriter writer(db_);
    CurrentCall call;
    call.callBeginTime = "2006-05-23 09:00:00";
    EXPECT_EQ(writer.SaveDialLog(call, 0.5, true, "", {}).Error(), damagedWrite);
    EXPECT_FALSE(db_.SaveConfig(keys::kFeeType, "2"));
    db_.CloseDatabase();

    // At the next start the user is told what to do once the pages have been
    // looked at beside the program; the records can be read, and the file takes
    // no more writes.
    const std::string damaged = ReadFile(DbFile());
    db_.OpenDatabase();
    for (int tries = 0; tries < 2000 && !db_.PagesChecked(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const std::optional<std::string> found = db_.TakeDamageFound();
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, db_.OpenFailure());
    for (const std::string& part :
         {DbFile().string(), std::string("已损坏"), std::string("恢复")}) {
        EXPECT_TRUE(Has(db_.OpenFailure(), part)) << db_.OpenFailure();
    }
    EXPECT_EQ(Calls(db_, "adsl"), 300);
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
    EXPECT_EQ(writer.SaveDialLog(call, 0.5, true, "", {}).Error(), damagedWrite);
    db_.CloseDatabase();
    EXPECT_TRUE(Holds(DbFile(), damaged));
}

TEST_F(LogOpenTest, AFailedOpenNamesItsCauseAndThePathAndLeavesTheFileAlone) {
    // A database with a diallog table under `key` (none: plain SQLite).
    const auto foreign = [&](const char* key) {
        sqlite3* raw = nullptr;
        sqlite3_open(DbFile().c_str(), &raw);
        sqlite3_exec(raw, key, nullptr, nullptr, nullptr);
        sqlite3_exec(raw, "CREATE TABLE diallog (id INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    };
    const std::vector<std::pair<std::function<void()>, const char*>> cases = {
        {[&] { fs::create_directories(DbFile()); }, "是一个文件夹"},
        {[&] { foreign(""); }, "未加密"},
        {[&] { foreign("PRAGMA key = 'another passphrase'"); }, "不是本程序的记录文件"},
        {[&] { WriteFile(DbFile(), std::string(4096, '\x11')); }, "不是本程序的记录文件"},
        // The log's own key, and other tables: another program's data.
        {[&] {
             auto made = db_.OpenDatabase(DbFile(), Connection::Mode::kCreateIfMissing);
             for (const char* table : {"diallog", "config", "holiday", "discounttime"}) {
                 made->ExecuteSql(std::string("DROP TABLE ") + table);
             }
             made->ExecuteSql("CREATE TABLE contacts (name TEXT)");
         },
         "没有拨号记录"},
    };
    for (const auto& [make, told] : cases) {
        fs::remove_all(DbFile().parent_path());
        fs::create_directories(DbFile().parent_path());
        make();
        const std::string before = ReadFile(DbFile());
        db_.OpenDatabase();
        EXPECT_FALSE(db_.IsOpen()) << told;
        EXPECT_TRUE(Has(db_.OpenFailure(), told)) << db_.OpenFailure();
        EXPECT_TRUE(Has(db_.OpenFailure(), DbFile().string())) << db_.OpenFailure();
        EXPECT_FALSE(db_.SaveConfig(keys::kFeeType, "2")) << told;
        db_.CloseDatabase();
        EXPECT_TRUE(Holds(DbFile(), before)) << told;
    }

    // Only a missing or an empty file becomes a new log.
    WriteFile(DbFile(), "");
    db_.OpenDatabase();
    EXPECT_EQ(db_.OpenFailure(), "");
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
}

// What `body` gives back, run in a child process that may give up root or mount
// a file system of its own; it starts with "skip" when the child could not.
std::string InChildProcess(const std::function<std::string()>& body) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return "skip: no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string answer = body();
        ::_exit(::write(ends[1], answer.data(), answer.size()) < 0 ? 1 : 0);
    }
    ::close(ends[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    ::waitpid(child, nullptr, 0);
    return answer;
}

TEST_F(LogOpenTest, AReadOnlyFolderAndAFullDiskAreNamed) {
    db_.OpenDatabase();
    db_.CloseDatabase();
    const std::string readOnly = InChildProcess([&]() -> std::string {
        // Root writes anywhere: the folder refuses nobody, who then owns it all.
        for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
            ::lchown(entry.path().c_str(), 65534, 65534);
        }
        if (::geteuid() == 0 && (::chown(folder_.Path().c_str(), 65534, 65534) != 0 ||
                                 ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return "skip: cannot give up root";
        }
        ::chmod(DbFile().parent_path().c_str(), 0500);
        db_.OpenDatabase();
        return db_.OpenFailure();
    });
    const fs::path full = folder_ / "full";
    fs::create_directories(full);
    const std::string diskFull = InChildProcess([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return "skip: cannot mount a small file system";
        }
        WriteFile(full / "filler", std::string(256 * 1024, 'x'));
        Dbio db(full / "db/diallog.db", log_);
        db.OpenDatabase();
        return db.OpenFailure();
    });
    if (readOnly.rfind("skip", 0) != 0) {
        EXPECT_TRUE(Has(readOnly, DbFile().parent_path().string() + " 不可写")) << readOnly;
    }
    if (diskFull.rfind("skip", 0) != 0) {
        EXPECT_TRUE(Has(diskFull, "磁盘已满")) << diskFull;
    }
    if (readOnly.rfind("skip", 0) == 0 || diskFull.rfind("skip", 0) == 0) {
        GTEST_SKIP() << readOnly << "; " << diskFull;
    }
}

}  // namespace
}  // namespace vornik
