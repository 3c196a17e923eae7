// A report as a table for the terminal: a heading line, one row per call, day or
// billing month under column titles, and the totals. Columns are padded by the
// width a terminal gives each character, so Chinese titles line up too.
#include <algorithm>
#include <vector>

#include "base/format_duration.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

using TableRow = std::vector<std::string>;

// Characters of three or four UTF-8 bytes (CJK and beyond) take two columns on
// a terminal; the rest one.
std::size_t ColumnWidth(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || byte >= 0xC0) {
            width += byte >= 0xE0 ? 2 : 1;
        }
    }
    return width;
}

}  // namespace

std::string AlignedTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const TableRow& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], ColumnWidth(row[i]));
        }
    }
    std::string text;
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            text +=
                (i == 0 ? "" : "  ") + std::string(widths[i] - ColumnWidth(row[i]), ' ') + row[i];
        }
        text += '\n';
    }
    return text;
}

namespace {

TableRow Figures(std::int64_t calls, std::int64_t seconds, double fee, std::int64_t bytesIn,
                 std::int64_t bytesOut) {
    return {std::to_string(calls), FormatDuration(seconds), PlainNumber(fee, 2),
            std::to_string(bytesIn), std::to_string(bytesOut)};
}

std::vector<TableRow> CallRows(const Report& report) {
    std::vector<TableRow> rows = {
        {"序号", "开始时间", "结束时间", "时长", "费用(元)", "接收(字节)", "发送(字节)"}};
    int number = 0;
    for (const CallRecord& call : report.calls) {
        rows.push_back({std::to_string(number++), call.beginTime, call.endTime,
                        FormatDuration(call.Seconds().value_or(0)), PlainNumber(call.fee, 2),
                        std::to_string(call.bytesIn), std::to_string(call.bytesOut)});
    }
    return rows;
}

std::vector<TableRow> DayRows(const Report& report) {
    std::vector<TableRow> rows = {{"日期", "次数", "时长", "费用(元)", "接收(字节)", "发送(字节)"}};
    for (const DayUsage& day : report.days) {
        TableRow row = {DateText(DateOfDay(report.period, day))};
        const TableRow figures =
            Figures(day.calls, day.seconds, day.fee, day.bytesIn, day.bytesOut);
        row.insert(row.end(), figures.begin(), figures.end());
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TableRow> MonthRows(const Report& report) {
    std::vector<TableRow> rows = {
        {"计费月", "次数", "时长", "费用(元)", "接收(字节)", "发送(字节)"}};
    for (const MonthUsage& month : report.months) {
        TableRow row = {BillingMonthText(month.month)};
        const TableRow figures =
            Figures(month.calls, month.seconds, month.fee, month.bytesIn, month.bytesOut);
        row.insert(row.end(), figures.begin(), figures.end());
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

std::string ComposeReportTable(const Report& report) {
    const std::string title = report.kind == ReportKind::kByMonth
                                  ? std::to_string(report.month.year) + "年"
                                  : BillingMonthText(report.month) + " 计费月";
    std::string text = report.entryName + " " + title + "（" + DateText(report.period.start) +
                       " 至 " + DateText(report.period.end) + "）\n";
    switch (report.kind) {
        case ReportKind::kByCall:
            text += AlignedTable(CallRows(report));
            break;
        case ReportKind::kByDay:
            text += AlignedTable(DayRows(report));
            break;
        case ReportKind::kByMonth:
            text += AlignedTable(MonthRows(report));
            break;
    }
    return text + "合计：" + std::to_string(report.callCount) + " 次，" +
           FormatDuration(report.sums.seconds) + "，" + PlainNumber(report.sums.fee, 2) + " 元，" +
           std::to_string(report.sums.bytes) + " 字节\n";
}

}  // namespace vornik
