// The page people read, opened in their browser. Its lines and numbers follow
// the report layout the program has always written; values that come from users
// or back-ends (entry names, device types, addresses) are escaped, and the page
// says it is UTF-8.
#include <cstdio>

#include "base/format_duration.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kTableStart[] = "<table border=1 bordercolor=blue  align=center>";

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::vector<CallMark> Doubts(const CallRecord& call) {
    std::vector<CallMark> doubts;
    for (const CallMark& mark : call.marks) {
        if (mark.kind != mark_kind::kUnfinished) {
            doubts.push_back(mark);
        }
    }
    return doubts;
}

// The month's fee in its general form: 12.5 stays 12.5, up to fifteen digits.
std::string GeneralNumber(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

class Page {
  public:
    explicit Page(const NumberFormat& number) : number_(number) {}

    void Line(const std::string& text) { text_ += text + kLineEnd; }
    void Cell(const std::string& value) { Line("<td align=right>" + value + "</td>"); }
    void CountCell(std::int64_t value) { Cell(std::to_string(value)); }
    void MoneyCell(double value) { Cell(number_(value, 2)); }
    void BytesCell(std::int64_t value) { Cell(number_(static_cast<double>(value), 0)); }
    void DurationCell(std::int64_t seconds) { Cell(FormatDuration(seconds)); }

    // `heading` is the entry and the period; `ending` closes the title's table.
    void Title(const std::string& heading, const char* ending) {
        Line("<table width=100%><tr><td align=center><b><font size=+2>" + heading + ending);
    }
    // `opening` (the summary table's start and first words) followed by
    // "00:10:00,总流量1.50MB, 花费12.5".
    void Summary(const std::string& opening, const UsageSums& sums) {
        const auto megabytes = static_cast<float>(static_cast<double>(sums.bytes) / 1024 / 1024);
        Line(opening + FormatDuration(sums.seconds) + ",总流量" + number_(megabytes, 2) +
             "MB, 花费" + GeneralNumber(sums.fee) + "</font></td></tr></table>");
    }
    void TableStart(const std::string& headerRow) {
        Line("<br>");
        Line(kTableStart);
        Line(headerRow);
    }

    std::string Text() const { return text_; }

  private:
    const NumberFormat& number_;
    std::string text_;
};

constexpr char kSummaryStart[] =
    "<table width=100% ><tr><td align=center><font size=-1 color=blue>";

// "ADSL 2006年5" of "ADSL 2006年5月拨号报表(…)".
std::string MonthHeading(const Report& report) {
    return Escaped(report.entryName) + " " + std::to_string(report.month.year) + "年" +
           std::to_string(report.month.month);
}

std::string CallCount(const Report& report) {
    return std::to_string(report.callCount);
}

void CallRows(Page& page, const Report& report) {
    page.Title(MonthHeading(report), "月拨号报表(按每次)</font></b></td></tr></table>");
    page.Summary("<table width=100% ><tr><td align=center><font size=-1 color=blue>本月共上网" +
                     CallCount(report) + "次，共用时间",
                 report.sums);
    page.TableStart(
        "<tr><td>序号</td><td>开始时间</td><td>结束时间</td><td>上网用时</td><td>上网费用</"
        "td><td>名称</td><td>类型</td><td>客户机子IP</td><td>接受字节</td><td>发送字节</td></"
        "tr>");
    std::int64_t number = 0;
    for (const CallRecord& call : report.calls) {
        // A marked call says what its record cannot vouch for when pointed at.
        // The call still running is only being written: its row stays as it was.
        const std::vector<CallMark> doubts = Doubts(call);
        if (doubts.empty()) {
            page.Line("<tr>");
            page.CountCell(number++);
        } else {
            page.Line("<tr title=\"" + Escaped(MarkLines(doubts)) + "\">");
            page.Cell(std::to_string(number++) + " ⚠");
        }
        page.Cell(Escaped(call.beginTime));
        page.Cell(Escaped(call.endTime));
        page.DurationCell(call.Seconds().value_or(0));
        page.MoneyCell(call.fee);
        page.Cell(Escaped(call.entryName));
        page.Cell(Escaped(call.deviceType));
        page.Cell(Escaped(call.ipAddress));
        page.BytesCell(call.bytesIn);
        page.BytesCell(call.bytesOut);
        page.Line("</tr>");
    }
}

// A day's or a month's calls, time, fee and bytes.
template <typename Usage>
void UsageCells(Page& page, const Usage& usage) {
    page.CountCell(usage.calls);
    page.DurationCell(usage.seconds);
    page.MoneyCell(usage.fee);
    page.BytesCell(usage.bytesIn);
    page.BytesCell(usage.bytesOut);
    page.Line("</tr>");
}

void DayRows(Page& page, const Report& report) {
    page.Title(MonthHeading(report), "月拨号报表(按每天)</font></b></td></tr></table>");
    page.Summary(
        "<table width=100% ><tr><td align=center><font size=-1 color=blue>本月上网共用时间",
        report.sums);
    page.TableStart(
        "<tr><td>月份</td><td>日期</td><td>拨号次数</td><td>上网用时</td><td>上网费用</"
        "td><td>接收字节</td><td>发送字节</td></tr>");
    for (const DayUsage& day : report.days) {
        page.Line("<tr>");
        page.CountCell(day.month);
        page.CountCell(day.day);
        UsageCells(page, day);
    }
}

void MonthRows(Page& page, const Report& report) {
    page.Title(Escaped(report.entryName) + " " + std::to_string(report.month.year),
               "年拨号报表(按每月)</font></b></td></tr></table>");
    page.Summary(std::string(kSummaryStart) + "本年共上网" + CallCount(report) + "次，共用时间",
                 report.sums);
    page.TableStart(
        "<tr><td>月份</td><td>拨号次数</td><td>上网用时</td><td>上网费用</td><td>接收字节</"
        "td><td>发送字节</td></tr>");
    for (const MonthUsage& month : report.months) {
        page.Line("<tr>");
        page.CountCell(month.month.month);
        UsageCells(page, month);
    }
}

}  // namespace

std::string ComposeHtmlReport(const Report& report, const NumberFormat& number) {
    Page page(number);
    page.Line("<html><head><meta charset=\"utf-8\"></head><body>");
    switch (report.kind) {
        case ReportKind::kByCall:
            CallRows(page, report);
            break;
        case ReportKind::kByDay:
            DayRows(page, report);
            break;
        case ReportKind::kByMonth:
            MonthRows(page, report);
            break;
    }
    page.Line("</table>");
    page.Line("</body></html>");
    return page.Text();
}

}  // namespace vornik
