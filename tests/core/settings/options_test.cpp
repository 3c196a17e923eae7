#include "settings/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/dbio.h"
#include "store/password_hash.h"
#include "store/settings_store.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using namespace keys;

// The options of a new installation, on a real log in a temporary folder.
class OptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
        options_ = LoadOptions(settings_);
        ASSERT_FALSE(ValidateOptions(options_).has_value());
    }

    // Every row as "group/key=value", in the order the rows were last written.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (const Row& row : db_.QueryRows(
                 "SELECT propertyType, propertyName, propertyValue FROM config ORDER BY rowid")) {
            rows.push_back(row[0].Text() + "/" + row[1].Text() + "=" + row[2].Text());
        }
        return rows;
    }
    // The keys written since `before`, in their order.
    std::vector<std::string> WrittenSince(std::int64_t before) {
        std::vector<std::string> names;
        for (const Row& row : db_.QueryRows(
                 "SELECT propertyName FROM config WHERE rowid > ? ORDER BY rowid", {before})) {
            names.push_back(row[0].Text());
        }
        return names;
    }
    std::int64_t LastRow() { return db_.QueryValue("SELECT max(rowid) FROM config")->Integer(); }
    void ExpectProblem(OptionField field, OptionsTab tab, const char* message) {
        const auto problem = ValidateOptions(options_);
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->field, field);
        EXPECT_EQ(problem->tab, tab);
        EXPECT_EQ(problem->message, message);
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    SettingsStore settings_{db_};
    Options options_;
};

TEST_F(OptionsTest, TheFirstBadBoxInTheFormsOrderIsNamedAndNothingIsWritten) {
    const std::vector<std::string> before = Rows();
    options_.phoneFee = "x";
    for (const char* day : {"0", "29", "3.5", "-3"}) {
        options_.firstFeeDay = day;
        ExpectProblem(OptionField::kFirstFeeDay, OptionsTab::kDial, kEnterABillingDay);
    }
    for (const char* day : {"abc", "", " "}) {
        options_.firstFeeDay = day;
        ExpectProblem(OptionField::kFirstFeeDay, OptionsTab::kDial, kEnterANumber);
    }
    EXPECT_FALSE(SaveOptions(settings_, options_).Ok());
    options_.firstFeeDay = "28";
    ExpectProblem(OptionField::kPhoneFee, OptionsTab::kFee, kEnterANumber);
    EXPECT_FALSE(SaveOptions(settings_, options_).Ok());
    EXPECT_EQ(Rows(), before);

    // Only a volume limit that is on is checked; only the selected tariff.
    options_.phoneFee = "0.6";
    options_.monthlyMaxVolume = "abc";
    options_.baoshiFee = "abc";
    EXPECT_FALSE(ValidateOptions(options_).has_value());
    options_.monthlyMaxVolumeOn = true;
    ExpectProblem(OptionField::kMonthlyMaxVolume, OptionsTab::kDial, kEnterANumber);
    options_.monthlyMaxVolume = "500";
    options_.feeType = FeeType::kBaoshi;
    options_.baoshiTime = "60";
    ExpectProblem(OptionField::kBaoshiFee, OptionsTab::kFee, kEnterANumber);

    // Numbers the rules would refuse when loading are refused before they are
    // stored, with the same message.
    options_.feeType = FeeType::kJishi;
    for (const char* absurd : {"-1", "1e7"}) {
        options_.jishiFee = absurd;
        ExpectProblem(OptionField::kJishiFee, OptionsTab::kFee, kEnterANumber);
    }
    options_.jishiFee = "3";
    options_.jishiWeekendDiscount = "11";
    ExpectProblem(OptionField::kJishiWeekendDiscount, OptionsTab::kFee, kEnterANumber);
    options_.jishiWeekendDiscount = "0.5";
    options_.idleTimeMax = "1e12";
    ExpectProblem(OptionField::kIdleTimeMax, OptionsTab::kIdle, kEnterANumber);
    options_.idleTimeMax = "300";
    options_.maxSpeed = "-5";
    ExpectProblem(OptionField::kMaxSpeed, OptionsTab::kOther, kEnterANumber);
}

