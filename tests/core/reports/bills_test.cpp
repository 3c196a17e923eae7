#include "reports/bills.h"

#include <gtest/gtest.h>

#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

constexpr std::int64_t kMegabyte = 1024 * 1024;

// Two billed months (first fee day 21): April with 600 minutes and 100 MB billed
// 60 yuan, May with 1200 minutes and 500 MB billed 118. The bills follow the
// minutes (least squares: 177600 / 1800000 yuan a minute), not the megabytes.
TEST(BillsTest, LearnsHowTheBillsFollowTheRecordedMinutesAndNeverTouchesTheFees) {
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    const auto addCall = [&db](const char* begin, const char* end, double fee, std::int64_t bytes) {
        ASSERT_TRUE(
            db.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, BytesIn, fee)"
                          " VALUES (?, ?, 'ADSL', ?, ?)",
                          {begin, end, bytes, fee}));
    };
    addCall("2006-04-01 08:00:00", "2006-04-01 18:00:00", 55, 100 * kMegabyte);
    addCall("2006-05-01 08:00:00", "2006-05-01 20:00:00", 66, 200 * kMegabyte);
    addCall("2006-05-02 08:00:00", "2006-05-02 16:00:00", 44, 300 * kMegabyte);
    BillBook bills(db);
    UsageTotalsReader reader(db);
    ASSERT_TRUE(bills.Save({{2006, 5}, 50}));
    ASSERT_TRUE(bills.Save({{2006, 5}, 118}));  // corrected: one bill a month
    EXPECT_FALSE(LearnBillCorrection(bills.Compare(reader, 21, "ADSL")));
    ASSERT_TRUE(bills.Save({{2006, 4}, 60}));

    const std::vector<BilledMonth> months = bills.Compare(reader, 21, "ADSL");
    ASSERT_EQ(months.size(), 2U);
    EXPECT_EQ(BillLine(months[1].bill.amount, months[1].recorded, std::nullopt, PlainNumber),
              "账单 118.00元，本程序记录 110.00元，相差 +8.00元");
    const std::optional<BillCorrection> correction = LearnBillCorrection(months);
    ASSERT_TRUE(correction);
    EXPECT_EQ(correction->basis, BillCorrection::Basis::kMinutes);
    EXPECT_NEAR(correction->yuanPerUnit, 177600.0 / 1800000.0, 1e-12);
    const UsageSums june{900 * 60, 70, 0};
    EXPECT_EQ(BillLine(std::nullopt, june, correction, PlainNumber), "按账单校正约 88.80元");
    EXPECT_EQ(db.QueryValue("SELECT sum(fee) FROM diallog")->Number(), 165);
}

}  // namespace
}  // namespace vornik
