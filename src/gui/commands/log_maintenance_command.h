// vornik log remove-old|compact|backup|restore|export|import: the jobs of the
// 拨号记录 menus, answered with one line for scripts. Compaction and restore
// replace the log file, so a running instance of the folder does them itself.
#pragma once

#include <iosfwd>

#include "command_line.h"

namespace vornik::gui {

int RunLogMaintenanceCommand(const cli::Options& options, const cli::LogMaintenanceCommand& command,
                             std::ostream& out, std::ostream& err);

}  // namespace vornik::gui
