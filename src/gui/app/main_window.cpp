#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "app/column_label.h"
#include "app/command_button.h"
#include "app/core_text.h"
#include "app/history_view.h"
#include "app/speed_graph.h"
#include "app/steady_label.h"
#include "app/twips.h"

namespace vornik::gui {
namespace {

constexpr int kWidthTwips = 6400;
constexpr int kHeightTwips = 4800;

const char* const kShowHistoryCaption =
    QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "显示历史记录");
const char* const kHideHistoryCaption =
    QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "隐藏历史记录");

struct CommandLabel {
    Command command;
    const char* caption;
};
constexpr CommandLabel kCommandLabels[7] = {
    {Command::kDial, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "拨号")},
    {Command::kHangUp, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "挂断")},
    {Command::kNewEntry, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "新建")},
    {Command::kEditEntry, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "属性")},
    {Command::kRuleSettings, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "设置规则")},
    {Command::kSearch, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "搜索")},
    {Command::kShowHistory, QT_TRANSLATE_NOOP("vornik::gui::MainWindow", "历史记录")},
};

}  // namespace

MainWindow::MainWindow(bool trayAvailable, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), trayAvailable_(trayAvailable) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vornik"));
    menuBar_ = new QMenuBar(this);
    BuildMainMenu();
    BuildTrayMenu();
    BuildLogMenu();

    history_ = new HistoryView(this);
    history_->SetContextMenu(logMenu_);
    history_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(3);
    layout->setMenuBar(menuBar_);
    layout->addWidget(BuildStatusFrame());
    layout->addWidget(BuildEntryRow());
    layout->addWidget(BuildCommandRow());
    layout->addWidget(history_);
    resize(Twips(this, kWidthTwips), Twips(this, kHeightTwips));
    UpdateTrayItems();
}

