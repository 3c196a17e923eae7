#include "app/shell.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QWindow>
#include <iostream>

#include "app/column_label.h"
#include "app/core_text.h"
#include "app/desktop_notifier.h"
#include "app/float_window.h"
#include "app/history_view.h"
#include "app/locale_number.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/resource_locator.h"
#include "app/skin_menu.h"
#include "app/sound_player.h"
#include "app/speed_graph.h"
#include "app/status_display.h"
#include "base/setting_keys.h"
#include "maintenance/log_commands.h"
#include "maintenance/log_job_runner.h"
#include "settings/discount_time_editor.h"
#include "settings/holiday_editor.h"
#include "settings/options.h"
#include "settings/options_dialog.h"
#include "settings/password_prompt.h"
#include "settings/rule_file_commands.h"
#include "store/password_hash.h"
#include "store/settings_store.h"
#include "web/local_page_panel.h"
#include "web/web_pages.h"

namespace vornik::gui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The live labels are sized once for these figures, as wide as they get in a long
// month of fast calls; a wider text later still makes its label grow.
constexpr std::int64_t kLongestSeconds = 999 * 3600 + 59 * 60 + 59;
constexpr double kLargestFee = 9999.99;
constexpr std::int64_t kMostBytes = 999'999'999'999;
constexpr double kFastestKBps = 9999.99;

// A start at login runs in another folder than this one may have been given in.
std::string AbsoluteFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    return (ec ? folder : absolute).string();
}

}  // namespace

Shell::Shell(ShellParts parts)
    : parts_(std::move(parts)),
      session_(parts_.db, parts_.dialer, parts_.clock, *this, parts_.probe),
      ticks_([this] { MainTick(); }, [this] { MinuteTick(); }, parts_.dialer) {
    const ErrorLog& log = parts_.log;
    auto trace = [&log](const std::string& line) { log.Write(line); };
    // The installed share folder sits beside the executable's bin folder.
    const QString shareFolder =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vornik");
    locator_ = std::make_unique<ResourceLocator>(
        QString::fromStdString(parts_.folder.root.string()), shareFolder, trace);
    window_ = std::make_unique<MainWindow>(parts_.trayAvailable);
    window_->setWindowIcon(locator_->Icon(QStringLiteral("app")));
    window_->SetBackendNote(parts_.backendNote);
    panel_ = new LocalPagePanel(
        *locator_, HomePage(), [this](const QUrl& url) { return OpenUrl(url); }, window_.get());
    window_->AddPanel(panel_);
    float_ = std::make_unique<FloatWindow>(*locator_);
    sounds_ = std::make_unique<SoundPlayer>(*locator_, trace);
    ruleFiles_ = std::make_unique<RuleFileCommands>(
        parts_.db, parts_.prompter, QString::fromStdString(parts_.folder.root.string()),
        [this] { session_.ReloadRules(); });
    logJobs_ = std::make_unique<LogJobRunner>(session_, parts_.db);
    logCommands_ = std::make_unique<LogCommands>(
        session_, *logJobs_, parts_.prompter, parts_.clock,
        QString::fromStdString(parts_.folder.root.string()), window_.get());
    if (parts_.trayAvailable) {
        tray_ = new QSystemTrayIcon(locator_->Icon(QStringLiteral("app")), this);
        tray_->setContextMenu(window_->TrayMenu());
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        ToggleMainWindow();
                    }
                });
    }
    notifier_ =
        std::make_unique<DesktopNotifier>(tray_, locator_->Icon(QStringLiteral("app")), trace);
    SizeLiveLabels();
    BuildSkinMenu();
    ConnectWindow();
    ConnectFloatWindow();
    // The desktop session is ending: the session manager first asks for the data to
    // be saved (the program may be killed right after), then may quit the program.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this] { session_.WriteRunningCall(); });
        connect(app, &QCoreApplication::aboutToQuit, this, &Shell::ExitApp);
    }
}

Shell::~Shell() = default;

