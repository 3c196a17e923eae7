// The desktop shell: the adapter between the session and Qt. It owns the
// windows, the tray icon, the sounds and the timers, shows what the session tells
// it to, and turns every door of a command into the session's procedure.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/commands.h"
#include "app/program_folder.h"
#include "app/session.h"
#include "app/tick_driver.h"
#include "app/user_interface.h"
#include "reports/month_report.h"
#include "settings/password_prompt.h"

class QSystemTrayIcon;

namespace vornik::gui {

class DesktopNotifier;
class FloatWindow;
class LocalPagePanel;
class LogCommands;
class LogJobRunner;
class MainWindow;
class Prompter;
class ResourceLocator;
class RuleFileCommands;
class SkinMenu;
class SoundPlayer;

struct ShellParts {
    ProgramFolder folder;
    Dbio& db;
    const ErrorLog& log;
    Dialer& dialer;
    LinkProbe& probe;
    const Clock& clock;
    Prompter& prompter;
    bool trayAvailable = true;
    // Shown in the main window so that a simulated link is never taken for a
    // real one.
    QString backendNote;
    // Tests drive the ticks themselves.
    bool startTimers = true;
    // Opens a page or an address with the desktop's handler; tests record it
    // instead. Empty: QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
    // Started with the desktop session (--tray): the window stays hidden, as
    // WindowAutoHide hides it.
    bool startInTray = false;
};

class Shell : public QObject, public UserInterface {
    Q_OBJECT
  public:
    explicit Shell(ShellParts parts);
    ~Shell() override;

    // The start-up sequence; the log is already open.
    void Start();
    void MainTick();
    void MinuteTick();
    void Run(Command command);
    void ConfirmExit();
    void ExitApp();
    // Runs `action` after the right password: the rule settings and the exit ask
    // for it while password protection is on, the removal of old records always.
    void Guard(Guarded guarded, std::function<void()> action);
    // The program is being ended by exit() (Qt's X11 platform does so when the
    // connection to the display breaks): nothing can be shown any more, but the
    // running call is closed and written. Safe to call from an atexit handler.
    void CloseCallOnAbruptEnd();
    // A second start of the program asks this one to come forward.
    void BringForward();

    Session& CoreSession() { return session_; }
    MainWindow& Window() { return *window_; }
    FloatWindow& Float() { return *float_; }
    SkinMenu& Skins() { return *skins_; }
    QSystemTrayIcon* Tray() const { return tray_; }
    LocalPagePanel* Panel() const { return panel_; }
    QString TrayToolTip() const { return trayToolTip_; }
    RuleFileCommands& RuleFiles() { return *ruleFiles_; }
    LogCommands& LogFiles() { return *logCommands_; }
    LogJobRunner& LogJobs() { return *logJobs_; }
    bool Exited() const { return exited_; }
    // 0 when every call's record is in the log; valid once exited.
    int ExitCode() const { return exitCode_; }

    // UserInterface
    void ShowDialStatus(const std::string& line) override;
    void PlaySound(Sound sound) override;
    void ShowLinkIcons(LinkIcons icons) override;
    void ShowMenuStates(const MenuStates& states) override;
    void ShowHistory(const MonthHistory& history) override;
    void ShowMonthBill(const MonthBill& bill) override;
    void ShowForecast(const MonthForecast& forecast) override;
    void ShowLiveFigures(const LiveFigures& figures) override;
    void ShowEntryList(const std::vector<std::string>& names) override;
    void ShowEntry(const std::string& name) override;
    void ShowCredentials(const std::string& userName, const std::string& password) override;
    void ShowMessage(const std::string& text, std::function<void()> closed) override;
    void AskOkCancel(const std::string& question, std::function<void(bool ok)> answer) override;
    void Announce(const Notice& notice) override;

  signals:
    // The program's exit code: 0 when every call's record is in the log.
    void exited(int code);

  private:
    void SizeLiveLabels();
    void BuildSkinMenu();
    void ConnectWindow();
    void ConnectFloatWindow();
    void ToggleFloatWindow();
    void ShowFloatWindow(bool shown);
    void OpenOptionsDialog();
    void ToggleMainWindow();
    void ShowMainWindow();
    void WriteShownReport(ReportKind kind);
    void OpenComparisonWindow();
    void OpenSearchDialog();
    void OpenAboutDialog();
    void OpenBillDialog();
    void OpenPage(const QUrl& page);
    void RefreshPanel();
    bool OpenUrl(const QUrl& url);

    ShellParts parts_;
    std::unique_ptr<ResourceLocator> locator_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FloatWindow> float_;
    LocalPagePanel* panel_ = nullptr;
    std::unique_ptr<SoundPlayer> sounds_;
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<DesktopNotifier> notifier_;
    // Owned by the main window's skin menu.
    SkinMenu* skins_ = nullptr;
    Session session_;
    std::unique_ptr<RuleFileCommands> ruleFiles_;
    std::unique_ptr<LogJobRunner> logJobs_;
    std::unique_ptr<LogCommands> logCommands_;
    TickDriver ticks_;
    QString trayToolTip_;
    // The shown month's bill against its record, set with the history.
    // Composed when they change, not by every second that shows them.
    QString billLine_;
    BillingMonth forecastMonth_;
    QString forecastLine_;
    QString forecastTipLine_;
    bool floatWindowShown_ = false;
    bool exited_ = false;
    int exitCode_ = 0;
    // Set once the display is gone: the windows are not touched again.
    bool displayGone_ = false;
};

}  // namespace vornik::gui