QAction* MainWindow::AddCommand(QMenu* menu, std::map<Command, QAction*>& actions, Command command,
                                const char* caption) {
    QAction* action = menu->addAction(tr(caption));
    connect(action, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
    actions[command] = action;
    return action;
}

// The six log items stand in three menus; only the removal's caption differs.
void MainWindow::AddLogCommands(QMenu* menu, std::map<Command, QAction*>& actions,
                                const char* removeCaption) {
    AddCommand(menu, actions, Command::kBackupLog, QT_TR_NOOP("备份拨号记录"));
    AddCommand(menu, actions, Command::kRestoreLog, QT_TR_NOOP("恢复拨号记录"));
    AddCommand(menu, actions, Command::kExportLog, QT_TR_NOOP("导出拨号记录"));
    AddCommand(menu, actions, Command::kImportLog, QT_TR_NOOP("导入拨号记录"));
    AddCommand(menu, actions, Command::kRemoveLog, removeCaption);
    AddCommand(menu, actions, Command::kCompactLog, QT_TR_NOOP("压缩记录文件"));
}

// The hidden colour-themes item (背景主题) of the reports and tray menus stays
// out: the skins are all in the 风格 menu.
void MainWindow::AddReportCommands(QMenu* menu, std::map<Command, QAction*>& actions) {
    AddCommand(menu, actions, Command::kReportByCall, QT_TR_NOOP("月报表(按拨号)"));
    AddCommand(menu, actions, Command::kReportByDay, QT_TR_NOOP("月报表(按每天)"));
    AddCommand(menu, actions, Command::kReportByMonth, QT_TR_NOOP("年报表(按每月)"));
    menu->addSeparator();
    AddCommand(menu, actions, Command::kCompareTariffs, QT_TR_NOOP("资费比较"));
    AddCommand(menu, actions, Command::kCheckBill, QT_TR_NOOP("核对账单"));
}

void MainWindow::BuildMainMenu() {
    QMenu* commands = menuBar_->addMenu(tr("命令"));
    commands->setObjectName(QStringLiteral("mnuTop"));
    AddCommand(commands, mainActions_, Command::kDial, QT_TR_NOOP("拨号"));
    AddCommand(commands, mainActions_, Command::kHangUp, QT_TR_NOOP("挂断"));
    AddCommand(commands, mainActions_, Command::kNewEntry, QT_TR_NOOP("新建"));
    AddCommand(commands, mainActions_, Command::kEditEntry, QT_TR_NOOP("属性"));
    commands->addSeparator();
    AddCommand(commands, mainActions_, Command::kRuleSettings, QT_TR_NOOP("设置规则"));
    AddCommand(commands, mainActions_, Command::kExportRules, QT_TR_NOOP("导出规则"));
    AddCommand(commands, mainActions_, Command::kImportRules, QT_TR_NOOP("导入规则"));
    commands->addSeparator();
    AddCommand(commands, mainActions_, Command::kSearch, QT_TR_NOOP("搜索"));
    commands->addSeparator();
    AddCommand(commands, mainActions_, Command::kExit, QT_TR_NOOP("退出"));

    QMenu* options = menuBar_->addMenu(tr("选项"));
    AddCommand(options, mainActions_, Command::kFloatWindow, QT_TR_NOOP("悬浮窗口"))
        ->setCheckable(true);
    AddCommand(options, mainActions_, Command::kHideMainWindow, QT_TR_NOOP("隐藏主窗口"));
    AddCommand(options, mainActions_, Command::kShowHistory, kShowHistoryCaption);
    AddCommand(options, mainActions_, Command::kSound, QT_TR_NOOP("关闭提示声音"));

    QMenu* reports = menuBar_->addMenu(tr("报表"));
    reports->setObjectName(QStringLiteral("mnuTopReport"));
    AddReportCommands(reports, mainActions_);

    // The shell fills it with the skins.
    styleMenu_ = menuBar_->addMenu(tr("风格"));
    styleMenu_->setObjectName(QStringLiteral("mnuView"));

    AddLogCommands(menuBar_->addMenu(tr("拨号记录")), mainActions_, QT_TR_NOOP("清除三个月前记录"));

    QMenu* help = menuBar_->addMenu(tr("帮助"));
    AddCommand(help, mainActions_, Command::kAbout, QT_TR_NOOP("关于"));
    AddCommand(help, mainActions_, Command::kHelp, QT_TR_NOOP("帮助"));
    AddCommand(help, mainActions_, Command::kHomePage, QT_TR_NOOP("访问主页"));
}

void MainWindow::BuildTrayMenu() {
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QStringLiteral("mnuTray"));
    AddCommand(trayMenu_, trayActions_, Command::kFloatWindow, QT_TR_NOOP("浮动窗口"))
        ->setCheckable(true);
    AddCommand(trayMenu_, trayActions_, Command::kRestoreMainWindow, QT_TR_NOOP("显示主窗口"));
    AddCommand(trayMenu_, trayActions_, Command::kMinimizeMainWindow, QT_TR_NOOP("隐藏主窗口"));
    AddCommand(trayMenu_, trayActions_, Command::kSound, QT_TR_NOOP("关闭提示声音"));
    AddReportCommands(trayMenu_->addMenu(tr("报表")), trayActions_);
    trayMenu_->addSeparator();
    AddLogCommands(trayMenu_->addMenu(tr("拨号记录")), trayActions_, QT_TR_NOOP("清除3个月前记录"));
    trayMenu_->addSeparator();
    AddCommand(trayMenu_, trayActions_, Command::kHomePage, QT_TR_NOOP("访问主页"));
    AddCommand(trayMenu_, trayActions_, Command::kHelp, QT_TR_NOOP("帮助"));
    AddCommand(trayMenu_, trayActions_, Command::kAbout, QT_TR_NOOP("关于"));
    trayMenu_->addSeparator();
    AddCommand(trayMenu_, trayActions_, Command::kSearch, QT_TR_NOOP("快速搜索"));
    trayMenu_->addSeparator();
    AddCommand(trayMenu_, trayActions_, Command::kRuleSettings, QT_TR_NOOP("设置规则"));
    AddCommand(trayMenu_, trayActions_, Command::kExportRules, QT_TR_NOOP("导出规则"));
    AddCommand(trayMenu_, trayActions_, Command::kImportRules, QT_TR_NOOP("导入规则"));
    trayMenu_->addSeparator();
    AddCommand(trayMenu_, trayActions_, Command::kHangUp, QT_TR_NOOP("挂断"));
    AddCommand(trayMenu_, trayActions_, Command::kDial, QT_TR_NOOP("拨号"));
    AddCommand(trayMenu_, trayActions_, Command::kExit, QT_TR_NOOP("退出"));
}

