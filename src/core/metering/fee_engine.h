// Charging a call under the selected tariff: a start fee when the call comes up,
// one minute's fee per minute tick, and the settlement of the last part minute.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/call_state.h"
#include "metering/time_rules.h"
#include "base/moment.h"

namespace vornik {

class Dbio;

class FeeEngine {
  public:
    explicit FeeEngine(Dbio& db) : db_(db) {}

    // callFee = 0, or the flat fee of the billing period (Baoshi, Baoyue) when
    // this is the entry's first call begun after the period's start.
    void StartCallFee(const TimeRules& rules, const std::string& callEntryName, const Moment& now,
                      CallFee& fee);

    // minuteFee for the selected tariff at `now`; an unknown tariff leaves it.
    // `billingMonthSeconds`: recorded seconds of the entry in the current billing
    // month, the running call not included.
    void UpdateMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                         const Moment& now, CallFee& fee);

    double BaoshiMinuteFee(const TimeRules& rules, std::int64_t billingMonthSeconds,
                           const Moment& now);
    double JishiMinuteFee(const TimeRules& rules, const Moment& now);
    static double BaoyueMinuteFee(const TimeRules& rules);

    // One minute tick while connected: callFee += minuteFee, callMinutes += 1.
    static void AddMinute(CallFee& fee);

    // Charges the part minute at hang-up; with the minimum unit set the call is
    // rounded up to whole minutes (callSeconds and callEndTime move). callMinutes
    // is reset to 0.
    static void SettleCallFee(const TimeRules& rules, CurrentCall& call, CallFee& fee);

    // Midnight of the first day of the billing period that contains `today`. A
    // day below 1 reads as 1; a day past the end of a month means that month's
    // last day.
    static Moment BillingPeriodStart(int day, const Moment& today);

    // True when the entry has no call begun after `since` (a call begun exactly
    // then does not count). A failed look-up counts as no call.
    bool HasNoCallSince(const std::string& entryName, const Moment& since);

    // The smallest factor of the time windows and of the holidays that hold `now`;
    // nothing when none does (or the look-up failed).
    std::optional<double> TimeWindowFactor(const Moment& now);
    std::optional<double> HolidayFactor(const Moment& now);

  private:
    Dbio& db_;
};

}  // namespace vornik
