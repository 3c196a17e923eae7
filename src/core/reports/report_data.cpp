// Reports for spreadsheets (CSV, RFC 4180) and scripts (JSON). Both carry plain
// numbers; JSON names its fields in English and gives times in ISO 8601 with the
// zone's offset, CSV keeps the log's own local times, which spreadsheets read.
#include "base/json_writer.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

const char* KindName(ReportKind kind) {
    switch (kind) {
        case ReportKind::kByDay:
            return "days";
        case ReportKind::kByMonth:
            return "months";
        case ReportKind::kByCall:
            break;
    }
    return "calls";
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

class CsvLines {
  public:
    CsvLines& operator<<(const std::string& field) {
        if (!first_) {
            line_ += ',';
        }
        first_ = false;
        line_ += CsvField(field);
        return *this;
    }
    CsvLines& operator<<(std::int64_t value) { return *this << std::to_string(value); }
    CsvLines& operator<<(double money) { return *this << PlainNumber(money, 2); }
    void EndLine() {
        text_ += line_ + "\r\n";
        line_.clear();
        first_ = true;
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
    std::string line_;
    bool first_ = true;
};

// A stored time for programs; a text the log holds in another form is passed on.
std::string IsoTime(const std::string& stored) {
    const std::optional<Moment> moment = ParseMoment(stored);
    return moment ? IsoLocalText(*moment) : stored;
}

// A day's or a month's calls, time, fee and bytes.
template <typename Usage>
void UsageFields(JsonWriter& json, const Usage& usage) {
    json.Key("calls").Integer(usage.calls);
    json.Key("seconds").Integer(usage.seconds);
    json.Key("fee").Number(usage.fee);
    json.Key("bytesIn").Integer(usage.bytesIn);
    json.Key("bytesOut").Integer(usage.bytesOut);
}

template <typename Usage>
void UsageFields(CsvLines& csv, const std::string& label, const Usage& usage) {
    csv << label << usage.calls << usage.seconds << usage.fee << usage.bytesIn << usage.bytesOut;
    csv.EndLine();
}

void UsageHeader(CsvLines& csv, const char* label) {
    for (const char* name : {label, "calls", "seconds", "fee", "bytesIn", "bytesOut"}) {
        csv << name;
    }
    csv.EndLine();
}

void JsonCalls(JsonWriter& json, const Report& report) {
    json.Key("calls").BeginArray();
    std::int64_t number = 0;
    for (const CallRecord& call : report.calls) {
        json.BeginObject();
        json.Key("number").Integer(number++);
        json.Key("id").Integer(call.id);
        json.Key("begin").String(IsoTime(call.beginTime));
        json.Key("end").String(IsoTime(call.endTime));
        json.Key("seconds").Integer(call.Seconds().value_or(0));
        json.Key("fee").Number(call.fee);
        json.Key("entry").String(call.entryName);
        json.Key("deviceType").String(call.deviceType);
        json.Key("ipAddress").String(call.ipAddress);
        json.Key("bytesIn").Integer(call.bytesIn);
        json.Key("bytesOut").Integer(call.bytesOut);
        json.Key("marks").BeginArray();
        for (const CallMark& mark : call.marks) {
            json.BeginObject();
            json.Key("kind").String(mark.kind);
            json.Key("detail").String(mark.detail);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void JsonDays(JsonWriter& json, const Report& report) {
    json.Key("days").BeginArray();
    for (const DayUsage& day : report.days) {
        json.BeginObject();
        json.Key("date").String(DateText(DateOfDay(report.period, day)));
        UsageFields(json, day);
        json.EndObject();
    }
    json.EndArray();
}

void JsonMonths(JsonWriter& json, const Report& report) {
    json.Key("months").BeginArray();
    for (const MonthUsage& month : report.months) {
        json.BeginObject();
        json.Key("billingMonth").String(BillingMonthText(month.month));
        UsageFields(json, month);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

std::string ComposeCsvReport(const Report& report) {
    CsvLines csv;
    switch (report.kind) {
        case ReportKind::kByCall:
            // The columns stay those spreadsheets and scripts already read; the
            // marks are in the page and in JSON.
            for (const char* name : {"number", "begin", "end", "seconds", "fee", "entry",
                                     "deviceType", "ipAddress", "bytesIn", "bytesOut"}) {
                csv << name;
            }
            csv.EndLine();
            for (std::size_t i = 0; i < report.calls.size(); ++i) {
                const CallRecord& call = report.calls[i];
                csv << static_cast<std::int64_t>(i) << call.beginTime << call.endTime
                    << call.Seconds().value_or(0) << call.fee << call.entryName << call.deviceType
                    << call.ipAddress << call.bytesIn << call.bytesOut;
                csv.EndLine();
            }
            break;
        case ReportKind::kByDay:
            UsageHeader(csv, "date");
            for (const DayUsage& day : report.days) {
                UsageFields(csv, DateText(DateOfDay(report.period, day)), day);
            }
            break;
        case ReportKind::kByMonth:
            UsageHeader(csv, "billingMonth");
            for (const MonthUsage& month : report.months) {
                UsageFields(csv, BillingMonthText(month.month), month);
            }
            break;
    }
    return csv.Text();
}

std::string ComposeJsonReport(const Report& report) {
    JsonWriter json;
    json.BeginObject();
    json.Key("report").String(KindName(report.kind));
    json.Key("entry").String(report.entryName);
    if (report.kind == ReportKind::kByMonth) {
        json.Key("year").Integer(report.month.year);
    } else {
        json.Key("billingMonth").String(BillingMonthText(report.month));
    }
    json.Key("start").String(IsoLocalText(report.period.start));
    json.Key("end").String(IsoLocalText(report.period.end));
    json.Key("totals").BeginObject();
    json.Key("calls").Integer(report.callCount);
    json.Key("seconds").Integer(report.sums.seconds);
    json.Key("fee").Number(report.sums.fee);
    json.Key("bytes").Integer(report.sums.bytes);
    json.EndObject();
    switch (report.kind) {
        case ReportKind::kByCall:
            JsonCalls(json, report);
            break;
        case ReportKind::kByDay:
            JsonDays(json, report);
            break;
        case ReportKind::kByMonth:
            JsonMonths(json, report);
            break;
    }
    json.EndObject();
    return json.Text();
}

}  // namespace vornik