TEST_F(OptionsTest, ASaveWritesTheSelectedTariffsKeysInTheFormsOrder) {
    options_.monthlyMaxVolume = "abc";  // its limit is off: not written
    options_.baoshiFee = "abc";         // not the selected tariff: not written
    options_.jishiFee = "4.5";
    options_.autoDialAt = {7, 5};
    const std::int64_t before = LastRow();
    ASSERT_TRUE(SaveOptions(settings_, options_).Ok());
    std::vector<std::string> expected;
    for (const SettingKey& key : {kFirstFeeDay,
                                  kMonthlyMaxTime,
                                  kDailyMaxTime,
                                  kEachMaxTime,
                                  kChkMonthlyMaxTime,
                                  kChkDailyMaxTime,
                                  kChkEachMaxTime,
                                  kChkMonthlyMaxVolume,
                                  kSoundAlert,
                                  kMessageAlert,
                                  kDisconnectAlert,
                                  kMaxSpeedForIdle,
                                  kIdleTimeMax,
                                  kIdleTimeOutAction,
                                  kPhoneFee,
                                  kJishiFee,
                                  kJishiMinFeeUnit,
                                  kJishiHolidayDiscounted,
                                  kJishiTimeDiscounted,
                                  kJishiWeekendDiscounted,
                                  kJishiWeekendDiscount,
                                  kFeeType,
                                  kWindowAutoHide,
                                  kCloseSound,
                                  kMaxSpeed,
                                  kLogOrder,
                                  kShowFloatWin,
                                  kNotifyLimits,
                                  kNotifyIdle,
                                  kNotifyLinkCheck,
                                  kNotifyDialErrors,
                                  kNotifyConnection,
                                  kAutoDial,
                                  kAutoReDial,
                                  kAutoDialTime,
                                  kAutoDisconnectTime,
                                  kAutoDialTimeHour,
                                  kAutoDisconnectTimeHour,
                                  kAutoDialTimeMinute,
                                  kAutoDisconnectTimeMinute,
                                  kCheckIp,
                                  kPwdProtected}) {
        expected.emplace_back(key.key);
    }
    EXPECT_EQ(WrittenSince(before), expected);
    EXPECT_EQ(db_.GetConfig(kJishiFee), "4.5");
    EXPECT_EQ(db_.GetConfig(kAutoDialTimeHour), "7");
    EXPECT_FALSE(db_.GetConfig(kMonthlyMaxVolume).has_value());
    EXPECT_FALSE(db_.GetConfig(kBaoshiFee).has_value());

    // What is loaded back is what was saved, for every tariff.
    options_.monthlyMaxVolumeOn = true;
    options_.monthlyMaxVolume = "800";
    options_.feeType = FeeType::kBaoyue;
    options_.baoyueFee = "50";
    options_.baoyueBeginDay = 15;
    ASSERT_TRUE(SaveOptions(settings_, options_).Ok());
    options_.feeType = FeeType::kBaoshi;
    options_.baoshiFee = "30";
    options_.baoshiTime = "60";
    options_.baoshiTimeOutFee = "2";
    options_.baoshiWeekendDiscount = "0.8";
    options_.baoshiTimeDiscounted = true;
    options_.idleTimeOutAction = 2;
    options_.logOrderDescending = true;
    options_.checkIp = "it's.example";
    options_.notifyIdle = false;
    ASSERT_TRUE(SaveOptions(settings_, options_).Ok());
    EXPECT_EQ(LoadOptions(settings_), options_);
}

TEST_F(OptionsTest, LoadingShowsChoicesAndTheGraphsTopAsTheRulesUseThem) {
    ASSERT_TRUE(db_.SaveConfig(kMaxSpeed, "-5"));
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeOutAction, "7"));
    ASSERT_TRUE(db_.SaveConfig(kFeeType, "2"));
    ASSERT_TRUE(db_.SaveConfig(kAlpha, "0"));
    ASSERT_TRUE(db_.SaveConfig(kLogOrder, "3"));
    ASSERT_TRUE(db_.SaveConfig(kAutoDisconnectTimeHour, "07"));
    Options loaded = LoadOptions(settings_);
    EXPECT_EQ(loaded.maxSpeed, "70");
    EXPECT_EQ(loaded.idleTimeOutAction, 0);
    EXPECT_EQ(loaded.feeType, FeeType::kBaoyue);
    EXPECT_EQ(loaded.alpha, 150);
    EXPECT_TRUE(loaded.logOrderDescending);
    EXPECT_EQ(loaded.autoDisconnectAt.hour, 7);
    EXPECT_EQ(loaded.monthlyMaxVolume, "");

    ASSERT_TRUE(db_.SaveConfig(kMaxSpeed, "0"));
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeOutAction, "2"));
    loaded = LoadOptions(settings_);
    EXPECT_EQ(loaded.maxSpeed, "70");
    EXPECT_EQ(loaded.idleTimeOutAction, 2);
}

TEST_F(OptionsTest, APasswordIsCheckedAndStoredAsAHashAndTheSwitchAlwaysWritten) {
    const std::string initial = *db_.GetConfig(kPassword);
    const auto save = [this](bool protect, const char* password, const char* confirmation) {
        return SavePassword(settings_, {protect, password, confirmation});
    };
    EXPECT_EQ(save(true, "", ""), kPasswordEmpty);
    EXPECT_EQ(save(true, "abc", "abc"), kPasswordTooShort);
    EXPECT_EQ(save(true, "密码口", "密码口"), kPasswordTooShort);  // three characters
    EXPECT_EQ(db_.GetConfig(kPwdProtected), "1");
    EXPECT_EQ(save(true, "abcd", "abce"), kPasswordsDiffer);
    EXPECT_EQ(db_.GetConfig(kPassword), initial);

    EXPECT_EQ(save(false, "ab", "x"), std::nullopt);
    EXPECT_EQ(db_.GetConfig(kPwdProtected), "0");
    EXPECT_EQ(db_.GetConfig(kPassword), initial);

    EXPECT_EQ(save(true, "密码口令", "密码口令"), std::nullopt);
    const std::string stored = *db_.GetConfig(kPassword);
    EXPECT_TRUE(IsPasswordHash(stored));
    EXPECT_EQ(stored.find("密码口令"), std::string::npos);
    EXPECT_TRUE(CheckPassword("密码口令", stored));
    EXPECT_FALSE(CheckPassword(kInitialPassword, stored));
    EXPECT_EQ(db_.GetConfig(kPwdProtected), "1");
}

}  // namespace
}  // namespace vornik
