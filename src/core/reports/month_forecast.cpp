#include "reports/month_forecast.h"

#include <algorithm>
#include <cmath>

#include "base/format_duration.h"
#include "metering/pricing.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

constexpr double kSecondsPerDay = 86400;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

struct Usage {
    double seconds = 0;
    double bytes = 0;
    double days = 0;  // elapsed, today by the part of it gone by
};

struct Pace {
    Usage weekday;
    Usage weekend;
    Usage all;

    // Per day of the kind of `day`. A kind with less than one whole day behind it
    // (a month begun on a Monday has no weekend yet) takes the pace of all days,
    // and that too counts at least one day, so a few minutes after midnight of
    // the first day do not become a whole day's rate.
    Usage PerDay(const Moment& day) const {
        const Usage& kind = IsWeekend(day) ? weekend : weekday;
        const Usage& basis = kind.days >= 1 ? kind : all;
        const double days = std::max(basis.days, 1.0);
        return {basis.seconds / days, basis.bytes / days, 1};
    }
};

double PartOfDayGone(const Moment& now) {
    return SecondsBetween(StartOfDay(now), now) / kSecondsPerDay;
}

// Today counts as elapsed by the part of it that has gone by, and its calls count
// in full: the pace is then neither inflated in the morning nor diluted at night
// by a whole day not yet lived.
Pace PaceOf(const ForecastInput& input) {
    Pace pace;
    const Moment today = StartOfDay(input.now);
    for (Moment day = StartOfDay(input.month.start); day < today; day = AddDays(day, 1)) {
        (IsWeekend(day) ? pace.weekend : pace.weekday).days += 1;
    }
    (IsWeekend(today) ? pace.weekend : pace.weekday).days += PartOfDayGone(input.now);
    for (const DayUsage& usage : input.days) {
        Usage& kind = IsWeekend(DateOfDay(input.month, usage)) ? pace.weekend : pace.weekday;
        kind.seconds += static_cast<double>(usage.seconds);
        kind.bytes += static_cast<double>(usage.bytesIn + usage.bytesOut);
    }
    pace.all = {pace.weekday.seconds + pace.weekend.seconds,
                pace.weekday.bytes + pace.weekend.bytes, pace.weekday.days + pace.weekend.days};
    return pace;
}

// What each day still to come adds, today's rest first.
std::vector<std::pair<Moment, Usage>> DaysAhead(const ForecastInput& input, const Pace& pace) {
    std::vector<std::pair<Moment, Usage>> ahead;
    const Moment today = StartOfDay(input.now);
    const Moment last = StartOfDay(input.month.end);
    for (Moment day = today; day <= last; day = AddDays(day, 1)) {
        Usage usage = pace.PerDay(day);
        const double share = day == today ? 1 - PartOfDayGone(input.now) : 1;
        ahead.push_back({day, {usage.seconds * share, usage.bytes * share, share}});
    }
    return ahead;
}

double Measure(LimitKind kind, const Usage& usage) {
    return kind == LimitKind::kMonthlyTime ? usage.seconds : usage.bytes;
}

// Time limits are reached at equality, traffic only when exceeded, as the
// limit check counts them.
bool Reached(LimitKind kind, double limit, double used) {
    if (kind == LimitKind::kMonthlyTime) {
        return limit <= used;
    }
    return static_cast<float>(used / kBytesPerMegabyte) >
           static_cast<float>(limit / kBytesPerMegabyte);
}

std::optional<Moment> DayPassed(LimitKind kind, double limit, const ForecastInput& input) {
    std::vector<std::pair<Moment, Usage>> recorded;
    for (const DayUsage& usage : input.days) {
        recorded.push_back({DateOfDay(input.month, usage),
                            {static_cast<double>(usage.seconds),
                             static_cast<double>(usage.bytesIn + usage.bytesOut), 1}});
    }
    std::sort(recorded.begin(), recorded.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    double used = 0;
    for (const auto& [day, usage] : recorded) {
        used += Measure(kind, usage);
        if (Reached(kind, limit, used)) {
            return day;
        }
    }
    return std::nullopt;
}

LimitForecast ForecastLimit(LimitKind kind, double limit, const ForecastInput& input,
                            const Usage& soFar,
                            const std::vector<std::pair<Moment, Usage>>& ahead) {
    LimitForecast forecast;
    forecast.kind = kind;
    forecast.limit = limit;
    double used = Measure(kind, soFar);
    if (Reached(kind, limit, used)) {
        forecast.passed = true;
        forecast.reachedOn = DayPassed(kind, limit, input).value_or(StartOfDay(input.now));
        return forecast;
    }
    forecast.allowancePerDay =
        (limit - used) / static_cast<double>(std::max<std::size_t>(ahead.size(), 1));
    for (const auto& [day, usage] : ahead) {
        used += Measure(kind, usage);
        if (Reached(kind, limit, used)) {
            forecast.reachedOn = day;
            break;
        }
    }
    return forecast;
}

// The time-priced tariffs charge the rest of the month at the rate of a minute
// now, so the estimate follows the discount window, weekend or holiday of this
// moment rather than of each future minute; the bundle tariff's rate changes
// where the bundle runs out, so its remaining minutes are priced on either side
// of that point. A tariff the pricing does not know is carried on at its average
// fee per elapsed day.
double ProjectedFee(const TimeRules& rules, const ForecastInput& input, const Usage& soFar,
                    double feeSoFar, double secondsAhead, double daysAhead) {
    const auto rateAt = [&](double monthSeconds) {
        return MinuteFee(rules, static_cast<std::int64_t>(monthSeconds), input.now);
    };
    const std::optional<double> rateNow = rateAt(soFar.seconds);
    if (!rateNow) {
        return feeSoFar + feeSoFar / std::max(soFar.days, 1.0) * daysAhead;
    }
    double withinBundle = secondsAhead;
    if (static_cast<FeeType>(rules.feeType) == FeeType::kBaoshi) {
        withinBundle = std::clamp(rules.baoshiTime * 3600 - soFar.seconds, 0.0, secondsAhead);
    }
    const double beyond = secondsAhead - withinBundle;
    double fee = feeSoFar + withinBundle / 60 * *rateNow;
    if (beyond > 0) {
        fee += beyond / 60 * rateAt(soFar.seconds + withinBundle).value_or(*rateNow);
    }
    return fee;
}

std::string DayText(const Moment& day) {
    return std::to_string(day.month) + "月" + std::to_string(day.day) + "日";
}

std::string Megabytes(double bytes, const NumberFormat& number) {
    return number(bytes / kBytesPerMegabyte, 2) + " MB";
}

std::string Amount(LimitKind kind, double value, const NumberFormat& number) {
    return kind == LimitKind::kMonthlyTime
               ? FormatDuration(static_cast<std::int64_t>(std::floor(value)))
               : Megabytes(value, number);
}

std::string LimitOutlook(const LimitForecast& limit, const NumberFormat& number) {
    const std::string name = LimitName(limit.kind);
    if (limit.passed) {
        return name + "已于 " + DayText(*limit.reachedOn) + " 达到";
    }
    const std::string allowance =
        (limit.kind == LimitKind::kMonthlyTime ? "每天用时不超过 " : "每天流量不超过 ") +
        Amount(limit.kind, limit.allowancePerDay, number) + " 可不超限";
    if (limit.reachedOn) {
        return name + "将于 " + DayText(*limit.reachedOn) + " 达到，" + allowance;
    }
    return name + "本月不会达到";
}

}  // namespace

