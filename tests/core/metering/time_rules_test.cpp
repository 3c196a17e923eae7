#include "metering/time_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using namespace keys;

class InitTimeRuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
        // Start every case from a settings table with no rows at all.
        ASSERT_TRUE(db_.ExecuteSql("DELETE FROM config"));
    }

    void Load() {
        InitTimeRule(db_, rules_,
                     {[this] { ++historyRebuilds_; }, [this] { ++menuUpdates_; },
                      [this](const std::string& text) { refusals_.push_back(text); }});
    }
    std::string Trace() const { return testing::ReadFile(log_.File()); }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    TimeRules rules_;
    int historyRebuilds_ = 0;
    int menuUpdates_ = 0;
    std::vector<std::string> refusals_;
};

TEST_F(InitTimeRuleTest, EmptySettingsGiveTheDocumentedDefaults) {
    Load();
    EXPECT_EQ(rules_.firstFeeDay, 21);
    EXPECT_EQ(db_.GetConfig(kFirstFeeDay), "21");
    // Absent time-limit switches are on, with caps of 0 hours.
    EXPECT_EQ(rules_.monthlyMaxTimeOn, 1);
    EXPECT_EQ(rules_.dailyMaxTimeOn, 1);
    EXPECT_EQ(rules_.eachMaxTimeOn, 1);
    EXPECT_EQ(rules_.monthlyMaxTime, 0);
    EXPECT_EQ(rules_.monthlyMaxVolumeOn, 0);
    EXPECT_EQ(rules_.feeType, 0);
    EXPECT_TRUE(rules_.soundOn);
    EXPECT_EQ(rules_.maxSpeed, 70);
    EXPECT_EQ(menuUpdates_, 1);
    EXPECT_EQ(historyRebuilds_, 0);
}

TEST_F(InitTimeRuleTest, FirstFeeDayOutOfRangeIsRepairedAndWrittenBack) {
    for (const char* stored : {"0", "29", "-3"}) {
        ASSERT_TRUE(db_.SaveConfig(kFirstFeeDay, stored));
        rules_.firstFeeDay = 10;
        Load();
        EXPECT_EQ(rules_.firstFeeDay, 21) << stored;
        EXPECT_EQ(db_.GetConfig("TimeRule", "FirstFeeDay"), "21") << stored;
    }
    ASSERT_TRUE(db_.SaveConfig(kFirstFeeDay, "28"));
    Load();
    EXPECT_EQ(rules_.firstFeeDay, 28);
    EXPECT_EQ(db_.GetConfig(kFirstFeeDay), "28");
}

TEST_F(InitTimeRuleTest, AFirstFeeDayThatIsNoNumberKeepsTheDayLoadedBefore) {
    ASSERT_TRUE(db_.SaveConfig(kFirstFeeDay, "abc"));
    Load();  // at start-up the day is still 0: repaired to 21 and written back
    EXPECT_EQ(rules_.firstFeeDay, 21);
    EXPECT_EQ(db_.GetConfig(kFirstFeeDay), "21");

    ASSERT_TRUE(db_.SaveConfig(kFirstFeeDay, "15"));
    Load();
    ASSERT_TRUE(db_.SaveConfig(kFirstFeeDay, "abc"));
    Load();  // on a reload the previous day stays and nothing is written
    EXPECT_EQ(rules_.firstFeeDay, 15);
    EXPECT_EQ(db_.GetConfig(kFirstFeeDay), "abc");
}

TEST_F(InitTimeRuleTest, SwitchesFollowTheirOwnRules) {
    ASSERT_TRUE(db_.SaveConfig(kChkMonthlyMaxTime, "0"));
    ASSERT_TRUE(db_.SaveConfig(kChkDailyMaxTime, "yes"));
    ASSERT_TRUE(db_.SaveConfig(kChkMonthlyMaxVolume, "2"));
    ASSERT_TRUE(db_.SaveConfig(kCloseSound, "1"));
    Load();
    EXPECT_EQ(rules_.monthlyMaxTimeOn, 0);
    EXPECT_EQ(rules_.dailyMaxTimeOn, 1);      // anything but "0" is on
    EXPECT_EQ(rules_.monthlyMaxVolumeOn, 0);  // only "1" is on
    EXPECT_FALSE(rules_.soundOn);

    ASSERT_TRUE(db_.SaveConfig(kChkMonthlyMaxVolume, "1"));
    ASSERT_TRUE(db_.SaveConfig(kCloseSound, "0"));
    Load();
    EXPECT_EQ(rules_.monthlyMaxVolumeOn, 1);
    EXPECT_TRUE(rules_.soundOn);
}

