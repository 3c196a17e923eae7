// The six tabs of the options dialog and the controls on them.
#include "settings/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "settings/login_start.h"

namespace vornik::gui {
namespace {

constexpr int kBoxWidth = 60;

QGroupBox* Frame(const char* name, const char* caption, QWidget* parent) {
    auto* frame = new QGroupBox(OptionsDialog::tr(caption), parent);
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

QWidget* OptionsDialog::Row(std::initializer_list<RowPart> parts) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const RowPart& part : parts) {
        if (const auto* text = std::get_if<const char*>(&part)) {
            layout->addWidget(new QLabel(tr(*text)));
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
    auto* box = new QCheckBox(tr(caption), this);
    box->setObjectName(QString::fromUtf8(name));
    switches_.emplace_back(value, box);
    return box;
}

QButtonGroup* OptionsDialog::AddChoice(
    std::initializer_list<std::pair<const char*, const char*>> buttons) {
    auto* group = new QButtonGroup(this);
    int id = 0;
    for (const auto& [name, caption] : buttons) {
        auto* button = new QRadioButton(tr(caption), this);
        button->setObjectName(QString::fromUtf8(name));
        group->addButton(button, id++);
    }
    return group;
}

QPushButton* OptionsDialog::AddEditorButton(const char* name, const char* caption,
                                            void (OptionsDialog::*request)()) {
    auto* button = new QPushButton(tr(caption), this);
    button->setObjectName(QString::fromUtf8(name));
    connect(button, &QPushButton::clicked, this, request);
    return button;
}

QWidget* OptionsDialog::BuildDialTab() {
    QGroupBox* limits = Frame("dialFrame", "", this);
    Rows(limits)->addWidget(
        Row({QT_TR_NOOP("每月计费开始日期"),
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
             Limit{"chkMonthlyMaxTime", QT_TR_NOOP("每月上网时限"), &Options::monthlyMaxTimeOn,
                   "monthlyMaxTime", &Options::monthlyMaxTime, OptionField::kMonthlyMaxTime,
                   QT_TR_NOOP("小时")},
             Limit{"chkDailyMaxTime", QT_TR_NOOP("每日上网时限"), &Options::dailyMaxTimeOn,
                   "dailyMaxTime", &Options::dailyMaxTime, OptionField::kDailyMaxTime,
                   QT_TR_NOOP("小时")},
             Limit{"chkEachMaxTime", QT_TR_NOOP("每次上网时限"), &Options::eachMaxTimeOn,
                   "eachMaxTime", &Options::eachMaxTime, OptionField::kEachMaxTime,
                   QT_TR_NOOP("小时")},
             Limit{"chkMonthlyMaxVolume", QT_TR_NOOP("每月流量时限"), &Options::monthlyMaxVolumeOn,
                   "monthlyMaxVolume", &Options::monthlyMaxVolume, OptionField::kMonthlyMaxVolume,
                   "MB"},
         }) {
        Rows(limits)->addWidget(
            Row({AddSwitch(limit.switchName, limit.caption, limit.on),
                 AddNumberBox(limit.boxName, limit.value, limit.field), limit.unit}));
    }
    QGroupBox* alerts = Frame("alertFrame", QT_TR_NOOP("超时警报"), this);
    Rows(alerts)->addWidget(
        Row({AddSwitch("soundAlert", QT_TR_NOOP("报警声音"), &Options::soundAlert),
             AddSwitch("messageAlert", QT_TR_NOOP("弹出信息"), &Options::messageAlert),
             AddSwitch("disconnectAlert", QT_TR_NOOP("强制挂断"), &Options::disconnectAlert)}));
    return Tab({limits, alerts});
}

QWidget* OptionsDialog::BuildIdleTab() {
    QGroupBox* idle = Frame("idleFrame", "", this);
    Rows(idle)->addWidget(Row(
        {QT_TR_NOOP("当流量低于"),
         AddNumberBox("MaxSpeedForIdle", &Options::maxSpeedForIdle, OptionField::kMaxSpeedForIdle),
         QT_TR_NOOP("KB/秒 时为网络空闲")}));
    Rows(idle)->addWidget(
        Row({QT_TR_NOOP("当空闲超过"),
             AddNumberBox("IdleTimeMax", &Options::idleTimeMax, OptionField::kIdleTimeMax),
             QT_TR_NOOP("秒 时采取操作：")}));
    idleAction_ = AddChoice({{"idleHangUp", QT_TR_NOOP("自动断开")},
                             {"idleAsk", QT_TR_NOOP("弹出信息提醒")},
                             {"idleKeepAlive", QT_TR_NOOP("防止掉线")}});
    Rows(idle)->addWidget(
        Row({idleAction_->button(0), idleAction_->button(1), idleAction_->button(2)}));
    return Tab({idle});
}

QWidget* OptionsDialog::BuildFeeTab() {
    QGroupBox* phone = Frame("phoneFeeFrame", QT_TR_NOOP("电话费"), this);
    Rows(phone)->addWidget(
        Row({AddNumberBox("PhoneFee", &Options::phoneFee, OptionField::kPhoneFee),
             QT_TR_NOOP("元/小时")}));
    QGroupBox* method = Frame("feeTypeFrame", QT_TR_NOOP("上网计费方式"), this);
    feeType_ = AddChoice({{"feeTypeBaoshi", QT_TR_NOOP("包时")},
                          {"feeTypeJishi", QT_TR_NOOP("计时")},
                          {"feeTypeBaoyue", QT_TR_NOOP("包月")},
                          {"feeTypeLiuliang", QT_TR_NOOP("流量")}});
    Rows(method)->addWidget(
        Row({feeType_->button(0), feeType_->button(1), feeType_->button(2), feeType_->button(3)}));
    tariffFrames_ = {BuildBaoshiFrame(), BuildJishiFrame(), BuildBaoyueFrame(),
                     BuildLiuliangFrame()};
    return Tab(
        {phone, method, tariffFrames_[0], tariffFrames_[1], tariffFrames_[2], tariffFrames_[3]});
}

QGroupBox* OptionsDialog::BuildBaoshiFrame() {
    QGroupBox* frame = Frame("baoshiFrame", QT_TR_NOOP("包时选项"), this);
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("每月"),
             AddNumberBox("BaoshiTime", &Options::baoshiTime, OptionField::kBaoshiTime),
             QT_TR_NOOP("小时共"),
             AddNumberBox("BaoshiFee", &Options::baoshiFee, OptionField::kBaoshiFee),
             QT_TR_NOOP("元")}));
    Rows(frame)->addWidget(Row({QT_TR_NOOP("超时则"),
                                AddNumberBox("BaoshiTimeOutFee", &Options::baoshiTimeOutFee,
                                             OptionField::kBaoshiTimeOutFee),
                                QT_TR_NOOP("元/小时")}));
    AddDiscountRows(Rows(frame),
                    {"Baoshi", &Options::baoshiMinFeeUnit, &Options::baoshiHolidayDiscounted,
                     &Options::baoshiTimeDiscounted, &Options::baoshiWeekendDiscounted,
                     &Options::baoshiWeekendDiscount, OptionField::kBaoshiWeekendDiscount});
    return frame;
}

QGroupBox* OptionsDialog::BuildJishiFrame() {
    QGroupBox* frame = Frame("jishiFrame", QT_TR_NOOP("计时选项"), this);
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("上网费："),
             AddNumberBox("JishiFee", &Options::jishiFee, OptionField::kJishiFee),
             QT_TR_NOOP("元/小时")}));
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
        Row({AddSwitch(name("MinFeeUnit").c_str(), QT_TR_NOOP("按分钟计费"), d.minFeeUnit),
             AddSwitch(name("HolidayDiscounted").c_str(), QT_TR_NOOP("节假日优惠"),
                       d.holidayDiscounted)}));
    frame->addWidget(Row(
        {AddSwitch(name("TimeDiscounted").c_str(), QT_TR_NOOP("特殊时段优惠"), d.timeDiscounted),
         AddSwitch(name("WeekendDiscounted").c_str(), QT_TR_NOOP("双休日优惠"),
                   d.weekendDiscounted),
         QT_TR_NOOP("折扣："),
         AddNumberBox(name("WeekendDiscount").c_str(), d.weekendDiscount,
                      d.weekendDiscountField)}));
    frame->addWidget(
        Row({AddEditorButton(name("SetDiscountTime").c_str(), QT_TR_NOOP("设置优惠时段"),
                             &OptionsDialog::discountTimeEditorRequested),
             AddEditorButton(name("SetHoliday").c_str(), QT_TR_NOOP("设置节假日"),
                             &OptionsDialog::holidayEditorRequested)}));
}

