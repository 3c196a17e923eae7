// The desktop shell driven through its real main window, offscreen, with the
// simulated dialer, a fake clock and message boxes answered by the test.
#include "app/shell.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFont>
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
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <future>

#include "app/bill_dialog.h"
#include "app/column_label.h"
#include "app/float_window.h"
#include "app/history_view.h"
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
#include "settings/options_dialog.h"
#include "settings/password_prompt.h"
#include "settings/rule_file_commands.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
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

    void StartShell(bool trayAvailable = true) {
        shell_ = std::make_unique<Shell>(ShellParts{{folder_.Path()},
                                                    db_,
                                                    log_,
                                                    dialer_,
                                                    probe_,
                                                    clock_,
                                                    prompter_,
                                                    trayAvailable,
                                                    QStringLiteral("模拟拨号"),
                                                    false,
                                                    [this](const QUrl& url) {
                                                        opened_.push_back(url);
                                                        return openSucceeds_;
                                                    }});
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

TEST_F(ShellTest, AtTwelvePointNothingIsCutAndNoBandIsLeft) {
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