TEST_F(InitTimeRuleTest, MaxSpeedOfZeroReadsAsSeventy) {
    ASSERT_TRUE(db_.SaveConfig(kMaxSpeed, "0"));
    Load();
    EXPECT_EQ(rules_.maxSpeed, 70);
    ASSERT_TRUE(db_.SaveConfig(kMaxSpeed, "0.5"));
    Load();
    EXPECT_EQ(rules_.maxSpeed, 0.5);
    ASSERT_TRUE(db_.SaveConfig(kMaxSpeed, "fast"));
    Load();
    EXPECT_EQ(rules_.maxSpeed, 0.5);
}

TEST_F(InitTimeRuleTest, OnlyTheSelectedTariffIsReloaded) {
    ASSERT_TRUE(db_.SaveConfig(kFeeType, "1"));
    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "3"));
    ASSERT_TRUE(db_.SaveConfig(kJishiWeekendDiscounted, "1"));
    ASSERT_TRUE(db_.SaveConfig(kJishiWeekendDiscount, "0.8"));
    ASSERT_TRUE(db_.SaveConfig(kBaoshiFee, "90"));
    ASSERT_TRUE(db_.SaveConfig(kBaoyueFee, "50"));
    rules_.baoshiFee = 5;
    rules_.baoyueFee = 7;
    Load();
    EXPECT_EQ(rules_.feeType, 1);
    EXPECT_EQ(rules_.jishiFee, 3);
    EXPECT_EQ(rules_.jishiWeekendDiscounted, 1);
    EXPECT_EQ(rules_.jishiWeekendDiscount, 0.8);
    EXPECT_EQ(rules_.baoshiFee, 5);
    EXPECT_EQ(rules_.baoyueFee, 7);

    ASSERT_TRUE(db_.SaveConfig(kFeeType, "2"));
    ASSERT_TRUE(db_.SaveConfig(kBaoyueBeginTime, "15"));
    Load();
    EXPECT_EQ(rules_.baoyueFee, 50);
    EXPECT_EQ(rules_.baoyueBeginTime, 15);
}

TEST_F(InitTimeRuleTest, KeysAreFoundInAnyLetterCase) {
    ASSERT_TRUE(db_.ExecuteSql(
        "INSERT INTO config (entryName, propertyType, propertyName, propertyValue) VALUES "
        "('global', 'connectidle', 'idletimeoutaction', '2'), "
        "('global', 'CONNECTIDLE', 'IDLETIMEMAX', '90'), "
        "('global', 'fee', 'baoshitimeoutfee', '1.5'), "
        "('global', 'Fee', 'FEETYPE', '0')"));
    Load();
    EXPECT_EQ(rules_.idleTimeOutAction, 2);
    EXPECT_EQ(rules_.idleTimeMax, 90);
    EXPECT_EQ(rules_.baoshiTimeOutFee, 1.5);
}

TEST_F(InitTimeRuleTest, ValuesThatAreNoNumbersLeaveTheVariablesAsTheyWere) {
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeMax, "120"));
    ASSERT_TRUE(db_.SaveConfig(kMonthlyMaxTime, "10.5"));
    Load();
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeMax, "two minutes"));
    ASSERT_TRUE(db_.SaveConfig(kMonthlyMaxTime, "1e999"));
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeOutAction, "40000"));  // does not fit 16 bits
    rules_.idleTimeOutAction = 1;
    Load();
    EXPECT_EQ(rules_.idleTimeMax, 120);
    EXPECT_EQ(rules_.monthlyMaxTime, 10.5);
    EXPECT_EQ(rules_.idleTimeOutAction, 1);
}

TEST_F(InitTimeRuleTest, TheHistoryIsRebuiltOnlyWhenTheOrderChanges) {
    ASSERT_TRUE(db_.SaveConfig(kLogOrder, "0"));
    Load();
    EXPECT_EQ(historyRebuilds_, 0);
    ASSERT_TRUE(db_.SaveConfig(kLogOrder, "1"));
    Load();
    EXPECT_EQ(rules_.logOrderDescending, 1);
    EXPECT_EQ(historyRebuilds_, 1);
    Load();
    EXPECT_EQ(historyRebuilds_, 1);
    EXPECT_EQ(menuUpdates_, 3);
}