void Shell::SizeLiveLabels() {
    CurrentCall call;
    call.callSeconds = kLongestSeconds;
    call.callBytesIn = kMostBytes;
    call.callBytesOut = kMostBytes;
    call.callIpAddress = "255.255.255.255";
    const UsageTotals none;
    window_->DialMsg()->SetWidestText(
        CoreText(ComposeStatusText(call, kLargestFee, none, true, LocaleNumber).text));
    window_->SpeedMsg()->SetWidestText(
        CoreText(SpeedText(kFastestKBps, kFastestKBps, LocaleNumber)));
    UsageTotals month;
    month.shownMonthBytes = kMostBytes;
    window_->History()->Summary()->SetWidestText(CoreText(
        ComposeMonthSummary({2000, 12}, 0, month, true, kLongestSeconds, kLargestFee, LocaleNumber)
            .text));
}

void Shell::BuildSkinMenu() {
    skins_ =
        new SkinMenu(window_->StyleMenu(),
                     {.applied =
                          [this](const Skin* skin) {
                              float_->ApplySkinColours(skin != nullptr ? &skin->colours : nullptr);
                              window_->FitHeight();
                          },
                      .store =
                          [this](int index) {
                              session_.Settings().Save(keys::kNewStyle, std::to_string(index));
                          }});
}

void Shell::ConnectWindow() {
    MainWindow* w = window_.get();
    connect(w, &MainWindow::commandTriggered, this, &Shell::Run);
    connect(w, &MainWindow::entryChosen, this, [this](const QString& name) {
        window_->EntryList()->setToolTip(name);
        session_.ChangeEntry(name.toStdString());
    });
    connect(w, &MainWindow::userNameEdited, this, [this] { session_.MarkUserNameEdited(); });
    connect(w, &MainWindow::passwordEdited, this, [this] { session_.MarkPasswordEdited(); });
    connect(w, &MainWindow::userNameLeft, this,
            [this](const QString& text) { session_.StoreUserName(text.toStdString()); });
    connect(w, &MainWindow::passwordLeft, this,
            [this](const QString& text) { session_.StorePassword(text.toStdString()); });
    connect(w->History(), &HistoryView::monthChanged, this, [this](int year, int month) {
        session_.ShowBillingMonth({year, month});
    });
}

void Shell::ConnectFloatWindow() {
    FloatWindow* f = float_.get();
    connect(f, &FloatWindow::dialRequested, this, [this] { session_.Dial(); });
    connect(f, &FloatWindow::hangUpRequested, this, [this] { session_.DialDisconnect(); });
    connect(f, &FloatWindow::hideRequested, this, &Shell::ToggleFloatWindow);
    connect(f, &FloatWindow::showMainWindowRequested, this, &Shell::ShowMainWindow);
    connect(f, &FloatWindow::toggleMainWindowRequested, this, &Shell::ToggleMainWindow);
}

void Shell::Start() {
    if (parts_.startTimers) {
        ticks_.Start();
    }
    session_.StartUp();
    if (tray_ != nullptr) {
        // Until the next second's figures; the tooltip is kept to set it only when
        // it changes.
        trayToolTip_ = QStringLiteral("Vornik");
        tray_->setToolTip(trayToolTip_);
        tray_->show();
    }
    SettingsStore& settings = session_.Settings();
    skins_->Choose(StartSkinIndex(settings.Number(keys::kNewStyle)));
    window_->PlaceAtStart();
    // Without a notification area the window must stay reachable: never hidden.
    const bool hidden = settings.IsOn(keys::kWindowAutoHide) || parts_.startInTray;
    if (!(hidden && tray_ != nullptr)) {
        window_->show();
    }
    float_->SetAlpha(OpacityFromSetting(settings.Number(keys::kAlpha)));
    ShowFloatWindow(settings.IsOn(keys::kShowFloatWin));
    session_.AutoDial();
}

void Shell::MainTick() {
    session_.MainTick();
    RefreshPanel();
}

void Shell::MinuteTick() {
    session_.MinuteTick();
}

