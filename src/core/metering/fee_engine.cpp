#include "metering/fee_engine.h"

#include <algorithm>
#include <string_view>

#include "store/dbio.h"

namespace vornik {
namespace {

// The discount tables hold the rows of every entry, but only these count.
constexpr std::string_view kGlobalEntry = "global";

bool IsSet(std::int16_t flag) {
    return flag != 0;
}

double PerMinute(double perHour) {
    return perHour / 60;
}

// A factor read from a discount table: a null, blank or non-numeric value is no
// factor at all, so it never replaces the one already found.
std::optional<double> FactorOf(const Field& field) {
    if (field.IsNull() || field.Text().find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    return field.Number();
}

struct DiscountSwitches {
    bool timeWindow = false;
    bool weekend = false;
    double weekendDiscount = 1;
    bool holiday = false;
};

// Time window first (it replaces 1 whatever its size), then the weekend and the
// holiday can only lower the factor.
double DiscountFactor(FeeEngine& engine, const DiscountSwitches& switches, const Moment& now) {
    double factor = 1;
    if (switches.timeWindow) {
        factor = engine.TimeWindowFactor(now).value_or(factor);
    }
    if (switches.weekend && factor > switches.weekendDiscount) {
        factor = switches.weekendDiscount;
    }
    if (switches.holiday) {
        factor = std::min(factor, engine.HolidayFactor(now).value_or(factor));
    }
    return factor;
}

// The phone charge is never discounted; the hourly part is, and only when there
// is one (a free hour needs no look-ups).
double DiscountedMinuteFee(FeeEngine& engine, const TimeRules& rules, double hourlyFee,
                           const DiscountSwitches& switches, const Moment& now) {
    double rate = PerMinute(hourlyFee);
    if (rate > 0) {
        rate *= DiscountFactor(engine, switches, now);
    }
    return PerMinute(rules.phoneFee) + rate;
}

// Day `day` of the month of `inMonth`, at midnight, clamped into that month.
Moment DayOfMonthStart(int day, const Moment& inMonth) {
    Moment start = StartOfDay(inMonth);
    start.day = std::clamp(day, 1, DaysInMonth(start.year, start.month));
    return start;
}

bool HoldsToday(const Moment& firstDay, double totalDays, const Moment& now) {
    const std::int64_t daysSinceFirst = DaysBetween(firstDay, now);
    return daysSinceFirst >= 0 && static_cast<double>(daysSinceFirst) < totalDays;
}

void RoundUpToWholeMinute(std::int64_t partSeconds, CurrentCall& call) {
    call.callSeconds += 60 - partSeconds;
    if (const auto begin = ParseMoment(call.callBeginTime)) {
        call.callEndTime = MomentText(AddSeconds(*begin, call.callSeconds));
    }
}

}  // namespace

void FeeEngine::StartCallFee(const TimeRules& rules, const std::string& callEntryName,
                             const Moment& now, CallFee& fee) {
    fee.callFee = 0;
    const auto chargeFlatFeeToFirstCall = [&](int periodStartDay, double flatFee) {
        if (HasNoCallSince(callEntryName, BillingPeriodStart(periodStartDay, now))) {
            fee.callFee = flatFee;
        }
    };
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
            chargeFlatFeeToFirstCall(rules.firstFeeDay, rules.baoshiFee);
            break;
        case FeeType::kBaoyue:
            chargeFlatFeeToFirstCall(rules.baoyueBeginTime, rules.baoyueFee);
            break;
        case FeeType::kJishi:
            break;
    }
}

void FeeEngine::UpdateMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                                const Moment& now, CallFee& fee) {
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
            fee.minuteFee = BaoshiMinuteFee(rules, billingMonthSeconds, now);
            break;
        case FeeType::kJishi:
            fee.minuteFee = JishiMinuteFee(rules, now);
            break;
        case FeeType::kBaoyue:
            fee.minuteFee = BaoyueMinuteFee(rules);
            break;
    }
}

double FeeEngine::BaoshiMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                                  const Moment& now) {
    if (static_cast<double>(billingMonthSeconds) / 3600 < rules.baoshiTime) {
        return PerMinute(rules.phoneFee);
    }
    // Stored tariffs count on the weekend factor applying every day of the week.
    const DiscountSwitches switches{
        IsSet(rules.baoshiTimeDiscounted), IsSet(rules.baoshiWeekendDiscounted),
        rules.baoshiWeekendDiscount, IsSet(rules.baoshiHolidayDiscounted)};
    return DiscountedMinuteFee(*this, rules, rules.baoshiTimeOutFee, switches, now);
}

