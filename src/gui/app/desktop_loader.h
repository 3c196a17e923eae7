// The desktop (windows, tray icon, sounds, pictures) is a module of its own,
// loaded only when the program shows windows: a run on the terminal never maps
// the widget, picture and sound libraries. The module uses the start-up, the
// core and the back-ends of the executable that loaded it.
#pragma once

#include "command_line.h"

// The module's entry: makes the QApplication and runs the program on the
// desktop; returns the exit code.
extern "C" int VornikRunDesktop(int& argc, char** argv, const vornik::cli::Options& options);

namespace vornik::gui {

// Finds the module beside the executable (the build tree, a portable folder) or
// in ../lib/vornik (an installation) and runs the program through it. When it
// cannot be loaded, says why on stderr and returns 1.
int RunDesktopModule(int& argc, char** argv, const cli::Options& options);

}  // namespace vornik::gui
