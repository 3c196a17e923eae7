// What the provider billed for a billing month, beside what this program
// recorded for it. The recorded fees are never changed: from the months with a
// bill the program learns how the bills follow its minutes or megabytes, and
// shows an estimate corrected by that beside its own figures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "base/result.h"
#include "reports/usage_totals.h"

namespace vornik {

struct Bill {
    BillingMonth month;
    double amount = 0;
};

// A month as billed and as recorded.
struct BilledMonth {
    Bill bill;
    UsageSums recorded;
};

// billed ≈ yuanPerUnit × recorded units, fitted by least squares through the
// origin over the billed months, in minutes or in megabytes, whichever follows
// the bills more closely.
struct BillCorrection {
    enum class Basis { kMinutes, kMegabytes };
    Basis basis = Basis::kMinutes;
    double yuanPerUnit = 0;

    double Estimate(const UsageSums& recorded) const;
};

// Needs two billed months with usage; nothing otherwise.
std::optional<BillCorrection> LearnBillCorrection(const std::vector<BilledMonth>& months);

// The bills of the `bills` table ("YYYY-MM", amount).
class BillBook {
  public:
    explicit BillBook(Dbio& db) : db_(db) {}

    Result<> Save(const Bill& bill);
    std::optional<double> AmountOf(const BillingMonth& month);
    std::vector<Bill> All();
    // Every bill with the recorded figures of its month for the entry.
    std::vector<BilledMonth> Compare(UsageTotalsReader& reader, int firstFeeDay,
                                     const std::string& entryName);

  private:
    Dbio& db_;
};

// What the history shows of a month about its bill: "账单 95.00元，本程序记录
// 90.00元，相差 +5.00元", or without a bill "按账单校正约 93.10元"; empty when
// there is neither.
std::string BillLine(const std::optional<double>& billed, const UsageSums& recorded,
                     const std::optional<BillCorrection>& correction, const NumberFormat& number);

// "2006-05" into a billing month; nothing for any other text.
std::optional<BillingMonth> ParseBillingMonth(const std::string& text);

}  // namespace vornik
