#include "settings/rule_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "metering/pricing.h"
#include "metering/time_rules.h"
#include "store/dbio.h"
#include "store/password_hash.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// Every row of the three tables but the ids, as text, in a stable order.
std::vector<std::string> Tables(Dbio& db) {
    std::vector<std::string> rows;
    for (const char* query :
         {"SELECT 'config', entryName, propertyType, propertyName, propertyValue FROM config "
          "ORDER BY 2, 3, 4",
          "SELECT 'window', entryName, beginTime, endTime, discount FROM discounttime ORDER BY id",
          "SELECT 'holiday', entryName, holidayName, beginTime, totalDays, discount FROM holiday "
          "ORDER BY id"}) {
        for (const Row& row : db.QueryRows(query)) {
            std::string text;
            for (const Field& field : row) {
                text += field.Text() + "|";
            }
            rows.push_back(text);
        }
    }
    return rows;
}

class RuleFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
    }
    void AddWindow(const char* begin, const char* end, double discount) {
        ASSERT_TRUE(
            db_.ExecuteSql("INSERT INTO discounttime (beginTime, endTime, discount) "
                           "VALUES (?, ?, ?)",
                           {begin, end, discount}));
    }
    void AddHoliday(const char* entry, const char* name, const char* begin, int days,
                    double discount) {
        ASSERT_TRUE(
            db_.ExecuteSql("INSERT INTO holiday (entryName, holidayName, beginTime, "
                           "totalDays, discount) VALUES (?, ?, ?, ?, ?)",
                           {entry, name, begin, days, discount}));
    }
    RuleImport Import(const std::string& text) {
        WriteFile(folder_ / "in.ini", text);
        Result<RuleImport> imported = ImportRules(db_, folder_ / "in.ini");
        EXPECT_TRUE(imported) << imported.Error();
        return imported ? imported.Value() : RuleImport{};
    }
    std::vector<std::string> HolidayNames() {
        std::vector<std::string> names;
        for (const Row& row : db_.QueryRows("SELECT holidayName FROM holiday ORDER BY id")) {
            names.push_back(row[0].Text());
        }
        return names;
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
};

TEST_F(RuleFileTest, ExportAndImportReproduceAllThreeTables) {
    ASSERT_TRUE(db_.SaveConfig(keys::kJishiFee, "3.6"));
    ASSERT_TRUE(db_.SaveConfig(keys::kCheckIp, "网关 'quoted'"));
    AddWindow("22:00:00", "06:00:00", 0.5);
    AddWindow("12:00:00", "13:30:00", 0.75);
    AddHoliday("global", "O'Brien's day", "2006-05-01", 3, 0.5);
    AddHoliday("another", "国庆节", "2006-10-01", 7, 0.8);

    const Result<RuleExport> exported = ExportRules(db_, folder_ / "rule.ini");
    ASSERT_TRUE(exported) << exported.Error();
    EXPECT_TRUE(exported->leftOut.empty());
    const std::string file = ReadFile(folder_ / "rule.ini");
    EXPECT_TRUE(file.starts_with("[Config]\r\n")) << file;
    EXPECT_NE(file.find("\r\n[DiscountTime]\r\nglobal,22:00:00,06:00:00,0.5\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("\r\n[Holiday]\r\nglobal,O'Brien's day,2006-05-01,3,0.5\r\n"
                        "another,国庆节,2006-10-01,7,0.8\r\n"),
              std::string::npos);
    EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1);

    // Into a log of its own: the same rows, the password hash included.
    testing::TempFolder other;
    Dbio copy(other / "db/diallog.db", log_);
    copy.OpenDatabase();
    const Result<RuleImport> imported = ImportRules(copy, folder_ / "rule.ini");
    ASSERT_TRUE(imported) << imported.Error();
    EXPECT_TRUE(imported->skippedLines.empty());
    EXPECT_FALSE(imported->fromGb18030);
    EXPECT_EQ(Tables(copy), Tables(db_));
}

