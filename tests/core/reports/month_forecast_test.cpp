#include "reports/month_forecast.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornik {
namespace {

constexpr std::int64_t kMegabyte = 1024 * 1024;

// November 2026 (the billing month December with the fee day 1): the 1st, 7th
// and 8th are weekend days; from the 11th, a Wednesday, 14 weekdays and 6 weekend
// days remain.
const Period kNovember{{2026, 11, 1, 0, 0, 0}, {2026, 11, 30, 23, 59, 59}};

struct ExpectedLimit {
    LimitKind kind;
    bool passed;
    std::string reachedOn;  // "" when not within the month
    double allowancePerDay;
};

struct Case {
    std::string name;
    TimeRules rules;
    Moment now;
    std::vector<DayUsage> days;
    std::int64_t projectedSeconds;
    std::int64_t projectedBytes;
    double projectedFee;
    std::vector<ExpectedLimit> limits;
};

DayUsage Use(std::int64_t seconds, double fee, std::int64_t bytes = 0) {
    return {11, 1, 1, seconds, fee, bytes, 0};
}

// Days 1 to `last` of November, each with the usage of its kind of day.
std::vector<DayUsage> November(int last, const DayUsage& weekday, const DayUsage& weekend) {
    std::vector<DayUsage> days;
    for (int day = 1; day <= last; ++day) {
        DayUsage usage = IsWeekend({2026, 11, day, 0, 0, 0}) ? weekend : weekday;
        usage.month = 11;
        usage.day = day;
        days.push_back(usage);
    }
    return days;
}

TimeRules Jishi(double perHour) {
    TimeRules rules;
    rules.feeType = static_cast<std::int16_t>(FeeType::kJishi);
    rules.jishiFee = perHour;
    return rules;
}

TimeRules WithLimits(TimeRules rules, double hours, double megabytes) {
    rules.monthlyMaxTimeOn = hours > 0 ? 1 : 0;
    rules.monthlyMaxTime = hours;
    rules.monthlyMaxVolumeOn = megabytes > 0 ? 1 : 0;
    rules.monthlyMaxVolume = megabytes;
    return rules;
}

TimeRules Bundle() {
    TimeRules rules;
    rules.feeType = static_cast<std::int16_t>(FeeType::kBaoshi);
    rules.baoshiFee = 50;
    rules.baoshiTime = 20;
    rules.baoshiTimeOutFee = 6;
    return rules;
}

TimeRules FlatMonth() {
    TimeRules rules;
    rules.feeType = static_cast<std::int16_t>(FeeType::kBaoyue);
    rules.baoyueFee = 100;
    rules.phoneFee = 1.2;
    return rules;
}

std::vector<Case> Cases() {
    const Moment wednesday{2026, 11, 11, 0, 0, 0};
    const DayUsage hourAnd100MB = Use(3600, 6, 100 * kMegabyte);
    // The bundle's fee came with the first call; its hours are not used up yet.
    std::vector<DayUsage> bundleDays =
        November(10, Use(3600, 0, 100 * kMegabyte), Use(3600, 0, 100 * kMegabyte));
    bundleDays[0].fee = 50;
    return {
        {"steady pace: reaches 20 hours on the 20th, never 5000 MB",
         WithLimits(Jishi(6), 20, 5000),
         wednesday,
         November(10, hourAnd100MB, hourAnd100MB),
         30 * 3600,
         3000 * kMegabyte,
         60 + 20 * 60 * 0.1,
         {{LimitKind::kMonthlyTime, false, "2026-11-20", 1800},
          {LimitKind::kMonthlyVolume, false, "", 200.0 * kMegabyte}}},
        {"weekend-heavy pace: the weekends bring 40 hours on the 28th",
         WithLimits(Jishi(6), 40, 0),
         wednesday,
         November(10, Use(1800, 3), Use(14400, 24)),
         55800 + 14 * 1800 + 6 * 14400,
         0,
         93 + 111600 / 60 * 0.1,
         {{LimitKind::kMonthlyTime, false, "2026-11-28", (144000 - 55800) / 20.0}}},
        {"limits passed: time at equality on the 5th, traffic past 500 MB on the 6th",
         WithLimits(Bundle(), 5, 500),
         wednesday,
         bundleDays,
         30 * 3600,
         3000 * kMegabyte,
         // The bundle's 10 hours left cost nothing more, then 6 yuan an hour.
         50 + 10 * 6,
         {{LimitKind::kMonthlyTime, true, "2026-11-05", 0},
          {LimitKind::kMonthlyVolume, true, "2026-11-06", 0}}},
        {"no limit set, half of today gone, weekends unused: weekdays carry the month",
         FlatMonth(),
         {2026, 11, 11, 12, 0, 0},
         {{11, 2, 1, 7200, 102.4, 0, 0}},
         // 960 seconds per weekday: half of today and 13 weekdays more.
         7200 + 480 + 13 * 960,
         0,
         102.4 + 12960 / 60.0 * 0.02,
         {}},
    };
}

TEST(MonthForecastTest, ProjectsTheMonthAndItsLimitsFromThePaceOfWeekdaysAndWeekends) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const MonthForecast forecast =
            ForecastMonth(c.rules, {{2026, 12}, kNovember, c.now, c.days});
        EXPECT_EQ(forecast.projectedSeconds, c.projectedSeconds);
        EXPECT_EQ(forecast.projectedBytes, c.projectedBytes);
        EXPECT_NEAR(forecast.projectedFee, c.projectedFee, 1e-6);
        EXPECT_EQ(forecast.remainingDays, 20);
        ASSERT_EQ(forecast.limits.size(), c.limits.size());
        for (std::size_t i = 0; i < c.limits.size(); ++i) {
            const LimitForecast& got = forecast.limits[i];
            EXPECT_EQ(got.kind, c.limits[i].kind);
            EXPECT_EQ(got.passed, c.limits[i].passed);
            EXPECT_EQ(got.reachedOn ? DateText(*got.reachedOn) : "", c.limits[i].reachedOn);
            EXPECT_NEAR(got.allowancePerDay, c.limits[i].allowancePerDay, 1e-6);
        }
    }
}

}  // namespace
}  // namespace vornik
