#include "settings/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/centre_on_screen.h"
#include "app/prompter.h"

namespace vornik::gui {
namespace {

constexpr int kBoxWidth = 60;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QGroupBox* Frame(const char* name, const char* caption, QWidget* parent) {
    auto* frame = new QGroupBox(QString::fromUtf8(caption), parent);
    frame->setObjectName(QString::fromUtf8(name));
    new QVBoxLayout(frame);
    return frame;
}

QVBoxLayout* Rows(QGroupBox* frame) {
    return static_cast<QVBoxLayout*>(frame->layout());
}

// A tab holding its frames from the top down.
QWidget* Tab(std::initializer_list<QWidget*> frames) {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    for (QWidget* frame : frames) {
        layout->addWidget(frame);
    }
    layout->addStretch(1);
    return tab;
}

}  // namespace

// The discount switches and factor that the Baoshi and Jishi frames both have.
struct OptionsDialog::TariffDiscounts {
    const char* prefix;
    bool Options::*minFeeUnit;
    bool Options::*holidayDiscounted;
    bool Options::*timeDiscounted;
    bool Options::*weekendDiscounted;
    std::string Options::*weekendDiscount;
    OptionField weekendDiscountField;
};

OptionsDialog::OptionsDialog(SettingsStore& settings, Prompter& prompter, OptionsDialogHooks hooks,
                             QWidget* parent)
    : QDialog(parent), settings_(settings), prompter_(prompter), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(QStringLiteral("设置拨号规则"));
    setAttribute(Qt::WA_DeleteOnClose);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->addTab(BuildDialTab(), QStringLiteral("拨号设置"));
    tabs_->addTab(BuildIdleTab(), QStringLiteral("空闲设置"));
    tabs_->addTab(BuildFeeTab(), QStringLiteral("资费设置"));
    tabs_->addTab(BuildPasswordTab(), QStringLiteral("密码设置"));
    tabs_->addTab(BuildOtherTab(), QStringLiteral("其他选项"));
    tabs_->addTab(BuildAutomaticTab(), QStringLiteral("自动开关"));
    save_ = new QPushButton(QStringLiteral("保存"), this);
    save_->setObjectName(QStringLiteral("saveButton"));
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    ShowOptions(LoadOptions(settings_));
    ConnectEdits();
    SetRulesChanged(false);
    // The bar has taken the stored opacity: the window shows it, and a missing
    // setting is written as the bar holds it.
    ApplyOpacity(opacity_->value());
    connect(opacity_, &QSlider::valueChanged, this, &OptionsDialog::ApplyOpacity);
    connect(save_, &QPushButton::clicked, this, [this] { SaveOptions([] {}); });
    connect(close_, &QPushButton::clicked, this, &OptionsDialog::reject);
    connect(tabs_, &QTabWidget::tabBarClicked, this, &OptionsDialog::SelectTabText);
}

// ---- Building --------------------------------------------------------------

QWidget* OptionsDialog::Row(std::initializer_list<RowPart> parts) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const RowPart& part : parts) {
        if (const auto* text = std::get_if<const char*>(&part)) {
            layout->addWidget(new QLabel(QString::fromUtf8(*text)));
        } else {
            layout->addWidget(std::get<QWidget*>(part));
        }
    }
    layout->addStretch(1);
    return row;
}

QLineEdit* OptionsDialog::AddTextBox(const char* name, std::string Options::*value) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromUtf8(name));
    texts_.emplace_back(value, box);
    return box;
}

QLineEdit* OptionsDialog::AddNumberBox(const char* name, std::string Options::*value,
                                       OptionField field) {
    QLineEdit* box = AddTextBox(name, value);
    box->setFixedWidth(kBoxWidth);
    numberBoxes_[field] = box;
    return box;
}

QCheckBox* OptionsDialog::AddSwitch(const char* name, const char* caption, bool Options::*value) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromUtf8(name));
    switches_.emplace_back(value, box);
    return box;
}

QButtonGroup* OptionsDialog::AddChoice(
    std::initializer_list<std::pair<const char*, const char*>> buttons) {
    auto* group = new QButtonGroup(this);
    int id = 0;
    for (const auto& [name, caption] : buttons) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), this);
        button->setObjectName(QString::fromUtf8(name));
        group->addButton(button, id++);
    }
    return group;
}

QPushButton* OptionsDialog::AddEditorButton(const char* name, const char* caption,
                                            void (OptionsDialog::*request)()) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QString::fromUtf8(name));
    connect(button, &QPushButton::clicked, this, request);
    return button;
}

