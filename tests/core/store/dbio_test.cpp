#include "store/dbio.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <string>

#include "base/setting_keys.h"
#include "store/password_hash.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

class DbioTest : public ::testing::Test {
  protected:
    std::filesystem::path DbFile() const { return folder_ / "db/diallog.db"; }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{DbFile(), log_};
};

// Writes a SQLite file with a diallog table, keyed with `passphrase` (none: plain).
void WriteForeignDatabase(const std::filesystem::path& file, const char* passphrase) {
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

TEST_F(DbioTest, FirstRunCreatesAnEncryptedLogThatASecondRunKeeps) {
    // The usual mask would leave a new folder readable by all.
    const mode_t savedMask = ::umask(022);
    db_.OpenDatabase();
    ::umask(savedMask);
    ASSERT_TRUE(db_.IsOpen());
    struct stat folder {};
    ASSERT_EQ(::stat(DbFile().parent_path().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(db_.QueryValue("PRAGMA journal_mode")->Text(), "wal");
    for (const char* table : {"diallog", "config", "holiday", "discounttime"}) {
        EXPECT_TRUE(db_.QueryValue("SELECT 1 FROM sqlite_master WHERE name = ?", {table})) << table;
    }
    // A new installation can dial: the time-limit switches are off.
    EXPECT_EQ(db_.GetConfig(keys::kChkMonthlyMaxTime), "0");
    EXPECT_EQ(db_.GetConfig(keys::kChkDailyMaxTime), "0");
    EXPECT_EQ(db_.GetConfig(keys::kChkEachMaxTime), "0");
    EXPECT_EQ(db_.GetConfig(keys::kIdleTimeMax), "300");
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
    const std::string stored = db_.GetConfig(keys::kPassword).value();
    EXPECT_NE(stored, "qexor");
    EXPECT_TRUE(CheckPassword("qexor", stored));

    ASSERT_TRUE(
        db_.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, BytesIn) "
                       "VALUES ('2006-05-21 10:00:00', '2006-05-21 10:05:00', 'adsl', ?)",
                       {std::int64_t{5'000'000'000}}));
    ASSERT_TRUE(db_.SaveConfig(keys::kFeeType, "2"));
    db_.CloseDatabase();

    // The file on disk is not readable as plain SQLite.
    EXPECT_NE(ReadFile(DbFile()).substr(0, 15), "SQLite format 3");

    Dbio again(DbFile(), log_);
    again.OpenDatabase();
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(again.QueryValue("SELECT BytesIn FROM diallog WHERE entryName = 'adsl'")->Integer(),
              5'000'000'000);
    EXPECT_EQ(again.GetConfig(keys::kFeeType), "2");
    EXPECT_EQ(again.QueryValue("SELECT count(*) FROM config")->Integer(), 14);
}

TEST_F(DbioTest, OpeningAndReopeningTheLogTracesNothing) {
    db_.OpenDatabase();
    db_.CloseDatabase();
    // The next statement after a close opens the log again.
    EXPECT_EQ(db_.GetConfig(keys::kFeeType), "1");
    EXPECT_TRUE(db_.IsOpen());
    EXPECT_EQ(ReadFile(folder_ / "log/error.log"), "");
}

TEST_F(DbioTest, MissingRowNullFieldAndValueAreToldApart) {
    db_.OpenDatabase();
    EXPECT_FALSE(db_.QueryValue("SELECT beginTime FROM diallog"));
    const auto sumOverNothing = db_.QueryValue("SELECT sum(fee) FROM diallog");
    ASSERT_TRUE(sumOverNothing);
    EXPECT_TRUE(sumOverNothing->IsNull());
    EXPECT_EQ(sumOverNothing->Text(), "");
    EXPECT_TRUE(db_.QueryRows("SELECT * FROM diallog").empty());

    ASSERT_TRUE(
        db_.ExecuteSql("INSERT INTO config (propertyType, propertyName, propertyValue) "
                       "VALUES ('global', 'checkip', NULL)"));
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), "");
    EXPECT_EQ(db_.GetConfig(keys::kAutoDial), std::nullopt);

    const Rows one = db_.QueryRows("SELECT 1, 'a', NULL, 2.5");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0][0].Integer(), 1);
    EXPECT_EQ(one[0][1].Text(), "a");
    EXPECT_TRUE(one[0][2].IsNull());
    EXPECT_DOUBLE_EQ(one[0][3].NumberOr0(), 2.5);
}

TEST_F(DbioTest, ARejectedStatementChangesNothingAndIsTraced) {
    db_.OpenDatabase();
    ASSERT_TRUE(db_.SaveConfig(keys::kCheckIp, "127.0.0.1"));
    EXPECT_FALSE(db_.ExecuteSql("UPDATE config SET propertyValue = 'x' WHERE nosuchcolumn = 1"));
    EXPECT_FALSE(db_.ExecuteSql("DELETE FROM nosuchtable"));
    // Two statements in one text are refused whole.
    EXPECT_FALSE(db_.ExecuteSql("DELETE FROM config; DROP TABLE diallog"));
    EXPECT_TRUE(db_.QueryRows("SELEC * FROM config").empty());
    EXPECT_FALSE(db_.QueryValue("SELECT * FROM nosuchtable"));
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), "127.0.0.1");
    EXPECT_TRUE(db_.QueryValue("SELECT 1 FROM sqlite_master WHERE name = 'diallog'"));
    const std::string trace = ReadFile(folder_ / "log/error.log");
    EXPECT_TRUE(trace.size() > 20 && trace[4] == '-' && trace[10] == ' ') << trace;
    EXPECT_NE(trace.find("no such column: nosuchcolumn"), std::string::npos) << trace;
    EXPECT_NE(trace.find("not exactly one statement"), std::string::npos) << trace;
}

