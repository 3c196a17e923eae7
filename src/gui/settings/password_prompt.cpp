#include "settings/password_prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/centre_on_screen.h"

namespace vornik::gui {
namespace {

QString NameOf(Guarded guarded) {
    switch (guarded) {
        case Guarded::kRuleSettings:
            return QStringLiteral("ruleSettingsPrompt");
        case Guarded::kLogRemoval:
            return QStringLiteral("logRemovalPrompt");
        case Guarded::kExit:
            break;
    }
    return QStringLiteral("exitPrompt");
}

}  // namespace

PasswordPrompt::PasswordPrompt(Guarded guarded, std::function<bool(const QString&)> check,
                               std::function<void()> onRight, QWidget* parent)
    : QDialog(parent), check_(std::move(check)), onRight_(std::move(onRight)) {
    setObjectName(NameOf(guarded));
    setWindowTitle(tr("输入密码"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint, guarded == Guarded::kLogRemoval);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("passwordBox"));
    password_->setEchoMode(QLineEdit::Password);
    auto* hint = new QLabel(tr("(初始密码:qexor)"), this);
    ok_ = new QPushButton(tr("确定"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    // Enter in the box confirms through the default button, and only through it:
    // a second handler of the same key press would confirm twice.
    ok_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(password_);
    layout->addWidget(hint);
    layout->addWidget(ok_, 0, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, &PasswordPrompt::Confirm);
}

void PasswordPrompt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    password_->selectAll();
    CentreOnScreen(this);
    raise();
}

void PasswordPrompt::Confirm() {
    if (!check_(password_->text())) {
        setWindowTitle(tr("密码错误"));
        return;
    }
    auto onRight = onRight_;
    accept();
    onRight();
}

}  // namespace vornik::gui