QWidget* OptionsDialog::BuildDialTab() {
    QGroupBox* limits = Frame("dialFrame", "", this);
    Rows(limits)->addWidget(
        Row({"每月计费开始日期",
             AddNumberBox("FirstFeeDay", &Options::firstFeeDay, OptionField::kFirstFeeDay)}));
    struct Limit {
        const char* switchName;
        const char* caption;
        bool Options::*on;
        const char* boxName;
        std::string Options::*value;
        OptionField field;
        const char* unit;
    };
    for (const Limit& limit : {
             Limit{"chkMonthlyMaxTime", "每月上网时限", &Options::monthlyMaxTimeOn,
                   "monthlyMaxTime", &Options::monthlyMaxTime, OptionField::kMonthlyMaxTime,
                   "小时"},
             Limit{"chkDailyMaxTime", "每日上网时限", &Options::dailyMaxTimeOn, "dailyMaxTime",
                   &Options::dailyMaxTime, OptionField::kDailyMaxTime, "小时"},
             Limit{"chkEachMaxTime", "每次上网时限", &Options::eachMaxTimeOn, "eachMaxTime",
                   &Options::eachMaxTime, OptionField::kEachMaxTime, "小时"},
             Limit{"chkMonthlyMaxVolume", "每月流量时限", &Options::monthlyMaxVolumeOn,
                   "monthlyMaxVolume", &Options::monthlyMaxVolume, OptionField::kMonthlyMaxVolume,
                   "MB"},
         }) {
        Rows(limits)->addWidget(
            Row({AddSwitch(limit.switchName, limit.caption, limit.on),
                 AddNumberBox(limit.boxName, limit.value, limit.field), limit.unit}));
    }
    QGroupBox* alerts = Frame("alertFrame", "超时警报", this);
    Rows(alerts)->addWidget(
        Row({AddSwitch("soundAlert", "报警声音", &Options::soundAlert),
             AddSwitch("messageAlert", "弹出信息", &Options::messageAlert),
             AddSwitch("disconnectAlert", "强制挂断", &Options::disconnectAlert)}));
    return Tab({limits, alerts});
}

QWidget* OptionsDialog::BuildIdleTab() {
    QGroupBox* idle = Frame("idleFrame", "", this);
    Rows(idle)->addWidget(Row(
        {"当流量低于",
         AddNumberBox("MaxSpeedForIdle", &Options::maxSpeedForIdle, OptionField::kMaxSpeedForIdle),
         "KB/秒 时为网络空闲"}));
    Rows(idle)->addWidget(
        Row({"当空闲超过",
             AddNumberBox("IdleTimeMax", &Options::idleTimeMax, OptionField::kIdleTimeMax),
             "秒 时采取操作："}));
    idleAction_ = AddChoice(
        {{"idleHangUp", "自动断开"}, {"idleAsk", "弹出信息提醒"}, {"idleKeepAlive", "防止掉线"}});
    Rows(idle)->addWidget(
        Row({idleAction_->button(0), idleAction_->button(1), idleAction_->button(2)}));
    return Tab({idle});
}

QWidget* OptionsDialog::BuildFeeTab() {
    QGroupBox* phone = Frame("phoneFeeFrame", "电话费", this);
    Rows(phone)->addWidget(
        Row({AddNumberBox("PhoneFee", &Options::phoneFee, OptionField::kPhoneFee), "元/小时"}));
    QGroupBox* method = Frame("feeTypeFrame", "上网计费方式", this);
    feeType_ =
        AddChoice({{"feeTypeBaoshi", "包时"}, {"feeTypeJishi", "计时"}, {"feeTypeBaoyue", "包月"}});
    Rows(method)->addWidget(Row({feeType_->button(0), feeType_->button(1), feeType_->button(2)}));
    tariffFrames_ = {BuildBaoshiFrame(), BuildJishiFrame(), BuildBaoyueFrame()};
    return Tab({phone, method, tariffFrames_[0], tariffFrames_[1], tariffFrames_[2]});
}

QGroupBox* OptionsDialog::BuildBaoshiFrame() {
    QGroupBox* frame = Frame("baoshiFrame", "包时选项", this);
    Rows(frame)->addWidget(Row(
        {"每月", AddNumberBox("BaoshiTime", &Options::baoshiTime, OptionField::kBaoshiTime),
         "小时共", AddNumberBox("BaoshiFee", &Options::baoshiFee, OptionField::kBaoshiFee), "元"}));
    Rows(frame)->addWidget(Row({"超时则",
                                AddNumberBox("BaoshiTimeOutFee", &Options::baoshiTimeOutFee,
                                             OptionField::kBaoshiTimeOutFee),
                                "元/小时"}));
    AddDiscountRows(Rows(frame),
                    {"Baoshi", &Options::baoshiMinFeeUnit, &Options::baoshiHolidayDiscounted,
                     &Options::baoshiTimeDiscounted, &Options::baoshiWeekendDiscounted,
                     &Options::baoshiWeekendDiscount, OptionField::kBaoshiWeekendDiscount});
    return frame;
}

