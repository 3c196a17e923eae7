// The subcommands of `vornik`, each run on Qt Core alone and ended with its exit
// code: 0 done, 1 failed or done in part (the parser answers mistakes with 2).
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

// The application object must exist; `options.command` names a subcommand.
int RunCommand(const cli::Options& options, std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
