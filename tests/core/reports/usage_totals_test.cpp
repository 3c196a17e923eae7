#include "reports/usage_totals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::TempFolder;

Moment Day(int year, int month, int day) {
    return Moment{year, month, day, 0, 0, 0};
}

std::string PeriodText(const Period& period) {
    return MomentText(period.start) + " .. " + MomentText(period.end);
}

TEST(BillingMonthTest, DayBeforeTheFeeDayBelongsToItsOwnMonthOtherwiseToTheNext) {
    EXPECT_EQ(BillingMonthOf(Day(2006, 5, 20), 21), (BillingMonth{2006, 5}));
    EXPECT_EQ(BillingMonthOf(Day(2006, 5, 21), 21), (BillingMonth{2006, 6}));
    EXPECT_EQ(BillingMonthOf(Day(2006, 12, 21), 21), (BillingMonth{2007, 1}));
    EXPECT_EQ(BillingMonthOf(Day(2006, 12, 1), 1), (BillingMonth{2007, 1}));
    EXPECT_EQ(BillingMonthOf(Day(2006, 1, 31), 28), (BillingMonth{2006, 2}));
}

TEST(BillingMonthTest, BoundsRunFromTheFeeDayOfTheMonthBeforeToTheDayBeforeItsFeeDay) {
    EXPECT_EQ(PeriodText(BillingMonthBounds({2006, 6}, 21)),
              "2006-05-21 00:00:00 .. 2006-06-20 23:59:59");
    EXPECT_EQ(PeriodText(BillingMonthBounds({2006, 12}, 21)),
              "2006-11-21 00:00:00 .. 2006-12-20 23:59:59");
    EXPECT_EQ(PeriodText(BillingMonthBounds({2007, 1}, 21)),
              "2006-12-21 00:00:00 .. 2007-01-20 23:59:59");
    // With the first as fee day a billing month is the calendar month before.
    EXPECT_EQ(PeriodText(BillingMonthBounds({2006, 6}, 1)),
              "2006-05-01 00:00:00 .. 2006-05-31 23:59:59");
    EXPECT_EQ(PeriodText(BillingMonthBounds({2007, 1}, 1)),
              "2006-12-01 00:00:00 .. 2006-12-31 23:59:59");
    EXPECT_EQ(PeriodText(BillingMonthBounds({2008, 3}, 1)),
              "2008-02-01 00:00:00 .. 2008-02-29 23:59:59");
    EXPECT_EQ(PeriodText(DayBounds(Moment{2006, 5, 21, 13, 45, 10})),
              "2006-05-21 00:00:00 .. 2006-05-21 23:59:59");
}

class UsageTotalsTest : public ::testing::Test {
  protected:
    void AddCall(const std::string& entry, const std::string& begin, const std::string& end,
                 double fee = 0, std::int64_t bytesIn = 0, std::int64_t bytesOut = 0) {
        ASSERT_TRUE(db_.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, "
            "BytesOut, fee) VALUES (?, ?, ?, 'PPPoE', '10.0.0.7', ?, ?, ?)",
            {begin, end, entry, bytesIn, bytesOut, fee}));
    }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    UsageTotalsReader reader_{db_};
};

// A call across the billing bound counts for neither month, but a day counts
// every call begun on it, so a call across midnight is never in no day at all.
TEST_F(UsageTotalsTest, ACallAcrossABoundCountsForNeitherMonthAndForTheDayItBegan) {
    AddCall("adsl", "2006-05-20 23:50:00", "2006-05-21 00:10:00", 1.0, 100, 10);
    AddCall("adsl", "2006-05-20 08:00:00", "2006-05-20 08:00:30", 0.5, 200, 20);
    AddCall("adsl", "2006-05-21 08:00:00", "2006-05-21 08:01:00", 0.25, 400, 40);

    const auto may = reader_.Sum(BillingMonthBounds({2006, 5}, 21), "adsl");
    const auto june = reader_.Sum(BillingMonthBounds({2006, 6}, 21), "adsl");
    ASSERT_TRUE(may && june);
    EXPECT_EQ(may->seconds, 30);
    EXPECT_DOUBLE_EQ(may->fee, 0.5);
    EXPECT_EQ(may->bytes, 220);
    EXPECT_EQ(june->seconds, 60);
    EXPECT_EQ(june->bytes, 440);
    UsageTotals day;
    reader_.LoadTodayTotals(Day(2006, 5, 20), "adsl", day);
    EXPECT_EQ(day.todaySeconds, 30 + 1200);
    EXPECT_DOUBLE_EQ(day.todayFee, 1.5);
    reader_.LoadTodayTotals(Day(2006, 5, 21), "adsl", day);
    EXPECT_EQ(day.todaySeconds, 60);

    const std::vector<CallRecord> calls = reader_.LoadMonthRows({2006, 6}, 21, "adsl");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].beginTime, "2006-05-21 08:00:00");

    // Another entry's month is empty: no calls, no days, totals of 0.
    EXPECT_TRUE(reader_.LoadMonthRows({2006, 6}, 21, "gprs").empty());
    EXPECT_TRUE(reader_.LoadMonthDays({2006, 6}, 21, "gprs").empty());
    UsageTotals totals{11, 1.5, 12, 13, 2.5, 14, 15, 16};
    reader_.LoadMonthTotals(true, {2006, 6}, 21, "gprs", Day(2006, 6, 5), totals);
    EXPECT_EQ(totals.billingMonthSeconds, 0);
    EXPECT_EQ(totals.shownMonthFee, 0);
}

