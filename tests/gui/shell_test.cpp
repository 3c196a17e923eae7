// The desktop shell driven through its real main window, offscreen, with the
// simulated dialer, a fake clock and message boxes answered by the test.
#include "app/shell.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDateEdit>
#include <QDir>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <future>

#include "app/bill_dialog.h"
#include "app/column_label.h"
#include "app/core_text.h"
#include "app/float_window.h"
#include "app/history_view.h"
#include "app/language.h"
#include "app/locale_number.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/skin_menu.h"
#include "app/skins.h"
#include "app/steady_label.h"
#include "base/setting_keys.h"
#include "dialer/simulated_dialer.h"
#include "gui/scripted_prompter.h"
#include "maintenance/log_commands.h"
#include "maintenance/log_job_runner.h"
#include "reports/tariff_comparison_window.h"
#include "settings/login_start.h"
#include "settings/options_dialog.h"
#include "settings/password_prompt.h"
#include "settings/rule_file_commands.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/private_bus.h"
#include "support/temp_folder.h"
#include "web/about_dialog.h"
#include "web/local_page_panel.h"
#include "web/search_dialog.h"
#include "web/web_pages.h"

namespace vornik::gui {
namespace {

using namespace keys;

// Records which widgets of one window are painted and how often a layout of that
// window is asked to run again.
class PaintRecorder : public QObject {
  public:
    explicit PaintRecorder(QWidget* window) : window_(window) {
        QApplication::instance()->installEventFilter(this);
    }
    ~PaintRecorder() override { QApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_) {
            if (event->type() == QEvent::Paint) {
                painted.insert(watched->objectName());
            } else if (event->type() == QEvent::LayoutRequest) {
                ++layouts;
            }
        }
        return false;
    }

    QSet<QString> painted;
    int layouts = 0;

  private:
    QWidget* window_;
};

// The label's text is drawn whole inside the label, and the label inside its
// window.
void ExpectWhole(const QLabel* label) {
    SCOPED_TRACE(label->objectName().toStdString() + ": " + label->text().toStdString());
    const QRect text = label->fontMetrics().boundingRect(label->contentsRect(),
                                                         int(label->alignment()), label->text());
    EXPECT_TRUE(label->contentsRect().contains(text));
    const QRect inWindow(label->mapTo(label->window(), QPoint(0, 0)), label->size());
    EXPECT_TRUE(label->window()->rect().contains(inWindow));
}

std::vector<CallRecord> CallsOfMay2006(int count) {
    std::vector<CallRecord> calls;
    for (int i = 0; i < count; ++i) {
        const Moment begin = AddSeconds({2006, 5, 1, 0, 0, 0}, i * 600);
        CallRecord call;
        call.beginTime = MomentText(begin);
        call.endTime = MomentText(AddSeconds(begin, 90));
        call.bytesIn = i;
        calls.push_back(call);
    }
    return calls;
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
        ASSERT_TRUE(db_.SaveConfig(kLastEntry, "模拟ADSL"));
    }

    void StartShell(bool trayAvailable = true, bool startInTray = false) {
        shell_ = std::make_unique<Shell>(ShellParts{{folder_.Path()},
                                                    db_,
                                                    log_,
                                                    dialer_,
                                                    probe_,
                                                    clock_,
                                                    prompter_,
                                                    trayAvailable,
                                                    note_,
                                                    false,
                                                    [this](const QUrl& url) {
                                                        opened_.push_back(url);
                                                        return openSucceeds_;
                                                    },
                                                    startInTray});
        shell_->Start();
        QApplication::processEvents();
    }
    MainWindow& Window() { return shell_->Window(); }
    void Tick(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock_.Advance(1);
            dialer_.Poll();
            shell_->MainTick();
        }
    }
    void Connect() {
        shell_->Run(Command::kDial);
        for (int i = 0; i < 20 && !dialer_.IsConnected(); ++i) {
            Tick(1);
        }
        Tick(1);
        ASSERT_TRUE(shell_->CoreSession().Call().isConnected);
    }
    void ExpectNothingCutAtTwelvePoint();
    QStringList StatusLines() { return Window().DialMsg()->text().split(QLatin1Char('\n')); }
    void LogCalls(int count) {
        for (int i = 0; i < count; ++i) {
            const Moment begin{2006, 5, 1 + i, 8, 0, 0};
            ASSERT_TRUE(db_.ExecuteSql(
                "INSERT INTO diallog (beginTime, endTime, entryName, IpAddress, BytesIn, BytesOut,"
                " fee) VALUES (?, ?, '模拟ADSL', '198.51.100.23', ?, 20, 0.125)",
                {MomentText(begin), MomentText(AddSeconds(begin, 90)), 1000 + i}));
        }
        shell_->CoreSession().RefreshHistory();
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    testing::FakeClock clock_{{2006, 5, 10, 9, 0, 0}};
    SimulatedDialer dialer_{clock_, folder_ / "simulated-phonebook.txt"};
    testing::FakeProbe probe_;
    ScriptedPrompter prompter_;
    std::vector<QUrl> opened_;
    bool openSucceeds_ = true;
    QString note_ = QStringLiteral("模拟拨号");
    std::unique_ptr<Shell> shell_;
};

TEST_F(ShellTest, StartUpWithTheWindowSettingsUnset) {
    StartShell();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_FALSE(shell_->Float().isVisible());
    EXPECT_FALSE(Window().MainAction(Command::kFloatWindow)->isChecked());
    EXPECT_FALSE(Window().TrayAction(Command::kFloatWindow)->isChecked());
    EXPECT_EQ(Window().EntryList()->currentText(), "模拟ADSL");
    EXPECT_EQ(Window().UserNameBox()->text(), "demo");
    EXPECT_EQ(Window().BackendNote()->text(), "模拟拨号");
    Tick(10);
    EXPECT_FALSE(dialer_.IsConnected());
}

TEST_F(ShellTest, StartUpWithAutoHideFloatingWindowAndAutoDial) {
    ASSERT_TRUE(db_.SaveConfig(kWindowAutoHide, "1"));
    ASSERT_TRUE(db_.SaveConfig("global", "showfloatwin", "1"));
    ASSERT_TRUE(db_.SaveConfig(kAutoDial, "1"));
    StartShell();
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(Window().TrayAction(Command::kRestoreMainWindow)->isEnabled());
    EXPECT_TRUE(shell_->Float().isVisible());
    EXPECT_TRUE(Window().MainAction(Command::kFloatWindow)->isChecked());
    EXPECT_TRUE(Window().TrayAction(Command::kFloatWindow)->isChecked());
    Tick(10);
    EXPECT_TRUE(shell_->CoreSession().Call().isConnected);
}

TEST_F(ShellTest, WithoutANotificationAreaTheWindowIsNeverHidden) {
    ASSERT_TRUE(db_.SaveConfig(kWindowAutoHide, "1"));
    StartShell(false);
    EXPECT_TRUE(Window().isVisible());
    Window().close();
    QApplication::processEvents();
    EXPECT_TRUE(Window().isMinimized());
    for (QAction* hide : {Window().TrayAction(Command::kMinimizeMainWindow),
                          Window().MainAction(Command::kHideMainWindow)}) {
        shell_->Run(Command::kRestoreMainWindow);
        hide->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(Window().isVisible());
        EXPECT_TRUE(Window().isMinimized());
    }
}

TEST_F(ShellTest, AFirstStartWithAnEmptyPhoneBookSaysHowToMakeAnEntry) {
    testing::WriteFile(folder_ / "simulated-phonebook.txt", "# no entries yet\n");
    dialer_.ReloadPhoneBook();
    ASSERT_TRUE(db_.SaveConfig(kLastEntry, ""));
    ASSERT_TRUE(db_.SaveConfig(kAutoDial, "1"));
    StartShell();
    Tick(10);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_FALSE(Window().MainAction(Command::kDial)->isEnabled());
    const QString advice = QStringLiteral("没有可拨号的连接：请用“新建”建立一个连接。");
    EXPECT_EQ(Window().ConnectStatus()->text(), QStringLiteral("拨号状态：") + advice);
    EXPECT_TRUE(prompter_.asked.isEmpty());  // start-up's own dial asks no one
    QTest::mouseClick(Window().CommandButtonAt(0), Qt::LeftButton);
    EXPECT_EQ(prompter_.asked, QStringList{advice});

    // 新建 makes an entry and selects it, ready to dial.
    QTest::mouseClick(Window().CommandButtonAt(2), Qt::LeftButton);
    EXPECT_EQ(Window().EntryList()->currentText(), "模拟连接 1");
    EXPECT_TRUE(Window().MainAction(Command::kDial)->isEnabled());
    Connect();
}

