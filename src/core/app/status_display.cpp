#include "app/status_display.h"

#include "base/format_duration.h"

namespace vornik {
namespace {

std::string DurationAndFee(const char* label, std::int64_t seconds, double fee,
                           const NumberFormat& format) {
    return label + FormatDuration(seconds) + "  费用：" + format(fee, 2);
}

}  // namespace

StatusText ComposeStatusText(const CurrentCall& call, double callFee, const UsageTotals& totals,
                             bool connected, const NumberFormat& format) {
    const std::int64_t running = connected ? call.callSeconds : 0;
    const double runningFee = connected ? callFee : 0;
    StatusText status;
    status.text = DurationAndFee("本月用时：", totals.shownMonthSeconds + running,
                                 totals.shownMonthFee + runningFee, format) +
                  "\n" +
                  DurationAndFee("今日用时：", totals.todaySeconds + running,
                                 runningFee + totals.todayFee, format) +
                  "\n" +
                  DurationAndFee(connected ? " 本次用时：" : " 上次用时：", call.callSeconds,
                                 callFee, format) +
                  "\n 收到字节：" + format(static_cast<double>(call.callBytesIn), 0) +
                  "\n发送字节：" + format(static_cast<double>(call.callBytesOut), 0) +
                  "\n 本 机 IP：" + call.callIpAddress;
    status.trayTip = "今日用时：" + FormatDuration(totals.todaySeconds + running) + "\n" +
                     (connected ? " 本次用时：" : "上次用时：") + FormatDuration(call.callSeconds);
    return status;
}

std::string FloatTimeLine(const CurrentCall& call, bool connected) {
    return (connected ? "本次用时:" : "上次用时:") + FormatDuration(call.callSeconds);
}

std::string FloatSpeedText(double kiloBytesPerSecond) {
    if (kiloBytesPerSecond > 0) {
        return PlainNumber(kiloBytesPerSecond, 1) + "k";
    }
    return PlainNumber(kiloBytesPerSecond * 1024, 1) + "b";
}

std::string SpeedText(double downKBps, double upKBps, const NumberFormat& format) {
    return "下传速度(KB/s):" + format(downKBps, 2) + "\n上传速度(KB/s):" + format(upKBps, 2);
}

MonthSummary ComposeMonthSummary(const BillingMonth& shown, int historyRowCount,
                                 const UsageTotals& totals, bool runningCall,
                                 std::int64_t callSeconds, double callFee,
                                 const NumberFormat& format) {
    const std::int64_t seconds = totals.shownMonthSeconds + (runningCall ? callSeconds : 0);
    const double fee = totals.shownMonthFee + (runningCall ? callFee : 0);
    const double megabytes = static_cast<double>(totals.shownMonthBytes) / 1024 / 1024;
    MonthSummary summary;
    summary.text = "用时" + FormatDuration(seconds) + ",花费" + format(fee, 2) + "￥,流量" +
                   format(megabytes, 2) + "MB";
    summary.toolTip = std::to_string(shown.year) + "年" + std::to_string(shown.month) + "月共上网" +
                      std::to_string(historyRowCount) + "次," + summary.text;
    return summary;
}

MenuStates ComputeMenuStates(const std::string& entryName, bool connected, bool soundOn,
                             int logOrderDescending) {
    MenuStates states;
    states.dialEnabled = !entryName.empty() && !connected;
    states.reportEnabled = !entryName.empty();
    states.hangUpEnabled = connected;
    states.soundCaption = soundOn ? "关闭提示声音" : "打开提示声音";
    states.orderCaption = logOrderDescending != 0 ? "升序排列" : "降序排列";
    return states;
}

}  // namespace vornik
