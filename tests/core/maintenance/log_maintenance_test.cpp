#include <sqlite3.h>

#include <cstring>

#include "maintenance/log_fixture.h"

namespace vornik::testing {
namespace {

using Maintenance = LogFixture;

TEST(RemovalCutoffTest, ThreeCalendarMonthsBackOnTheFirstFeeDay) {
    EXPECT_EQ(RemovalCutoff({2006, 5, 1, 9, 0, 0}, 21), (Moment{2006, 2, 21, 0, 0, 0}));
    EXPECT_EQ(RemovalCutoff({2006, 5, 31, 23, 59, 59}, 21), (Moment{2006, 2, 21, 0, 0, 0}));
    EXPECT_EQ(RemovalCutoff({2007, 2, 10, 0, 0, 0}, 1), (Moment{2006, 11, 1, 0, 0, 0}));
    // A day the month three back lacks is its last day; one it has is kept even
    // when today's month lacks it.
    EXPECT_EQ(RemovalCutoff({2006, 5, 10, 0, 0, 0}, 31), (Moment{2006, 2, 28, 0, 0, 0}));
    EXPECT_EQ(RemovalCutoff({2006, 4, 10, 0, 0, 0}, 31), (Moment{2006, 1, 31, 0, 0, 0}));
}

TEST_F(Maintenance, RemovalTakesOnlyTheEntrysCallsThatEndedBeforeTheCutoff) {
    AddCalls(Log(), {{"2006-02-20 23:00:00", "2006-02-20 23:59:59", "Home"},
                     {"2006-02-20 23:50:00", "2006-02-21 00:05:00", "Home"},
                     {"2006-01-05 08:00:00", "2006-01-05 09:00:00", "Office"},
                     {"2006-01-06 08:00:00", "2006-01-06 09:00:00", "Home"}});
    const auto removed =
        RemoveOldRecords(Log(), "Home", RemovalCutoff({2006, 5, 10, 0, 0, 0}, 21), errors_);
    ASSERT_TRUE(removed) << removed.Error();
    EXPECT_EQ(*removed, 2);
    EXPECT_EQ(CallsIn(Log()),
              (std::vector<std::string>{"2006-02-20 23:50:00 2006-02-21 00:05:00 Home",
                                        "2006-01-05 08:00:00 2006-01-05 09:00:00 Office"}));
    // A quote in the entry's name is a name, not SQL.
    EXPECT_EQ(*RemoveOldRecords(Log(), "x' OR '1'='1", {2010, 1, 1, 0, 0, 0}, errors_), 0);
    EXPECT_EQ(CallsIn(Log()).size(), 2u);
    EXPECT_FALSE(RemoveOldRecords(folder_ / "missing.db", "Home", {2010, 1, 1}, errors_));
}

TEST_F(Maintenance, CompactionKeepsEveryCallTheKeyAndTheSchemaVersionAndShrinks) {
    AddCalls(Log(), ManyCalls(3000));
    ASSERT_TRUE(RemoveOldRecords(Log(), "Home", {2006, 1, 2, 0, 0, 0}, errors_));
    const auto kept = CallsIn(Log());
    const auto version = Connection::Open(Log(), Connection::Mode::kExistingLog, errors_)
                             ->QueryValue("PRAGMA user_version")
                             ->Integer();
    const auto outcome = CompactLog(Log(), errors_);
    ASSERT_TRUE(outcome) << outcome.Error();
    EXPECT_LT(outcome->bytesAfter, outcome->bytesBefore);
    EXPECT_EQ(CallsIn(Log()), kept);
    EXPECT_TRUE(CheckLogFile(Log(), errors_));
    auto reopened = Connection::Open(Log(), Connection::Mode::kExistingLog, errors_);
    EXPECT_EQ(reopened->QueryValue("PRAGMA user_version")->Integer(), version);
    reopened->Close();
    // Still encrypted: a plain SQLite reader sees no tables.
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Log().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_NE(sqlite3_exec(plain, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(plain);
    // Nothing else is left in the folder.
    for (const std::string& name : FilesBeside(Log())) {
        EXPECT_TRUE(name.starts_with("diallog.db")) << name;
        EXPECT_FALSE(name.starts_with(".")) << name;
    }
}

TEST_F(Maintenance, CompactionRemovesLeftoversOfAnInterruptedRun) {
    AddCalls(Log(), ManyCalls(10));
    const std::filesystem::path leftover = Log().parent_path() / ".diallog.db.compact-abc123";
    WriteFile(leftover, "half a copy");
    ASSERT_TRUE(CompactLog(Log(), errors_));
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(CallsIn(Log()).size(), 10u);
}

TEST_F(Maintenance, BackupIsACheckedCopyAndNeverTheLogItself) {
    const auto calls = ManyCalls(50);
    AddCalls(Log(), calls);
    const auto backup = folder_ / "backup.db";
    ASSERT_TRUE(BackupLog(Log(), backup, errors_));
    EXPECT_EQ(CallsIn(backup), Texts(calls));
    EXPECT_TRUE(CheckLogFile(backup, errors_));
    // An existing destination is replaced (the caller asked).
    AddCalls(Log(), ManyCalls(5, 100));
    ASSERT_TRUE(BackupLog(Log(), backup, errors_));
    EXPECT_EQ(CallsIn(backup).size(), 55u);
    // Onto itself, by its own name, another spelling or a link: refused, unchanged.
    std::filesystem::create_symlink(Log(), folder_ / "link.db");
    for (const auto& self :
         {Log(), Log().parent_path() / "../db/diallog.db", folder_ / "link.db"}) {
        EXPECT_FALSE(BackupLog(Log(), self, errors_)) << self;
    }
    EXPECT_EQ(CallsIn(Log()).size(), 55u);
    // A destination that cannot take the name: a failure, and no temporary file.
    std::filesystem::create_directories(folder_ / "occupied/inner");
    EXPECT_FALSE(BackupLog(Log(), folder_ / "occupied", errors_));
    EXPECT_FALSE(BackupLog(Log(), folder_ / "no/such/folder.db", errors_));
    EXPECT_EQ(FilesBeside(folder_ / "occupied/inner"), (std::set<std::string>{"inner"}));
    for (const std::string& name : FilesBeside(backup)) {
        EXPECT_FALSE(name.starts_with(".")) << name;
    }
}

TEST_F(Maintenance, BackupWhileAnotherConnectionWritesIsConsistent) {
    AddCalls(Log(), ManyCalls(20));
    auto writer = Connection::Open(Log(), Connection::Mode::kExistingLog, errors_);
    ASSERT_TRUE(writer->ExecuteSql("BEGIN IMMEDIATE"));
    ASSERT_TRUE(writer->ExecuteSql(
        "INSERT INTO diallog (beginTime, endTime, entryName) VALUES ('2007-01-01 00:00:00', "
        "'2007-01-01 00:01:00', 'Home')"));
    // The writer's uncommitted call is not in the copy; its committed ones are.
    ASSERT_TRUE(BackupLog(Log(), folder_ / "during.db", errors_));
    ASSERT_TRUE(writer->ExecuteSql("COMMIT"));
    EXPECT_EQ(CallsIn(folder_ / "during.db").size(), 20u);
    ASSERT_TRUE(BackupLog(Log(), folder_ / "after.db", errors_));
    EXPECT_EQ(CallsIn(folder_ / "after.db").size(), 21u);
}

class ForeignFiles : public Maintenance {
  protected:
    void SetUp() override {
        WriteFile(folder_ / "random.db", std::string(4096, 'x'));
        WriteFile(folder_ / "empty.db", "");
        MakeSqlite(folder_ / "plain.db", nullptr);
        MakeSqlite(folder_ / "other-key.db", "another passphrase");
    }
    static void MakeSqlite(const std::filesystem::path& file, const char* key) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        if (key != nullptr) {
            ASSERT_EQ(sqlite3_key(db, key, static_cast<int>(std::strlen(key))), SQLITE_OK);
        }
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE diallog (beginTime TEXT);"
                               "INSERT INTO diallog VALUES ('2006-01-01 00:00:00')",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    std::vector<std::filesystem::path> Files() const {
        return {folder_ / "random.db", folder_ / "empty.db", folder_ / "plain.db",
                folder_ / "other-key.db", folder_ / "missing.db"};
    }
};

TEST_F(ForeignFiles, AreNoLogAndRestoreImportAndExportChangeNothing) {
    const auto calls = ManyCalls(5);
    AddCalls(Log(), calls);
    for (const auto& file : Files()) {
        const std::string before = ReadFile(file);
        EXPECT_EQ(CheckLogFile(file, errors_).Error(), kNotALogFileText) << file;
        EXPECT_EQ(RestoreLog(Log(), file, errors_).Error(), kNotALogFileText) << file;
        EXPECT_EQ(ImportLog(Log(), file, errors_).Error(), kNotALogFileText) << file;
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(ExportLog(Log(), file, true, errors_).Error(), kNotALogFileText) << file;
        }
        EXPECT_EQ(ReadFile(file), before) << file;
    }
    EXPECT_EQ(CallsIn(Log()), Texts(calls));
    EXPECT_FALSE(std::filesystem::exists(BeforeRestoreFile(Log())));
    // A log lacking one of the four tables is no log either.
    const auto partial = folder_ / "partial.db";
    AddCalls(partial, {});
    ASSERT_TRUE(Connection::Open(partial, Connection::Mode::kExistingLog, errors_)
                    ->ExecuteSql("DROP TABLE holiday"));
    EXPECT_EQ(CheckLogFile(partial, errors_).Error(), kNotALogFileText);
    EXPECT_FALSE(ReadFile(errors_.File()).empty());
}

TEST_F(Maintenance, RestoreReplacesTheLogAndKeepsTheOneItReplaced) {
    const auto old = ManyCalls(30);
    const auto restored = ManyCalls(7, 500);
    AddCalls(Log(), old);
    AddCalls(folder_ / "backup.db", restored);
    ASSERT_TRUE(RestoreLog(Log(), folder_ / "backup.db", errors_));
    EXPECT_EQ(CallsIn(Log()), Texts(restored));
    EXPECT_EQ(BeforeRestoreFile(Log()), folder_ / "db/diallog.before-restore.db");
    EXPECT_EQ(CallsIn(BeforeRestoreFile(Log())), Texts(old));
    EXPECT_EQ(CallsIn(folder_ / "backup.db"), Texts(restored));
    EXPECT_FALSE(RestoreLog(Log(), Log(), errors_));
}

TEST_F(Maintenance, ExportAndImportFollowTheDuplicateRule) {
    // Two entries began in the same second: only the first read is copied.
    const std::vector<Call> calls{{"2006-03-01 08:00:00", "2006-03-01 09:00:00", "Home"},
                                  {"2006-03-01 08:00:00", "2006-03-01 08:30:00", "Office"},
                                  {"2006-03-02 08:00:00", "2006-03-02 09:00:00", "Office"}};
    AddCalls(Log(), calls);
    const auto target = folder_ / "export.db";
    EXPECT_FALSE(ExportLog(Log(), target, false, errors_));
    EXPECT_FALSE(std::filesystem::exists(target));
    auto first = ExportLog(Log(), target, true, errors_);
    ASSERT_TRUE(first) << first.Error();
    EXPECT_EQ(first->copied, 2);
    EXPECT_EQ(first->alreadyPresent, 1);
    EXPECT_EQ(CallsIn(target), (std::vector<std::string>{Texts(calls)[0], Texts(calls)[2]}));
    auto second = ExportLog(Log(), target, true, errors_);
    EXPECT_EQ(second->copied, 0);
    EXPECT_EQ(second->alreadyPresent, 3);
    EXPECT_EQ(CallsIn(target).size(), 2u);
    // Into itself: nothing is added.
    auto self = ImportLog(Log(), Log(), errors_);
    ASSERT_TRUE(self) << self.Error();
    EXPECT_EQ(self->copied, 0);
    EXPECT_EQ(CallsIn(Log()), Texts(calls));
    // A call present under another entry counts as present; a new one comes in.
    AddCalls(target, {{"2006-03-02 08:00:00", "2006-03-02 08:10:00", "Elsewhere"},
                      {"2006-04-01 10:00:00", "2006-04-01 10:05:00", "Elsewhere"}});
    auto imported = ImportLog(Log(), target, errors_);
    EXPECT_EQ(imported->copied, 1);
    EXPECT_EQ(imported->alreadyPresent, 3);
    EXPECT_EQ(CallsIn(Log()).back(), "2006-04-01 10:00:00 2006-04-01 10:05:00 Elsewhere");
}

}  // namespace
}  // namespace vornik::testing