TEST_F(ShellTest, AFirstStartSelectsTheFirstEntry) {
    ASSERT_TRUE(db_.SaveConfig(kLastEntry, ""));
    StartShell();
    EXPECT_EQ(Window().EntryList()->currentText(), "模拟ADSL");
    EXPECT_EQ(dialer_.EntryName(), "模拟ADSL");
    EXPECT_EQ(db_.GetConfig(kLastEntry), "模拟ADSL");
}

TEST_F(ShellTest, MenusAndStatusTextFollowACall) {
    StartShell();
    EXPECT_TRUE(Window().MainAction(Command::kDial)->isEnabled());
    EXPECT_FALSE(Window().MainAction(Command::kHangUp)->isEnabled());
    Tick(1);
    EXPECT_EQ(StatusLines(),
              (QStringList{"本月用时：00:00:00  费用：0.00", "今日用时：00:00:00  费用：0.00",
                           " 上次用时：00:00:00  费用：0.00", " 收到字节：0", "发送字节：0",
                           " 本 机 IP："}));

    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "6"));  // 0.1 a minute
    shell_->CoreSession().ReloadRules();
    Connect();
    EXPECT_FALSE(Window().MainAction(Command::kDial)->isEnabled());
    EXPECT_FALSE(Window().TrayAction(Command::kDial)->isEnabled());
    EXPECT_TRUE(Window().MainAction(Command::kHangUp)->isEnabled());
    EXPECT_TRUE(Window().TrayAction(Command::kHangUp)->isEnabled());
    Tick(63);
    shell_->MinuteTick();
    Tick(1);
    QStringList lines = StatusLines();
    EXPECT_EQ(lines[0], "本月用时：00:01:05  费用：0.10");
    EXPECT_EQ(lines[1], "今日用时：00:01:05  费用：0.10");
    EXPECT_EQ(lines[2], " 本次用时：00:01:05  费用：0.10");
    EXPECT_TRUE(lines[3].startsWith(" 收到字节：")) << lines[3].toStdString();
    EXPECT_EQ(lines[5], " 本 机 IP：198.51.100.23");
    EXPECT_TRUE(
        shell_->TrayToolTip().startsWith("今日用时：00:01:05\n 本次用时：00:01:05\n本月预计 "));

    shell_->Run(Command::kHangUp);
    Tick(1);
    lines = StatusLines();
    // The call is in the totals now; the last call's line shows it.
    EXPECT_EQ(lines[0], "本月用时：00:01:06  费用：0.11");
    EXPECT_EQ(lines[2], " 上次用时：00:01:06  费用：0.11");
    EXPECT_TRUE(
        shell_->TrayToolTip().startsWith("今日用时：00:01:06\n上次用时：00:01:06\n本月预计 "));
    EXPECT_TRUE(Window().History()->ForecastLine()->text().startsWith("预计：本月用时 "));
    EXPECT_TRUE(Window().MainAction(Command::kDial)->isEnabled());
    EXPECT_FALSE(Window().MainAction(Command::kHangUp)->isEnabled());
    EXPECT_EQ(Window().History()->RowCount(), 1);
}

TEST_F(ShellTest, CloseAndMinimiseHideTheWindow) {
    StartShell();
    Window().close();
    QApplication::processEvents();
    EXPECT_FALSE(Window().isVisible());
    shell_->Run(Command::kRestoreMainWindow);
    EXPECT_TRUE(Window().isVisible());
    Window().showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Window().isVisible(); }));
    EXPECT_FALSE(Window().isMinimized());
    EXPECT_TRUE(Window().TrayAction(Command::kRestoreMainWindow)->isEnabled());
    EXPECT_FALSE(shell_->Exited());
}

TEST_F(ShellTest, FloatingWindowAndSoundTogglesFlipBothMenus) {
    StartShell();
    Window().TrayAction(Command::kFloatWindow)->trigger();
    EXPECT_TRUE(shell_->Float().isVisible());
    EXPECT_TRUE(Window().MainAction(Command::kFloatWindow)->isChecked());
    EXPECT_TRUE(Window().TrayAction(Command::kFloatWindow)->isChecked());
    EXPECT_EQ(db_.GetConfig(kShowFloatWin), "1");
    Window().MainAction(Command::kFloatWindow)->trigger();
    EXPECT_FALSE(shell_->Float().isVisible());
    EXPECT_FALSE(Window().TrayAction(Command::kFloatWindow)->isChecked());
    EXPECT_EQ(db_.GetConfig(kShowFloatWin), "0");

    EXPECT_EQ(Window().MainAction(Command::kSound)->text(), "关闭提示声音");
    Window().TrayAction(Command::kSound)->trigger();
    EXPECT_EQ(Window().MainAction(Command::kSound)->text(), "打开提示声音");
    EXPECT_EQ(Window().TrayAction(Command::kSound)->text(), "打开提示声音");
    EXPECT_EQ(db_.GetConfig(kCloseSound), "1");
    EXPECT_FALSE(shell_->CoreSession().Rules().soundOn);
}

TEST_F(ShellTest, KeepingTheProgramOrLeavingWithTheLinkUp) {
    StartShell();
    Connect();
    prompter_.answers = {true};  // keep using the program
    shell_->Run(Command::kExit);
    EXPECT_FALSE(shell_->Exited());

    prompter_.answers = {false, false};  // leave, and do not hang up
    Tick(30);
    shell_->Run(Command::kExit);
    EXPECT_EQ(prompter_.asked.back(), "希望退出时断开连接吗？");
    EXPECT_TRUE(shell_->Exited());
    EXPECT_TRUE(dialer_.IsConnected());
    // The running call was written once more on the way out.
    Dbio reopened(folder_ / "db/diallog.db", log_);
    const Rows calls = reopened.QueryRows("SELECT beginTime, endTime FROM diallog");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(SecondsBetween(*ParseMoment(calls[0][0].Text()), *ParseMoment(calls[0][1].Text())),
              31);
}

TEST_F(ShellTest, ThePasswordGuardsTheExit) {
    ASSERT_TRUE(db_.SaveConfig(kPwdProtected, "1"));
    StartShell();
    prompter_.answers = {false};
    shell_->Run(Command::kExit);
    auto* dialog = Window().findChild<PasswordPrompt*>("exitPrompt");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "输入密码");
    dialog->PasswordBox()->setText(QStringLiteral("Qexor"));
    dialog->OkButton()->click();
    EXPECT_EQ(dialog->windowTitle(), "密码错误");
    EXPECT_FALSE(shell_->Exited());
    dialog->PasswordBox()->setText(QStringLiteral("qexor"));
    QTest::keyClick(dialog->PasswordBox(), Qt::Key_Return);
    EXPECT_TRUE(shell_->Exited());
}

QColor WindowColour(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

TEST_F(ShellTest, WithoutAStoredSkinGreenYearsIsWornAndMarked) {
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    StartShell();
    const SkinMenu& skins = shell_->Skins();
    for (const int index : {kPlainStyle, kDarkMetal, kBlueFantasy, kCustomise}) {
        EXPECT_FALSE(skins.Item(index)->isChecked()) << index;
    }
    EXPECT_TRUE(skins.Item(kGreenYears)->isChecked());
    EXPECT_FALSE(skins.Item(kCustomise)->isVisible());
    // Qt disables a hidden item: shown, it follows its rule.
    skins.Item(kCustomise)->setVisible(true);
    EXPECT_TRUE(skins.Item(kCustomise)->isEnabled());
    EXPECT_EQ(Window().StyleMenu()->title(), "风格");
    const QColor green = SkinAt(kGreenYears)->colours.window;
    EXPECT_EQ(WindowColour(&Window()), green);
    EXPECT_EQ(WindowColour(Window().History()), green);
    EXPECT_EQ(
        shell_->Float().findChild<QLabel*>("lblStatus")->palette().color(QPalette::WindowText),
        SkinAt(kGreenYears)->colours.text);
    // The desktop's look comes back when the program goes.
    shell_.reset();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), desktop);
}

TEST_F(ShellTest, ThePlainStyleIsNotStoredAndARestartBringsTheLastSkinBack) {
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    StartShell();
    shell_->Skins().Item(kDarkMetal)->trigger();
    EXPECT_EQ(db_.GetConfig(kNewStyle), "2");
    EXPECT_EQ(WindowColour(&Window()), SkinAt(kDarkMetal)->colours.window);
    shell_->Skins().Item(kPlainStyle)->trigger();
    EXPECT_TRUE(shell_->Skins().Item(kPlainStyle)->isChecked());
    EXPECT_FALSE(shell_->Skins().Item(kDarkMetal)->isChecked());
    shell_->Skins().Item(kCustomise)->setVisible(true);
    EXPECT_FALSE(shell_->Skins().Item(kCustomise)->isEnabled());
    EXPECT_EQ(shell_->Skins().Engine().SkinConfiguration(), nullptr);
    EXPECT_EQ(WindowColour(&Window()), desktop);
    EXPECT_EQ(db_.GetConfig(kNewStyle), "2");
    shell_.reset();
    StartShell();
    EXPECT_TRUE(shell_->Skins().Item(kDarkMetal)->isChecked());
    EXPECT_EQ(WindowColour(&Window()), SkinAt(kDarkMetal)->colours.window);
}

