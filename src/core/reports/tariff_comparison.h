// Which tariff is cheaper: what an entry's recorded calls cost, and what they
// would have cost under other rules, per billing month. The calls are priced
// again by the pricing the running call uses (metering/pricing.h), as if each
// had been charged under those rules from the first call on; the log is only
// read.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "metering/time_rules.h"
#include "reports/usage_totals.h"

namespace vornik {

class Dbio;

struct CostComparison {
    std::int64_t calls = 0;
    double recorded = 0;  // what the log holds
    double compared = 0;  // under the other rules
    // What the other rules would have cost more (less when negative). Sums of
    // the same fees added in another order may differ in their last bits: such
    // a difference is none.
    double Difference() const {
        const double difference = compared - recorded;
        return std::abs(difference) < 1e-9 ? 0.0 : difference;
    }
};

struct MonthCostComparison {
    BillingMonth month;
    CostComparison cost;
};

struct TariffComparison {
    std::string entryName;
    // Every billing month of the stretch, oldest first, also one without calls.
    std::vector<MonthCostComparison> months;
    CostComparison total;
};

// The billing months from `first` to `last`, bounded by `firstFeeDay` of the
// rules in force. A call belongs to the month it begins in, so one across a
// month's end is compared too. Under `rules` the included hours, the included
// volume and the flat fees run by their own billing day, as a log kept under
// them would have run them.
TariffComparison CompareTariff(Dbio& db, const std::string& entryName, const BillingMonth& first,
                               const BillingMonth& last, int firstFeeDay, const TimeRules& rules);

// The first of `count` billing months that end with `last`.
BillingMonth FirstOfMonths(const BillingMonth& last, int count);

}  // namespace vornik
