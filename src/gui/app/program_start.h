// The start-up that the terminal and the desktop share: the program folder, the
// instance lock, the log, the dialer back-end and the link probe. Then the front
// that shows the session (the terminal's or the desktop's) takes over.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "app/backend_choice.h"
#include "app/program_folder.h"
#include "app/single_instance.h"
#include "base/clock.h"
#include "command_line.h"
#include "dialer/link_probe.h"
#include "store/dbio.h"
#include "store/error_log.h"

namespace vornik::gui {

// Notices of the back-end go wherever the running front shows messages.
using NoticeSink = std::function<void(const std::string&)>;

struct StartedParts {
    const ProgramFolder& folder;
    Dbio& db;
    const ErrorLog& log;
    ChosenDialer& chosen;
    LinkProbe& probe;
    const Clock& clock;
    SingleInstance& instance;
    // Prints on stdout; a front that shows notices its own way replaces it
    // while it runs.
    NoticeSink& notices;
};

// What differs between the terminal and the desktop at start-up.
class Front {
  public:
    virtual ~Front() = default;
    // A second start is told whether there is a window to bring forward, and
    // a refused start is shown in a box as well.
    virtual bool HasWindow() const = 0;
    // The error log is known: the desktop reads Qt's own translations.
    virtual void Prepare(const ErrorLog&) {}
    // Why this start ends at once, already written on stderr: a program started
    // from a menu has no terminal to read it on.
    virtual void ShowRefusal(const QString&) {}
    // How 属性 opens the simulated phone book; none: it is only read again.
    virtual std::function<void(const std::filesystem::path&)> Editor() { return {}; }
    // Runs the session until the program leaves; returns the exit code.
    virtual int Run(StartedParts& parts) = 0;
};

// With the application object made by the caller; returns the exit code.
int RunProgram(const cli::Options& options, Front& front);

// The program folder the options choose; the application object must exist.
ProgramFolder ChosenProgramFolder(const cli::Options& options);

}  // namespace vornik::gui