TEST_F(ShellTest, OpenAndLaterDialogsFollowTheSkin) {
    StartShell();
    shell_->Run(Command::kRuleSettings);
    auto* dialog = Window().findChild<OptionsDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowColour(dialog), SkinAt(kGreenYears)->colours.window);
    shell_->Skins().Item(kBlueFantasy)->trigger();
    EXPECT_EQ(db_.GetConfig(kNewStyle), "6");
    EXPECT_EQ(WindowColour(dialog), SkinAt(kBlueFantasy)->colours.window);
    EXPECT_EQ(dialog->findChild<QLineEdit*>("JishiFee")->palette().color(QPalette::Base),
              SkinAt(kBlueFantasy)->colours.base);
    dialog->reject();
    ASSERT_TRUE(db_.SaveConfig(kPwdProtected, "1"));
    prompter_.answers = {false};
    shell_->Run(Command::kExit);
    auto* prompt = Window().findChild<PasswordPrompt*>("exitPrompt");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WindowColour(prompt), SkinAt(kBlueFantasy)->colours.window);
    prompt->reject();
}

// How a label or button reads as drawn: its most common colour is the background,
// the one that stands out most from it is the text.
double DrawnContrast(const QImage& window, const QWidget* widget) {
    const QRect area(widget->mapTo(widget->window(), QPoint(0, 0)) * window.devicePixelRatio(),
                     widget->size() * window.devicePixelRatio());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++counts[window.pixel(x, y)];
        }
    }
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(),
                         [](const auto& a, const auto& b) { return a.second < b.second; })
            ->first;
    double most = 1;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it) {
        most = std::max(most, ContrastRatio(QColor(*it), QColor(background)));
    }
    return most;
}

// Every text of the main window, the floating window and the options dialog as
// the user sees it, in each skin and the desktop's own look, on a light and on a
// dark desktop.
TEST_F(ShellTest, EveryLookReadsWellOnLightAndDarkDesktops) {
    const QPalette usual = QApplication::palette();
    const struct Restore {
        QPalette palette;
        ~Restore() { QApplication::setPalette(palette); }
    } restore{usual};
    QPalette dark(QColor(0x2d, 0x2d, 0x30), QColor(0x3a, 0x3a, 0x3d));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    for (const QPalette& desktop : {usual, dark}) {
        QApplication::setPalette(desktop);
        StartShell();
        if (!shell_->Float().isVisible()) {
            Window().TrayAction(Command::kFloatWindow)->trigger();
        }
        Connect();
        shell_->Run(Command::kRuleSettings);
        auto* options = Window().findChild<OptionsDialog*>();
        ASSERT_NE(options, nullptr);
        for (const int look : {kPlainStyle, kDarkMetal, kGreenYears, kBlueFantasy}) {
            shell_->Skins().Choose(look);
            QApplication::processEvents();
            for (QWidget* window :
                 {static_cast<QWidget*>(&Window()), static_cast<QWidget*>(&shell_->Float()),
                  static_cast<QWidget*>(options)}) {
                const QImage drawn = window->grab().toImage();
                QList<QWidget*> texts;
                for (QLabel* label : window->findChildren<QLabel*>()) {
                    // Greyed text is meant to read as out of use.
                    if (label->window() == window && label->isVisible() && label->isEnabled() &&
                        !label->text().trimmed().isEmpty()) {
                        texts << label;
                    }
                }
                for (QToolButton* button : window->findChildren<QToolButton*>()) {
                    texts << (button->window() == window && button->isVisible() ? button : nullptr);
                }
                texts.removeAll(nullptr);
                EXPECT_GE(texts.size(), 3) << window->objectName().toStdString();
                for (const QWidget* text : texts) {
                    EXPECT_GE(DrawnContrast(drawn, text), 4.5)
                        << window->objectName().toStdString() << "/"
                        << text->objectName().toStdString() << " "
                        << text->metaObject()->className() << " "
                        << text->property("text").toString().toStdString() << " in look " << look
                        << " on a " << (desktop == dark ? "dark" : "light") << " desktop";
                }
            }
        }
        options->reject();
        shell_.reset();
    }
}

// Counts the presses that reach the main window itself: each would start a move.
class PressCounter : public QObject {
  public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        presses += event->type() == QEvent::MouseButtonPress ? 1 : 0;
        return false;
    }
    int presses = 0;
};

TEST_F(ShellTest, TheCommandButtonsAreReachedAndRunFromTheKeyboard) {
    StartShell();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    Window().PasswordBox()->setFocus();
    QTest::keyClick(Window().PasswordBox(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Window().CommandButtonAt(0));
    QToolButton* history = Window().CommandButtonAt(6);
    EXPECT_EQ(history->text(), "历史记录");
    const QImage unmarked = history->grab().toImage();
    history->setFocus();
    EXPECT_NE(history->grab().toImage(), unmarked);
    QTest::keyClick(history, Qt::Key_Space);
    EXPECT_TRUE(Window().HistoryShown());
    QTest::keyClick(history, Qt::Key_Return);
    EXPECT_FALSE(Window().HistoryShown());
    QTest::keyClick(history, Qt::Key_Enter);
    EXPECT_TRUE(Window().HistoryShown());

    PressCounter counter;
    Window().installEventFilter(&counter);
    QTest::mouseClick(history, Qt::LeftButton);
    EXPECT_FALSE(Window().HistoryShown());
    EXPECT_EQ(counter.presses, 0);
    QTest::mouseClick(Window().ConnectStatus(), Qt::LeftButton);
    EXPECT_EQ(counter.presses, 1);  // the body still moves the window
}

// Where the label's text is drawn, in its window.
QRect DrawnText(const QLabel* label) {
    const QRect text = label->fontMetrics().boundingRect(label->contentsRect(),
                                                         int(label->alignment()), label->text());
    return text.translated(label->mapTo(label->window(), QPoint(0, 0)));
}

// The lowest edge of what the window shows lies at its bottom margin.
void ExpectNoEmptyBand(QWidget* window) {
    int lowest = 0;
    for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !child->isWindow()) {
            lowest = std::max(lowest, child->geometry().bottom());
        }
    }
    EXPECT_LE(window->height() - 1 - lowest, window->layout()->contentsMargins().bottom());
}

void ShellTest::ExpectNothingCutAtTwelvePoint() {
    const struct Restore {
        QFont usual = QApplication::font();
        ~Restore() { QApplication::setFont(usual); }
    } restore;
    QFont twelve = restore.usual;
    twelve.setPointSize(12);
    QApplication::setFont(twelve);
    StartShell();
    Window().TrayAction(Command::kFloatWindow)->trigger();
    Connect();
    Tick(2);
    QApplication::processEvents();
    ExpectNoEmptyBand(&Window());
    for (QWidget* window :
         {static_cast<QWidget*>(&Window()), static_cast<QWidget*>(&shell_->Float())}) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                ExpectWhole(label);
            }
        }
    }
    // The status lines show all their text in columns: captions end together,
    // values and fee captions start together.
    const auto placed = Window().DialMsg()->Placed();
    const QStringList lines = StatusLines();
    ASSERT_EQ(placed.size(), 6u);
    for (std::size_t line = 0; line < placed.size(); ++line) {
        const auto& cells = placed[line];
        QString drawn;
        for (std::size_t cell = 0; cell < cells.size(); ++cell) {
            drawn += cells[cell].text;
            EXPECT_EQ(cells[cell].place.left(), placed[0][cell].place.left()) << line;
            EXPECT_LE(Window().DialMsg()->fontMetrics().horizontalAdvance(cells[cell].text),
                      cells[cell].place.width());
            EXPECT_LE(cells[cell].place.right(), Window().DialMsg()->width());
        }
        EXPECT_EQ(drawn.remove(QLatin1Char(' ')),
                  QString(lines[qsizetype(line)]).remove(QLatin1Char(' ')))
            << line;
        EXPECT_EQ(cells[0].alignment, Qt::AlignRight);
    }
    for (int i = 0; i < 7; ++i) {
        const QToolButton* button = Window().CommandButtonAt(i);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
            << i;
    }
    // The texts of the floating window stay clear of its pictures.
    FloatWindow& floating = shell_->Float();
    for (const char* text : {"lblStatus", "lbDownSpeed", "lbUpSpeed"}) {
        for (const char* picture : {"Image1", "Image2", "Image3", "downArrow", "upArrow"}) {
            const QLabel* shown = floating.findChild<QLabel*>(picture);
            EXPECT_FALSE(DrawnText(floating.findChild<QLabel*>(text)).intersects(shown->geometry()))
                << text << " over " << picture;
        }
    }
    Window().ToggleHistory();
    shell_->ShowHistory({{2006, 5}, CallsOfMay2006(30), false});
    QApplication::processEvents();
    ExpectNoEmptyBand(&Window());
    // Ten calls and every column whole, with no sideways scrolling.
    QTableView* grid = Window().History()->Grid();
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(grid->rowAt(grid->viewport()->height() - 1) - grid->rowAt(0) + 1, 10);
    int right = 0;
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        const QString text = grid->model()->index(29, column).data().toString();
        EXPECT_LE(grid->fontMetrics().horizontalAdvance(text), grid->columnWidth(column) - 4)
            << column;
        right += grid->columnWidth(column);
    }
    EXPECT_LE(right, grid->viewport()->width());
}

