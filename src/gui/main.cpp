// vornik: the connection meter. With a display it opens the desktop shell;
// without one (or with --headless) it runs the same session on the terminal.
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/backend_choice.h"
#include "app/exit_hook.h"
#include "app/headless.h"
#include "app/program_folder.h"
#include "app/prompter.h"
#include "app/qt_translations.h"
#include "app/resource_locator.h"
#include "app/shell.h"
#include "app/single_instance.h"
#include "command_line.h"
#include "probe/ping_probe.h"
#include "store/dbio.h"
#include "store/error_log.h"

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

bool HasDisplay() {
    return Environment("DISPLAY") || Environment("WAYLAND_DISPLAY") ||
           Environment("QT_QPA_PLATFORM");
}

vornik::ProgramFolderSources FolderSources(const vornik::cli::Options& options) {
    vornik::ProgramFolderSources sources;
    sources.rootOption = options.root;
    sources.executableFolder = QCoreApplication::applicationDirPath().toStdString();
    sources.xdgDataHome = Environment("XDG_DATA_HOME");
    sources.home = Environment("HOME");
    return sources;
}

// Notices of the back-end go wherever the running shell shows messages.
using NoticeSink = std::function<void(const std::string&)>;

// Why this start ends at once goes to stderr, and on the desktop also into a box:
// a program started from a menu has no terminal to read.
int TellWhyNotStarted(const QString& text, bool desktop, int code) {
    std::cerr << text.toStdString() << std::endl;
    if (desktop) {
        vornik::gui::MessageBoxPrompter().Warn(nullptr, text);
    }
    return code;
}

int RunHeadless(vornik::Dbio& db, vornik::gui::ChosenDialer& chosen, vornik::LinkProbe& probe,
                const vornik::Clock& clock) {
    vornik::gui::HeadlessShell shell(
        {db, *chosen.dialer, probe, clock, std::cout, chosen.note, isatty(STDOUT_FILENO) == 1});
    QObject::connect(&shell, &vornik::gui::HeadlessShell::exited, QCoreApplication::instance(),
                     &QCoreApplication::exit);
    vornik::gui::LeaveOnTerminationSignals(&shell, [&shell] { shell.ExitApp(); });
    shell.Start();
    return QCoreApplication::exec();
}

int RunDesktop(const vornik::ProgramFolder& folder, vornik::Dbio& db, const vornik::ErrorLog& log,
               vornik::gui::ChosenDialer& chosen, vornik::LinkProbe& probe,
               const vornik::Clock& clock, vornik::gui::SingleInstance& instance,
               NoticeSink& notices) {
    QApplication::setQuitOnLastWindowClosed(false);
    vornik::gui::MessageBoxPrompter prompter;
    vornik::gui::Shell shell({folder, db, log, *chosen.dialer, probe, clock, prompter,
                              QSystemTrayIcon::isSystemTrayAvailable(), chosen.note, true});
    notices = [&shell](const std::string& text) { shell.ShowMessage(text, [] {}); };
    QObject::connect(&shell, &vornik::gui::Shell::exited, QCoreApplication::instance(),
                     &QCoreApplication::exit);
    QObject::connect(&instance, &vornik::gui::SingleInstance::activationRequested, &shell,
                     &vornik::gui::Shell::BringForward);
    vornik::gui::LeaveOnTerminationSignals(&shell, [&shell] { shell.ExitApp(); });
    // Why the log did not open, or that it is damaged, and what to do.
    if (const std::string failure = db.OpenFailure(); !failure.empty()) {
        prompter.ShowMessage(nullptr, QString::fromStdString(failure), [] {});
    }
    shell.Start();
    // Qt's X11 platform calls exit() when the display connection breaks.
    const vornik::gui::ExitHook displayLost([&shell] { shell.CloseCallOnAbruptEnd(); });
    const int code = QApplication::exec();
    notices = [](const std::string& text) { std::cout << text << std::endl; };
    // However the event loop ended (the session manager may quit it), the call
    // was closed on the way; the shell knows whether its record was saved.
    return shell.Exited() ? shell.ExitCode() : code;
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
    const bool headless = options.headless || !HasDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Vornik"));
    vornik::gui::InitResources();
    const vornik::ProgramFolder folder = vornik::ResolveProgramFolder(FolderSources(options));
    const vornik::ErrorLog log(folder.ErrorLogFile());
    auto trace = [&log](const std::string& line) { log.Write(line); };
    if (!headless) {
        vornik::gui::InstallQtTranslations(log);
    }
    std::string error;
    if (!vornik::PrepareProgramFolder(folder, error, trace)) {
        return TellWhyNotStarted(
            QStringLiteral("Vornik 无法启动：无法建立程序文件夹：") + QString::fromStdString(error),
            !headless, 1);
    }
    vornik::gui::SingleInstance instance(QString::fromStdString(folder.root.string()), !headless,
                                         trace);
    using Outcome = vornik::gui::SingleInstance::Outcome;
    const vornik::gui::SingleInstance::Claimed claimed = instance.Claim();
    if (claimed.outcome == Outcome::kCannotStart) {
        return TellWhyNotStarted(claimed.message, !headless, 1);
    }
    if (claimed.outcome == Outcome::kAnotherRunning) {
        // A window that came forward says enough on the desktop.
        return TellWhyNotStarted(claimed.message, !headless && !claimed.windowShown, 0);
    }

    vornik::Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    if (const std::string failure = db.OpenFailure(); !failure.empty()) {
        std::cerr << "vornik: " << failure << '\n';
    }
    vornik::SystemClock clock;
    NoticeSink notices = [](const std::string& notice) { std::cout << notice << std::endl; };
    vornik::gui::ChosenDialer chosen = vornik::gui::ChooseDialer(
        options.dialer, folder, clock,
        {[&notices](const std::string& notice) { notices(notice); }, trace});
    if (!chosen.dialer) {
        std::cerr << "vornik: " << chosen.error << '\n';
        return 2;
    }
    vornik::PingProbe probe(trace);
    if (headless) {
        return RunHeadless(db, chosen, probe, clock);
    }
    return RunDesktop(folder, db, log, chosen, probe, clock, instance, notices);
}
