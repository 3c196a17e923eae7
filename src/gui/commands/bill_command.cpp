#include "commands/bill_command.h"

#include <ostream>

#include "base/json_writer.h"
#include "commands/log_reading.h"
#include "reports/bills.h"
#include "reports/report_forms.h"

namespace vornik::gui {
namespace {

const char* BasisName(BillCorrection::Basis basis) {
    return basis == BillCorrection::Basis::kMinutes ? "minutes" : "megabytes";
}

void PrintJson(const std::vector<BilledMonth>& months,
               const std::optional<BillCorrection>& correction, std::ostream& out) {
    JsonWriter json;
    json.BeginObject();
    json.Key("bills").BeginArray();
    for (const BilledMonth& month : months) {
        json.BeginObject();
        json.Key("billingMonth").String(BillingMonthText(month.bill.month));
        json.Key("amount").Number(month.bill.amount, 2);
        json.Key("recordedFee").Number(month.recorded.fee, 2);
        json.Key("recordedSeconds").Integer(month.recorded.seconds);
        json.Key("recordedBytes").Integer(month.recorded.bytes);
        json.Key("difference").Number(month.bill.amount - month.recorded.fee, 2);
        json.EndObject();
    }
    json.EndArray();
    json.Key("correction");
    if (correction) {
        json.BeginObject();
        json.Key("basis").String(BasisName(correction->basis));
        json.Key("yuanPerUnit").Number(correction->yuanPerUnit);
        json.EndObject();
    } else {
        json.Null();
    }
    json.EndObject();
    out << json.Text();
}

void PrintText(const std::vector<BilledMonth>& months,
               const std::optional<BillCorrection>& correction, std::ostream& out) {
    for (const BilledMonth& month : months) {
        out << BillingMonthText(month.bill.month) << "  "
            << BillLine(month.bill.amount, month.recorded, std::nullopt, PlainNumber) << '\n';
    }
    if (correction) {
        out << "按账单校正：每"
            << (correction->basis == BillCorrection::Basis::kMinutes ? "分钟" : "MB") << " "
            << PlainNumber(correction->yuanPerUnit, 4) << "元\n";
    }
}

}  // namespace

int RunBillCommand(const cli::Options& options, const cli::BillCommand& command, std::ostream& out,
                   std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    BillBook bills(reading.Db());
    if (command.verb == cli::BillCommand::Verb::kSet) {
        const Result<> saved =
            bills.Save({{command.month.year, command.month.month}, command.amount});
        if (!saved) {
            err << "vornik: 账单没有保存：" << saved.Error() << std::endl;
            return 1;
        }
        return 0;
    }
    UsageTotalsReader reader(reading.Db());
    const std::vector<BilledMonth> months =
        bills.Compare(reader, reading.FirstFeeDay(), reading.Entry(command.entry));
    const std::optional<BillCorrection> correction = LearnBillCorrection(months);
    if (command.json) {
        PrintJson(months, correction, out);
    } else {
        PrintText(months, correction, out);
    }
    return out ? 0 : 1;
}

}  // namespace vornik::gui