TEST_F(ShellTest, AtTwelvePointNothingIsCutAndNoBandIsLeft) {
    ExpectNothingCutAtTwelvePoint();
}

// What a widget shows as its own words: its text, title or caption, its items
// and headers; not what the user typed or named (entries, user names).
QStringList ShownTexts(const QWidget* widget) {
    if (qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget)) {
        return {};
    }
    QStringList texts{widget->isWindow() ? widget->windowTitle() : QString(), widget->toolTip()};
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        texts << label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        texts << button->text();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        texts << group->title();
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i) {
            texts << tabs->tabText(i);
        }
    } else if (const auto* table = qobject_cast<const QTableView*>(widget)) {
        for (int i = 0; i < table->model()->columnCount(); ++i) {
            texts << table->model()->headerData(i, Qt::Horizontal).toString();
        }
    } else if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        texts << menu->title();
    }
    for (const QAction* action : widget->actions()) {
        texts << action->text() << action->toolTip();
    }
    return texts;
}

void ExpectNoChinese(const QWidget* window) {
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        widgets << child;
    }
    for (const QWidget* widget : widgets) {
        for (const QString& text : ShownTexts(widget)) {
            EXPECT_FALSE(text.contains(chinese))
                << widget->metaObject()->className() << " " << widget->objectName().toStdString()
                << ": " << text.toStdString()
                << " is shown in Chinese. Mark the text for translation (tr(), or QT_TR_NOOP where "
                   "it is handed on as const char*), run `cmake --build build --target "
                   "vornik_update_translations` and give it its English in "
                   "translations/vornik_en.ts";
        }
    }
}

// In English every word of the main window, its menus, the floating window and
// the options dialog is English, and still nothing is cut at 12 pt.
TEST_F(ShellTest, InEnglishNoWindowShowsChineseAndNothingIsCut) {
    QTranslator* english = InstallEnglish(log_);
    ASSERT_NE(english, nullptr) << testing::ReadFile(log_.File());
    const struct Remove {
        QTranslator* translator;
        ~Remove() {
            QApplication::removeTranslator(translator);
            delete translator;
        }
    } remove{english};
    note_ = QCoreApplication::translate("vornik::gui::BackendChoice",
                                        "模拟拨号（演示）：不会建立真实连接");
    ExpectNothingCutAtTwelvePoint();
    EXPECT_EQ(Window().CommandButtonAt(0)->text(), "Dial");
    // The core's texts, composed with their figures, in English too.
    EXPECT_EQ(Window().ConnectStatus()->text(), "Status: Link active");
    EXPECT_TRUE(Window().DialMsg()->text().startsWith("This month: 00:00:03  Fee: 0.00\nToday: "));
    EXPECT_TRUE(
        Window().History()->Summary()->toolTip().startsWith("2006-5: 0 calls, Time 00:00:03"))
        << Window().History()->Summary()->toolTip().toStdString();
    ExpectNoChinese(&Window());
    ExpectNoChinese(&shell_->Float());
    ASSERT_TRUE(db_.SaveConfig(kPwdProtected, "0"));
    shell_->Run(Command::kRuleSettings);
    auto* dialog = Window().findChild<OptionsDialog*>();
    ASSERT_NE(dialog, nullptr);
    ExpectNoChinese(dialog);
    // A reason after a name with a colon, and a value that ends the phrase.
    EXPECT_EQ(CoreText("拨号状态：PPP 连接已断开"), "Status: The PPP link went down");
    EXPECT_EQ(CoreText("保存账号需要管理员权限：请以 root 身份编辑 /etc/ppp/pap-secrets"),
              "Saving the account needs administrator rights: edit /etc/ppp/pap-secrets as root");
    // A check of the core is shown in English as well.
    dialog->findChild<QLineEdit*>("FirstFeeDay")->setText(QStringLiteral("40"));
    dialog->SaveButton()->click();
    EXPECT_EQ(prompter_.asked.back(), "Please enter a whole number from 1 to 28.");
}

TEST_F(ShellTest, RuleSettingsOpenTheOptionsDialogBehindThePassword) {
    ASSERT_TRUE(db_.SaveConfig(kPwdProtected, "1"));
    StartShell();
    EXPECT_TRUE(Window().MainAction(Command::kRuleSettings)->isEnabled());
    EXPECT_TRUE(Window().TrayAction(Command::kRuleSettings)->isEnabled());
    QTest::mouseClick(Window().CommandButtonAt(4), Qt::LeftButton);
    auto* prompt = Window().findChild<PasswordPrompt*>("ruleSettingsPrompt");
    ASSERT_NE(prompt, nullptr);
    prompt->PasswordBox()->setText(QStringLiteral("qexor "));
    prompt->OkButton()->click();
    EXPECT_EQ(prompt->windowTitle(), "密码错误");
    EXPECT_EQ(Window().findChild<OptionsDialog*>(), nullptr);
    prompt->PasswordBox()->setText(QStringLiteral("qexor"));
    QTest::keyClick(prompt->PasswordBox(), Qt::Key_Return);
    ASSERT_EQ(Window().findChildren<OptionsDialog*>().size(), 1);

    // A save takes effect at once.
    auto* dialog = Window().findChild<OptionsDialog*>();
    dialog->findChild<QLineEdit*>("JishiFee")->setText(QStringLiteral("12"));
    dialog->SaveButton()->click();
    EXPECT_EQ(shell_->CoreSession().Rules().jishiFee, 12);

    // Without protection the menu opens the dialog directly, one at a time.
    ASSERT_TRUE(db_.SaveConfig(kPwdProtected, "0"));
    Window().TrayAction(Command::kRuleSettings)->trigger();
    EXPECT_EQ(Window().findChildren<OptionsDialog*>().size(), 1);
    dialog->CloseButton()->click();
    Window().TrayAction(Command::kRuleSettings)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Window().findChildren<OptionsDialog*>().size(), 1);
    EXPECT_TRUE(Window().findChild<OptionsDialog*>()->isVisible());
    EXPECT_TRUE(Window().findChildren<PasswordPrompt*>().isEmpty());
}

TEST_F(ShellTest, TheRemovalPromptIsAlwaysAskedAndStaysOnTop) {
    ASSERT_TRUE(db_.SaveConfig(kPassword, ""));  // a log that never had a password
    StartShell();
    int removals = 0;
    shell_->Guard(Guarded::kLogRemoval, [&removals] { ++removals; });
    QPointer<PasswordPrompt> prompt = Window().findChild<PasswordPrompt*>("logRemovalPrompt");
    ASSERT_FALSE(prompt.isNull());
    EXPECT_TRUE(prompt->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    prompt->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(prompt.isNull());
    EXPECT_EQ(removals, 0);

    shell_->Guard(Guarded::kLogRemoval, [&removals] { ++removals; });
    prompt = Window().findChild<PasswordPrompt*>("logRemovalPrompt");
    ASSERT_FALSE(prompt.isNull());
    prompt->OkButton()->click();  // the empty box is the empty password
    EXPECT_EQ(removals, 1);
}

TEST_F(ShellTest, TheGridOrdersAndScrollsTheMonthsCalls) {
    StartShell();
    Window().ToggleHistory();
    EXPECT_EQ(Window().MainAction(Command::kShowHistory)->text(), "隐藏历史记录");
    QTableView* grid = Window().History()->Grid();
    const auto cell = [grid](int row, int column) {
        return grid->model()->index(row, column).data().toString();
    };
    LogCalls(5);
    QApplication::processEvents();
    ASSERT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(cell(0, 0), "2006-05-01 08:00:00");
    EXPECT_EQ(cell(0, 2), "00:01:30");
    EXPECT_EQ(cell(0, 3), "0.13");
    EXPECT_EQ(cell(0, 6), "1000");
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);

    ASSERT_TRUE(db_.ExecuteSql("DELETE FROM diallog"));
    LogCalls(10);
    ASSERT_EQ(grid->model()->rowCount(), 10);
    // All ten show: nothing to scroll (a longer month ends at its newest call).
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(Window().History()->Picker()->text(), "2006年5月");

    Window().LogAction(Command::kLogOrder)->trigger();
    EXPECT_EQ(cell(0, 0), "2006-05-10 08:00:00");
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(Window().LogAction(Command::kLogOrder)->text(), "升序排列");
    EXPECT_EQ(db_.GetConfig(kLogOrder), "1");
    Tick(1);
    EXPECT_EQ(Window().History()->Summary()->text(), "用时00:15:00,花费1.25￥,流量0.01MB");
    EXPECT_EQ(grid->toolTip(), "2006年5月共上网10次,用时00:15:00,花费1.25￥,流量0.01MB");
}