QGroupBox* OptionsDialog::BuildJishiFrame() {
    QGroupBox* frame = Frame("jishiFrame", "计时选项", this);
    Rows(frame)->addWidget(
        Row({"上网费：", AddNumberBox("JishiFee", &Options::jishiFee, OptionField::kJishiFee),
             "元/小时"}));
    AddDiscountRows(Rows(frame),
                    {"Jishi", &Options::jishiMinFeeUnit, &Options::jishiHolidayDiscounted,
                     &Options::jishiTimeDiscounted, &Options::jishiWeekendDiscounted,
                     &Options::jishiWeekendDiscount, OptionField::kJishiWeekendDiscount});
    return frame;
}

void OptionsDialog::AddDiscountRows(QVBoxLayout* frame, const TariffDiscounts& d) {
    const std::string prefix = d.prefix;
    const auto name = [&prefix](const char* rest) { return prefix + rest; };
    frame->addWidget(
        Row({AddSwitch(name("MinFeeUnit").c_str(), "按分钟计费", d.minFeeUnit),
             AddSwitch(name("HolidayDiscounted").c_str(), "节假日优惠", d.holidayDiscounted)}));
    frame->addWidget(Row(
        {AddSwitch(name("TimeDiscounted").c_str(), "特殊时段优惠", d.timeDiscounted),
         AddSwitch(name("WeekendDiscounted").c_str(), "双休日优惠", d.weekendDiscounted), "折扣：",
         AddNumberBox(name("WeekendDiscount").c_str(), d.weekendDiscount,
                      d.weekendDiscountField)}));
    frame->addWidget(Row({AddEditorButton(name("SetDiscountTime").c_str(), "设置优惠时段",
                                          &OptionsDialog::discountTimeEditorRequested),
                          AddEditorButton(name("SetHoliday").c_str(), "设置节假日",
                                          &OptionsDialog::holidayEditorRequested)}));
}

QGroupBox* OptionsDialog::BuildBaoyueFrame() {
    QGroupBox* frame = Frame("baoyueFrame", "包月选项", this);
    Rows(frame)->addWidget(
        Row({"包月上网费用",
             AddNumberBox("BaoyueFee", &Options::baoyueFee, OptionField::kBaoyueFee), "元/月"}));
    baoyueBegin_ = new QDateEdit(QDate::currentDate(), this);
    baoyueBegin_->setObjectName(QStringLiteral("BaoyueBeginTime"));
    baoyueBegin_->setCalendarPopup(true);
    Rows(frame)->addWidget(Row({"包月开始时间", baoyueBegin_}));
    return frame;
}

QWidget* OptionsDialog::BuildPasswordTab() {
    QGroupBox* frame = Frame("passwordFrame", "", this);
    pwdProtected_ = AddSwitch("PwdProtected", "设置规则、退出程序输入密码", &Options::pwdProtected);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Password"));
    password2_ = new QLineEdit(this);
    password2_->setObjectName(QStringLiteral("password2"));
    for (QLineEdit* box : {password_, password2_}) {
        box->setEchoMode(QLineEdit::Password);
    }
    savePassword_ = new QPushButton(QStringLiteral("保存密码"), this);
    savePassword_->setObjectName(QStringLiteral("savePasswordButton"));
    savePassword_->setEnabled(false);
    Rows(frame)->addWidget(Row({pwdProtected_}));
    Rows(frame)->addWidget(Row({"输入新密码", password_}));
    Rows(frame)->addWidget(Row({"新密码确认", password2_, "(至少4位)"}));
    Rows(frame)->addWidget(Row({savePassword_}));
    connect(savePassword_, &QPushButton::clicked, this, &OptionsDialog::SavePassword);
    return Tab({frame});
}

