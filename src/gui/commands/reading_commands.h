// vornik log, totals and report: the calls and totals the history view shows,
// and the report pages, read from the log of a program folder.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

int RunLogCommand(const cli::Options& options, const cli::LogCommand& command, std::ostream& out,
                  std::ostream& err);
int RunTotalsCommand(const cli::Options& options, const cli::TotalsCommand& command,
                     std::ostream& out, std::ostream& err);
// Writes the report and prints its path; 1 when the month (or year) has no call.
int RunReportCommand(const cli::Options& options, const cli::ReportCommand& command,
                     std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