// A month of a big log: the newest call still ends the view in ascending order
// and starts it in descending order.
TEST_F(ShellTest, AMonthOfThousandsOfCallsShowsItsNewestCallInView) {
    StartShell();
    Window().ToggleHistory();
    QTableView* grid = Window().History()->Grid();
    const auto newestInView = [grid](int row) {
        const QRect newest = grid->visualRect(grid->model()->index(row, 0));
        return !newest.isEmpty() && grid->viewport()->rect().contains(newest);
    };
    shell_->ShowHistory({{2006, 5}, CallsOfMay2006(4000), false});
    QApplication::processEvents();
    ASSERT_EQ(grid->model()->rowCount(), 4000);
    EXPECT_EQ(grid->model()->index(3999, 0).data().toString(), "2006-05-28 18:30:00");
    EXPECT_EQ(grid->model()->index(3999, 6).data().toString(), "3999");
    EXPECT_TRUE(newestInView(3999));
    EXPECT_TRUE(newestInView(3999 - HistoryView::kRowsInView + 1));
    EXPECT_FALSE(newestInView(3999 - HistoryView::kRowsInView));

    shell_->ShowHistory({{2006, 5}, CallsOfMay2006(4000), true});
    QApplication::processEvents();
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "2006-05-28 18:30:00");
    EXPECT_TRUE(newestInView(0));
}

// While nothing changes nothing is painted; during a call a new second repaints
// its new texts and the graph, and never lays the window out again.
TEST_F(ShellTest, ASecondRepaintsOnlyWhatChanged) {
    StartShell();
    Window().ToggleHistory();
    Window().TrayAction(Command::kFloatWindow)->trigger();
    Tick(1);
    QTest::qWait(100);
    {
        PaintRecorder window(&Window());
        PaintRecorder floating(&shell_->Float());
        Tick(3);
        QApplication::processEvents();
        EXPECT_TRUE(window.painted.isEmpty()) << window.painted.values().join(' ').toStdString();
        EXPECT_TRUE(floating.painted.isEmpty());
        EXPECT_EQ(window.layouts + floating.layouts, 0);
    }
    Connect();
    Tick(2);
    QTest::qWait(100);
    PaintRecorder window(&Window());
    PaintRecorder floating(&shell_->Float());
    Tick(1);
    QApplication::processEvents();
    EXPECT_TRUE(window.painted.contains("DialMsg"));
    EXPECT_TRUE(window.painted.contains("Picture1"));
    EXPECT_TRUE(window.painted.contains("monthMsg"));
    for (const char* untouched : {"EntryList", "connectStatus", "dialloggrid", "DTPicker1"}) {
        EXPECT_FALSE(window.painted.contains(untouched)) << untouched;
    }
    EXPECT_TRUE(floating.painted.contains("lblStatus"));
    EXPECT_EQ(window.layouts + floating.layouts, 0);
}

// A larger desktop font: every live text still shows whole, in the main window
// and in the floating window, whose size stays that of its picture.
TEST_F(ShellTest, LiveTextsShowWholeWithALargeFont) {
    const struct Restore {
        QFont usual = QApplication::font();
        ~Restore() { QApplication::setFont(usual); }
    } restore;
    QFont large = restore.usual;
    large.setPointSizeF(large.pointSizeF() * 1.6);
    QApplication::setFont(large);
    StartShell();
    Window().ToggleHistory();
    Window().TrayAction(Command::kFloatWindow)->trigger();
    Connect();
    Tick(40);
    QApplication::processEvents();
    const QSize floatSize = shell_->Float().size();
    for (const QLabel* label :
         {static_cast<QLabel*>(Window().DialMsg()), static_cast<QLabel*>(Window().SpeedMsg()),
          static_cast<QLabel*>(Window().History()->Summary()),
          shell_->Float().findChild<QLabel*>("lblStatus"),
          shell_->Float().findChild<QLabel*>("lbDownSpeed"),
          shell_->Float().findChild<QLabel*>("lbUpSpeed")}) {
        ExpectWhole(label);
    }
    // A text longer than the label was sized for makes it grow rather than cut.
    SteadyLabel* status = Window().DialMsg();
    status->ShowText(status->text() + QStringLiteral("0000000000"));
    QApplication::processEvents();
    ExpectWhole(status);
    EXPECT_EQ(shell_->Float().size(), floatSize);
}

// The session manager ends the desktop session by quitting the event loop: the
// running call is closed and written on the way out.
TEST_F(ShellTest, TheEndOfTheDesktopSessionWritesTheCall) {
    StartShell();
    Connect();
    Tick(30);
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_TRUE(shell_->Exited());
    EXPECT_EQ(shell_->ExitCode(), 0);
    Dbio reopened(folder_ / "db/diallog.db", log_);
    const Rows calls = reopened.QueryRows("SELECT beginTime, endTime FROM diallog");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(SecondsBetween(*ParseMoment(calls[0][0].Text()), *ParseMoment(calls[0][1].Text())),
              31);
}

// The second start asks from another thread: the first answers from the event loop.
TEST(SingleInstanceTest, ASecondStartBringsTheFirstForward) {
    testing::TempFolder folder;
    const QString path = QString::fromStdString(folder.Path().string());
    SingleInstance first(path, true);
    ASSERT_EQ(first.Claim().outcome, SingleInstance::Outcome::kFirst);
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
    auto second =
        std::async(std::launch::async, [path] { return SingleInstance(path, false).Claim(); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        20000));
    const SingleInstance::Claimed claimed = second.get();
    EXPECT_EQ(claimed.outcome, SingleInstance::Outcome::kAnotherRunning);
    EXPECT_TRUE(claimed.windowShown);
    EXPECT_EQ(activations, 1);

    // A command the owner answers only after a long job (here two seconds) still
    // gets its answer.
    first.SetCommandHandler(
        [](const std::string& verb, const std::string&, SingleInstance::Reply reply) {
            QTimer::singleShot(2000, [verb, reply] { reply("done " + verb); });
        });
    auto asked = std::async(std::launch::async,
                            [path] { return SingleInstance::AskCommand(path, "log-compact"); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        20000));
    EXPECT_EQ(asked.get(), std::optional<std::string>("done log-compact"));
}

// The reports of the shown month from both menus: written into the program
// folder and opened; a month without calls, a page that cannot be written and
// one that nothing can open are each said.
TEST_F(ShellTest, ReportsOfTheShownMonthAreWrittenAndOpened) {
    StartShell();
    LogCalls(3);
    Window().MainAction(Command::kReportByCall)->trigger();
    const std::filesystem::path byCall = folder_ / "report/模拟ADSL-2006年5月报表(按每次).html";
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_.back(), QUrl::fromLocalFile(QString::fromStdString(byCall.string())));
    EXPECT_NE(testing::ReadFile(byCall).find("本月共上网3次，共用时间00:04:30"), std::string::npos);

    Window().TrayAction(Command::kReportByMonth)->trigger();
    EXPECT_NE(testing::ReadFile(folder_ / "report/模拟ADSL-2006年报表(按每月).html")
                  .find("<td align=right>5</td>\r\n<td align=right>3</td>"),
              std::string::npos);

    openSucceeds_ = false;
    Window().TrayAction(Command::kReportByDay)->trigger();
    ASSERT_FALSE(prompter_.asked.isEmpty());
    EXPECT_TRUE(prompter_.asked.back().contains(QStringLiteral("没有能打开网页的程序")));

    std::filesystem::remove_all(folder_ / "report");
    testing::WriteFile(folder_ / "report", "a file where the folder belongs");
    Window().MainAction(Command::kReportByDay)->trigger();
    EXPECT_TRUE(prompter_.asked.back().startsWith(QStringLiteral("报表没有写成：")));

    shell_->CoreSession().ShowBillingMonth({2006, 7});
    Window().MainAction(Command::kReportByCall)->trigger();
    EXPECT_EQ(prompter_.asked.back(), QStringLiteral("本月没有拨号记录。"));
    EXPECT_EQ(opened_.size(), 3u);
}

