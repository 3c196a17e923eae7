// The reports of a billing month, by call and by day, and of a year by billing
// month: loaded from the log once, then written as a page for people (HTML) or
// as CSV and JSON for spreadsheets and scripts. The desktop opens the page; the
// command line prints or writes any of the three.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/call_record.h"
#include "base/number_text.h"
#include "base/result.h"
#include "reports/usage_totals.h"

namespace vornik {

enum class ReportKind { kByCall, kByDay, kByMonth };
enum class ReportFormat { kHtml, kCsv, kJson };

// The calls of one billing month, summed.
struct MonthUsage {
    BillingMonth month;
    std::int64_t calls = 0;
    std::int64_t seconds = 0;
    double fee = 0;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
};

struct Report {
    ReportKind kind = ReportKind::kByCall;
    std::string entryName;
    // The billing month shown; for a year's report only its year counts.
    BillingMonth month;
    Period period;                   // the billing month's, or the year's
    std::vector<CallRecord> calls;   // by call, oldest first
    std::vector<DayUsage> days;      // by day, in the order of month number, then day
    std::vector<MonthUsage> months;  // by month: every billing month of the year
    std::int64_t callCount = 0;
    UsageSums sums;

    // No call in the month (or the year): there is nothing to report.
    bool Empty() const { return callCount == 0; }
};

Report LoadReport(UsageTotalsReader& reader, ReportKind kind, const BillingMonth& month,
                  int firstFeeDay, const std::string& entryName);

// What the user is told when there is nothing to report.
std::string NothingToReportText(ReportKind kind);

// "ADSL-2006年5月报表(按每次).html", "ADSL-2006年5月报表(按每天).html",
// "ADSL-2006年5月报表(按每天).csv", "ADSL-2006年报表(按每月).json". A "/" in the entry name cannot
// leave the report folder: it is written as "_".
std::string ReportFileName(const Report& report, ReportFormat format);

// The whole file. HTML and CSV lines end with CR LF. `format` writes the
// numbers people read (money, bytes, megabytes) in the HTML page; CSV and JSON
// write plain numbers.
std::string ComposeReport(const Report& report, ReportFormat format, const NumberFormat& number);

// For people on a terminal: a heading, the rows under column titles, and the
// totals, with plain numbers.
std::string ComposeReportTable(const Report& report);

// Rows for the terminal, the first holding the column titles: each column
// right-aligned by the width a terminal gives its characters.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows);

// Writes the report into `folder`/report/ (created when missing) under its
// file name, atomically, and returns the file's path.
Result<std::filesystem::path> WriteReport(const std::filesystem::path& programFolder,
                                          const Report& report, ReportFormat format,
                                          const NumberFormat& number);

}  // namespace vornik
