#include "app/bill_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornik::gui {

BillDialog::BillDialog(const BillingMonth& month, bool learnCorrection,
                       std::function<std::optional<double>(const BillingMonth&)> amountOf,
                       QWidget* parent)
    : QDialog(parent), amountOf_(std::move(amountOf)) {
    setObjectName(QStringLiteral("DialogBill"));
    setWindowTitle(tr("核对账单"));
    month_ = new QDateEdit(QDate(month.year, month.month, 1), this);
    month_->setObjectName(QStringLiteral("dtBillMonth"));
    month_->setDisplayFormat(tr("yyyy'年'M'月'"));
    month_->setCurrentSection(QDateTimeEdit::MonthSection);
    amount_ = new QDoubleSpinBox(this);
    amount_->setObjectName(QStringLiteral("txtBillAmount"));
    amount_->setRange(0, 1e6);
    amount_->setDecimals(2);
    amount_->setSuffix(tr(" 元"));
    learn_ = new QCheckBox(tr("按账单校正以后的费用（只作显示，不改记录）"), this);
    learn_->setObjectName(QStringLiteral("chkBillCorrection"));
    learn_->setChecked(learnCorrection);

    auto* form = new QFormLayout;
    form->addRow(tr("计费月份："), month_);
    form->addRow(tr("账单金额："), amount_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(learn_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(month_, &QDateEdit::dateChanged, this, [this] { ShowKeptAmount(); });
    ShowKeptAmount();
}

BillingMonth BillDialog::Month() const {
    return {month_->date().year(), month_->date().month()};
}

double BillDialog::Amount() const {
    return amount_->value();
}

bool BillDialog::LearnCorrection() const {
    return learn_->isChecked();
}

void BillDialog::ShowKeptAmount() {
    amount_->setValue(amountOf_(Month()).value_or(0));
}

}  // namespace vornik::gui