// Help and the home page open the manual the build copied, as a local file.
TEST_F(ShellTest, HelpAndTheHomePageOpenTheManual) {
    StartShell();
    const QUrl frontPage = QUrl::fromLocalFile(
        QFileInfo(QStringLiteral(VORNIK_BUILD_MANUAL "/index.html")).canonicalFilePath());
    ASSERT_TRUE(QFileInfo(frontPage.toLocalFile()).isFile());
    for (const Command command : {Command::kHelp, Command::kHomePage}) {
        for (QAction* item : {Window().MainAction(command), Window().TrayAction(command)}) {
            ASSERT_TRUE(item->isEnabled());
            item->trigger();
            EXPECT_EQ(opened_.back(), frontPage);
        }
    }
    EXPECT_EQ(opened_.size(), 4u);
}

// Every page and picture a page of the manual names is in the manual.
TEST(Manual, EveryLinkOfItsPagesLeadsToAFile) {
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#:]+)\""));
    QDirIterator pages(QStringLiteral(VORNIK_BUILD_MANUAL), {QStringLiteral("*.html")});
    int linksSeen = 0;
    while (pages.hasNext()) {
        QFile page(pages.next());
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        for (const auto& match : link.globalMatch(text)) {
            ++linksSeen;
            EXPECT_TRUE(QFileInfo(page.fileName()).dir().exists(match.captured(1)))
                << page.fileName().toStdString() << ": " << match.captured(1).toStdString();
        }
    }
    EXPECT_GT(linksSeen, 20);
}

// Both doors open one dialog over the main window; a second door brings it
// forward instead of stacking another.
TEST_F(ShellTest, SearchAndAboutOpenTheirDialogsOnce) {
    StartShell();
    Window().TrayAction(Command::kSearch)->trigger();
    Window().MainAction(Command::kSearch)->trigger();
    const auto searches = Window().findChildren<SearchDialog*>();
    ASSERT_EQ(searches.size(), 1);
    searches[0]->KeyWord()->setText(QStringLiteral("计费 器"));
    searches[0]->SearchButton()->click();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_.back().toEncoded(),
              "https://www.google.com/search?q=%E8%AE%A1%E8%B4%B9%20%E5%99%A8");

    Window().MainAction(Command::kAbout)->trigger();
    Window().TrayAction(Command::kAbout)->trigger();
    const auto abouts = Window().findChildren<AboutDialog*>();
    ASSERT_EQ(abouts.size(), 1);
    emit abouts[0]->MailLink()->linkActivated(QString());
    EXPECT_EQ(opened_.back().scheme(), QStringLiteral("mailto"));
}

// The panel reads its picture again at the first second of minute 1, 6, ... of
// a call: a picture dropped into the program folder shows then, not before.
TEST_F(ShellTest, ThePanelShowsItsPageAgainOnTheCallsSchedule) {
    StartShell();
    LocalPagePanel* panel = shell_->Panel();
    const QImage builtIn = panel->pixmap().toImage();
    ASSERT_FALSE(builtIn.isNull());
    testing::WriteFile(folder_ / "icon/adver.svg",
                       "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='1'>"
                       "<rect width='4' height='1' fill='red'/></svg>");
    Tick(70);
    EXPECT_EQ(panel->pixmap().toImage(), builtIn) << "no call, no refresh";
    Connect();
    const Moment begin = *ParseMoment(shell_->CoreSession().Call().callBeginTime);
    Moment minuteOfBegin = begin;
    minuteOfBegin.second = 0;
    const Moment firstDue = AddSeconds(minuteOfBegin, 61);
    Tick(int(SecondsBetween(clock_.Now(), firstDue)) - 1);
    EXPECT_EQ(panel->pixmap().toImage(), builtIn);
    Tick(1);
    EXPECT_NE(panel->pixmap().toImage(), builtIn);

    panel->setFixedSize(panel->sizeHint());
    QTest::mouseClick(panel, Qt::LeftButton);
    ASSERT_FALSE(opened_.empty());
    EXPECT_EQ(opened_.back(), HomePage());
}

// Chooses a file without a dialog and keeps what the dialog would have shown.
class ChosenFile : public FileChooser {
  public:
    QString SaveFileName(QWidget*, const QString& title, const QString& proposed,
                         const QString& filter) override {
        shown << title << proposed << filter;
        return file;
    }
    QString OpenFileName(QWidget*, const QString& title, const QString& folder,
                         const QString& filter) override {
        shown << title << folder << filter;
        return file;
    }
    QString file;
    QStringList shown;
};

TEST_F(ShellTest, RuleFilesFromTheMenusReplaceTheRulesInForceAtOnce) {
    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "6"));
    StartShell();
    ChosenFile chooser;
    shell_->RuleFiles().SetFileChooser(chooser);
    const QString root = QString::fromStdString(folder_.Path().string());
    chooser.file = root + "/saved.ini";
    Window().MainAction(Command::kExportRules)->trigger();
    EXPECT_EQ(chooser.shown, (QStringList{"选择导出规则文件存放目录", root + "/rule.ini",
                                          "Vornik规则文件(*.ini)"}));
    EXPECT_NE(testing::ReadFile(folder_ / "saved.ini").find("global,Fee,JishiFee,6\r\n"),
              std::string::npos);
    EXPECT_TRUE(prompter_.asked.isEmpty());

    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "1"));
    shell_->CoreSession().ReloadRules();
    const QString question = "导入规则文件将导致当前定义的规则被覆盖，确认导入吗？";
    prompter_.answers = {false};
    Window().TrayAction(Command::kImportRules)->trigger();
    EXPECT_EQ(prompter_.asked, QStringList{question});
    EXPECT_EQ(db_.GetConfig(kJishiFee), "1");

    prompter_.answers = {true};
    Window().MainAction(Command::kImportRules)->trigger();
    EXPECT_EQ(chooser.shown.mid(6),
              (QStringList{"选择导入规则文件存放目录", root, "Vornik规则文件(*.ini)"}));
    ASSERT_EQ(prompter_.asked.size(), 3);
    EXPECT_TRUE(prompter_.asked[2].contains("导入")) << prompter_.asked[2].toStdString();
    EXPECT_EQ(shell_->CoreSession().Rules().jishiFee, 6);

    // A file that cannot be read is told, and the rules stay.
    chooser.file = root + "/missing.ini";
    prompter_.answers = {true};
    Window().TrayAction(Command::kImportRules)->trigger();
    EXPECT_TRUE(prompter_.asked.back().contains("missing.ini"));
    EXPECT_EQ(shell_->CoreSession().Rules().jishiFee, 6);
}

// 资费比较 from the reports menu: the calls of the months chosen, priced again
// under another tariff at the stored values or under a rule file.
TEST_F(ShellTest, TheTariffComparisonShowsRecordedAndComparedCostsPerMonth) {
    ASSERT_TRUE(db_.SaveConfig(kFeeType, "1"));
    ASSERT_TRUE(db_.SaveConfig(kJishiFee, "6"));  // 0.1 a minute
    StartShell();
    LogCalls(3);  // 90 seconds each, recorded at 0.125
    Window().MainAction(Command::kCompareTariffs)->trigger();
    auto* window = Window().findChild<TariffComparisonWindow*>();
    ASSERT_NE(window, nullptr);
    ChosenFile chooser;
    window->SetFileChooser(chooser);
    window->Months()->setValue(1);
    window->Source()->setCurrentIndex(static_cast<int>(FeeType::kJishi));
    const auto cells = [window](int row) {
        QStringList texts;
        for (int column = 0; column < window->Table()->columnCount(); ++column) {
            texts << window->Table()->item(row, column)->text();
        }
        return texts;
    };
    const auto money = [](double value) { return QString::fromStdString(LocaleNumber(value, 2)); };
    ASSERT_EQ(window->Table()->rowCount(), 2);
    EXPECT_EQ(cells(0),
              (QStringList{"2006-05", "3", money(0.375), money(0.45), money(0.45 - 0.375)}));
    EXPECT_EQ(cells(1), (QStringList{"合计", "3", money(0.375), money(0.45), money(0.45 - 0.375)}));

    testing::WriteFile(folder_ / "baoyue.ini",
                       "[Config]\r\nglobal,Fee,FeeType,2\r\n"
                       "global,Fee,BaoyueFee,50\r\n");
    chooser.file = QString::fromStdString((folder_ / "baoyue.ini").string());
    window->ChooseRuleFile();
    EXPECT_EQ(chooser.shown.last(), "Vornik规则文件(*.ini)");
    EXPECT_EQ(cells(1).mid(3), (QStringList{money(50), money(50 - 0.375)}));
    EXPECT_EQ(db_.GetConfig(kFeeType), "1");

    chooser.file = QString::fromStdString((folder_ / "missing.ini").string());
    window->ChooseRuleFile();
    EXPECT_EQ(window->Table()->rowCount(), 0);
    EXPECT_TRUE(window->Note()->text().contains("missing.ini"));
}

