#include "reports/month_report.h"

#include <algorithm>

#include "base/atomic_file.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

std::vector<MonthUsage> LoadYear(UsageTotalsReader& reader, int year, int firstFeeDay,
                                 const std::string& entryName) {
    std::vector<MonthUsage> months;
    for (int month = 1; month <= 12; ++month) {
        MonthUsage usage{{year, month}};
        for (const DayUsage& day : reader.LoadMonthDays({year, month}, firstFeeDay, entryName)) {
            usage.calls += day.calls;
            usage.seconds += day.seconds;
            usage.fee += day.fee;
            usage.bytesIn += day.bytesIn;
            usage.bytesOut += day.bytesOut;
        }
        months.push_back(usage);
    }
    return months;
}

void SumYear(Report& report) {
    for (const MonthUsage& month : report.months) {
        report.callCount += month.calls;
        report.sums.seconds += month.seconds;
        report.sums.fee += month.fee;
        report.sums.bytes += month.bytesIn + month.bytesOut;
    }
}

const char* FormatExtension(ReportFormat format) {
    switch (format) {
        case ReportFormat::kCsv:
            return ".csv";
        case ReportFormat::kJson:
            return ".json";
        case ReportFormat::kHtml:
            break;
    }
    return ".html";
}

// An entry name is the user's or the back-end's text: it may hold a "/" or be
// "..", neither of which may steer the file out of the report folder.
std::string FileNamePart(std::string text) {
    std::replace(text.begin(), text.end(), '/', '_');
    std::replace(text.begin(), text.end(), '\0', '_');
    if (text.empty() || text == "." || text == "..") {
        text = "_" + text;
    }
    return text;
}

}  // namespace

Report LoadReport(UsageTotalsReader& reader, ReportKind kind, const BillingMonth& month,
                  int firstFeeDay, const std::string& entryName) {
    Report report;
    report.kind = kind;
    report.entryName = entryName;
    report.month = month;
    if (kind == ReportKind::kByMonth) {
        report.period = {BillingMonthBounds({month.year, 1}, firstFeeDay).start,
                         BillingMonthBounds({month.year, 12}, firstFeeDay).end};
        report.months = LoadYear(reader, month.year, firstFeeDay, entryName);
        SumYear(report);
        return report;
    }
    report.period = BillingMonthBounds(month, firstFeeDay);
    if (kind == ReportKind::kByCall) {
        report.calls = reader.LoadMonthRows(month, firstFeeDay, entryName);
        report.callCount = static_cast<std::int64_t>(report.calls.size());
    } else {
        report.days = reader.LoadMonthDays(month, firstFeeDay, entryName);
        for (const DayUsage& day : report.days) {
            report.callCount += day.calls;
        }
    }
    // The summary shows the month's totals as the history does.
    report.sums = reader.Sum(report.period, entryName).value_or(UsageSums{});
    return report;
}

std::string NothingToReportText(ReportKind kind) {
    return kind == ReportKind::kByMonth ? "本年没有拨号记录。" : "本月没有拨号记录。";
}

std::string ReportFileName(const Report& report, ReportFormat format) {
    std::string name =
        FileNamePart(report.entryName) + "-" + std::to_string(report.month.year) + "年";
    switch (report.kind) {
        case ReportKind::kByCall:
            name += std::to_string(report.month.month) + "月报表(按每次)";
            break;
        case ReportKind::kByDay:
            name += std::to_string(report.month.month) + "月报表(按每天)";
            break;
        case ReportKind::kByMonth:
            name += "报表(按每月)";
            break;
    }
    return name + FormatExtension(format);
}

std::string ComposeReport(const Report& report, ReportFormat format, const NumberFormat& number) {
    switch (format) {
        case ReportFormat::kCsv:
            return ComposeCsvReport(report);
        case ReportFormat::kJson:
            return ComposeJsonReport(report);
        case ReportFormat::kHtml:
            break;
    }
    return ComposeHtmlReport(report, number);
}

Result<std::filesystem::path> WriteReport(const std::filesystem::path& programFolder,
                                          const Report& report, ReportFormat format,
                                          const NumberFormat& number) {
    const std::filesystem::path file = programFolder / "report" / ReportFileName(report, format);
    const Result<> written = WriteFileAtomically(file, ComposeReport(report, format, number));
    if (!written) {
        return Result<std::filesystem::path>::Failure(written.Error());
    }
    return file;
}

Moment DateOfDay(const Period& period, const DayUsage& day) {
    const int year = day.month == period.end.month ? period.end.year : period.start.year;
    return Moment{year, day.month, day.day, 0, 0, 0};
}

std::string BillingMonthText(const BillingMonth& month) {
    std::string text = std::to_string(month.year) + "-";
    if (month.month < 10) {
        text += '0';
    }
    return text + std::to_string(month.month);
}

}  // namespace vornik
