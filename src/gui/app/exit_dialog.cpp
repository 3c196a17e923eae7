#include "app/exit_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornik::gui {

ExitDialog::ExitDialog(std::function<bool(const QString&)> check, std::function<void()> onRight,
                       QWidget* parent)
    : QDialog(parent), check_(std::move(check)), onRight_(std::move(onRight)) {
    setWindowTitle(QStringLiteral("输入密码"));
    setAttribute(Qt::WA_DeleteOnClose);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("Password"));
    password_->setEchoMode(QLineEdit::Password);
    auto* hint = new QLabel(QStringLiteral("(初始密码:qexor)"), this);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(password_);
    layout->addWidget(hint);
    layout->addWidget(ok_, 0, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, &ExitDialog::Confirm);
    // Enter in the box moves the focus to the button, then confirms.
    connect(password_, &QLineEdit::returnPressed, this, [this] {
        ok_->setFocus();
        Confirm();
    });
}

void ExitDialog::Confirm() {
    if (!check_(password_->text())) {
        setWindowTitle(QStringLiteral("密码错误"));
        return;
    }
    auto onRight = onRight_;
    accept();
    onRight();
}

}  // namespace vornik::gui
