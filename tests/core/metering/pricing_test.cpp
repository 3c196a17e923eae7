#include "metering/pricing.h"

#include <gtest/gtest.h>

#include "metering/fee_engine.h"
#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

constexpr double kTolerance = 1e-9;
const Moment kWednesday{2024, 5, 1, 10, 0, 0};
const Moment kSaturday{2024, 5, 4, 10, 0, 0};
const Moment kSunday{2024, 5, 5, 10, 0, 0};

Moment At(const Moment& day, int hour, int minute = 0, int second = 0) {
    return Moment{day.year, day.month, day.day, hour, minute, second};
}

// The rules as pricing sees them; the discount tables come from the log, as
// InitTimeRule loads them.
class PricingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
    }

    void InsertCall(const std::string& entry, const std::string& begin) {
        ASSERT_TRUE(
            db_.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName) VALUES (?, ?, ?)",
                           {begin, begin, entry}));
    }
    void InsertWindow(const std::string& begin, const std::string& end, SqlParam discount,
                      const std::string& entry = "global") {
        ASSERT_TRUE(
            db_.ExecuteSql("INSERT INTO discounttime (entryName, beginTime, endTime, discount) "
                           "VALUES (?, ?, ?, ?)",
                           {entry, begin, end, std::move(discount)}));
        rules_.discounts = LoadDiscountTables(db_);
    }
    void InsertHoliday(const std::string& begin, int days, double discount) {
        ASSERT_TRUE(db_.ExecuteSql(
            "INSERT INTO holiday (holidayName, beginTime, totalDays, discount) VALUES (?, ?, ?, ?)",
            {begin, begin, days, discount}));
        rules_.discounts = LoadDiscountTables(db_);
    }
    std::optional<double> WindowFactor(const Moment& now) const {
        return TimeWindowFactor(rules_.discounts, now);
    }
    std::optional<double> HolidayFactorOn(const Moment& now) const {
        return HolidayFactor(rules_.discounts, now);
    }

    // A call of `seconds` with `ticks` minute ticks, settled at hang-up.
    CallFee ChargeCall(std::int64_t seconds, int ticks) {
        CallFee fee;
        fee.minuteFee = MinuteFee(rules_, 0, kWednesday).value();
        for (int i = 0; i < ticks; ++i) {
            AddMinute(fee);
        }
        call_.callBeginTime = "2024-05-01 10:00:00";
        call_.callEndTime = "2024-05-01 10:02:30";
        call_.callSeconds = seconds;
        SettleCallFee(rules_, call_, fee);
        return fee;
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    FeeEngine engine_{db_};
    TimeRules rules_;
    CurrentCall call_;
};

TEST_F(PricingTest, ThePartMinuteIsChargedOnceWhateverTheTicks) {
    rules_.feeType = static_cast<std::int16_t>(FeeType::kJishi);
    rules_.jishiFee = 3;
    EXPECT_NEAR(JishiMinuteFee(rules_, kWednesday), 0.05, kTolerance);
    EXPECT_NEAR(ChargeCall(150, 2).callFee, 0.125, kTolerance);
    EXPECT_NEAR(ChargeCall(150, 3).callFee, 0.125, kTolerance);
    EXPECT_EQ(ChargeCall(150, 3).callMinutes, 0);
    // A late tick left the part minute unpaid; no whole minute is taken back.
    EXPECT_NEAR(ChargeCall(150, 1).callFee, 0.075, kTolerance);
    EXPECT_EQ(call_.callEndTime, "2024-05-01 10:02:30");

    // The phone charge is per started minute.
    rules_.phoneFee = 3;
    EXPECT_NEAR(ChargeCall(150, 2).callFee, 0.2 + 0.025 + 0.05, kTolerance);

    rules_.phoneFee = 0;
    rules_.jishiMinFeeUnit = 1;
    EXPECT_NEAR(ChargeCall(150, 2).callFee, 0.15, kTolerance);
    EXPECT_EQ(call_.callSeconds, 180);
    EXPECT_EQ(call_.callEndTime, "2024-05-01 10:03:00");
    EXPECT_NEAR(ChargeCall(150, 3).callFee, 0.15, kTolerance);
    EXPECT_EQ(call_.callSeconds, 180);

    rules_.feeType = static_cast<std::int16_t>(FeeType::kBaoyue);
    rules_.phoneFee = 6;
    EXPECT_NEAR(ChargeCall(61, 1).callFee, 0.2, kTolerance);
    EXPECT_NEAR(ChargeCall(61, 2).callFee, 0.2, kTolerance);
    EXPECT_EQ(call_.callSeconds, 61);
}