// The six log commands through their menu items, with a call up for part of the
// way: nothing the user was told differs from what the log holds.
class LogMaintenanceTest : public ShellTest {
  protected:
    void AddCall(const char* begin, const char* end, const char* entry) {
        ASSERT_TRUE(db_.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, IpAddress, BytesIn, BytesOut,"
            " fee) VALUES (?, ?, ?, '198.51.100.23', 1, 2, 0.5)",
            {begin, end, entry}));
    }
    // The job's outcome is told once the worker has ended.
    QString Finished() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !shell_->LogJobs().Busy(); }, 60'000));
        QApplication::processEvents();
        return prompter_.asked.isEmpty() ? QString() : prompter_.asked.back();
    }
    std::int64_t Calls(const std::string& where = "1") {
        return db_.QueryValue("SELECT COUNT(*) FROM diallog WHERE " + where)->Integer();
    }
    QString Root() const { return QString::fromStdString(folder_.Path().string()); }
};

TEST_F(LogMaintenanceTest, RemovalAfterThePasswordAndTheQuestionKeepsTheBoundary) {
    ASSERT_TRUE(db_.SaveConfig(kPassword, ""));
    AddCall("2006-02-20 23:00:00", "2006-02-20 23:50:00", "模拟ADSL");
    AddCall("2006-02-20 23:55:00", "2006-02-21 00:05:00", "模拟ADSL");
    AddCall("2006-01-05 10:00:00", "2006-01-05 11:00:00", "其他");
    StartShell();
    shell_->Run(Command::kShowHistory);
    ASSERT_TRUE(Window().HistoryShown());

    prompter_.answers = {false};
    Window().LogAction(Command::kRemoveLog)->trigger();
    EXPECT_FALSE(Window().HistoryShown());
    auto* prompt = Window().findChild<PasswordPrompt*>("logRemovalPrompt");
    ASSERT_NE(prompt, nullptr);
    prompt->OkButton()->click();
    EXPECT_EQ(prompter_.asked, QStringList{"确认删除三个月前的上网记录吗？"});
    EXPECT_FALSE(shell_->LogJobs().Busy());
    EXPECT_EQ(Calls(), 3);

    prompter_.answers = {true};
    Window().MainAction(Command::kRemoveLog)->trigger();
    Window().findChildren<PasswordPrompt*>("logRemovalPrompt").last()->OkButton()->click();
    const QString told = Finished();
    EXPECT_TRUE(told.startsWith("三个月前的上网记录成功删除！")) << told.toStdString();
    EXPECT_TRUE(told.contains("1 次")) << told.toStdString();
    EXPECT_EQ(Calls(), 2);
    EXPECT_EQ(Calls("beginTime = '2006-02-20 23:55:00'"), 1);
    EXPECT_EQ(Calls("entryName = '其他'"), 1);
}

TEST_F(LogMaintenanceTest, AllSixCommandsKeepEveryCallAndTheRunningOne) {
    AddCall("2006-05-01 08:00:00", "2006-05-01 09:00:00", "模拟ADSL");
    AddCall("2006-05-02 08:00:00", "2006-05-02 09:00:00", "其他");
    StartShell();
    ChosenFile chooser;
    shell_->LogFiles().SetFileChooser(chooser);
    const QString db = Root() + "/db";
    const QString log = db + "/diallog.db";

    // A backup before the call, with the dialog of the command.
    chooser.file = Root() + "/backup.db";
    Window().MainAction(Command::kBackupLog)->trigger();
    EXPECT_EQ(chooser.shown, (QStringList{"选择备份文件存放目录", log, "Vornik数据库文件(*.db)"}));
    EXPECT_TRUE(Finished().contains("backup.db"));
    // Onto the log itself: refused without a question; onto the backup: asked.
    chooser.file = log;
    Window().TrayAction(Command::kBackupLog)->trigger();
    EXPECT_TRUE(prompter_.asked.back().contains("它自己"));
    chooser.file = Root() + "/backup.db";
    prompter_.answers = {false};
    Window().LogAction(Command::kBackupLog)->trigger();
    EXPECT_TRUE(prompter_.asked.back().contains("已经存在"));
    EXPECT_FALSE(shell_->LogJobs().Busy());

    Connect();
    Window().TrayAction(Command::kCompactLog)->trigger();
    EXPECT_EQ(prompter_.asked.back(), "请在断开连接的时候压缩记录文件！");
    shell_->MinuteTick();  // the running call's first record
    ASSERT_EQ(Calls(), 3);

    // Restore while the call is up; its minute write comes while the log is
    // being replaced and is written into the restored log afterwards.
    chooser.file = Root() + "/backup.db";
    Window().MainAction(Command::kRestoreLog)->trigger();
    EXPECT_EQ(chooser.shown.mid(chooser.shown.size() - 3),
              (QStringList{"选择要恢复的备份文件", db, "Vornik数据库文件(*.db)"}));
    EXPECT_TRUE(prompter_.asked.contains("选定文件将要覆盖程序安装目录下拨号记录(db\\DialLog.db)"));
    Tick(60);
    shell_->MinuteTick();
    EXPECT_TRUE(Finished().startsWith("恢复数据文件成功。"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "db/diallog.before-restore.db"));
    EXPECT_EQ(Calls(), 3);
    EXPECT_EQ(Calls("beginTime = '" + shell_->CoreSession().Call().callBeginTime + "'"), 1);

    // Export into a new file twice: the second adds nothing.
    chooser.file = Root() + "/exported.db";
    prompter_.answers = {true};
    Window().LogAction(Command::kExportLog)->trigger();
    EXPECT_TRUE(prompter_.asked.contains("目标数据库文件不存在，是否要一个新的文件？"));
    QString told = Finished();
    EXPECT_TRUE(told.startsWith("拨号记录导出成功！") && told.contains("复制了 3 次"))
        << told.toStdString();
    Window().MainAction(Command::kExportLog)->trigger();
    EXPECT_TRUE(Finished().contains("复制了 0 次")) << prompter_.asked.back().toStdString();

    // Importing it back adds nothing; a file that is no log changes nothing.
    Window().TrayAction(Command::kImportLog)->trigger();
    told = Finished();
    EXPECT_TRUE(told.startsWith("拨号记录导入成功！") && told.contains("复制了 0 次"))
        << told.toStdString();
    testing::WriteFile(folder_ / "plain.db", "no log at all");
    chooser.file = Root() + "/plain.db";
    Window().MainAction(Command::kImportLog)->trigger();
    EXPECT_EQ(Finished(), "不是有效的数据库文件。");
    chooser.file = Root() + "/plain.db";
    Window().MainAction(Command::kRestoreLog)->trigger();
    EXPECT_EQ(Finished(), "不是有效的数据库文件。");
    EXPECT_EQ(Calls(), 3);

    shell_->Run(Command::kHangUp);
    Tick(2);
    shell_->Run(Command::kShowHistory);
    Window().LogAction(Command::kCompactLog)->trigger();
    EXPECT_FALSE(Window().HistoryShown());
    EXPECT_TRUE(Finished().startsWith("压缩记录文件成功！"));
    EXPECT_EQ(Calls(), 3);
    EXPECT_EQ(Window().History()->RowCount(), 2);
}

