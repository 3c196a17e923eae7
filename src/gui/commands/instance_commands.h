// vornik status, dial and hangup: the running instance of the program folder
// is asked over its socket. Without one, status reads the log instead, and dial
// and hangup say that nothing runs.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

int RunStatusCommand(const cli::Options& options, const cli::StatusCommand& command,
                     std::ostream& out, std::ostream& err);
int RunDialCommand(const cli::Options& options, const cli::DialCommand& command, std::ostream& out,
                   std::ostream& err);
int RunHangUpCommand(const cli::Options& options, std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