double FeeEngine::JishiMinuteFee(const TimeRules& rules, const Moment& now) {
    const DiscountSwitches switches{
        IsSet(rules.jishiTimeDiscounted), IsSet(rules.jishiWeekendDiscounted) && IsWeekend(now),
        rules.jishiWeekendDiscount, IsSet(rules.jishiHolidayDiscounted)};
    return DiscountedMinuteFee(*this, rules, rules.jishiFee, switches, now);
}

double FeeEngine::BaoyueMinuteFee(const TimeRules& rules) {
    return PerMinute(rules.phoneFee);
}

void FeeEngine::AddMinute(CallFee& fee) {
    fee.callFee += fee.minuteFee;
    fee.callMinutes += 1;
}

void FeeEngine::SettleCallFee(const TimeRules& rules, CurrentCall& call, CallFee& fee) {
    const std::int64_t partSeconds = call.callSeconds % 60;
    const std::int64_t wholeMinutes = call.callSeconds / 60;
    const double minuteFee = fee.minuteFee;
    const double phonePerMinute = PerMinute(rules.phoneFee);
    // Only more ticks than whole minutes mean a tick charged the part minute; a
    // tick that came late (fewer ticks) must not take a charged minute back.
    const bool partMinuteTicked = fee.callMinutes > wholeMinutes;
    const auto type = static_cast<FeeType>(rules.feeType);

    if (partSeconds >= 1 && type == FeeType::kBaoyue && !partMinuteTicked) {
        fee.callFee += minuteFee;
    }
    if (partSeconds >= 1 && (type == FeeType::kBaoshi || type == FeeType::kJishi)) {
        const bool minimumUnit =
            IsSet(type == FeeType::kBaoshi ? rules.baoshiMinFeeUnit : rules.jishiMinFeeUnit);
        // The phone charge is per started minute, the hourly part per second.
        const double partMinuteFee =
            (minuteFee - phonePerMinute) * static_cast<double>(partSeconds) / 60 + phonePerMinute;
        if (!partMinuteTicked) {
            fee.callFee += minimumUnit ? minuteFee : partMinuteFee;
        } else if (!minimumUnit) {
            fee.callFee = fee.callFee - minuteFee + partMinuteFee;
        }
        if (minimumUnit) {
            RoundUpToWholeMinute(partSeconds, call);
        }
    }
    fee.callMinutes = 0;
}

Moment FeeEngine::BillingPeriodStart(int day, const Moment& today) {
    const Moment thisMonth = DayOfMonthStart(day, today);
    if (today.day >= thisMonth.day) {
        return thisMonth;
    }
    return DayOfMonthStart(day, AddMonths(DayOfMonthStart(1, today), -1));
}

bool FeeEngine::HasNoCallSince(const std::string& entryName, const Moment& since) {
    return !db_.QueryValue("SELECT 1 FROM diallog WHERE entryName = ? AND beginTime > ? LIMIT 1",
                           {entryName, MomentText(since)});
}

std::optional<double> FeeEngine::TimeWindowFactor(const Moment& now) {
    const std::string timeOfDay = TimeOfDayText(now);
    const auto smallest = db_.QueryValue(
        "SELECT min(discount) FROM discounttime"
        " WHERE entryName = ? AND beginTime <= ? AND endTime > ?",
        {kGlobalEntry, timeOfDay, timeOfDay});
    return smallest ? FactorOf(*smallest) : std::nullopt;
}

std::optional<double> FeeEngine::HolidayFactor(const Moment& now) {
    // The text bound leaves the holidays begun by today; their length is checked
    // here, on the calendar, as the begin texts may or may not carry a time.
    const Rows begun = db_.QueryRows(
        "SELECT beginTime, totalDays, discount FROM holiday"
        " WHERE entryName = ? AND beginTime <= ?",
        {kGlobalEntry, DayEndText(now)});
    std::optional<double> smallest;
    for (const Row& holiday : begun) {
        const auto firstDay = ParseMoment(holiday[0].Text());
        const auto totalDays = holiday[1].IsNull() ? std::nullopt : holiday[1].Number();
        const auto factor = FactorOf(holiday[2]);
        if (firstDay && totalDays && factor && HoldsToday(*firstDay, *totalDays, now)) {
            smallest = std::min(*factor, smallest.value_or(*factor));
        }
    }
    return smallest;
}

}  // namespace vornik
