// vornik rules export FILE | import FILE | show [--json]: the rules of a program
// folder from the command line, on Qt Core alone. The log is opened directly,
// whether or not Vornik runs (it takes a second connection); a running Vornik is
// asked to load imported rules at once.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

// 0 done; 1 failed or done in part; the application object must exist.
int RunRulesCommand(const cli::Options& options, const cli::RulesCommand& command,
                    std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