TEST_F(UsageTotalsTest, MonthRowsAreTheEntrysCallsOldestFirst) {
    AddCall("adsl", "2006-06-02 09:00:00", "2006-06-02 09:10:00", 0.3, 5'000'000'123, 7);
    AddCall("gprs", "2006-06-01 09:00:00", "2006-06-01 09:10:00");
    AddCall("adsl", "2006-05-21 00:00:00", "2006-05-21 00:00:01", 0.1);
    AddCall("adsl", "2006-06-20 23:59:00", "2006-06-20 23:59:59");
    AddCall("adsl", "2006-06-20 23:59:30", "2006-06-21 00:00:00");  // ends after the month

    const std::vector<CallRecord> calls = reader_.LoadMonthRows({2006, 6}, 21, "adsl");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].beginTime, "2006-05-21 00:00:00");
    EXPECT_EQ(calls[1].beginTime, "2006-06-02 09:00:00");
    EXPECT_EQ(calls[2].endTime, "2006-06-20 23:59:59");
    const CallRecord& full = calls[1];
    EXPECT_EQ(full.endTime, "2006-06-02 09:10:00");
    EXPECT_EQ(full.Seconds(), 600);
    EXPECT_EQ(full.entryName, "adsl");
    EXPECT_EQ(full.deviceType, "PPPoE");
    EXPECT_EQ(full.ipAddress, "10.0.0.7");
    EXPECT_EQ(full.bytesIn, 5'000'000'123);
    EXPECT_EQ(full.bytesOut, 7);
    EXPECT_DOUBLE_EQ(full.fee, 0.3);
}

TEST_F(UsageTotalsTest, DaysAcrossTheYearEndListJanuaryBeforeDecember) {
    AddCall("adsl", "2006-12-22 10:00:00", "2006-12-22 10:00:01", 0.1, 10, 1);
    AddCall("adsl", "2006-12-22 23:59:30", "2006-12-23 00:00:45", 0.2, 20, 2);  // 75 s
    AddCall("adsl", "2006-12-31 22:00:00", "2006-12-31 22:59:59", 0.4, 40, 4);
    AddCall("adsl", "2007-01-03 08:00:00", "2007-01-03 08:00:10", 0.8, 80, 8);
    AddCall("gprs", "2007-01-03 09:00:00", "2007-01-03 09:00:10", 9.0, 900, 90);

    const std::vector<DayUsage> days = reader_.LoadMonthDays({2007, 1}, 21, "adsl");
    ASSERT_EQ(days.size(), 3u);
    // Month, day, calls, seconds, bytes received, bytes sent; the fee apart.
    auto counts = [](const DayUsage& day) {
        return std::vector<std::int64_t>{day.month,   day.day,     day.calls,
                                         day.seconds, day.bytesIn, day.bytesOut};
    };
    EXPECT_EQ(counts(days[0]), (std::vector<std::int64_t>{1, 3, 1, 10, 80, 8}));
    EXPECT_EQ(counts(days[1]), (std::vector<std::int64_t>{12, 22, 2, 76, 30, 3}));
    EXPECT_EQ(counts(days[2]), (std::vector<std::int64_t>{12, 31, 1, 3599, 40, 4}));
    EXPECT_NEAR(days[0].fee, 0.8, 1e-12);
    EXPECT_NEAR(days[1].fee, 0.3, 1e-12);

    const auto month = reader_.Sum(BillingMonthBounds({2007, 1}, 21), "adsl");
    ASSERT_TRUE(month);
    EXPECT_EQ(month->seconds, 1 + 75 + 3599 + 10);
    EXPECT_NEAR(month->fee, 1.5, 1e-12);
    EXPECT_EQ(month->bytes, 165);
}

