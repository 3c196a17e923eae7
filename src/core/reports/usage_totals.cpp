#include "reports/usage_totals.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "store/dbio.h"

namespace vornik {
namespace {

// Whole seconds of one call, kept with it when its times are written.
constexpr const char* kCallSeconds = "callSeconds";

// The moments are ISO text, so the bounds compare as text and the index on
// (entryName, beginTime, ...) serves the range and holds every column a total
// reads. The upper bound on beginTime adds nothing for a sound row (it begins
// before it ends) but closes the index range.
constexpr const char* kPeriodFilter =
    " FROM diallog WHERE entryName = ? AND beginTime >= ? AND beginTime <= ? AND endTime <= ?";

// A day's totals take every call begun that day, also one that runs past
// midnight: it must count on some day, or a daily limit would never see it.
constexpr const char* kBegunFilter =
    " FROM diallog WHERE entryName = ? AND beginTime >= ? AND beginTime <= ?";

SqlParams PeriodParams(const Period& period, const std::string& entryName,
                       Counting counting = Counting::kWithinPeriod) {
    const std::string end = MomentText(period.end);
    if (counting == Counting::kBegunInPeriod) {
        return {entryName, MomentText(period.start), end};
    }
    return {entryName, MomentText(period.start), end, end};
}

std::string OverPeriod(std::string_view select, Counting counting = Counting::kWithinPeriod) {
    return std::string(select) +
           (counting == Counting::kBegunInPeriod ? kBegunFilter : kPeriodFilter);
}

}  // namespace

BillingMonth BillingMonthOf(const Moment& date, int firstFeeDay) {
    if (date.day < firstFeeDay) {
        return {date.year, date.month};
    }
    if (date.month == 12) {
        return {date.year + 1, 1};
    }
    return {date.year, date.month + 1};
}

Period BillingMonthBounds(const BillingMonth& month, int firstFeeDay) {
    const Moment feeDayStart{month.year, month.month, firstFeeDay, 0, 0, 0};
    const Moment feeDayEnd{month.year, month.month, firstFeeDay, 23, 59, 59};
    return {AddMonths(feeDayStart, -1), AddDays(feeDayEnd, -1)};
}

Period DayBounds(const Moment& day) {
    return {StartOfDay(day), Moment{day.year, day.month, day.day, 23, 59, 59}};
}

std::vector<CallRecord> UsageTotalsReader::LoadMonthRows(const BillingMonth& month, int firstFeeDay,
                                                         const std::string& entryName) {
    std::vector<CallRecord> records;
    const bool read = db_.ForEachRow(
        OverPeriod("SELECT id, beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, "
                   "BytesOut, fee") +
            " ORDER BY beginTime ASC",
        PeriodParams(BillingMonthBounds(month, firstFeeDay), entryName), [&](const RowView& row) {
            records.push_back({row.Integer(0),
                               row.Text(1),
                               row.Text(2),
                               row.Text(3),
                               row.Text(4),
                               row.Text(5),
                               row.Integer(6),
                               row.Integer(7),
                               row.Number(8),
                               {}});
        });
    if (!read) {
        records.clear();
    }
    if (!records.empty()) {
        LoadMarks(BillingMonthBounds(month, firstFeeDay), entryName, records);
    }
    return records;
}

// A log that cannot give the marks still gives its calls, unmarked.
void UsageTotalsReader::LoadMarks(const Period& period, const std::string& entryName,
                                  std::vector<CallRecord>& records) {
    std::unordered_map<std::int64_t, CallRecord*> byId;
    for (CallRecord& record : records) {
        byId[record.id] = &record;
    }
    (void)db_.ForEachRow("SELECT callId, kind, detail FROM callmarks WHERE callId IN (" +
                             OverPeriod("SELECT id") + ") ORDER BY callId, rowid",
                         PeriodParams(period, entryName), [&](const RowView& row) {
                             if (const auto call = byId.find(row.Integer(0)); call != byId.end()) {
                                 call->second->marks.push_back({row.Text(1), row.Text(2)});
                             }
                         });
}

std::vector<DayUsage> UsageTotalsReader::LoadMonthDays(const BillingMonth& month, int firstFeeDay,
                                                       const std::string& entryName) {
    const std::string select =
        std::string(
            "SELECT CAST(substr(beginTime, 6, 2) AS INTEGER) AS callMonth,"
            " CAST(substr(beginTime, 9, 2) AS INTEGER) AS callDay, count(*), sum(") +
        kCallSeconds + "), sum(fee), sum(BytesIn), sum(BytesOut)";
    const Rows rows = db_.QueryRows(
        OverPeriod(select) + " GROUP BY callMonth, callDay ORDER BY callMonth, callDay",
        PeriodParams(BillingMonthBounds(month, firstFeeDay), entryName));
    std::vector<DayUsage> days;
    days.reserve(rows.size());
    for (const Row& row : rows) {
        days.push_back({static_cast<int>(row[0].Integer()), static_cast<int>(row[1].Integer()),
                        row[2].Integer(), row[3].Integer(), row[4].NumberOr0(), row[5].Integer(),
                        row[6].Integer()});
    }
    return days;
}

std::optional<UsageSums> UsageTotalsReader::Sum(const Period& period, const std::string& entryName,
                                                Counting counting) {
    const std::string select =
        std::string("SELECT sum(") + kCallSeconds + "), sum(fee), sum(BytesIn + BytesOut)";
    // An aggregate without grouping always gives one row, so no row means failure.
    const Rows rows =
        db_.QueryRows(OverPeriod(select, counting), PeriodParams(period, entryName, counting));
    if (rows.size() != 1 || rows.front().size() != 3) {
        return std::nullopt;
    }
    const Row& row = rows.front();
    // A sum over no calls is null and reads as 0.
    return UsageSums{row[0].Integer(), row[1].NumberOr0(), row[2].Integer()};
}

void UsageTotalsReader::LoadMonthTotals(bool current, const BillingMonth& shown, int firstFeeDay,
                                        const std::string& entryName, const Moment& today,
                                        UsageTotals& totals) {
    const BillingMonth month = current ? BillingMonthOf(today, firstFeeDay) : shown;
    const std::optional<UsageSums> sums = Sum(BillingMonthBounds(month, firstFeeDay), entryName);
    if (!sums) {
        return;
    }
    if (current) {
        totals.billingMonthSeconds = sums->seconds;
        totals.billingMonthBytes = sums->bytes;
    }
    if (!current || shown == month) {
        totals.shownMonthSeconds = sums->seconds;
        totals.shownMonthFee = sums->fee;
        totals.shownMonthBytes = sums->bytes;
    }
}

void UsageTotalsReader::LoadTodayTotals(const Moment& today, const std::string& entryName,
                                        UsageTotals& totals) {
    const std::optional<UsageSums> sums =
        Sum(DayBounds(today), entryName, Counting::kBegunInPeriod);
    if (!sums) {
        return;
    }
    totals.todaySeconds = sums->seconds;
    totals.todayFee = sums->fee;
    totals.todayBytes = sums->bytes;
}

}  // namespace vornik
