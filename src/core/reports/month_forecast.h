// Where the current billing month is heading: its time, traffic and fee at the
// pace of the days gone by, when each monthly limit that is set will be reached,
// and how much a day may still take to stay under it. Weekdays and weekend days
// keep a pace of their own, as many users spend their weekends online.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/moment.h"
#include "base/number_text.h"
#include "metering/limits.h"
#include "metering/time_rules.h"
#include "reports/usage_totals.h"

namespace vornik {

struct ForecastInput {
    BillingMonth name;
    Period month;  // the bounds of the current billing month
    Moment now;
    std::vector<DayUsage> days;  // its recorded calls by day (LoadMonthDays)
};

struct LimitForecast {
    LimitKind kind = LimitKind::kMonthlyTime;
    double limit = 0;  // seconds for time, bytes for traffic
    bool passed = false;
    // The day the limit was passed, or the day the pace reaches it; nothing when
    // the month ends first.
    std::optional<Moment> reachedOn;
    // Seconds or bytes each remaining day (today included) may take to stay under
    // the limit; 0 once it is passed.
    double allowancePerDay = 0;
};

struct MonthForecast {
    BillingMonth month;
    std::int64_t seconds = 0;  // recorded so far
    std::int64_t bytes = 0;
    double fee = 0;
    std::int64_t projectedSeconds = 0;
    std::int64_t projectedBytes = 0;
    double projectedFee = 0;
    int remainingDays = 0;              // today included
    std::vector<LimitForecast> limits;  // monthly time, then monthly traffic, when set
};

MonthForecast ForecastMonth(const TimeRules& rules, const ForecastInput& input);

// The input for the billing month of `now`, read from the log.
ForecastInput LoadForecastInput(UsageTotalsReader& reader, const TimeRules& rules,
                                const std::string& entryName, const Moment& now);

// The limits the pace will pass within the month (not those already passed).
std::vector<LimitKind> LimitsAhead(const MonthForecast& forecast);

// "每月上网时限" or "每月流量上限".
std::string LimitName(LimitKind kind);

// One line under the history summary: "预计：本月用时 …，流量 … MB，费用 …元；每月上网时限
// 将于 12月24日 达到，每天用时不超过 … 可不超限".
std::string ForecastLine(const MonthForecast& forecast, const NumberFormat& number);
// The tray tooltip's line: "本月预计 …，…元" and the first limit the pace reaches.
std::string ForecastTipLine(const MonthForecast& forecast, const NumberFormat& number);
// The notice when the pace first reaches a limit in a month.
std::string ForecastNotice(const MonthForecast& forecast, LimitKind kind);

}  // namespace vornik