void Shell::Run(Command command) {
    switch (command) {
        case Command::kDial:
            session_.Dial();
            break;
        case Command::kHangUp:
            session_.DialDisconnect();
            break;
        case Command::kNewEntry:
            session_.CreateEntry();
            break;
        case Command::kEditEntry:
            session_.EditEntry();
            break;
        case Command::kRuleSettings:
            Guard(Guarded::kRuleSettings, [this] { OpenOptionsDialog(); });
            break;
        case Command::kExit:
            ConfirmExit();
            break;
        case Command::kFloatWindow:
            ToggleFloatWindow();
            break;
        case Command::kHideMainWindow:
            // Without a notification area nothing could bring a hidden window back.
            if (tray_ != nullptr) {
                window_->hide();
            } else {
                window_->showMinimized();
            }
            break;
        case Command::kMinimizeMainWindow:
            window_->showMinimized();
            break;
        case Command::kRestoreMainWindow:
            ShowMainWindow();
            break;
        case Command::kShowHistory:
            window_->ToggleHistory();
            break;
        case Command::kSound:
            session_.ToggleSound();
            break;
        case Command::kLogOrder:
            session_.ToggleLogOrder();
            break;
        case Command::kReportByCall:
            WriteShownReport(ReportKind::kByCall);
            break;
        case Command::kReportByDay:
            WriteShownReport(ReportKind::kByDay);
            break;
        case Command::kReportByMonth:
            WriteShownReport(ReportKind::kByMonth);
            break;
        case Command::kCompareTariffs:
            OpenComparisonWindow();
            return;
        case Command::kCheckBill:
            OpenBillDialog();
            break;
        case Command::kExportRules:
            ruleFiles_->ExportRules(window_.get());
            break;
        case Command::kImportRules:
            ruleFiles_->ImportRules(window_.get());
            break;
        case Command::kRemoveLog:
            Guard(Guarded::kLogRemoval, [this] { logCommands_->RemoveOld(); });
            break;
        case Command::kCompactLog:
            logCommands_->Compact();
            break;
        case Command::kBackupLog:
            logCommands_->Backup();
            break;
        case Command::kRestoreLog:
            logCommands_->Restore();
            break;
        case Command::kExportLog:
            logCommands_->Export();
            break;
        case Command::kImportLog:
            logCommands_->Import();
            break;
        case Command::kSearch:
            OpenSearchDialog();
            break;
        case Command::kAbout:
            OpenAboutDialog();
            break;
        case Command::kHelp:
            OpenPage(ManualFrontPage());
            break;
        case Command::kHomePage:
            OpenPage(HomePage());
            break;
    }
}

// The menu items only mirror the state: a checkable item flips its own mark
// before it reports the click.
void Shell::ToggleFloatWindow() {
    ShowFloatWindow(!floatWindowShown_);
    session_.Settings().SaveSwitch(keys::kShowFloatWin, floatWindowShown_);
}

void Shell::ShowFloatWindow(bool shown) {
    floatWindowShown_ = shown;
    float_->setVisible(shown);
    window_->SetFloatWindowChecked(shown);
}

void Shell::Guard(Guarded guarded, std::function<void()> action) {
    if (guarded != Guarded::kLogRemoval && !session_.Settings().IsOn(keys::kPwdProtected)) {
        action();
        return;
    }
    auto* prompt = new PasswordPrompt(
        guarded,
        [this](const QString& typed) {
            return CheckPassword(typed.toStdString(), session_.Settings().Text(keys::kPassword));
        },
        std::move(action), window_.get());
    prompt->open();
}