void MainWindow::BuildLogMenu() {
    logMenu_ = new QMenu(this);
    logMenu_->setObjectName(QStringLiteral("mnuLog"));
    AddLogCommands(logMenu_, logActions_, QT_TR_NOOP("清除3个月前记录"));
    // The grid is showing when its menu is used: removing and compacting first
    // run the history command, which hides it.
    for (const Command command : {Command::kRemoveLog, Command::kCompactLog}) {
        QAction* action = logActions_.at(command);
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, [this, command] {
            emit commandTriggered(Command::kShowHistory);
            emit commandTriggered(command);
        });
    }
    logMenu_->addSeparator();
    AddCommand(logMenu_, logActions_, Command::kLogOrder, QT_TR_NOOP("降序排列"));
}

QWidget* MainWindow::BuildStatusFrame() {
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("frameMain"));
    dialMsg_ = new ColumnLabel(frame);
    dialMsg_->setObjectName(QStringLiteral("DialMsg"));
    dialMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    speedMsg_ = new SteadyLabel(frame);
    speedMsg_->setObjectName(QStringLiteral("SpeedMsg"));
    connectStatus_ = new QLabel(frame);
    connectStatus_->setObjectName(QStringLiteral("connectStatus"));
    backendNote_ = new QLabel(frame);
    backendNote_->setObjectName(QStringLiteral("backendNote"));
    graph_ = new SpeedGraph(frame);
    graph_->setObjectName(QStringLiteral("Picture1"));
    graph_->setMinimumSize(Twips(this, 2000), Twips(this, 1000));

    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    // The two labels keep their own size and sit where a label filling the cell
    // would show its text; the columns still share the width as before.
    layout->addWidget(dialMsg_, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(graph_, 0, 1);
    layout->addWidget(speedMsg_, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(connectStatus_, 2, 0, 1, 2);
    layout->addWidget(backendNote_, 3, 0, 1, 2);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);
    return frame;
}

QWidget* MainWindow::BuildEntryRow() {
    auto* row = new QWidget(this);
    entryList_ = new QComboBox(row);
    entryList_->setObjectName(QStringLiteral("EntryList"));
    userName_ = new QLineEdit(row);
    userName_->setObjectName(QStringLiteral("Text2"));
    password_ = new QLineEdit(row);
    password_->setObjectName(QStringLiteral("Text3"));
    password_->setEchoMode(QLineEdit::Password);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(entryList_, 2);
    layout->addWidget(new QLabel(tr("用户名"), row));
    layout->addWidget(userName_, 2);
    layout->addWidget(new QLabel(tr("密码"), row));
    layout->addWidget(password_, 2);

    connect(entryList_, &QComboBox::activated, this,
            [this](int index) { emit entryChosen(entryList_->itemText(index)); });
    connect(userName_, &QLineEdit::textEdited, this, &MainWindow::userNameEdited);
    connect(password_, &QLineEdit::textEdited, this, &MainWindow::passwordEdited);
    userName_->installEventFilter(this);
    password_->installEventFilter(this);
    return row;
}

