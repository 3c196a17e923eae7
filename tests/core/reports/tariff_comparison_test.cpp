#include "reports/tariff_comparison.h"

#include <gtest/gtest.h>

#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

// Calls charged under Jishi at 3 an hour; the billing month begins on the 21st.
// The call of 18 April lies before the stretch compared (May and June) but
// still decides the Baoyue period's first call.
TEST(TariffComparisonTest, AMonthUnderJishiIsPricedAgainUnderEachTariff) {
    testing::TempFolder folder;
    const ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(db.IsOpen());
    struct Call {
        const char* entry;
        Moment begin;
        int seconds;
        double fee;
    };
    for (const Call& call : {Call{"ADSL", {2006, 4, 18, 10, 0, 0}, 600, 0.5},
                             Call{"ADSL", {2006, 4, 25, 10, 0, 0}, 3600, 3.0},
                             Call{"ADSL", {2006, 5, 2, 20, 0, 0}, 1800, 1.5},
                             Call{"GPRS", {2006, 5, 3, 20, 0, 0}, 3600, 3.0},
                             Call{"ADSL", {2006, 5, 15, 9, 0, 0}, 5400, 4.5},
                             Call{"ADSL", {2006, 5, 18, 8, 0, 0}, 600, 0.5}}) {
        ASSERT_TRUE(db.ExecuteSql(
            "INSERT INTO diallog (entryName, beginTime, endTime, fee) VALUES (?, ?, ?, ?)",
            {call.entry, MomentText(call.begin), MomentText(AddSeconds(call.begin, call.seconds)),
             call.fee}));
    }
    TimeRules jishi;
    jishi.firstFeeDay = 21;
    jishi.feeType = static_cast<std::int16_t>(FeeType::kJishi);
    jishi.jishiFee = 3;
    // 5 for two hours, then 2 an hour: the first call takes the flat fee, and
    // only the last call begins with the two hours used up (a call's own time
    // never counts against the bundle while it runs).
    TimeRules baoshi = jishi;
    baoshi.feeType = static_cast<std::int16_t>(FeeType::kBaoshi);
    baoshi.baoshiFee = 5;
    baoshi.baoshiTime = 2;
    baoshi.baoshiTimeOutFee = 2;
    // 20 a month from the 1st: the billing month holds the first call of May.
    TimeRules baoyue = jishi;
    baoyue.feeType = static_cast<std::int16_t>(FeeType::kBaoyue);
    baoyue.baoyueFee = 20;
    baoyue.baoyueBeginTime = 1;
    struct Case {
        const TimeRules& rules;
        double compared;
    } const cases[] = {{jishi, 9.5}, {baoshi, 5 + 2.0 / 6}, {baoyue, 20}};
    for (const Case& c : cases) {
        const TariffComparison comparison =
            CompareTariff(db, "ADSL", {2006, 5}, {2006, 6}, 21, c.rules);
        SCOPED_TRACE(c.rules.feeType);
        ASSERT_EQ(comparison.months.size(), 2u);
        EXPECT_EQ(comparison.months[0].month, (BillingMonth{2006, 5}));
        EXPECT_EQ(comparison.months[0].cost.calls, 4);
        EXPECT_NEAR(comparison.months[0].cost.recorded, 9.5, 1e-9);
        EXPECT_NEAR(comparison.months[0].cost.compared, c.compared, 1e-9);
        EXPECT_EQ(comparison.months[1].cost.calls, 0);
        EXPECT_EQ(comparison.total.calls, 4);
        EXPECT_NEAR(comparison.total.Difference(), c.compared - 9.5, 1e-9);
    }
}

}  // namespace
}  // namespace vornik