TEST_F(PricingTest, BundleWeekendAndTariffChoice) {
    rules_.baoshiTime = 10;
    rules_.baoshiTimeOutFee = 6;
    EXPECT_NEAR(BaoshiMinuteFee(rules_, 35999, kWednesday), 0, kTolerance);
    EXPECT_NEAR(BaoshiMinuteFee(rules_, 36000, kWednesday), 0.1, kTolerance);
    rules_.baoshiWeekendDiscounted = 1;
    rules_.baoshiWeekendDiscount = 0.5;
    EXPECT_NEAR(BaoshiMinuteFee(rules_, 36000, kWednesday), 0.05, kTolerance);
    rules_.phoneFee = 6;
    EXPECT_NEAR(BaoshiMinuteFee(rules_, 35999, kWednesday), 0.1, kTolerance);

    rules_.phoneFee = 0;
    rules_.jishiFee = 6;
    rules_.jishiWeekendDiscounted = 1;
    rules_.jishiWeekendDiscount = 0.5;
    EXPECT_NEAR(JishiMinuteFee(rules_, kWednesday), 0.1, kTolerance);
    EXPECT_NEAR(JishiMinuteFee(rules_, kSaturday), 0.05, kTolerance);
    EXPECT_NEAR(JishiMinuteFee(rules_, kSunday), 0.05, kTolerance);

    rules_.feeType = 7;
    EXPECT_FALSE(MinuteFee(rules_, 0, kSunday));
    rules_.feeType = static_cast<std::int16_t>(FeeType::kJishi);
    EXPECT_NEAR(MinuteFee(rules_, 0, kSunday).value(), 0.05, kTolerance);
}

TEST_F(PricingTest, TimeWindowsHoldFromTheirBeginUntilTheirEnd) {
    InsertWindow("22:00:00", "06:00:00", 0.5);
    EXPECT_FALSE(WindowFactor(At(kWednesday, 23)));
    EXPECT_FALSE(WindowFactor(At(kWednesday, 3)));

    InsertWindow("08:00:00", "12:00:00", 1.2);
    EXPECT_EQ(WindowFactor(At(kWednesday, 8)), 1.2);
    EXPECT_FALSE(WindowFactor(At(kWednesday, 12)));
    rules_.jishiFee = 6;
    rules_.jishiTimeDiscounted = 1;
    EXPECT_NEAR(JishiMinuteFee(rules_, At(kWednesday, 11, 59, 59)), 0.12, kTolerance);

    InsertWindow("09:00:00", "10:00:00", 0.7);
    InsertWindow("08:00:00", "12:00:00", 0.1, "adsl");
    EXPECT_EQ(WindowFactor(At(kWednesday, 9, 30)), 0.7);

    // A factor that is not a number is no factor.
    InsertWindow("13:00:00", "14:00:00", "abc");
    EXPECT_FALSE(WindowFactor(At(kWednesday, 13, 30)));
    EXPECT_NEAR(JishiMinuteFee(rules_, At(kWednesday, 13, 30)), 0.1, kTolerance);
}

TEST_F(PricingTest, HolidaysHoldForTheirDaysAndCombineAfterTheWeekend) {
    InsertHoliday("2024-10-01 00:00:00", 7, 0.5);
    EXPECT_FALSE(HolidayFactorOn({2024, 9, 30, 23, 59, 59}));
    EXPECT_EQ(HolidayFactorOn({2024, 10, 1, 0, 0, 0}), 0.5);
    EXPECT_EQ(HolidayFactorOn({2024, 10, 7, 23, 59, 59}), 0.5);
    EXPECT_FALSE(HolidayFactorOn({2024, 10, 8, 0, 0, 0}));
    // Counted from its date, whatever the time stored with it.
    InsertHoliday("2024-10-03 15:00:00", 1, 0.4);
    EXPECT_EQ(HolidayFactorOn({2024, 10, 3, 8, 0, 0}), 0.4);
    EXPECT_EQ(HolidayFactorOn({2024, 10, 4, 8, 0, 0}), 0.5);

    InsertWindow("09:00:00", "11:00:00", 1.2);
    InsertHoliday("2024-05-01 00:00:00", 5, 0.9);
    rules_.jishiFee = 6;
    rules_.jishiTimeDiscounted = 1;
    rules_.jishiWeekendDiscounted = 1;
    rules_.jishiWeekendDiscount = 0.8;
    rules_.jishiHolidayDiscounted = 1;
    EXPECT_NEAR(JishiMinuteFee(rules_, kSaturday), 0.08, kTolerance);
    EXPECT_NEAR(JishiMinuteFee(rules_, kWednesday), 0.09, kTolerance);
}

