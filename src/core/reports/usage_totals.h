// Billing months and the usage totals of recorded calls, per phone-book entry.
// A call counts for a billing month when it begins at or after the month's start
// and ends at or before its end; a call across a bound counts for neither. A
// day's totals count the calls begun that day.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/call_record.h"
#include "base/call_state.h"
#include "base/moment.h"
#include "store/sql_value.h"

namespace vornik {

class Dbio;

// A billing month is named after the calendar month in which it ends.
struct BillingMonth {
    int year = 2000;
    int month = 1;
    friend bool operator==(const BillingMonth&, const BillingMonth&) = default;
};

struct Period {
    Moment start;
    Moment end;  // inclusive, to the second
};

// The billing month of a date: its own month when its day is before
// `firstFeeDay`, else the next calendar month.
BillingMonth BillingMonthOf(const Moment& date, int firstFeeDay);
// From day `firstFeeDay` of the month before, 00:00:00, to day firstFeeDay - 1 of
// the month itself, 23:59:59.
Period BillingMonthBounds(const BillingMonth& month, int firstFeeDay);
Period DayBounds(const Moment& day);

// The calls of one calendar day.
struct DayUsage {
    int month = 1;
    int day = 1;
    std::int64_t calls = 0;
    std::int64_t seconds = 0;
    double fee = 0;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
};

enum class Counting {
    kWithinPeriod,  // calls that begin and end inside the period
    kBegunInPeriod  // calls that begin inside it, wherever they end
};

struct UsageSums {
    std::int64_t seconds = 0;
    double fee = 0;
    std::int64_t bytes = 0;  // received + sent
};

class UsageTotalsReader {
  public:
    explicit UsageTotalsReader(Dbio& db) : db_(db) {}

    // The calls of the period, oldest first.
    std::vector<CallRecord> LoadMonthRows(const BillingMonth& month, int firstFeeDay,
                                          const std::string& entryName);
    // One row per calendar day with calls, ordered by month number, then day (a
    // period across the year end lists January before December).
    std::vector<DayUsage> LoadMonthDays(const BillingMonth& month, int firstFeeDay,
                                        const std::string& entryName);

    // Sums over the period; nothing when the query failed.
    std::optional<UsageSums> Sum(const Period& period, const std::string& entryName,
                                 Counting counting = Counting::kWithinPeriod);

    // current: the billing month of `today` into billingMonth*, and into shownMonth*
    // too when `shown` is that month. Not current: `shown` into shownMonth*. A
    // failed query leaves the totals as they were.
    void LoadMonthTotals(bool current, const BillingMonth& shown, int firstFeeDay,
                         const std::string& entryName, const Moment& today, UsageTotals& totals);
    void LoadTodayTotals(const Moment& today, const std::string& entryName, UsageTotals& totals);

  private:
    void LoadMarks(const Period& period, const std::string& entryName,
                   std::vector<CallRecord>& records);

    Dbio& db_;
};

}  // namespace vornik