// The options dialog's 登录时启动 writes and removes the desktop session's
// autostart entry, which starts the program hidden in the tray.
TEST_F(ShellTest, TheStartAtLoginIsAnAutostartEntryThatStartsInTheTray) {
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const std::filesystem::path config = folder_ / "config home";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
    const std::filesystem::path entry = config / "autostart" / "vornik.desktop";
    StartShell();
    Window().TrayAction(Command::kRuleSettings)->trigger();
    auto* dialog = Window().findChild<OptionsDialog*>();
    ASSERT_NE(dialog, nullptr);
    auto* loginStart = dialog->findChild<QCheckBox*>("chkLoginStart");
    ASSERT_NE(loginStart, nullptr);
    EXPECT_FALSE(loginStart->isChecked());

    // Where the folder cannot be made, the user and the trace are told why.
    std::filesystem::create_directories(config);
    testing::WriteFile(config / "autostart", "");
    loginStart->click();
    EXPECT_FALSE(loginStart->isChecked());
    ASSERT_EQ(prompter_.asked.size(), 1);
    EXPECT_TRUE(prompter_.asked[0].startsWith("无法写入自动启动文件"))
        << prompter_.asked[0].toStdString();
    EXPECT_NE(testing::ReadFile(log_.File()).find("the start at login was not set up"),
              std::string::npos);

    std::filesystem::remove(config / "autostart");
    loginStart->click();
    EXPECT_TRUE(loginStart->isChecked());
    EXPECT_FALSE(dialog->SaveButton()->isEnabled());
    const std::string exec =
        DesktopExecValue({QCoreApplication::applicationFilePath().toStdString(), "--tray", "--root",
                          folder_.Path().string()});
    EXPECT_EQ(
        testing::ReadFile(entry),
        "[Desktop Entry]\nType=Application\nName=Vornik\nExec=" + exec +
            "\nIcon=io.github.vornik.Vornik\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    // An argument with reserved characters is quoted; a backslash in it ends up
    // fourfold, as the file's own escaping comes on top.
    EXPECT_EQ(DesktopExecValue({"/opt/my apps/vornik", "--root", "/srv/50% \"$x\"\\a"}),
              R"("/opt/my apps/vornik" --root "/srv/50%% \\"\\$x\\"\\\\a")");

    // So started, the window stays hidden though WindowAutoHide is off.
    dialog->CloseButton()->click();
    shell_.reset();
    StartShell(true, true);
    EXPECT_FALSE(Window().isVisible());
    Window().TrayAction(Command::kRuleSettings)->trigger();
    dialog = Window().findChild<OptionsDialog*>();
    loginStart = dialog->findChild<QCheckBox*>("chkLoginStart");
    ASSERT_TRUE(loginStart->isChecked());
    loginStart->click();
    EXPECT_FALSE(loginStart->isChecked());
    EXPECT_FALSE(std::filesystem::exists(entry));
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

// The shell on a session bus of the test's own, with python3-dbusmock's
// notification daemon on it, which records every Notify.
class NotificationTest : public ShellTest {
  protected:
    static constexpr int kWaitMs = testing::PrivateBus::kWaitMs;

    struct Notified {
        uint replaces = 0;
        QString summary;
        QString body;
        bool operator==(const Notified&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Notified& n) {
            return out << n.replaces << " " << n.summary.toStdString() << " / "
                       << n.body.toStdString();
        }
    };

    void SetUp() override {
        ShellTest::SetUp();
        if (!testing::PrivateBus::Available()) {
            GTEST_SKIP() << "needs dbus-daemon and /usr/bin/python3 with python3-dbusmock";
        }
        const std::string failure =
            bus_.Start(QStringLiteral("notification_daemon"), "DBUS_SESSION_BUS_ADDRESS", kService);
        ASSERT_TRUE(failure.empty()) << failure;
        savedAddress_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.Address().toUtf8());
    }
    void TearDown() override {
        shell_.reset();
        qputenv("DBUS_SESSION_BUS_ADDRESS", savedAddress_);
        bus_.Stop();
    }

    std::vector<Notified> Notifications() {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            kService, QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("GetMethodCalls"));
        ask << QStringLiteral("Notify");
        const QDBusMessage reply = bus_.Bus().call(ask, QDBus::Block, kWaitMs);
        std::vector<Notified> seen;
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            return seen;
        }
        const auto calls = reply.arguments().value(0).value<QDBusArgument>();
        calls.beginArray();
        while (!calls.atEnd()) {
            qulonglong time = 0;
            QVariantList args;
            calls.beginStructure();
            calls >> time >> args;
            calls.endStructure();
            EXPECT_EQ(args.value(0).toString(), "Vornik");
            seen.push_back(
                {args.value(1).toUInt(), args.value(3).toString(), args.value(4).toString()});
        }
        calls.endArray();
        return seen;
    }
    // Waits until the mock holds `count` notifications, going on with the ticks'
    // replies meanwhile.
    void AwaitNotifications(std::size_t count) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return Notifications().size() >= count; }, kWaitMs))
            << "notifications: " << Notifications().size() << " of " << count;
    }

    const QString kService = QStringLiteral("org.freedesktop.Notifications");
    testing::PrivateBus bus_;
    QByteArray savedAddress_;
};

TEST_F(NotificationTest, EveryKindOfAlertIsAlsoNotifiedUnlessSwitchedOff) {
    ASSERT_TRUE(db_.SaveConfig(kIdleTimeMax, "600"));
    ASSERT_TRUE(db_.SaveConfig(kCheckIp, "192.0.2.1"));
    StartShell();
    dialer_.ScriptDialFailure("线路忙");
    shell_->Run(Command::kDial);
    Tick(10);
    AwaitNotifications(1);
    Connect();
    AwaitNotifications(2);

    // A link check that finds the link broken hangs it up; one that finds it well
    // again says so.
    shell_->CoreSession().LinkCheck();
    ASSERT_TRUE(probe_.Answer(PingOutcome::kNoReply));
    Tick(2);
    AwaitNotifications(4);
    Connect();
    AwaitNotifications(5);
    shell_->CoreSession().LinkCheck();
    ASSERT_TRUE(probe_.Answer(PingOutcome::kUp));
    AwaitNotifications(6);

    // No traffic: an idle spell; then a per-call limit that hangs up.
    dialer_.ScriptCounters(1'000'000, 1'000'000);
    for (int i = 0; i < 60 && !shell_->CoreSession().IsIdle(); ++i) {
        Tick(1);
    }
    Tick(IdleWatch::kSoundAfterSeconds);
    AwaitNotifications(7);
    ASSERT_TRUE(db_.SaveConfig(kChkEachMaxTime, "1"));
    ASSERT_TRUE(db_.SaveConfig(kEachMaxTime, "0.01"));
    ASSERT_TRUE(db_.SaveConfig(kDisconnectAlert, "1"));
    shell_->CoreSession().ReloadRules();
    Tick(30);
    AwaitNotifications(9);
    ASSERT_FALSE(dialer_.IsConnected());

    // Connecting and hanging up switched off in the options dialog: a broken link
    // is still told, its hang-up no longer.
    Window().TrayAction(Command::kRuleSettings)->trigger();
    auto* dialog = Window().findChild<OptionsDialog*>();
    ASSERT_NE(dialog, nullptr);
    auto* connection = dialog->findChild<QCheckBox*>("NotifyConnection");
    ASSERT_TRUE(connection->isChecked());
    connection->click();
    EXPECT_TRUE(dialog->SaveButton()->isEnabled());
    dialog->SaveButton()->click();
    EXPECT_EQ(db_.GetConfig(kNotifyConnection), "0");
    dialog->CloseButton()->click();
    ASSERT_TRUE(db_.SaveConfig(kChkEachMaxTime, "0"));
    shell_->CoreSession().ReloadRules();
    Connect();
    shell_->CoreSession().LinkCheck();
    ASSERT_TRUE(probe_.Answer(PingOutcome::kNoReply));
    Tick(2);
    ASSERT_FALSE(dialer_.IsConnected());
    AwaitNotifications(10);

    // Each kind replaces its own last notification.
    const QString entry = QStringLiteral("模拟ADSL");
    EXPECT_EQ(Notifications(), (std::vector<Notified>{
                                   {0, "线路忙", entry},
                                   {0, "连接已建立", entry},
                                   {0, "GPRS/ADSL连接已经断开.....", entry},
                                   {2, "连接已断开", entry},
                                   {2, "连接已建立", entry},
                                   {3, "GPRS/ADSL连接正常", entry},
                                   {0, "网络空闲....", entry},
                                   {0, "超过每次最大使用时限", entry},
                                   {2, "连接已断开", entry},
                                   {3, "GPRS/ADSL连接已经断开.....", entry},
                               }));
}

// April (3 minutes) and May (two calls of 90 seconds, 0.25 recorded) are billed
// 0.60 and 0.50: 0.18333 a minute, which puts March's 2 minutes at about 0.37.
TEST_F(ShellTest, ABillShowsBesideItsMonthAndTeachesTheMonthsWithout) {
    StartShell();
    for (const auto& [begin, end] : {std::pair{"2006-03-01 08:00:00", "2006-03-01 08:02:00"},
                                     std::pair{"2006-04-01 08:00:00", "2006-04-01 08:03:00"}}) {
        ASSERT_TRUE(
            db_.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, fee)"
                           " VALUES (?, ?, '模拟ADSL', 0.3)",
                           {begin, end}));
    }
    LogCalls(2);
    for (const auto& [month, amount] : {std::pair{4, 0.6}, std::pair{5, 0.5}}) {
        Window().MainAction(Command::kCheckBill)->trigger();
        auto* dialog = Window().findChild<BillDialog*>();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QDateEdit*>()->setDate(QDate(2006, month, 1));
        dialog->findChild<QDoubleSpinBox*>()->setValue(amount);
        dialog->findChild<QCheckBox*>()->setChecked(true);
        dialog->accept();
        QApplication::processEvents();
    }
    Tick(1);
    EXPECT_TRUE(Window().History()->ForecastLine()->text().endsWith(
        "；账单 0.50元，本程序记录 0.25元，相差 +0.25元"))
        << Window().History()->ForecastLine()->text().toStdString();
    Window().History()->Picker()->setDate(QDate(2006, 3, 1));
    Tick(1);
    EXPECT_EQ(Window().History()->ForecastLine()->text(), "按账单校正约 0.37元");
    EXPECT_EQ(db_.QueryValue("SELECT sum(fee) FROM diallog")->Number(), 0.85);
}

}  // namespace
}  // namespace vornik::gui
