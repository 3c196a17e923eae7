// "核对账单": the user enters what the provider billed for a billing month and
// chooses whether the history shows what the bills suggest of later months.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "reports/usage_totals.h"

class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;

namespace vornik::gui {

class BillDialog : public QDialog {
    Q_OBJECT
  public:
    // `amountOf` gives the bill already kept for a month, which the amount box
    // then shows.
    BillDialog(const BillingMonth& month, bool learnCorrection,
               std::function<std::optional<double>(const BillingMonth&)> amountOf,
               QWidget* parent = nullptr);

    BillingMonth Month() const;
    double Amount() const;
    bool LearnCorrection() const;

  private:
    void ShowKeptAmount();

    std::function<std::optional<double>(const BillingMonth&)> amountOf_;
    QDateEdit* month_;
    QDoubleSpinBox* amount_;
    QCheckBox* learn_;
};

}  // namespace vornik::gui