// The tray menu stays open to a modal dialog: a second door brings the open
// dialog forward rather than opening a rival one over the same settings.
void Shell::OpenOptionsDialog() {
    for (OptionsDialog* open : window_->findChildren<OptionsDialog*>()) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto* dialog =
        new OptionsDialog(session_.Settings(), parts_.prompter,
                          {.rulesSaved = [this] { session_.ReloadRules(); },
                           .showFloatWindow = [this](bool shown) { ShowFloatWindow(shown); },
                           .setOpacity = [this](int alpha) { float_->SetAlpha(alpha); },
                           .loginStartOptions = {"--root", AbsoluteFolder(parts_.folder.root)}},
                          window_.get());
    const auto reload = [this] { session_.ReloadRules(); };
    connect(dialog, &OptionsDialog::holidayEditorRequested, dialog, [this, dialog, reload] {
        HolidayEditor::Open(dialog, parts_.db, parts_.prompter, reload);
    });
    connect(dialog, &OptionsDialog::discountTimeEditorRequested, dialog, [this, dialog, reload] {
        DiscountTimeEditor::Open(dialog, parts_.db, parts_.prompter, reload);
    });
    dialog->open();
}

void Shell::ShowMainWindow() {
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Shell::ToggleMainWindow() {
    if (window_->isVisible() && !window_->isMinimized()) {
        window_->hide();
    } else {
        ShowMainWindow();
    }
}

void Shell::BringForward() {
    ShowMainWindow();
}

void Shell::ConfirmExit() {
    parts_.prompter.AskYesNo(
        window_.get(), tr("退出会造成计时计费不准确，继续使用吗？"), [this](bool keepUsing) {
            if (keepUsing) {
                return;
            }
            auto leave = [this] { Guard(Guarded::kExit, [this] { ExitApp(); }); };
            if (!session_.LinkUp()) {
                leave();
                return;
            }
            parts_.prompter.AskOkCancel(window_.get(), tr("希望退出时断开连接吗？"),
                                        [this, leave](bool hangUp) {
                                            if (hangUp) {
                                                session_.HangUpOnExit();
                                            }
                                            leave();
                                        });
        });
}

// Dialogs first, then the tray icon, the log (with a running call written once
// more), the floating window and the main window.
void Shell::ExitApp() {
    if (exited_) {
        return;
    }
    exited_ = true;
    ticks_.Stop();
    // Discarded without a question: the rules are not saved on the way out.
    for (QDialog* dialog : window_->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<PasswordPrompt*>(dialog) || qobject_cast<OptionsDialog*>(dialog)) {
            dialog->done(QDialog::Rejected);
        }
    }
    if (tray_ != nullptr) {
        tray_->hide();
    }
    // A log operation under way finishes first, so the call is written into
    // the log that stays.
    logJobs_->Wait();
    const Result<bool> saved = session_.CloseForExit();
    if (!saved) {
        // The program is going: this is the last chance to say it.
        parts_.prompter.Warn(window_.get(), tr("拨号记录没有保存：") + CoreText(saved.Error()));
    }
    float_->close();
    window_->AllowClose();
    window_->close();
    exitCode_ = saved ? 0 : 1;
    emit exited(exitCode_);
}

void Shell::CloseCallOnAbruptEnd() {
    if (exited_) {
        return;
    }
    exited_ = true;
    displayGone_ = true;
    logJobs_->Wait();
    const Result<bool> saved = session_.CloseForExit();
    std::string outcome = "no call was up";
    std::string shown = "Vornik: 与显示的连接已断开，程序结束";
    if (!saved) {
        outcome = "the call's record was not saved: " + saved.Error();
        shown += "；拨号记录没有保存：" + saved.Error();
    } else if (saved.Value()) {
        outcome = "the running call was written to the log";
        shown += "；拨号记录已保存";
    }
    // Qt ends the program this way when the connection to the display breaks.
    parts_.log.Write("the program was ended by exit() without leaving in order: " + outcome);
    std::cerr << shown << std::endl;
    exitCode_ = saved ? 0 : 1;
}

// ---- UserInterface ---------------------------------------------------------

void Shell::ShowDialStatus(const std::string& line) {
    if (displayGone_) {
        return;
    }
    window_->ConnectStatus()->setText(CoreText(line));
}

void Shell::PlaySound(Sound sound) {
    sounds_->Play(sound);
}

void Shell::ShowLinkIcons(LinkIcons icons) {
    if (tray_ != nullptr) {
        tray_->setIcon(locator_->Icon(LinkIconNamesFor(icons).trayIcon));
    }
    float_->ShowLinkIcons(icons);
}

