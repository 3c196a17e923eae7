// vornik: the connection meter. With a display it opens the desktop, a module
// loaded only then; without one (or with --headless) it runs the same session
// on the terminal, on Qt Core alone.
#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <variant>

#include "app/desktop_loader.h"
#include "app/headless.h"
#include "app/program_start.h"
#include "command_line.h"
#include "commands/run_command.h"

namespace {

bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr ||
           std::getenv("QT_QPA_PLATFORM") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // Help, version and mistakes are answered before a window system is asked for:
    // QApplication aborts when the display does not answer.
    const vornik::cli::ParseResult command = vornik::cli::ParseCommandLine(argc, argv);
    if (const std::optional<int> code = vornik::cli::Answer(command, std::cout, std::cerr)) {
        return *code;
    }
    const vornik::cli::Options& options = command.options;
    if (!std::holds_alternative<std::monostate>(options.command)) {
        // A subcommand needs no display, whatever the environment says.
        QCoreApplication application(argc, argv);
        return vornik::gui::RunCommand(options, std::cout, std::cerr);
    }
    if (!options.headless && HasDisplay()) {
        return vornik::gui::RunDesktopModule(argc, argv, options);
    }
    // Qt's own event loop: nothing on the terminal needs GLib's, which costs more
    // at every wake-up. What the program starts (ping, pppd) gets the environment
    // as it was.
    const bool loopChosen = qEnvironmentVariableIsSet("QT_NO_GLIB");
    if (!loopChosen) {
        qputenv("QT_NO_GLIB", "1");
    }
    QCoreApplication application(argc, argv);
    if (!loopChosen) {
        qunsetenv("QT_NO_GLIB");
    }
    vornik::gui::HeadlessFront front(options.jsonLines);
    return vornik::gui::RunProgram(options, front);
}
