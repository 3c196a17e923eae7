#include "commands/compare_command.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/json_writer.h"
#include "base/number_text.h"
#include "commands/log_reading.h"
#include "reports/report_forms.h"
#include "reports/tariff_comparison.h"
#include "settings/rule_file.h"

namespace vornik::gui {
namespace {

// One set of rules the calls were priced under, and how to name it.
struct Compared {
    TimeRules rules;
    std::string file;  // empty for the rules in force with another tariff
    TariffComparison comparison;
};

std::string Money(double value) {
    return PlainNumber(value, 2);
}

FeeType TypeOf(const TimeRules& rules) {
    return static_cast<FeeType>(rules.feeType);
}

std::string Heading(const Compared& compared) {
    const std::string tariff = FeeTypeName(TypeOf(compared.rules));
    if (compared.file.empty()) {
        return "按现有费率（" + tariff + "）：";
    }
    return "按规则文件 " + compared.file + "（" + tariff + "）：";
}

std::vector<std::string> CostRow(const std::string& label, const CostComparison& cost) {
    return {label, std::to_string(cost.calls), Money(cost.recorded), Money(cost.compared),
            Money(cost.Difference())};
}

std::string Table(const std::vector<Compared>& all) {
    std::string text = "资费比较：" + all.front().comparison.entryName + "\n";
    for (const Compared& compared : all) {
        std::vector<std::vector<std::string>> rows = {
            {"账单月", "次数", "记录费用(元)", "比较费用(元)", "差额(元)"}};
        for (const MonthCostComparison& month : compared.comparison.months) {
            rows.push_back(CostRow(BillingMonthText(month.month), month.cost));
        }
        rows.push_back(CostRow("合计", compared.comparison.total));
        text += "\n" + Heading(compared) + "\n" + AlignedTable(rows);
    }
    return text;
}

void CostFields(JsonWriter& json, const CostComparison& cost) {
    json.Key("calls").Integer(cost.calls);
    json.Key("recordedFee").Number(cost.recorded);
    json.Key("comparedFee").Number(cost.compared);
    json.Key("difference").Number(cost.Difference());
}

std::string Json(const std::vector<Compared>& all, const Period& stretch) {
    const TariffComparison& first = all.front().comparison;
    JsonWriter json;
    json.BeginObject();
    json.Key("report").String("compare");
    json.Key("entry").String(first.entryName);
    json.Key("firstMonth").String(BillingMonthText(first.months.front().month));
    json.Key("lastMonth").String(BillingMonthText(first.months.back().month));
    json.Key("start").String(IsoLocalText(stretch.start));
    json.Key("end").String(IsoLocalText(stretch.end));
    json.Key("comparisons").BeginArray();
    for (const Compared& compared : all) {
        json.BeginObject();
        json.Key("source").String(compared.file.empty() ? "tariffType" : "ruleFile");
        if (!compared.file.empty()) {
            json.Key("file").String(compared.file);
        }
        json.Key("feeType").String(cli::TariffTypeWord(compared.rules.feeType));
        json.Key("months").BeginArray();
        for (const MonthCostComparison& month : compared.comparison.months) {
            json.BeginObject();
            json.Key("billingMonth").String(BillingMonthText(month.month));
            CostFields(json, month.cost);
            json.EndObject();
        }
        json.EndArray();
        json.Key("totals").BeginObject();
        CostFields(json, compared.comparison.total);
        json.EndObject();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

// The rules of each comparison asked for; nothing, with the reason on `err`,
// when the rule file cannot be read.
std::optional<std::vector<Compared>> RulesToCompare(LogReading& reading,
                                                    const cli::CompareCommand& command,
                                                    std::ostream& err) {
    using Source = cli::CompareCommand::Source;
    std::vector<Compared> all;
    if (command.source == Source::kRuleFile) {
        const Result<TimeRules> rules = RulesOfRuleFile(reading.Db(), command.rules);
        if (!rules) {
            err << "vornik: " << rules.Error() << std::endl;
            return std::nullopt;
        }
        all.push_back({*rules, command.rules.string(), {}});
        return all;
    }
    for (const FeeType type : kAllFeeTypes) {
        if (command.source == Source::kAllTypes || static_cast<int>(type) == command.type) {
            TimeRules rules = reading.Rules();
            LoadTariffAs(reading.Db(), rules, type);
            all.push_back({rules, {}, {}});
        }
    }
    return all;
}

}  // namespace

int RunCompareCommand(const cli::Options& options, const cli::CompareCommand& command,
                      std::ostream& out, std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    std::optional<std::vector<Compared>> all = RulesToCompare(reading, command, err);
    if (!all) {
        return 1;
    }
    const int firstFeeDay = reading.FirstFeeDay();
    const BillingMonth last = reading.Month(command.selection);
    const BillingMonth first = FirstOfMonths(last, command.months);
    const std::string entry = reading.Entry(command.selection.entry);
    for (Compared& compared : *all) {
        compared.comparison =
            CompareTariff(reading.Db(), entry, first, last, firstFeeDay, compared.rules);
    }
    if (command.json) {
        const Period stretch{BillingMonthBounds(first, firstFeeDay).start,
                             BillingMonthBounds(last, firstFeeDay).end};
        out << Json(*all, stretch);
    } else {
        out << Table(*all);
    }
    return out ? 0 : 1;
}

}  // namespace vornik::gui
