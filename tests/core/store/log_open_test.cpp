// Opening a log file that is not what it should be: a -wal left beside it, damage,
// a file of another kind. What the user is told, and what the file holds after.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

constexpr const char* kDamagedWrite =
    "拨号记录文件已损坏，已停止写入：请用“恢复拨号记录”从备份恢复";

void AddCalls(Dbio& db, int count, const std::string& entry) {
    Connection& log = db.Shared();
    ASSERT_TRUE(log.InTransaction([&] {
        for (int i = 0; i < count; ++i) {
            if (!log.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, fee) "
                                "VALUES (?, ?, ?, 0.5)",
                                {"2006-05-21 10:00:00", "2006-05-21 10:30:00", entry})) {
                return false;
            }
        }
        return true;
    }));
}

std::int64_t Calls(Dbio& db, const std::string& entry) {
    const auto count =
        db.QueryValue("SELECT count(*) FROM diallog NOT INDEXED WHERE entryName = ?", {entry});
    return count ? count->Integer() : -1;
}

// The files beside `file` whose names start with its name and `suffix`.
std::vector<fs::path> Beside(const fs::path& file, const std::string& suffix) {
    std::vector<fs::path> found;
    const std::string prefix = file.filename().string() + suffix;
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

void Garble(const fs::path& file, std::int64_t offset) {
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(offset);
    out.write("garbled by a bad sector........", 32);
}

// Compared without printing: the files are binary.
bool Same(const fs::path& file, const std::string& content) {
    return ReadFile(file) == content;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class LogOpenTest : public ::testing::Test {
  protected:
    fs::path DbFile() const { return folder_ / "db/diallog.db"; }
    std::string Trace() const { return ReadFile(folder_ / "log/error.log"); }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{DbFile(), log_};
};

TEST_F(LogOpenTest, AWalLeftByACrashIsReplayedAndOneFromAnotherLogIsMovedAside) {
    // The program died with 20 calls only in the -wal of its 300-call log.
    Dbio running(folder_ / "running/diallog.db", log_);
    running.OpenDatabase();
    AddCalls(running, 300, "adsl");
    running.CloseDatabase();
    AddCalls(running, 20, "gprs");
    fs::create_directories(DbFile().parent_path());
    fs::copy_file(running.DatabaseFile(), DbFile());
    fs::copy_file(running.DatabaseFile().string() + "-wal", DbFile().string() + "-wal");

    db_.OpenDatabase();
    ASSERT_TRUE(db_.IsOpen()) << db_.OpenFailure();
    EXPECT_EQ(db_.OpenFailure(), "");
    EXPECT_EQ(Calls(db_, "adsl"), 300);
    EXPECT_EQ(Calls(db_, "gprs"), 20);
    EXPECT_TRUE(Beside(DbFile(), "-wal.").empty());
    db_.CloseDatabase();

    // Then the user copies a backup of another 300-call log into db/ while a
    // -wal of the old one is still there.
    Dbio other(folder_ / "other/diallog.db", log_);
    other.OpenDatabase();
    AddCalls(other, 300, "backup");
    other.CloseDatabase();
    AddCalls(running, 5, "gprs");
    const std::string staleWal = ReadFile(running.DatabaseFile().string() + "-wal");
    fs::copy_file(other.DatabaseFile(), DbFile(), fs::copy_options::overwrite_existing);
    WriteFile(DbFile().string() + "-wal", staleWal);

    db_.OpenDatabase();
    ASSERT_TRUE(db_.IsOpen()) << db_.OpenFailure();
    EXPECT_EQ(db_.OpenFailure(), "");
    EXPECT_EQ(Calls(db_, "backup"), 300);
    EXPECT_EQ(Calls(db_, "gprs"), 0);
    ASSERT_TRUE(
        db_.Insert("INSERT INTO diallog (beginTime, entryName) VALUES "
                   "('2006-06-01 08:00:00', 'backup')"));
    db_.CloseDatabase();
    const auto movedAside = Beside(DbFile(), "-wal.");
    ASSERT_EQ(movedAside.size(), 1u);
    EXPECT_TRUE(Same(movedAside[0], staleWal));
    EXPECT_TRUE(Has(Trace(), movedAside[0].string())) << Trace();
    db_.OpenDatabase();
    EXPECT_EQ(Calls(db_, "backup"), 301);
    running.CloseDatabase();
}

TEST_F(LogOpenTest, AFileThatIsNoSoundLogEvenWithoutItsWalIsLeftAsItWas) {
    Dbio other(folder_ / "other/diallog.db", log_);
    other.OpenDatabase();
    AddCalls(other, 50, "adsl");
    other.CloseDatabase();
    AddCalls(other, 5, "adsl");
    fs::create_directories(DbFile().parent_path());
    WriteFile(DbFile(), std::string(8192, '\x42'));
    fs::copy_file(other.DatabaseFile().string() + "-wal", DbFile().string() + "-wal");
    const std::string file = ReadFile(DbFile());
    const std::string wal = ReadFile(DbFile().string() + "-wal");

    db_.OpenDatabase();
    EXPECT_FALSE(db_.IsOpen());
    db_.CloseDatabase();
    EXPECT_TRUE(Same(DbFile(), file));
    EXPECT_TRUE(Same(DbFile().string() + "-wal", wal));
    other.CloseDatabase();
}

TEST_F(LogOpenTest, DamageStopsTheWritesAndIsToldAtTheNextStartWhileTheRecordsStayReadable) {
    db_.OpenDatabase();
    AddCalls(db_, 300, "adsl");
    const std::int64_t indexRoot =
        db_.QueryValue("SELECT rootpage FROM sqlite_master WHERE name = 'diallog_entry_begin'")
            ->Integer();
    const std::int64_t pageSize = db_.QueryValue("PRAGMA page_size")->Integer();
    db_.CloseDatabase();
    db_.OpenDatabase();
    ASSERT_EQ(db_.OpenFailure(), "");

    // A sector of the index goes bad while the program runs; the totals of an
    // entry are read through it.
    Garble(DbFile(), (indexRoot - 1) * pageSize + 200);
    EXPECT_FALSE(db_.QueryValue("SELECT sum(fee) FROM diallog WHERE entryName = 'adsl'"));
    CallLogWriter writer(db_);
    CurrentCall call;
    call.callBeginTime = "2006-05-23 09:00:00";
    call.callEntryName = "adsl";
    const Result<> written = writer.SaveDialLog(call, 0.5, true, "", Moment{2006, 5, 23, 9, 1, 0});
    EXPECT_FALSE(written);
    EXPECT_EQ(written.Error(), kDamagedWrite);
    EXPECT_FALSE(db_.SaveConfig(keys::kFeeType, "2"));
    db_.CloseDatabase();

    // At the next start the user is told; what can be read is still shown, and
    // the file takes no more writes.
    const std::string damaged = ReadFile(DbFile());
    db_.OpenDatabase();
    ASSERT_TRUE(db_.IsOpen());
    EXPECT_TRUE(Has(db_.OpenFailure(), DbFile().string())) << db_.OpenFailure();
    EXPECT_TRUE(Has(db_.OpenFailure(), "已损坏")) << db_.OpenFailure();
    EXPECT_TRUE(Has(db_.OpenFailure(), "恢复拨号记录")) << db_.OpenFailure();
    EXPECT_EQ(Calls(db_, "adsl"), 300);
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
    const Result<> again = writer.SaveDialLog(call, 0.5, true, "", Moment{2006, 5, 23, 9, 1, 0});
    EXPECT_EQ(again.Error(), kDamagedWrite);
    db_.CloseDatabase();
    EXPECT_TRUE(Same(DbFile(), damaged));
}

// Writes a SQLite file with a diallog table, keyed with `passphrase` (none: plain).
void WriteForeignDatabase(const fs::path& file, const char* passphrase) {
    fs::create_directories(file.parent_path());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    if (passphrase != nullptr) {
        const std::string pragma = std::string("PRAGMA key = '") + passphrase + "'";
        ASSERT_EQ(sqlite3_exec(raw, pragma.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE diallog (id INTEGER); INSERT INTO diallog VALUES (1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
}

// A file keyed like the log that holds other tables: another program's file
// protected like the program's own.
void WriteOtherTablesUnderTheLogKey(Dbio& db, const fs::path& file) {
    fs::create_directories(file.parent_path());
    auto made = db.OpenDatabase(file, Connection::Mode::kCreateIfMissing);
    ASSERT_TRUE(made->IsOpen());
    for (const char* sql : {"DROP TABLE diallog", "DROP TABLE config", "DROP TABLE holiday",
                            "DROP TABLE discounttime", "CREATE TABLE contacts (name TEXT)"}) {
        ASSERT_TRUE(made->ExecuteSql(sql)) << sql;
    }
}

TEST_F(LogOpenTest, AnOpenThatFailsNamesItsCauseAndThePathAndLeavesTheFileAlone) {
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* told;
    };
    const std::vector<Case> cases = {
        {"a folder", [&] { fs::create_directories(DbFile()); }, "文件夹"},
        {"a plain SQLite file", [&] { WriteForeignDatabase(DbFile(), nullptr); }, "未加密"},
        {"another key", [&] { WriteForeignDatabase(DbFile(), "another passphrase"); },
         "不是本程序的记录文件"},
        {"random bytes", [&] { WriteFile(DbFile(), std::string(4096, '\x11')); },
         "不是本程序的记录文件"},
        {"the log's key, other tables", [&] { WriteOtherTablesUnderTheLogKey(db_, DbFile()); },
         "没有拨号记录"},
    };
    for (const Case& c : cases) {
        fs::remove_all(DbFile().parent_path());
        c.make();
        const std::string before = fs::is_regular_file(DbFile()) ? ReadFile(DbFile()) : "";
        db_.OpenDatabase();
        EXPECT_FALSE(db_.IsOpen()) << c.what;
        EXPECT_TRUE(Has(db_.OpenFailure(), c.told)) << c.what << ": " << db_.OpenFailure();
        EXPECT_TRUE(Has(db_.OpenFailure(), DbFile().string())) << c.what;
        EXPECT_FALSE(db_.SaveConfig(keys::kFeeType, "2")) << c.what;
        db_.CloseDatabase();
        if (!before.empty()) {
            EXPECT_TRUE(Same(DbFile(), before)) << c.what;
        }
    }

    // Only a missing or an empty file becomes a new log.
    fs::remove_all(DbFile().parent_path());
    WriteFile(DbFile(), "");
    db_.OpenDatabase();
    EXPECT_TRUE(db_.IsOpen());
    EXPECT_EQ(db_.OpenFailure(), "");
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
}

// Runs `body` in a child process and gives back what it returned: the child may
// give up rights or see its own mounts without touching this process.
// "skip: ..." when the child could not set itself up.
std::string InChildProcess(const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return "skip: no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::string answer = body();
        const ssize_t written = ::write(pipeEnds[1], answer.data(), answer.size());
        ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string answer;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return answer;
}

// Root may write anywhere: to see a folder refuse, become nobody, who owns the
// temporary folder then.
bool BecomeOrdinaryUser(const fs::path& folder) {
    if (::geteuid() != 0) {
        return true;
    }
    constexpr uid_t kNobody = 65534;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) {
            return false;
        }
    }
    return ::chown(folder.c_str(), kNobody, kNobody) == 0 && ::setgid(kNobody) == 0 &&
           ::setuid(kNobody) == 0;
}

TEST_F(LogOpenTest, AReadOnlyFolderAndAFullDiskAreNamed) {
    db_.OpenDatabase();
    db_.CloseDatabase();
    const std::string readOnly = InChildProcess([&]() -> std::string {
        if (!BecomeOrdinaryUser(folder_.Path())) {
            return "skip: cannot give up root";
        }
        ::chmod(DbFile().parent_path().c_str(), 0500);
        Dbio db(DbFile(), log_);
        db.OpenDatabase();
        return db.IsOpen() ? "opened" : db.OpenFailure();
    });
    if (readOnly.rfind("skip:", 0) != 0) {
        EXPECT_TRUE(Has(readOnly, "不可写")) << readOnly;
        EXPECT_TRUE(Has(readOnly, DbFile().parent_path().string())) << readOnly;
    }

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
        return db.IsOpen() ? "opened" : db.OpenFailure();
    });
    if (diskFull.rfind("skip:", 0) != 0) {
        EXPECT_TRUE(Has(diskFull, "磁盘已满")) << diskFull;
    }
    if (readOnly.rfind("skip:", 0) == 0 || diskFull.rfind("skip:", 0) == 0) {
        GTEST_SKIP() << readOnly << "; " << diskFull;
    }
}

}  // namespace
}  // namespace vornik
