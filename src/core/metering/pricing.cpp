#include "metering/pricing.h"

#include <algorithm>

#include "base/saturating.h"

namespace vornik {
namespace {

bool IsSet(std::int16_t flag) {
    return flag != 0;
}

double PerMinute(double perHour) {
    return perHour / 60;
}

struct DiscountSwitches {
    bool timeWindow = false;
    bool weekend = false;
    double weekendDiscount = 1;
    bool holiday = false;
};

// Time window first (it replaces 1 whatever its size), then the weekend and the
// holiday can only lower the factor.
double DiscountFactor(const DiscountTables& tables, const DiscountSwitches& switches,
                      const Moment& now) {
    double factor = 1;
    if (switches.timeWindow) {
        factor = TimeWindowFactor(tables, now).value_or(factor);
    }
    if (switches.weekend && factor > switches.weekendDiscount) {
        factor = switches.weekendDiscount;
    }
    if (switches.holiday) {
        factor = std::min(factor, HolidayFactor(tables, now).value_or(factor));
    }
    return factor;
}

// The phone charge is never discounted; the hourly part is, and only when there
// is one.
double DiscountedMinuteFee(const TimeRules& rules, double hourlyFee,
                           const DiscountSwitches& switches, const Moment& now) {
    double rate = PerMinute(hourlyFee);
    if (rate > 0) {
        rate *= DiscountFactor(rules.discounts, switches, now);
    }
    return PerMinute(rules.phoneFee) + rate;
}

// Day `day` of the month of `inMonth`, at midnight, clamped into that month.
Moment DayOfMonthStart(int day, const Moment& inMonth) {
    Moment start = StartOfDay(inMonth);
    start.day = std::clamp(day, 1, DaysInMonth(start.year, start.month));
    return start;
}

void RoundUpToWholeMinute(std::int64_t partSeconds, CurrentCall& call) {
    call.callSeconds += 60 - partSeconds;
    if (const auto begin = ParseMoment(call.callBeginTime)) {
        call.callEndTime = MomentText(AddSeconds(*begin, call.callSeconds));
    }
}

template <typename Discount, typename Holds>
std::optional<double> SmallestFactor(const std::vector<Discount>& discounts, Holds holds) {
    std::optional<double> smallest;
    for (const Discount& discount : discounts) {
        if (holds(discount)) {
            smallest = std::min(discount.factor, smallest.value_or(discount.factor));
        }
    }
    return smallest;
}

}  // namespace

std::optional<double> MinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                                const Moment& now) {
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
            return BaoshiMinuteFee(rules, billingMonthSeconds, now);
        case FeeType::kJishi:
            return JishiMinuteFee(rules, now);
        case FeeType::kBaoyue:
        case FeeType::kLiuliang:
            return BaoyueMinuteFee(rules);
    }
    return std::nullopt;
}

double BaoshiMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                       const Moment& now) {
    if (static_cast<double>(billingMonthSeconds) / 3600 < rules.baoshiTime) {
        return PerMinute(rules.phoneFee);
    }
    // Stored tariffs count on the weekend factor applying every day of the week.
    const DiscountSwitches switches{
        IsSet(rules.baoshiTimeDiscounted), IsSet(rules.baoshiWeekendDiscounted),
        rules.baoshiWeekendDiscount, IsSet(rules.baoshiHolidayDiscounted)};
    return DiscountedMinuteFee(rules, rules.baoshiTimeOutFee, switches, now);
}

double JishiMinuteFee(const TimeRules& rules, const Moment& now) {
    const DiscountSwitches switches{
        IsSet(rules.jishiTimeDiscounted), IsSet(rules.jishiWeekendDiscounted) && IsWeekend(now),
        rules.jishiWeekendDiscount, IsSet(rules.jishiHolidayDiscounted)};
    return DiscountedMinuteFee(rules, rules.jishiFee, switches, now);
}

double BaoyueMinuteFee(const TimeRules& rules) {
    return PerMinute(rules.phoneFee);
}

// A window holds from its begin up to, not including, its end; one whose end
// lies before its begin (across midnight) never holds.
std::optional<double> TimeWindowFactor(const DiscountTables& tables, const Moment& now) {
    const int second = now.hour * 3600 + now.minute * 60 + now.second;
    return SmallestFactor(tables.windows, [second](const DiscountWindow& window) {
        return window.beginSecond <= second && second < window.endSecond;
    });
}

