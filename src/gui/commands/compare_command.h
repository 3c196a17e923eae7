// vornik compare: what the recorded calls cost, and what they would have cost
// under a rule file or another tariff, per billing month and in total.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

// 1 when the folder holds no log or the rule file cannot be read.
int RunCompareCommand(const cli::Options& options, const cli::CompareCommand& command,
                      std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
