#include "app/live_status.h"

#include "base/format_duration.h"
#include "reports/report_forms.h"

namespace vornik {
namespace {

// Today's and the month's figures count the running call, as the status text does.
struct Running {
    std::int64_t seconds = 0;
    double fee = 0;
    std::int64_t bytes = 0;
};

Running RunningCall(const LiveFigures& figures) {
    if (!figures.connected) {
        return {};
    }
    return {figures.call.callSeconds, figures.fee.callFee,
            figures.call.callBytesIn + figures.call.callBytesOut};
}

Running InShownMonth(const LiveFigures& figures) {
    return figures.callInShownMonth ? RunningCall(figures) : Running{};
}

std::string Money(double fee, const NumberFormat& number) {
    return number(fee, 2) + "元";
}

void Sums(JsonWriter& json, std::int64_t seconds, double fee, std::int64_t bytes) {
    json.BeginObject();
    json.Key("seconds").Integer(seconds);
    json.Key("fee").Number(fee);
    json.Key("bytes").Integer(bytes);
    json.EndObject();
}

void Forecast(JsonWriter& json, const MonthForecast& forecast) {
    json.BeginObject();
    json.Key("month").String(BillingMonthText(forecast.month));
    json.Key("projectedSeconds").Integer(forecast.projectedSeconds);
    json.Key("projectedBytes").Integer(forecast.projectedBytes);
    json.Key("projectedFee").Number(forecast.projectedFee, 2);
    json.Key("remainingDays").Integer(forecast.remainingDays);
    json.Key("limits").BeginArray();
    for (const LimitForecast& limit : forecast.limits) {
        json.BeginObject();
        const bool time = limit.kind == LimitKind::kMonthlyTime;
        json.Key("kind").String(time ? "monthlyTime" : "monthlyBytes");
        json.Key("limit").Integer(static_cast<std::int64_t>(limit.limit));
        json.Key("passed").Bool(limit.passed);
        json.Key("reachedOn");
        limit.reachedOn ? json.String(DateText(*limit.reachedOn)) : json.Null();
        json.Key("allowancePerDay").Integer(static_cast<std::int64_t>(limit.allowancePerDay));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace

std::string CompactStatusLine(const LiveFigures& figures, const Moment& now,
                              const NumberFormat& number) {
    const Running call = RunningCall(figures);
    const Running month = InShownMonth(figures);
    const UsageTotals& totals = figures.totals;
    std::string line = TimeOfDayText(now) + " " + figures.entryName + " ";
    if (figures.connected) {
        line += "已连接 " + FormatDuration(call.seconds) + " " + Money(call.fee, number) + " ↓" +
                number(figures.speed.NewestDown(), 2) + " ↑" + number(figures.speed.NewestUp(), 2) +
                " KB/s";
    } else {
        line += "未连接";
    }
    line += " | 今日 " + FormatDuration(totals.todaySeconds + call.seconds) + " " +
            Money(totals.todayFee + call.fee, number);
    line += " | 本月 " + FormatDuration(totals.shownMonthSeconds + month.seconds) + " " +
            Money(totals.shownMonthFee + month.fee, number);
    return line;
}

void WriteLiveStatus(JsonWriter& json, const LiveFigures& figures, const Moment& now) {
    const Running call = RunningCall(figures);
    const Running month = InShownMonth(figures);
    const UsageTotals& totals = figures.totals;
    json.Key("time").String(IsoLocalText(now));
    json.Key("entry").String(figures.entryName);
    json.Key("connected").Bool(figures.connected);
    json.Key("call");
    if (figures.connected) {
        json.BeginObject();
        const std::optional<Moment> since = ParseMoment(figures.call.callBeginTime);
        json.Key("since").String(since ? IsoLocalText(*since) : figures.call.callBeginTime);
        json.Key("seconds").Integer(call.seconds);
        json.Key("fee").Number(call.fee);
        json.Key("bytesIn").Integer(figures.call.callBytesIn);
        json.Key("bytesOut").Integer(figures.call.callBytesOut);
        json.Key("downKBps").Number(figures.speed.NewestDown(), 2);
        json.Key("upKBps").Number(figures.speed.NewestUp(), 2);
        json.Key("ipAddress").String(figures.call.callIpAddress);
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key("today");
    Sums(json, totals.todaySeconds + call.seconds, totals.todayFee + call.fee,
         totals.todayBytes + call.bytes);
    json.Key("month");
    Sums(json, totals.shownMonthSeconds + month.seconds, totals.shownMonthFee + month.fee,
         totals.shownMonthBytes + month.bytes);
    if (figures.forecast != nullptr) {
        json.Key("forecast");
        Forecast(json, *figures.forecast);
    }
}

}  // namespace vornik
