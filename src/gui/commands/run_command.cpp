#include "commands/run_command.h"

#include <ostream>
#include <variant>

#include "commands/bill_command.h"
#include "commands/compare_command.h"
#include "commands/instance_commands.h"
#include "commands/log_maintenance_command.h"
#include "commands/reading_commands.h"
#include "settings/rules_command.h"

namespace vornik::gui {
namespace {

template <class... Runners>
struct Overloaded : Runners... {
    using Runners::operator()...;
};

}  // namespace

int RunCommand(const cli::Options& options, std::ostream& out, std::ostream& err) {
    return std::visit(
        Overloaded{
            [&](const cli::RulesCommand& rules) {
                return RunRulesCommand(options, rules, out, err);
            },
            [&](const cli::LogCommand& log) { return RunLogCommand(options, log, out, err); },
            [&](const cli::TotalsCommand& totals) {
                return RunTotalsCommand(options, totals, out, err);
            },
            [&](const cli::ReportCommand& report) {
                return RunReportCommand(options, report, out, err);
            },
            [&](const cli::StatusCommand& status) {
                return RunStatusCommand(options, status, out, err);
            },
            [&](const cli::DialCommand& dial) { return RunDialCommand(options, dial, out, err); },
            [&](const cli::HangUpCommand&) { return RunHangUpCommand(options, out, err); },
            [&](const cli::BillCommand& bill) { return RunBillCommand(options, bill, out, err); },
            [&](const cli::LogMaintenanceCommand& maintenance) {
                return RunLogMaintenanceCommand(options, maintenance, out, err);
            },
            [&](const cli::CompareCommand& compare) {
                return RunCompareCommand(options, compare, out, err);
            },
            // The program itself is no subcommand; main() runs it.
            [&](const std::monostate&) { return 2; },
        },
        options.command);
}

}  // namespace vornik::gui