QWidget* OptionsDialog::BuildOtherTab() {
    QGroupBox* frame = Frame("otherFrame", "", this);
    showFloatWin_ = AddSwitch("chkShowFloatWin", "显示浮动状态窗口", &Options::showFloatWin);
    Rows(frame)->addWidget(Row({showFloatWin_}));
    Rows(frame)->addWidget(
        Row({AddSwitch("WindowAutoHide", "程序启动时自动隐藏窗口", &Options::windowAutoHide)}));
    Rows(frame)->addWidget(Row({AddSwitch("CloseSound", "关闭提示声音", &Options::closeSound)}));
    auto* speedLabel = new QLabel(QStringLiteral("网络最大流速:"), this);
    speedLabel->setToolTip(QStringLiteral("此值的设定将影响窗口中绿色的网络流速图"));
    QLineEdit* maxSpeed = AddNumberBox("maxspeed", &Options::maxSpeed, OptionField::kMaxSpeed);
    maxSpeed->setText(QStringLiteral("70"));
    Rows(frame)->addWidget(Row({speedLabel, maxSpeed, "KB/s"}));
    logOrder_ = AddChoice({{"logOrderAscending", "升序"}, {"logOrderDescending", "降序"}});
    Rows(frame)->addWidget(
        Row({"拨号历史记录存放顺序：", logOrder_->button(0), logOrder_->button(1)}));
    opacity_ = new QSlider(Qt::Horizontal, this);
    opacity_->setObjectName(QStringLiteral("opacityBar"));
    opacity_->setRange(Options::kFaintestAlpha, Options::kOpaque);
    opacity_->setValue(Options::kDefaultAlpha);
    Rows(frame)->addWidget(Row({"浮动窗口透明度：", opacity_}));
    return Tab({frame});
}

QWidget* OptionsDialog::BuildAutomaticTab() {
    QGroupBox* frame = Frame("automaticFrame", "", this);
    autoDialAt_ = new QTimeEdit(this);
    autoDialAt_->setObjectName(QStringLiteral("dtAutoDialTime"));
    autoDisconnectAt_ = new QTimeEdit(this);
    autoDisconnectAt_->setObjectName(QStringLiteral("dtAutoDisconnectTime"));
    for (QTimeEdit* picker : {autoDialAt_, autoDisconnectAt_}) {
        picker->setDisplayFormat(QStringLiteral("HH:mm"));
    }
    Rows(frame)->addWidget(Row({AddSwitch("chkAutoDial", "开机自动拨号", &Options::autoDial)}));
    Rows(frame)->addWidget(Row(
        {AddSwitch("chkAutoDialTime", "每天自动拨号时间", &Options::autoDialTime), autoDialAt_}));
    Rows(frame)->addWidget(
        Row({AddSwitch("chkAutoDisconnectTime", "每天自动断网时间", &Options::autoDisconnectTime),
             autoDisconnectAt_}));
    Rows(frame)->addWidget(Row({AddSwitch("chkautoredial", "断线自动重拨", &Options::autoReDial),
                                AddTextBox("txtcheckip", &Options::checkIp)}));
    return Tab({frame});
}

// ---- Values ----------------------------------------------------------------

void OptionsDialog::ShowOptions(const Options& options) {
    for (const auto& [value, box] : texts_) {
        box->setText(Q(options.*value));
    }
    for (const auto& [value, box] : switches_) {
        box->setChecked(options.*value);
    }
    idleAction_->button(options.idleTimeOutAction)->setChecked(true);
    feeType_->button(static_cast<int>(options.feeType))->setChecked(true);
    logOrder_->button(options.logOrderDescending ? 1 : 0)->setChecked(true);
    if (options.baoyueBeginDay > 0) {
        const QDate today = QDate::currentDate();
        const QDate day(today.year(), today.month(), options.baoyueBeginDay);
        baoyueBegin_->setDate(day.isValid() ? day : today);
    }
    autoDialAt_->setTime(QTime(options.autoDialAt.hour, options.autoDialAt.minute));
    autoDisconnectAt_->setTime(
        QTime(options.autoDisconnectAt.hour, options.autoDisconnectAt.minute));
    opacity_->setValue(options.alpha);
    for (QLineEdit* box : {password_, password2_}) {
        box->setEnabled(options.pwdProtected);
    }
    ShowTariffFrame();
}

Options OptionsDialog::EditedOptions() const {
    Options options;
    for (const auto& [value, box] : texts_) {
        options.*value = box->text().toStdString();
    }
    for (const auto& [value, box] : switches_) {
        options.*value = box->isChecked();
    }
    options.idleTimeOutAction = idleAction_->checkedId();
    options.feeType = static_cast<FeeType>(feeType_->checkedId());
    options.logOrderDescending = logOrder_->checkedId() == 1;
    options.baoyueBeginDay = baoyueBegin_->date().day();
    options.autoDialAt = {autoDialAt_->time().hour(), autoDialAt_->time().minute()};
    options.autoDisconnectAt = {autoDisconnectAt_->time().hour(),
                                autoDisconnectAt_->time().minute()};
    options.alpha = opacity_->value();
    return options;
}

