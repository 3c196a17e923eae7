#include "metering/time_rules.h"

#include <gtest/gtest.h>

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
        InitTimeRule(db_, rules_, {[this] { ++historyRebuilds_; }, [this] { ++menuUpdates_; }});
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    TimeRules rules_;
    int historyRebuilds_ = 0;
    int menuUpdates_ = 0;
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

}  // namespace
}  // namespace vornik