QGroupBox* OptionsDialog::BuildBaoyueFrame() {
    QGroupBox* frame = Frame("baoyueFrame", QT_TR_NOOP("包月选项"), this);
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("包月上网费用"),
             AddNumberBox("BaoyueFee", &Options::baoyueFee, OptionField::kBaoyueFee),
             QT_TR_NOOP("元/月")}));
    baoyueBegin_ = new QDateEdit(QDate::currentDate(), this);
    baoyueBegin_->setObjectName(QStringLiteral("BaoyueBeginTime"));
    baoyueBegin_->setCalendarPopup(true);
    Rows(frame)->addWidget(Row({QT_TR_NOOP("包月开始时间"), baoyueBegin_}));
    return frame;
}

// Charged by the megabyte beyond a monthly volume; the monthly fee may be 0.
QGroupBox* OptionsDialog::BuildLiuliangFrame() {
    QGroupBox* frame = Frame("liuliangFrame", QT_TR_NOOP("流量选项"), this);
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("每月"),
             AddNumberBox("LiuliangVolume", &Options::liuliangVolume, OptionField::kLiuliangVolume),
             QT_TR_NOOP("MB共"),
             AddNumberBox("LiuliangFee", &Options::liuliangFee, OptionField::kLiuliangFee),
             QT_TR_NOOP("元")}));
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("超出则"),
             AddNumberBox("LiuliangMBFee", &Options::liuliangMBFee, OptionField::kLiuliangMBFee),
             QT_TR_NOOP("元/MB")}));
    return frame;
}

