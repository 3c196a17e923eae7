// Starting the program with the desktop session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/vornik.desktop (~/.config when that variable is
// unset, empty or not absolute). The entry is the switch: no setting keeps it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/result.h"

namespace vornik::gui {

std::filesystem::path LoginStartFile();
bool LoginStartOn();

// The arguments as one Exec value of a desktop entry: an argument with a
// reserved character is quoted, and the value is escaped as the file's strings
// are.
std::string DesktopExecValue(const std::vector<std::string>& arguments);

// Writes the entry (atomically) to run `command`, or removes it. A failure says
// why in words for the user.
Result<> SetLoginStart(bool on, const std::vector<std::string>& command);

}  // namespace vornik::gui