MonthForecast ForecastMonth(const TimeRules& rules, const ForecastInput& input) {
    const Pace pace = PaceOf(input);
    MonthForecast forecast;
    forecast.month = input.name;
    forecast.seconds = static_cast<std::int64_t>(pace.all.seconds);
    forecast.bytes = static_cast<std::int64_t>(pace.all.bytes);
    for (const DayUsage& usage : input.days) {
        forecast.fee += usage.fee;
    }
    const auto ahead = DaysAhead(input, pace);
    forecast.remainingDays = static_cast<int>(ahead.size());
    Usage rest;
    for (const auto& [day, usage] : ahead) {
        rest.seconds += usage.seconds;
        rest.bytes += usage.bytes;
        rest.days += usage.days;
    }
    forecast.projectedSeconds =
        static_cast<std::int64_t>(std::llround(pace.all.seconds + rest.seconds));
    forecast.projectedBytes = static_cast<std::int64_t>(std::llround(pace.all.bytes + rest.bytes));
    forecast.projectedFee =
        ProjectedFee(rules, input, pace.all, forecast.fee, rest.seconds, rest.days);
    if (rules.monthlyMaxTimeOn == 1) {
        forecast.limits.push_back(ForecastLimit(
            LimitKind::kMonthlyTime, rules.monthlyMaxTime * 3600, input, pace.all, ahead));
    }
    if (rules.monthlyMaxVolumeOn == 1) {
        forecast.limits.push_back(ForecastLimit(LimitKind::kMonthlyVolume,
                                                rules.monthlyMaxVolume * kBytesPerMegabyte, input,
                                                pace.all, ahead));
    }
    return forecast;
}

ForecastInput LoadForecastInput(UsageTotalsReader& reader, const TimeRules& rules,
                                const std::string& entryName, const Moment& now) {
    const BillingMonth month = BillingMonthOf(now, rules.firstFeeDay);
    return {month, BillingMonthBounds(month, rules.firstFeeDay), now,
            reader.LoadMonthDays(month, rules.firstFeeDay, entryName)};
}

std::vector<LimitKind> LimitsAhead(const MonthForecast& forecast) {
    std::vector<LimitKind> ahead;
    for (const LimitForecast& limit : forecast.limits) {
        if (!limit.passed && limit.reachedOn) {
            ahead.push_back(limit.kind);
        }
    }
    return ahead;
}

std::string LimitName(LimitKind kind) {
    return kind == LimitKind::kMonthlyTime ? "每月上网时限" : "每月流量上限";
}

std::string ForecastLine(const MonthForecast& forecast, const NumberFormat& number) {
    std::string line = "预计：本月用时 " + FormatDuration(forecast.projectedSeconds) + "，流量 " +
                       Megabytes(static_cast<double>(forecast.projectedBytes), number) + "，费用 " +
                       number(forecast.projectedFee, 2) + "元";
    for (const LimitForecast& limit : forecast.limits) {
        line += "；" + LimitOutlook(limit, number);
    }
    return line;
}

std::string ForecastTipLine(const MonthForecast& forecast, const NumberFormat& number) {
    std::string line = "本月预计 " + FormatDuration(forecast.projectedSeconds) + "，" +
                       number(forecast.projectedFee, 2) + "元";
    for (const LimitForecast& limit : forecast.limits) {
        if (limit.passed) {
            return line + "，" + LimitName(limit.kind) + "已达到";
        }
        if (limit.reachedOn) {
            return line + "，" + LimitName(limit.kind) + "将于 " + DayText(*limit.reachedOn) +
                   " 达到";
        }
    }
    return line;
}

std::string ForecastNotice(const MonthForecast& forecast, LimitKind kind) {
    for (const LimitForecast& limit : forecast.limits) {
        if (limit.kind == kind && limit.reachedOn) {
            return "照目前的用量，" + LimitName(kind) + "将于 " + DayText(*limit.reachedOn) +
                   " 达到。";
        }
    }
    return {};
}

}  // namespace vornik