TEST_F(InitTimeRuleTest, ValuesNoTariffCanHaveAreRefusedNamedAndTraced) {
    ASSERT_TRUE(db_.SaveConfig(kFeeType, "1"));
    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "3"));
    ASSERT_TRUE(db_.SaveConfig(kPhoneFee, "0.6"));
    ASSERT_TRUE(db_.SaveConfig(kJishiWeekendDiscount, "0.5"));
    ASSERT_TRUE(db_.SaveConfig(kDailyMaxTime, "4"));
    Load();
    EXPECT_TRUE(refusals_.empty());

    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "1e308"));
    ASSERT_TRUE(db_.SaveConfig(kPhoneFee, "-1e308"));
    ASSERT_TRUE(db_.SaveConfig(kJishiWeekendDiscount, "11"));
    ASSERT_TRUE(db_.SaveConfig(kDailyMaxTime, "-2"));
    ASSERT_TRUE(db_.SaveConfig(kMonthlyMaxTime, "nan"));
    Load();
    EXPECT_EQ(rules_.jishiFee, 3);
    EXPECT_EQ(rules_.phoneFee, 0.6);
    EXPECT_EQ(rules_.jishiWeekendDiscount, 0.5);
    EXPECT_EQ(rules_.dailyMaxTime, 4);
    EXPECT_EQ(rules_.monthlyMaxTime, 0);
    ASSERT_EQ(refusals_.size(), 1u);  // all of them in one message
    for (const char* named : {"计时费用", "1e308", "电话费", "计时周末折扣", "每日最大使用时限",
                              "-2", "每月最大使用时限", "nan"}) {
        EXPECT_NE(refusals_[0].find(named), std::string::npos) << named << "\n" << refusals_[0];
    }
    for (const char* key :
         {"JishiFee", "PhoneFee", "JishiWeekendDiscount", "dailyMaxTime", "MonthlyMaxTime"}) {
        EXPECT_NE(Trace().find(key), std::string::npos) << key << "\n" << Trace();
    }

    // The bounds themselves are tariffs.
    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "1000000"));
    ASSERT_TRUE(db_.SaveConfig(kPhoneFee, "0"));
    ASSERT_TRUE(db_.SaveConfig(kJishiWeekendDiscount, "10"));
    ASSERT_TRUE(db_.SaveConfig(kDailyMaxTime, "0"));
    ASSERT_TRUE(db_.SaveConfig(kMonthlyMaxTime, ""));
    Load();
    EXPECT_EQ(refusals_.size(), 1u);
    EXPECT_EQ(rules_.jishiFee, 1'000'000);
    EXPECT_EQ(rules_.jishiWeekendDiscount, 10);
}

TEST_F(InitTimeRuleTest, DiscountFactorsOutsideZeroToTenAreLeftOutAndTraced) {
    ASSERT_TRUE(
        db_.ExecuteSql("INSERT INTO discounttime (beginTime, endTime, discount) VALUES "
                       "('00:00', '06:00', 0.5), ('06:00', '07:00', 11), ('07:00', '08:00', -0.5), "
                       "('08:00', '09:00', 9e999), ('09:00', '10:00', 10)"));
    ASSERT_TRUE(
        db_.ExecuteSql("INSERT INTO holiday (holidayName, beginTime, totalDays, discount) VALUES "
                       "('元旦', '2024-01-01', 1, 0.3), ('春节', '2024-02-10', 7, -9e999)"));
    Load();
    ASSERT_EQ(rules_.discounts.windows.size(), 2u);
    EXPECT_EQ(rules_.discounts.windows[0].factor, 0.5);
    EXPECT_EQ(rules_.discounts.windows[1].factor, 10);
    ASSERT_EQ(rules_.discounts.holidays.size(), 1u);
    EXPECT_EQ(rules_.discounts.holidays[0].factor, 0.3);
    for (const char* traced : {"06:00", "07:00", "08:00", "2024-02-10"}) {
        EXPECT_NE(Trace().find(traced), std::string::npos) << traced << "\n" << Trace();
    }
}

}  // namespace
}  // namespace vornik
