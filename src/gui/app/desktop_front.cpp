// The desktop's way of running the session, and the entry through which the
// program starts it once this module is loaded.
#include <QApplication>
#include <QDesktopServices>
#include <QSystemTrayIcon>
#include <QUrl>
#include <iostream>

#include "app/core_text.h"
#include "app/desktop_loader.h"
#include "app/exit_hook.h"
#include "app/headless.h"
#include "app/language.h"
#include "app/program_start.h"
#include "app/prompter.h"
#include "app/resource_locator.h"
#include "app/shell.h"
#include "commands/instance_requests.h"

namespace vornik::gui {
namespace {

class DesktopFront : public Front {
  public:
    DesktopFront(std::string language, bool startInTray)
        : language_(std::move(language)), startInTray_(startInTray) {}
    bool HasWindow() const override { return true; }
    void Prepare(const ErrorLog& log) override { InstallLanguage(log, language_); }
    void ShowRefusal(const QString& text) override { MessageBoxPrompter().Warn(nullptr, text); }
    std::function<void(const std::filesystem::path&)> Editor() override {
        return [](const std::filesystem::path& file) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        };
    }
    int Run(StartedParts& parts) override;

  private:
    std::string language_;
    bool startInTray_;
};

int DesktopFront::Run(StartedParts& parts) {
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPrompter prompter;
    Shell shell({parts.folder,
                 parts.db,
                 parts.log,
                 *parts.chosen.dialer,
                 parts.probe,
                 parts.clock,
                 prompter,
                 QSystemTrayIcon::isSystemTrayAvailable(),
                 parts.chosen.note,
                 true,
                 {},
                 startInTray_});
    parts.notices = [&shell](const std::string& text) { shell.ShowMessage(text, [] {}); };
    QObject::connect(&shell, &Shell::exited, QCoreApplication::instance(), &QCoreApplication::exit);
    QObject::connect(&parts.instance, &SingleInstance::activationRequested, &shell,
                     &Shell::BringForward);
    QObject::connect(&parts.instance, &SingleInstance::rulesReloadRequested, &shell,
                     [&shell] { shell.CoreSession().ReloadRules(); });
    parts.instance.SetCommandHandler([&shell, &parts](const std::string& verb,
                                                      const std::string& argument,
                                                      SingleInstance::Reply reply) {
        AnswerInstanceRequest({shell.CoreSession(), shell.LogJobs(), parts.clock}, verb, argument,
                              std::move(reply));
    });
    LeaveOnTerminationSignals(&shell, [&shell] { shell.ExitApp(); });
    // Why the log did not open, or that it is damaged, and what to do.
    if (const std::string failure = parts.db.OpenFailure(); !failure.empty()) {
        prompter.ShowMessage(nullptr, CoreText(failure), [] {});
    }
    shell.Start();
    // Qt's X11 platform calls exit() when the display connection breaks.
    const ExitHook displayLost([&shell] { shell.CloseCallOnAbruptEnd(); });
    const int code = QApplication::exec();
    parts.instance.SetCommandHandler({});
    parts.notices = [](const std::string& text) { std::cout << text << std::endl; };
    // However the event loop ended (the session manager may quit it), the call
    // was closed on the way; the shell knows whether its record was saved.
    return shell.Exited() ? shell.ExitCode() : code;
}

}  // namespace
}  // namespace vornik::gui

extern "C" __attribute__((visibility("default"))) int VornikRunDesktop(
    int& argc, char** argv, const vornik::cli::Options& options) {
    QApplication application(argc, argv);
    // Lets the desktop match the windows to the installed desktop file: its icon
    // and name in the task bar, and the application id on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORNIK_APP_ID));
    vornik::gui::InitResources();
    vornik::gui::DesktopFront front(options.language, options.startInTray);
    return vornik::gui::RunProgram(options, front);
}