TEST_F(UsageTotalsTest, CurrentMonthFillsTheShownFieldsOnlyWhenItIsTheShownMonth) {
    AddCall("adsl", "2006-05-10 09:00:00", "2006-05-10 09:01:00", 0.5, 100, 1);  // May
    AddCall("adsl", "2006-06-05 09:00:00", "2006-06-05 09:02:00", 1.0, 200, 2);  // June
    AddCall("adsl", "2006-06-04 09:00:00", "2006-06-04 09:04:00", 2.0, 400, 4);  // June
    const Moment today{2006, 6, 5, 12, 0, 0};
    const UsageTotals untouched{1, 1.25, 2, 3, 3.25, 4, 5, 6};

    UsageTotals current = untouched;
    reader_.LoadMonthTotals(true, {2006, 6}, 21, "adsl", today, current);
    EXPECT_EQ(current.billingMonthSeconds, 360);
    EXPECT_EQ(current.billingMonthBytes, 606);
    EXPECT_EQ(current.shownMonthSeconds, 360);
    EXPECT_DOUBLE_EQ(current.shownMonthFee, 3.0);
    EXPECT_EQ(current.shownMonthBytes, 606);

    UsageTotals currentOtherShown = untouched;
    reader_.LoadMonthTotals(true, {2006, 5}, 21, "adsl", today, currentOtherShown);
    EXPECT_EQ(currentOtherShown.billingMonthSeconds, 360);
    EXPECT_EQ(currentOtherShown.shownMonthSeconds, untouched.shownMonthSeconds);
    EXPECT_EQ(currentOtherShown.shownMonthFee, untouched.shownMonthFee);
    EXPECT_EQ(currentOtherShown.shownMonthBytes, untouched.shownMonthBytes);

    UsageTotals shown = untouched;
    reader_.LoadMonthTotals(false, {2006, 5}, 21, "adsl", today, shown);
    EXPECT_EQ(shown.shownMonthSeconds, 60);
    EXPECT_DOUBLE_EQ(shown.shownMonthFee, 0.5);
    EXPECT_EQ(shown.shownMonthBytes, 101);
    EXPECT_EQ(shown.billingMonthSeconds, untouched.billingMonthSeconds);
    EXPECT_EQ(shown.billingMonthBytes, untouched.billingMonthBytes);

    UsageTotals day = untouched;
    reader_.LoadTodayTotals(today, "adsl", day);
    EXPECT_EQ(day.todaySeconds, 120);
    EXPECT_DOUBLE_EQ(day.todayFee, 1.0);
    EXPECT_EQ(day.todayBytes, 202);
    EXPECT_EQ(day.shownMonthSeconds, untouched.shownMonthSeconds);
}

TEST(UsageTotalsFailure, FailedQueryLeavesTheTotalsAsTheyWere) {
    TempFolder folder;
    testing::WriteFile(folder / "db", "not a folder");
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    UsageTotalsReader reader(db);
    const UsageTotals before{1, 1.25, 2, 3, 3.25, 4, 5, 6};
    UsageTotals totals = before;

    EXPECT_FALSE(reader.Sum(DayBounds(Day(2006, 6, 5)), "adsl"));
    reader.LoadMonthTotals(true, {2006, 6}, 21, "adsl", Day(2006, 6, 5), totals);
    reader.LoadTodayTotals(Day(2006, 6, 5), "adsl", totals);

    EXPECT_EQ(totals.todaySeconds, before.todaySeconds);
    EXPECT_EQ(totals.todayFee, before.todayFee);
    EXPECT_EQ(totals.shownMonthSeconds, before.shownMonthSeconds);
    EXPECT_EQ(totals.billingMonthSeconds, before.billingMonthSeconds);
    EXPECT_EQ(totals.billingMonthBytes, before.billingMonthBytes);
}

}  // namespace
}  // namespace vornik
