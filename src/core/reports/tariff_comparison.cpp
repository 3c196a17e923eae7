#include "reports/tariff_comparison.h"

#include <algorithm>

#include "base/saturating.h"
#include "metering/pricing.h"
#include "store/dbio.h"

namespace vornik {
namespace {

// A call as the log holds it and as the other rules would have charged it.
struct PricedRecord {
    Moment begin;
    Moment end;  // as the other rules would have ended it (rounded up to minutes)
    std::int64_t seconds = 0;
    std::int64_t bytes = 0;
    double recorded = 0;
    double compared = 0;
};

std::vector<PricedRecord> LoadCalls(Dbio& db, const std::string& entryName, const Moment& from,
                                    const Moment& to) {
    std::vector<PricedRecord> calls;
    db.ForEachRow(
        "SELECT beginTime, callSeconds, fee, BytesIn + BytesOut FROM diallog"
        " WHERE entryName = ? AND beginTime >= ? AND beginTime <= ? ORDER BY beginTime ASC",
        {entryName, MomentText(from), MomentText(to)}, [&](const RowView& row) {
            const auto begin = ParseMoment(row.Text(0));
            if (begin) {
                calls.push_back({*begin, *begin, std::max<std::int64_t>(row.Integer(1), 0),
                                 row.Integer(3), row.Number(2), 0});
            }
        });
    return calls;
}

int FlatFeePeriodDay(const TimeRules& rules) {
    return static_cast<FeeType>(rules.feeType) == FeeType::kBaoyue ? rules.baoyueBeginTime
                                                                   : rules.firstFeeDay;
}

// Prices each call under `rules` from what the calls before it left: the
// billing month's seconds and bytes (calls wholly inside it, as the session's
// totals count them) and whether one began in the flat fee's period already.
void PriceInOrder(std::vector<PricedRecord>& calls, const TimeRules& rules) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
        PricedRecord& call = calls[i];
        const Period month =
            BillingMonthBounds(BillingMonthOf(call.begin, rules.firstFeeDay), rules.firstFeeDay);
        const Moment periodStart = BillingPeriodStart(FlatFeePeriodDay(rules), call.begin);
        std::int64_t monthSeconds = 0;
        std::int64_t monthBytes = 0;
        bool firstOfPeriod = true;
        for (std::size_t j = 0; j < i; ++j) {
            const PricedRecord& earlier = calls[j];
            if (earlier.begin >= month.start && earlier.end <= month.end) {
                monthSeconds += earlier.seconds;
                monthBytes = SaturatingAdd(monthBytes, earlier.bytes);
            }
            firstOfPeriod = firstOfPeriod && !(earlier.begin > periodStart);
        }
        const PricedCall priced = PriceCall(rules, call.begin, call.seconds, monthSeconds,
                                            firstOfPeriod, call.bytes, monthBytes);
        call.compared = priced.fee;
        call.seconds = priced.seconds;
        call.end = AddSeconds(call.begin, priced.seconds);
    }
}

void Add(CostComparison& cost, const PricedRecord& call) {
    ++cost.calls;
    cost.recorded += call.recorded;
    cost.compared += call.compared;
}

BillingMonth NextMonth(const BillingMonth& month) {
    return month.month == 12 ? BillingMonth{month.year + 1, 1}
                             : BillingMonth{month.year, month.month + 1};
}

}  // namespace

TariffComparison CompareTariff(Dbio& db, const std::string& entryName, const BillingMonth& first,
                               const BillingMonth& last, int firstFeeDay, const TimeRules& rules) {
    TariffComparison comparison;
    comparison.entryName = entryName;
    const Moment start = BillingMonthBounds(first, firstFeeDay).start;
    const Moment end = BillingMonthBounds(last, firstFeeDay).end;
    for (BillingMonth month = first;
         !(last.year < month.year || (last.year == month.year && last.month < month.month));
         month = NextMonth(month)) {
        comparison.months.push_back({month, {}});
    }
    // The calls of the month before the stretch decide the first calls' flat
    // fees and included hours under the other rules' own billing days.
    std::vector<PricedRecord> calls = LoadCalls(db, entryName, AddMonths(start, -1), end);
    PriceInOrder(calls, rules);
    for (const PricedRecord& call : calls) {
        if (call.begin < start) {
            continue;
        }
        const BillingMonth month = BillingMonthOf(call.begin, firstFeeDay);
        for (MonthCostComparison& shown : comparison.months) {
            if (shown.month == month) {
                Add(shown.cost, call);
            }
        }
        Add(comparison.total, call);
    }
    return comparison;
}

BillingMonth FirstOfMonths(const BillingMonth& last, int count) {
    const Moment inFirst = AddMonths(Moment{last.year, last.month, 1}, 1 - count);
    return {inFirst.year, inFirst.month};
}

}  // namespace vornik
