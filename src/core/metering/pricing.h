// What a minute and a call cost under the rules: pure functions of the rules
// (their discount tables included) and the moment, so the running call and any
// stored call are priced the same way and the minute tick reads nothing.
#pragma once

#include <cstdint>
#include <optional>

#include "base/call_state.h"
#include "base/moment.h"
#include "metering/time_rules.h"

namespace vornik {

// One minute at `now`, phone charge included, for the selected tariff; nothing
// for a tariff the program does not know. `billingMonthSeconds`: the entry's
// recorded seconds in the current billing month, the running call not included.
std::optional<double> MinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                                const Moment& now);
double BaoshiMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds, const Moment& now);
double JishiMinuteFee(const TimeRules& rules, const Moment& now);
// Also the minute of the volume tariff, which charges the phone charge by the
// minute and the bytes by the megabyte.
double BaoyueMinuteFee(const TimeRules& rules);

// The volume tariff's charge for a call of `callBytes` when the entry's billing
// month held `billingMonthBytesBefore` without it: the megabytes beyond the
// month's included volume that this call adds, at the rate per megabyte. 0
// under the other tariffs.
double VolumeFee(const TimeRules& rules, std::int64_t billingMonthBytesBefore,
                 std::int64_t callBytes);
// Brings the call's fee up to the volume charge of its bytes so far.
void ChargeVolume(const TimeRules& rules, std::int64_t billingMonthBytesBefore,
                  std::int64_t callBytes, CallFee& fee);

// The smallest factor of the time windows and of the holidays that hold `now`;
// nothing when none does.
std::optional<double> TimeWindowFactor(const DiscountTables& tables, const Moment& now);
std::optional<double> HolidayFactor(const DiscountTables& tables, const Moment& now);

// One minute tick while connected: callFee += minuteFee, callMinutes += 1.
void AddMinute(CallFee& fee);

// Charges the part minute at hang-up; with the minimum unit set the call is
// rounded up to whole minutes (callSeconds and callEndTime move). callMinutes is
// reset to 0.
void SettleCallFee(const TimeRules& rules, CurrentCall& call, CallFee& fee);

// Midnight of the first day of the billing period that contains `today`. A day
// below 1 reads as 1; a day past the end of a month means that month's last day.
Moment BillingPeriodStart(int day, const Moment& today);

// The flat fee of the period, charged to the first call of an entry in it.
double FlatFee(const TimeRules& rules);

struct PricedCall {
    double fee = 0;
    std::int64_t seconds = 0;  // rounded up to whole minutes under a minimum unit
};

// What a call of `seconds` from `begin` costs when a minute tick falls on each of
// its whole minutes: its start fee, each minute at its moment, the part minute
// and its bytes, exactly as a running call is charged.
PricedCall PriceCall(const TimeRules& rules, const Moment& begin, std::int64_t seconds,
                     std::int64_t billingMonthSecondsBefore, bool firstCallOfPeriod,
                     std::int64_t callBytes = 0, std::int64_t billingMonthBytesBefore = 0);

}  // namespace vornik