TEST_F(RuleFileTest, ReadsAHandWrittenGb18030FileWithRegionalForms) {
    ASSERT_TRUE(db_.SaveConfig(keys::kJishiFee, "9"));
    const Result<RuleImport> imported =
        ImportRules(db_, std::filesystem::path(VORNIK_TEST_DATA) / "regional-gb18030.ini");
    ASSERT_TRUE(imported) << imported.Error();
    EXPECT_TRUE(imported->fromGb18030);
    EXPECT_EQ(imported->linesRead, 12u);
    EXPECT_EQ(imported->rowsImported, 9u);
    EXPECT_TRUE(imported->skippedLines.empty());
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), "网关");
    EXPECT_EQ(db_.GetConfig(keys::kJishiFee), "3.6");
    // The clear password of an old file is kept only as its hash.
    const std::string password = db_.GetConfig(keys::kPassword).value_or("");
    EXPECT_TRUE(IsPasswordHash(password)) << password;
    EXPECT_TRUE(CheckPassword("qexor", password));

    // The fee engine reads what was stored.
    TimeRules rules;
    InitTimeRule(db_, rules);
    EXPECT_EQ(rules.jishiFee, 3.6);
    ASSERT_EQ(rules.discounts.windows.size(), 2u);
    EXPECT_EQ(rules.discounts.windows[0].beginSecond, 8 * 3600);
    EXPECT_EQ(rules.discounts.windows[0].endSecond, 18 * 3600 + 30 * 60);
    EXPECT_EQ(rules.discounts.windows[1].endSecond, 7 * 3600);
    EXPECT_EQ(TimeWindowFactor(rules.discounts, {2006, 1, 5, 18, 29, 59}), 0.8);
    EXPECT_EQ(HolidayFactor(rules.discounts, {2006, 10, 7, 12, 0, 0}), 0.5);
    EXPECT_EQ(HolidayFactor(rules.discounts, {2006, 5, 3, 12, 0, 0}), 0.8);
    EXPECT_EQ(HolidayFactor(rules.discounts, {2007, 1, 1, 0, 0, 0}), 0.6);
}

TEST_F(RuleFileTest, AValueWithACommaIsLeftOutOfTheExportAndItsLineSkippedOnImport) {
    ASSERT_TRUE(db_.SaveConfig(keys::kCheckIp, "a,b"));
    AddHoliday("global", "两行\n的名字", "2006-05-01", 1, 0.5);
    const Result<RuleExport> exported = ExportRules(db_, folder_ / "rule.ini");
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->leftOut.size(), 2u);
    EXPECT_EQ(exported->leftOut[0], "[Config] global / global / checkip / a,b");
    EXPECT_EQ(ReadFile(folder_ / "rule.ini").find("a,b"), std::string::npos);
    EXPECT_EQ(ReadFile(folder_ / "rule.ini").find("[Holiday]"), std::string::npos);
    EXPECT_NE(ExportReportText("rule.ini", *exported).find("a,b"), std::string::npos);

    const RuleImport imported = Import(
        "[Config]\r\nglobal,Fee,JishiFee,4\r\nglobal,global,checkip,c,d\r\nglobal,Fee,PhoneFee,"
        "1\r\n");
    EXPECT_EQ(imported.skippedLines, std::vector<std::size_t>{3});
    EXPECT_EQ(db_.GetConfig(keys::kJishiFee), "4");
    EXPECT_EQ(db_.GetConfig(keys::kPhoneFee), "1");
    EXPECT_EQ(db_.GetConfig(keys::kCheckIp), "a,b");
    EXPECT_NE(ImportReportText("in.ini", imported).find("第 3 行"), std::string::npos);
}