TEST_F(DbioTest, SettingsKeepOneRowWhateverTheLetterCaseAndQuotes) {
    db_.OpenDatabase();
    ASSERT_TRUE(db_.SaveConfig("ConnectIdle", "IdleTimeoutaction", "2"));
    EXPECT_EQ(db_.GetConfig("connectidle", "IdleTimeOutAction"), "2");

    ASSERT_TRUE(db_.SaveConfig("Fee", "BaoYueFee", "30"));
    ASSERT_TRUE(db_.SaveConfig("fee", "BaoyueFee", "45"));
    EXPECT_EQ(db_.GetConfig(keys::kBaoyueFee), "45");
    EXPECT_EQ(
        db_.QueryValue("SELECT count(*) FROM config WHERE propertyName = 'baoyuefee'")->Integer(),
        1);
    // The stored letter case is that of the last writer.
    EXPECT_EQ(
        db_.QueryValue("SELECT propertyName FROM config WHERE propertyName = 'BAOYUEFEE'")->Text(),
        "BaoyueFee");

    const std::string quoted = "it's 'quoted' -- ; DROP TABLE config";
    ASSERT_TRUE(db_.SaveConfig(keys::kCheckIp, quoted));
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), quoted);
    ASSERT_TRUE(db_.SaveConfig(keys::kCheckIp, "host'two"));
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), "host'two");
}

TEST_F(DbioTest, AFailedTransactionLeavesEverythingAsItWas) {
    db_.OpenDatabase();
    Connection& shared = db_.Shared();
    const bool committed = shared.InTransaction([&] {
        return shared.ExecuteSql("DELETE FROM config") && shared.ExecuteSql("INSERT INTO nowhere");
    });
    EXPECT_FALSE(committed);
    EXPECT_EQ(db_.QueryValue("SELECT count(*) FROM config")->Integer(), 14);
}

TEST_F(DbioTest, SecondConnectionsOpenOnlyLogFiles) {
    db_.OpenDatabase();
    db_.CloseDatabase();
    auto second = db_.OpenDatabase(DbFile());
    EXPECT_TRUE(second->IsOpen());
    EXPECT_EQ(db_.QueryValue("SELECT count(*) FROM config", {}, second.get())->Integer(), 14);

    EXPECT_FALSE(db_.OpenDatabase(folder_ / "missing.db")->IsOpen());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing.db"));

    WriteFile(folder_ / "random.db", std::string(8192, '\x5a') + "not a database");
    auto random = db_.OpenDatabase(folder_ / "random.db");
    EXPECT_FALSE(random->IsOpen());
    EXPECT_FALSE(random->QueryValue("SELECT 1"));
    EXPECT_FALSE(random->ExecuteSql("CREATE TABLE t (x)"));

    WriteForeignDatabase(folder_ / "plain.db", nullptr);
    EXPECT_FALSE(db_.OpenDatabase(folder_ / "plain.db")->IsOpen());

    WriteForeignDatabase(folder_ / "other-key.db", "another passphrase");
    auto otherKey = db_.OpenDatabase(folder_ / "other-key.db");
    EXPECT_FALSE(otherKey->IsOpen());
    // A write to it fails with the reason it did not open.
    EXPECT_FALSE(otherKey->ExecuteSql("CREATE TABLE t (x)"));
    EXPECT_EQ(
        otherKey->LastError().rfind("无法打开拨号记录 " + (folder_ / "other-key.db").string(), 0),
        0u)
        << otherKey->LastError();

    // An encrypted file of ours without the log tables is no log either.
    auto empty = db_.OpenDatabase(folder_ / "empty.db", Connection::Mode::kCreateIfMissing);
    ASSERT_TRUE(empty->IsOpen());
    ASSERT_TRUE(empty->ExecuteSql("DROP TABLE diallog"));
    empty.reset();
    EXPECT_FALSE(db_.OpenDatabase(folder_ / "empty.db")->IsOpen());
}

}  // namespace
}  // namespace vornik
