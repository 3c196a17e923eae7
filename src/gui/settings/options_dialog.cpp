#include "settings/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/centre_on_screen.h"
#include "app/core_text.h"
#include "app/prompter.h"
#include "settings/login_start.h"
#include "store/error_log.h"
#include "store/settings_store.h"

namespace vornik::gui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

OptionsDialog::OptionsDialog(SettingsStore& settings, Prompter& prompter, OptionsDialogHooks hooks,
                             QWidget* parent)
    : QDialog(parent), settings_(settings), prompter_(prompter), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(tr("设置拨号规则"));
    setAttribute(Qt::WA_DeleteOnClose);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    // All six captions in view: the dialog is as wide as its tab row.
    tabs_->setUsesScrollButtons(false);
    tabs_->addTab(BuildDialTab(), tr("拨号设置"));
    tabs_->addTab(BuildIdleTab(), tr("空闲设置"));
    tabs_->addTab(BuildFeeTab(), tr("资费设置"));
    tabs_->addTab(BuildPasswordTab(), tr("密码设置"));
    tabs_->addTab(BuildOtherTab(), tr("其他选项"));
    tabs_->addTab(BuildAutomaticTab(), tr("自动开关"));
    save_ = new QPushButton(tr("保存"), this);
    save_->setObjectName(QStringLiteral("saveButton"));
    close_ = new QPushButton(tr("关闭"), this);
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
        prompter_.ShowMessage(this, CoreText(problem->message), [self, box, then] {
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
        prompter_.ShowMessage(this, CoreText(saved.Error()), std::move(then));
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
        prompter_.ShowMessage(this, CoreText(*message), [] {});
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
    prompter_.AskYesNo(this, tr("你修改了拨号规则，要保存吗？"), [self](bool yes) {
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

// The box shows what is on disk afterwards, whether or not the change was made.
void OptionsDialog::SetLoginStart(bool on) {
    std::vector<std::string> command{QCoreApplication::applicationFilePath().toStdString(),
                                     "--tray"};
    command.insert(command.end(), hooks_.loginStartOptions.begin(), hooks_.loginStartOptions.end());
    const Result<> done = vornik::gui::SetLoginStart(on, command);
    loginStart_->setChecked(LoginStartOn());
    if (!done) {
        settings_.Log().Write("the start at login was not " +
                              std::string(on ? "set up: " : "removed: ") + done.Error());
        prompter_.ShowMessage(this, CoreText(done.Error()), [] {});
    }
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    raise();
}

}  // namespace vornik::gui