TEST_F(PricingTest, TheFlatFeeGoesToTheFirstCallOfAnEntryInItsPeriod) {
    const Moment now{2024, 3, 5, 10, 0, 0};
    rules_.feeType = static_cast<std::int16_t>(FeeType::kBaoshi);
    rules_.firstFeeDay = 21;
    rules_.baoshiFee = 50;
    CallFee fee;
    engine_.StartCallFee(rules_, "adsl", now, fee);
    EXPECT_EQ(fee.callFee, 50);
    InsertCall("adsl", "2024-02-21 00:00:00");
    engine_.StartCallFee(rules_, "adsl", now, fee);
    EXPECT_EQ(fee.callFee, 50);
    InsertCall("adsl", "2024-02-25 09:00:00");
    engine_.StartCallFee(rules_, "adsl", now, fee);
    EXPECT_EQ(fee.callFee, 0);
    engine_.StartCallFee(rules_, "gprs", now, fee);
    EXPECT_EQ(fee.callFee, 50);

    rules_.feeType = static_cast<std::int16_t>(FeeType::kBaoyue);
    rules_.baoyueFee = 80;  // no start day stored: the period starts on the 1st
    engine_.StartCallFee(rules_, "adsl", now, fee);
    EXPECT_EQ(fee.callFee, 80);
    InsertCall("adsl", "2024-03-02 09:00:00");
    engine_.StartCallFee(rules_, "adsl", now, fee);
    EXPECT_EQ(fee.callFee, 0);

    rules_.feeType = static_cast<std::int16_t>(FeeType::kJishi);
    engine_.StartCallFee(rules_, "gprs", now, fee);
    EXPECT_EQ(fee.callFee, 0);

    // A look-up that fails charges the flat fee rather than losing it.
    ASSERT_TRUE(db_.ExecuteSql("DROP TABLE diallog"));
    EXPECT_TRUE(engine_.HasNoCallSince("adsl", {2024, 3, 1, 0, 0, 0}));
}

// 100 MB a month for 15, then 0.2 a megabyte; the phone charge (0.1 a minute)
// is per started minute, as under Baoyue.
TEST(VolumeTariffTest, ChargesTheMegabytesBeyondTheMonthsVolume) {
    constexpr std::int64_t kMB = 1024 * 1024;
    TimeRules rules;
    rules.feeType = static_cast<std::int16_t>(FeeType::kLiuliang);
    rules.phoneFee = 6;
    rules.liuliangFee = 15;
    rules.liuliangVolume = 100;
    rules.liuliangMBFee = 0.2;
    struct Case {
        std::int64_t monthBytesBefore;
        std::int64_t callBytes;
        bool firstCall;
        double fee;
    } const cases[] = {
        {0, 40 * kMB, true, 15 + 0.2},     // below: the monthly fee and the phone
        {60 * kMB, 40 * kMB, false, 0.2},  // just at the volume: nothing for bytes
        {60 * kMB, 40 * kMB + 1, false, 0.2 + 0.2 / kMB},
        {90 * kMB, 30 * kMB, false, 0.2 + 20 * 0.2},  // above from within it
        {150 * kMB, kMB / 2, false, 0.2 + 0.1},       // all above
    };
    for (const Case& c : cases) {
        const PricedCall priced =
            PriceCall(rules, kWednesday, 90, 0, c.firstCall, c.callBytes, c.monthBytesBefore);
        EXPECT_NEAR(priced.fee, c.fee, kTolerance) << c.monthBytesBefore << " + " << c.callBytes;
        EXPECT_EQ(priced.seconds, 90);
    }
}

TEST(BillingPeriodStartTest, StartsOnTheDayClampedIntoEachMonth) {
    const auto start = [](int day, const Moment& today) {
        return MomentText(BillingPeriodStart(day, today));
    };
    EXPECT_EQ(start(21, {2024, 3, 5, 10, 0, 0}), "2024-02-21 00:00:00");
    EXPECT_EQ(start(21, {2024, 3, 21, 8, 30, 0}), "2024-03-21 00:00:00");
    EXPECT_EQ(start(21, {2024, 1, 5, 0, 0, 0}), "2023-12-21 00:00:00");
    EXPECT_EQ(start(31, {2023, 2, 27, 0, 0, 0}), "2023-01-31 00:00:00");
    EXPECT_EQ(start(31, {2023, 2, 28, 0, 0, 0}), "2023-02-28 00:00:00");
    EXPECT_EQ(start(31, {2024, 3, 30, 0, 0, 0}), "2024-02-29 00:00:00");
    EXPECT_EQ(start(31, {2023, 3, 30, 0, 0, 0}), "2023-02-28 00:00:00");
    EXPECT_EQ(start(0, {2024, 3, 5, 0, 0, 0}), "2024-03-01 00:00:00");
}

}  // namespace
}  // namespace vornik