TEST_F(RuleFileTest, SectionHeadersMatchExactlyAndEmptyTheirTablesEachTime) {
    AddWindow("22:00:00", "06:00:00", 0.5);
    AddHoliday("global", "old", "2006-01-01", 1, 0.5);
    const RuleImport imported = Import(
        "global,Fee,JishiFee,4\r\n"          // 1: no section yet
        "[Holiday]\r\n"                      // 2
        "global,A,2006-1-1,1,0.5\r\n"        // 3
        "[Holiday]\r\n"                      // 4: deletes A
        "global,B,2006-2-1,1,0.5\r\n"        // 5
        "[Holiday] \r\n"                     // 6: not a header
        "[config]\r\n"                       // 7: nor this
        "global,C,2006-3-1,1,0.5\r\n"        // 8: still a holiday
        "global,D,2006-3-1,0,0.5\r\n"        // 9: no days
        "global,E,2006-3-1,1,0.5,extra\r\n"  // 10
        "\r\n");
    EXPECT_EQ(HolidayNames(), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(imported.skippedLines, (std::vector<std::size_t>{1, 6, 7, 9, 10}));
    EXPECT_EQ(db_.QueryRows("SELECT 1 FROM discounttime").size(), 1u);
    EXPECT_NE(ReadFile(log_.File()).find("line 9 skipped (请输入大于0的整数。)"),
              std::string::npos);

    // A header without lines empties its table and nothing else.
    Import("[Holiday]\r\n");
    EXPECT_TRUE(HolidayNames().empty());
    EXPECT_EQ(db_.QueryRows("SELECT 1 FROM discounttime").size(), 1u);
}

TEST_F(RuleFileTest, AnImportThatFailsHalfWayLeavesEveryTableAsItWas) {
    ASSERT_TRUE(db_.SaveConfig(keys::kJishiFee, "9"));
    AddWindow("22:00:00", "06:00:00", 0.5);
    AddHoliday("global", "old", "2006-01-01", 1, 0.5);
    // The log refuses the last holiday, as a full disk would.
    ASSERT_TRUE(
        db_.ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON holiday "
                       "WHEN NEW.holidayName = 'boom' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const std::vector<std::string> before = Tables(db_);
    WriteFile(folder_ / "in.ini",
              "[Config]\r\nglobal,Fee,JishiFee,4\r\n[DiscountTime]\r\nglobal,8:00,9:00,0.1\r\n"
              "[Holiday]\r\nglobal,new,2006-1-1,1,0.5\r\nglobal,boom,2006-1-1,1,0.5\r\n");
    const Result<RuleImport> failed = ImportRules(db_, folder_ / "in.ini");
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.Error().find("refused"), std::string::npos) << failed.Error();
    EXPECT_EQ(Tables(db_), before);

    // A file that cannot be read changes nothing either.
    EXPECT_FALSE(ImportRules(db_, folder_ / "missing.ini"));
    EXPECT_EQ(Tables(db_), before);
}

// A file made before the volume tariff is read as before; one with its keys and
// a discount window of its own gives those rules, and the log keeps its own.
TEST_F(RuleFileTest, ARuleFilesRulesAreReadWithoutChangingTheLog) {
    ASSERT_TRUE(db_.SaveConfig(keys::kFeeType, "1"));
    ASSERT_TRUE(db_.SaveConfig(keys::kJishiFee, "3"));
    AddWindow("22:00:00", "23:00:00", 0.5);
    const std::vector<std::string> before = Tables(db_);
    WriteFile(folder_ / "old.ini",
              "[Config]\r\nglobal,Fee,FeeType,2\r\nglobal,Fee,BaoyueFee,50\r\n");
    WriteFile(folder_ / "volume.ini",
              "[Config]\r\nglobal,Fee,FeeType,3\r\nglobal,Fee,LiuliangFee,10\r\n"
              "global,Fee,LiuliangVolume,500\r\nglobal,Fee,LiuliangMBFee,0.05\r\n"
              "[DiscountTime]\r\nglobal,08:00:00,09:00:00,0.8\r\n");

    const Result<TimeRules> old = RulesOfRuleFile(db_, folder_ / "old.ini");
    ASSERT_TRUE(old) << old.Error();
    EXPECT_EQ(old->feeType, static_cast<int>(FeeType::kBaoyue));
    EXPECT_EQ(old->baoyueFee, 50);
    EXPECT_EQ(old->liuliangVolume, 0);
    ASSERT_EQ(old->discounts.windows.size(), 1u);  // the log's, as an import keeps them
    const Result<TimeRules> volume = RulesOfRuleFile(db_, folder_ / "volume.ini");
    ASSERT_TRUE(volume) << volume.Error();
    EXPECT_EQ(volume->feeType, static_cast<int>(FeeType::kLiuliang));
    EXPECT_EQ(volume->liuliangFee, 10);
    EXPECT_EQ(volume->liuliangVolume, 500);
    EXPECT_EQ(volume->liuliangMBFee, 0.05);
    ASSERT_EQ(volume->discounts.windows.size(), 1u);
    EXPECT_EQ(volume->discounts.windows[0].factor, 0.8);
    EXPECT_EQ(Tables(db_), before);
    EXPECT_EQ(ReadFile(folder_ / "log/error.log").find("database"), std::string::npos);
    EXPECT_FALSE(RulesOfRuleFile(db_, folder_ / "missing.ini"));
}

}  // namespace
}  // namespace vornik