void Shell::ShowMenuStates(const MenuStates& states) {
    window_->ApplyMenuStates(states);
}

void Shell::ShowHistory(const MonthHistory& history) {
    window_->History()->SetMonth(history.month.year, history.month.month);
    window_->History()->Fill(history.calls, history.descending);
}

void Shell::ShowMonthBill(const MonthBill& bill) {
    billLine_ = CoreText(BillLine(bill.billed, bill.recorded, bill.correction, LocaleNumber));
}

void Shell::ShowForecast(const MonthForecast& forecast) {
    forecastMonth_ = forecast.month;
    forecastLine_ = CoreText(ForecastLine(forecast, LocaleNumber));
    forecastTipLine_ = CoreText(ForecastTipLine(forecast, LocaleNumber));
}

// What the one-second tick shows, composed from what the session passed. Only a
// text that changed is set: an unchanged window costs nothing to show.
void Shell::ShowLiveFigures(const LiveFigures& figures) {
    const CurrentCall& call = figures.call;
    const StatusText status = ComposeStatusText(call, figures.fee.callFee, figures.totals,
                                                figures.connected, LocaleNumber);
    window_->DialMsg()->ShowText(CoreText(status.text));
    QString tip = CoreText(status.trayTip);
    if (!forecastTipLine_.isEmpty()) {
        tip += QLatin1Char('\n') + forecastTipLine_;
    }
    if (tip != trayToolTip_) {
        // Some notification areas are told of every new tooltip over D-Bus.
        trayToolTip_ = tip;
        if (tray_ != nullptr) {
            tray_->setToolTip(trayToolTip_);
        }
    }
    HistoryView* history = window_->History();
    const MonthSummary summary =
        ComposeMonthSummary({history->Year(), history->Month()}, history->RowCount(),
                            figures.totals, figures.connected && figures.callInShownMonth,
                            call.callSeconds, figures.fee.callFee, LocaleNumber);
    history->SetSummary(CoreText(summary.text), CoreText(summary.toolTip));
    // The forecast is of the current billing month: another month shown has none.
    QString outlook = forecastMonth_ == BillingMonth{history->Year(), history->Month()}
                          ? forecastLine_
                          : QString();
    if (!billLine_.isEmpty()) {
        outlook += (outlook.isEmpty() ? QString() : QStringLiteral("；")) + billLine_;
    }
    history->SetForecast(outlook);
    const SpeedMeter& speed = figures.speed;
    window_->SpeedMsg()->ShowText(
        CoreText(SpeedText(speed.NewestDown(), speed.NewestUp(), LocaleNumber)));
    window_->Graph()->SetColumns(speed.Columns(figures.maxSpeed));
    float_->SetTimeLine(CoreText(FloatTimeLine(call, figures.connected)));
    float_->SetSpeeds(CoreText(FloatSpeedText(speed.NewestDown())),
                      CoreText(FloatSpeedText(speed.NewestUp())));
}

void Shell::ShowEntryList(const std::vector<std::string>& names) {
    QComboBox* list = window_->EntryList();
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& name : names) {
        list->addItem(Q(name));
    }
}

void Shell::ShowEntry(const std::string& name) {
    QComboBox* list = window_->EntryList();
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(list->findText(Q(name)));
    list->setToolTip(Q(name));
}

void Shell::ShowCredentials(const std::string& userName, const std::string& password) {
    window_->UserNameBox()->setText(Q(userName));
    window_->PasswordBox()->setText(Q(password));
}

void Shell::ShowMessage(const std::string& text, std::function<void()> closed) {
    if (displayGone_) {
        return;
    }
    parts_.prompter.ShowMessage(window_.get(), CoreText(text), std::move(closed));
}

void Shell::AskOkCancel(const std::string& question, std::function<void(bool)> answer) {
    parts_.prompter.AskOkCancel(window_.get(), CoreText(question), std::move(answer));
}

void Shell::Announce(const Notice& notice) {
    if (!displayGone_) {
        notifier_->Show(notice);
    }
}

}  // namespace vornik::gui