// Every rule control marks the rules changed; the floating window's check box
// acts at once instead and is saved with the rules.
void OptionsDialog::ConnectEdits() {
    const auto changed = [this] { SetRulesChanged(true); };
    for (const auto& [value, box] : texts_) {
        connect(box, &QLineEdit::textChanged, this, changed);
    }
    for (const auto& [value, box] : switches_) {
        if (box != showFloatWin_) {
            connect(box, &QCheckBox::toggled, this, changed);
        }
    }
    for (QButtonGroup* group : {idleAction_, feeType_, logOrder_}) {
        connect(group, &QButtonGroup::idToggled, this, changed);
    }
    connect(feeType_, &QButtonGroup::idToggled, this, &OptionsDialog::ShowTariffFrame);
    connect(baoyueBegin_, &QDateEdit::dateChanged, this, changed);
    for (QTimeEdit* picker : {autoDialAt_, autoDisconnectAt_}) {
        connect(picker, &QTimeEdit::timeChanged, this, changed);
    }
    connect(pwdProtected_, &QCheckBox::toggled, this, [this](bool on) {
        password_->setEnabled(on);
        password2_->setEnabled(on);
    });
    for (QLineEdit* box : {password_, password2_}) {
        connect(box, &QLineEdit::textChanged, savePassword_,
                [this] { savePassword_->setEnabled(true); });
    }
    connect(showFloatWin_, &QCheckBox::clicked, this, [this](bool shown) {
        if (hooks_.showFloatWindow) {
            hooks_.showFloatWindow(shown);
        }
    });
}

void OptionsDialog::SetRulesChanged(bool changed) {
    rulesChanged_ = changed;
    save_->setEnabled(changed);
}

void OptionsDialog::ShowTariffFrame() {
    const int selected = feeType_->checkedId();
    for (int i = 0; i < static_cast<int>(tariffFrames_.size()); ++i) {
        tariffFrames_[i]->setVisible(i == selected);
    }
}

// ---- Actions ---------------------------------------------------------------

void OptionsDialog::SaveOptions(std::function<void()> then) {
    const Options options = EditedOptions();
    QPointer<OptionsDialog> self(this);
    if (const auto problem = ValidateOptions(options)) {
        tabs_->setCurrentIndex(static_cast<int>(problem->tab));
        QLineEdit* box = numberBoxes_.at(problem->field);
        prompter_.ShowMessage(this, Q(problem->message), [self, box, then] {
            if (self) {
                box->setFocus();
                box->selectAll();
            }
            then();
        });
        return;
    }
    const Result<> saved = vornik::SaveOptions(settings_, options);
    // Keys that were written take effect even when others failed; the edits stay
    // unsaved then, so the user can try again.
    SetRulesChanged(!saved.Ok());
    if (hooks_.rulesSaved) {
        hooks_.rulesSaved();
    }
    if (!saved) {
        prompter_.ShowMessage(this, Q(saved.Error()), std::move(then));
        return;
    }
    then();
}

void OptionsDialog::SavePassword() {
    const std::optional<std::string> message = vornik::SavePassword(
        settings_, {pwdProtected_->isChecked(), password_->text().toStdString(),
                    password2_->text().toStdString()});
    savePassword_->setEnabled(false);
    if (message) {
        prompter_.ShowMessage(this, Q(*message), [] {});
    }
}

void OptionsDialog::reject() {
    if (!rulesChanged_) {
        QDialog::reject();
        return;
    }
    if (asking_) {
        return;
    }
    asking_ = true;
    QPointer<OptionsDialog> self(this);
    prompter_.AskYesNo(this, QStringLiteral("你修改了拨号规则，要保存吗？"), [self](bool yes) {
        const auto close = [self] {
            if (self) {
                self->QDialog::reject();
            }
        };
        if (yes && self) {
            self->SaveOptions(close);
        } else {
            close();
        }
    });
}

void OptionsDialog::SelectTabText(int tab) {
    QLineEdit* box = tab == 0   ? numberBoxes_.at(OptionField::kFirstFeeDay)
                     : tab == 1 ? numberBoxes_.at(OptionField::kMaxSpeedForIdle)
                                : password_;
    box->selectAll();
}

void OptionsDialog::ApplyOpacity(int alpha) {
    if (hooks_.setOpacity) {
        hooks_.setOpacity(alpha);
    }
    // A failed write is traced by the log; the window shows the opacity anyway.
    SaveOpacity(settings_, alpha);
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    raise();
}

}  // namespace vornik::gui
