// vornik bill: the provider's bills beside the recorded fees of the log.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

int RunBillCommand(const cli::Options& options, const cli::BillCommand& command, std::ostream& out,
                   std::ostream& err);

}  // namespace vornik::gui