QWidget* OptionsDialog::BuildPasswordTab() {
    QGroupBox* frame = Frame("passwordFrame", "", this);
    pwdProtected_ =
        AddSwitch("PwdProtected", QT_TR_NOOP("设置规则、退出程序输入密码"), &Options::pwdProtected);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Password"));
    password2_ = new QLineEdit(this);
    password2_->setObjectName(QStringLiteral("password2"));
    for (QLineEdit* box : {password_, password2_}) {
        box->setEchoMode(QLineEdit::Password);
    }
    savePassword_ = new QPushButton(tr("保存密码"), this);
    savePassword_->setObjectName(QStringLiteral("savePasswordButton"));
    savePassword_->setEnabled(false);
    Rows(frame)->addWidget(Row({pwdProtected_}));
    Rows(frame)->addWidget(Row({QT_TR_NOOP("输入新密码"), password_}));
    Rows(frame)->addWidget(Row({QT_TR_NOOP("新密码确认"), password2_, QT_TR_NOOP("(至少4位)")}));
    Rows(frame)->addWidget(Row({savePassword_}));
    connect(savePassword_, &QPushButton::clicked, this, &OptionsDialog::SavePassword);
    return Tab({frame});
}

QWidget* OptionsDialog::BuildOtherTab() {
    QGroupBox* frame = Frame("otherFrame", "", this);
    showFloatWin_ =
        AddSwitch("chkShowFloatWin", QT_TR_NOOP("显示浮动状态窗口"), &Options::showFloatWin);
    Rows(frame)->addWidget(Row({showFloatWin_}));
    Rows(frame)->addWidget(Row({AddSwitch("WindowAutoHide", QT_TR_NOOP("程序启动时自动隐藏窗口"),
                                          &Options::windowAutoHide)}));
    Rows(frame)->addWidget(
        Row({AddSwitch("CloseSound", QT_TR_NOOP("关闭提示声音"), &Options::closeSound)}));
    // The autostart entry is the switch itself: it acts at once and is no rule.
    loginStart_ = new QCheckBox(tr("登录时启动"), this);
    loginStart_->setObjectName(QStringLiteral("chkLoginStart"));
    loginStart_->setChecked(LoginStartOn());
    connect(loginStart_, &QCheckBox::clicked, this, &OptionsDialog::SetLoginStart);
    Rows(frame)->addWidget(Row({loginStart_}));
    auto* speedLabel = new QLabel(tr("网络最大流速:"), this);
    speedLabel->setToolTip(tr("此值的设定将影响窗口中绿色的网络流速图"));
    QLineEdit* maxSpeed = AddNumberBox("maxspeed", &Options::maxSpeed, OptionField::kMaxSpeed);
    maxSpeed->setText(QStringLiteral("70"));
    Rows(frame)->addWidget(Row({speedLabel, maxSpeed, "KB/s"}));
    logOrder_ = AddChoice(
        {{"logOrderAscending", QT_TR_NOOP("升序")}, {"logOrderDescending", QT_TR_NOOP("降序")}});
    Rows(frame)->addWidget(
        Row({QT_TR_NOOP("拨号历史记录存放顺序："), logOrder_->button(0), logOrder_->button(1)}));
    opacity_ = new QSlider(Qt::Horizontal, this);
    opacity_->setObjectName(QStringLiteral("opacityBar"));
    opacity_->setRange(Options::kFaintestAlpha, Options::kOpaque);
    opacity_->setValue(Options::kDefaultAlpha);
    Rows(frame)->addWidget(Row({QT_TR_NOOP("浮动窗口透明度："), opacity_}));
    // In a frame of their own on two rows, so the tab is no wider than the others.
    QGroupBox* notices = Frame("notifyFrame", QT_TR_NOOP("桌面通知"), this);
    Rows(notices)->addWidget(
        Row({AddSwitch("NotifyLimits", QT_TR_NOOP("限额提醒"), &Options::notifyLimits),
             AddSwitch("NotifyIdle", QT_TR_NOOP("空闲提醒"), &Options::notifyIdle),
             AddSwitch("NotifyLinkCheck", QT_TR_NOOP("链路检测"), &Options::notifyLinkCheck)}));
    Rows(notices)->addWidget(
        Row({AddSwitch("NotifyDialErrors", QT_TR_NOOP("拨号错误"), &Options::notifyDialErrors),
             AddSwitch("NotifyConnection", QT_TR_NOOP("连接和断开"), &Options::notifyConnection)}));
    return Tab({frame, notices});
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
    Rows(frame)->addWidget(
        Row({AddSwitch("chkAutoDial", QT_TR_NOOP("开机自动拨号"), &Options::autoDial)}));
    Rows(frame)->addWidget(
        Row({AddSwitch("chkAutoDialTime", QT_TR_NOOP("每天自动拨号时间"), &Options::autoDialTime),
             autoDialAt_}));
    Rows(frame)->addWidget(Row({AddSwitch("chkAutoDisconnectTime", QT_TR_NOOP("每天自动断网时间"),
                                          &Options::autoDisconnectTime),
                                autoDisconnectAt_}));
    Rows(frame)->addWidget(
        Row({AddSwitch("chkautoredial", QT_TR_NOOP("断线自动重拨"), &Options::autoReDial),
             AddTextBox("txtcheckip", &Options::checkIp)}));
    return Tab({frame});
}

}  // namespace vornik::gui