// A holiday holds from its first day (whatever time is stored with it) for its
// number of days.
std::optional<double> HolidayFactor(const DiscountTables& tables, const Moment& now) {
    return SmallestFactor(tables.holidays, [&now](const HolidayDiscount& holiday) {
        const std::int64_t daysSinceFirst = DaysBetween(holiday.firstDay, now);
        return daysSinceFirst >= 0 && static_cast<double>(daysSinceFirst) < holiday.totalDays;
    });
}

void AddMinute(CallFee& fee) {
    fee.callFee += fee.minuteFee;
    fee.callMinutes += 1;
}

void SettleCallFee(const TimeRules& rules, CurrentCall& call, CallFee& fee) {
    const std::int64_t partSeconds = call.callSeconds % 60;
    const std::int64_t wholeMinutes = call.callSeconds / 60;
    const double minuteFee = fee.minuteFee;
    const double phonePerMinute = PerMinute(rules.phoneFee);
    // Only more ticks than whole minutes mean a tick charged the part minute; a
    // tick that came late (fewer ticks) must not take a charged minute back.
    const bool partMinuteTicked = fee.callMinutes > wholeMinutes;
    const auto type = static_cast<FeeType>(rules.feeType);

    const bool phoneChargeOnly = type == FeeType::kBaoyue || type == FeeType::kLiuliang;
    if (partSeconds >= 1 && phoneChargeOnly && !partMinuteTicked) {
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

Moment BillingPeriodStart(int day, const Moment& today) {
    const Moment thisMonth = DayOfMonthStart(day, today);
    if (today.day >= thisMonth.day) {
        return thisMonth;
    }
    return DayOfMonthStart(day, AddMonths(DayOfMonthStart(1, today), -1));
}

double FlatFee(const TimeRules& rules) {
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
            return rules.baoshiFee;
        case FeeType::kBaoyue:
            return rules.baoyueFee;
        case FeeType::kLiuliang:
            return rules.liuliangFee;
        case FeeType::kJishi:
            break;
    }
    return 0;
}

double VolumeFee(const TimeRules& rules, std::int64_t billingMonthBytesBefore,
                 std::int64_t callBytes) {
    if (static_cast<FeeType>(rules.feeType) != FeeType::kLiuliang) {
        return 0;
    }
    const double included = rules.liuliangVolume * kBytesPerMB;
    const auto beyondIncluded = [included](std::int64_t bytes) {
        return std::max(0.0, static_cast<double>(bytes) - included);
    };
    const double chargedBytes = beyondIncluded(SaturatingAdd(billingMonthBytesBefore, callBytes)) -
                                beyondIncluded(billingMonthBytesBefore);
    return chargedBytes / kBytesPerMB * rules.liuliangMBFee;
}

void ChargeVolume(const TimeRules& rules, std::int64_t billingMonthBytesBefore,
                  std::int64_t callBytes, CallFee& fee) {
    // Rules changed to another tariff during the call keep what was charged.
    if (static_cast<FeeType>(rules.feeType) != FeeType::kLiuliang) {
        return;
    }
    const double volumeFee = VolumeFee(rules, billingMonthBytesBefore, callBytes);
    fee.callFee += volumeFee - fee.volumeFee;
    fee.volumeFee = volumeFee;
}

PricedCall PriceCall(const TimeRules& rules, const Moment& begin, std::int64_t seconds,
                     std::int64_t billingMonthSecondsBefore, bool firstCallOfPeriod,
                     std::int64_t callBytes, std::int64_t billingMonthBytesBefore) {
    CallFee fee;
    fee.callFee = firstCallOfPeriod ? FlatFee(rules) : 0;
    const auto minuteAt = [&](const Moment& moment) {
        fee.minuteFee = MinuteFee(rules, billingMonthSecondsBefore, moment).value_or(fee.minuteFee);
    };
    minuteAt(begin);
    for (std::int64_t minute = 1; minute <= seconds / 60; ++minute) {
        minuteAt(AddSeconds(begin, minute * 60));
        AddMinute(fee);
    }
    CurrentCall call;
    call.callBeginTime = MomentText(begin);
    call.callSeconds = seconds;
    SettleCallFee(rules, call, fee);
    ChargeVolume(rules, billingMonthBytesBefore, callBytes, fee);
    return {fee.callFee, call.callSeconds};
}

}  // namespace vornik
