#include "commands/instance_commands.h"

#include <optional>
#include <ostream>

#include "app/live_status.h"
#include "app/program_start.h"
#include "app/single_instance.h"
#include "base/clock.h"
#include "commands/instance_requests.h"
#include "commands/log_reading.h"
#include "metering/speed_meter.h"

namespace vornik::gui {
namespace {

QString FolderOf(const cli::Options& options) {
    return QString::fromStdString(ChosenProgramFolder(options).root.string());
}

constexpr char kNoAnswer[] = "vornik: 正在运行的 Vornik 没有应答。";

// No call is up: today's and the current billing month's totals of the last
// entry, and where the month is heading, from the log.
int StatusFromLog(const cli::Options& options, bool json, std::ostream& out, std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    const Moment now = SystemClock().Now();
    const std::string entry = reading.Entry({});
    UsageTotals totals;
    UsageTotalsReader reader(reading.Db());
    reader.LoadTodayTotals(now, entry, totals);
    const BillingMonth current = BillingMonthOf(now, reading.FirstFeeDay());
    reader.LoadMonthTotals(true, current, reading.FirstFeeDay(), entry, now, totals);
    const CurrentCall call;
    const CallFee fee;
    const SpeedMeter speed;
    const MonthForecast forecast =
        ForecastMonth(reading.Rules(), LoadForecastInput(reader, reading.Rules(), entry, now));
    const LiveFigures figures{false, entry, call, fee, totals, speed, 70, true, &forecast};
    out << (json ? StatusObject(figures, now, false) : CompactStatusLine(figures, now, PlainNumber))
        << (json ? "" : "\n");
    return 0;
}

// "ok", or the reason the instance gave, or that none runs or answers.
int Drive(const cli::Options& options, const std::string& verb, const std::string& argument,
          std::ostream& err) {
    const std::optional<std::string> answer =
        SingleInstance::AskCommand(FolderOf(options), verb, argument);
    if (!answer) {
        err << "vornik: 没有正在运行的 Vornik（程序文件夹 " << FolderOf(options).toStdString()
            << "）。" << std::endl;
        return 1;
    }
    if (*answer == "ok") {
        return 0;
    }
    if (answer->starts_with("error ")) {
        err << "vornik: " << answer->substr(6) << std::endl;
    } else {
        err << kNoAnswer << std::endl;
    }
    return 1;
}

}  // namespace

int RunStatusCommand(const cli::Options& options, const cli::StatusCommand& command,
                     std::ostream& out, std::ostream& err) {
    const std::optional<std::string> answer =
        SingleInstance::AskCommand(FolderOf(options), "status", command.json ? "" : "text");
    if (!answer) {
        return StatusFromLog(options, command.json, out, err);
    }
    if (answer->empty()) {
        err << kNoAnswer << std::endl;
        return 1;
    }
    out << *answer << '\n';
    return 0;
}

int RunDialCommand(const cli::Options& options, const cli::DialCommand& command, std::ostream& out,
                   std::ostream& err) {
    const int code = Drive(options, "dial", command.entry, err);
    if (code == 0) {
        out << "正在拨号。" << std::endl;
    }
    return code;
}

int RunHangUpCommand(const cli::Options& options, std::ostream& out, std::ostream& err) {
    const int code = Drive(options, "hangup", {}, err);
    if (code == 0) {
        out << "正在断开。" << std::endl;
    }
    return code;
}

}  // namespace vornik::gui