QWidget* MainWindow::BuildCommandRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 7; ++i) {
        auto* button = new CommandButton(tr(kCommandLabels[i].caption), row);
        button->setObjectName(QStringLiteral("Label3_%1").arg(i));
        const Command command = kCommandLabels[i].command;
        connect(button, &QToolButton::clicked, this,
                [this, command] { emit commandTriggered(command); });
        commandButtons_[i] = button;
        layout->addWidget(button);
    }
    return row;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == userName_) {
        emit userNameLeft(userName_->text());
    } else if (event->type() == QEvent::FocusOut && watched == password_) {
        emit passwordLeft(password_->text());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::ApplyMenuStates(const MenuStates& states) {
    for (auto* actions : {&mainActions_, &trayActions_}) {
        actions->at(Command::kDial)->setEnabled(states.dialEnabled);
        actions->at(Command::kHangUp)->setEnabled(states.hangUpEnabled);
        actions->at(Command::kSound)->setText(CoreText(states.soundCaption));
        for (const Command report :
             {Command::kReportByCall, Command::kReportByDay, Command::kReportByMonth}) {
            actions->at(report)->setEnabled(states.reportEnabled);
        }
    }
    logActions_.at(Command::kLogOrder)->setText(CoreText(states.orderCaption));
}

void MainWindow::SetBackendNote(const QString& note) {
    backendNote_->setText(note);
    backendNote_->setVisible(!note.isEmpty());
}

void MainWindow::AddPanel(QWidget* panel) {
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(history_), panel);
}

void MainWindow::SetFloatWindowChecked(bool checked) {
    mainActions_.at(Command::kFloatWindow)->setChecked(checked);
    trayActions_.at(Command::kFloatWindow)->setChecked(checked);
}

void MainWindow::ToggleHistory() {
    QAction* item = mainActions_.at(Command::kShowHistory);
    const bool show = !HistoryShown();
    item->setText(tr(show ? kHideHistoryCaption : kShowHistoryCaption));
    history_->setVisible(show);
    FitHeight();
}

// The designed heights left an empty band below the commands, or cut the grid
// with a larger font: the window is as tall as what it shows.
void MainWindow::FitHeight() {
    layout()->activate();
    resize(width(), heightForWidth(width()) > 0 ? heightForWidth(width()) : sizeHint().height());
}

bool MainWindow::HistoryShown() const {
    return !history_->isHidden();
}

// The designed width, or wider when the grid needs it for all its columns.
int MainWindow::DefaultWidth() const {
    const QMargins margins = layout()->contentsMargins();
    return std::max(Twips(this, kWidthTwips),
                    history_->FullWidth() + margins.left() + margins.right());
}

// Centred with the size it was designed with, then given its working size.
void MainWindow::PlaceAtStart() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    resize(DefaultWidth(), height());
    FitHeight();
}

void MainWindow::SendToTray() {
    if (trayAvailable_) {
        hide();
        setWindowState(windowState() & ~Qt::WindowMinimized);
    } else if (!isMinimized()) {
        showMinimized();
    }
    UpdateTrayItems();
}

// 显示主窗口 and 隐藏主窗口 follow what the window is: hidden or minimised it can
// only be shown, shown normally only hidden, maximised both.
void MainWindow::UpdateTrayItems() {
    const bool away = !isVisible() || isMinimized();
    trayActions_.at(Command::kMinimizeMainWindow)->setEnabled(!away);
    trayActions_.at(Command::kRestoreMainWindow)->setEnabled(away || isMaximized());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    SendToTray();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    if (isMinimized()) {
        // Hiding from inside the state change confuses some window managers.
        QTimer::singleShot(0, this, [this] { SendToTray(); });
    }
    UpdateTrayItems();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateTrayItems();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdateTrayItems();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
    } else if (event->button() == Qt::RightButton) {
        trayMenu_->popup(event->globalPosition().toPoint());
    }
    QWidget::mousePressEvent(event);
}

}  // namespace vornik::gui
