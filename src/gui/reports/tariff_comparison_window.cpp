#include "reports/tariff_comparison_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/core_text.h"
#include "app/locale_number.h"
#include "app/session.h"
#include "reports/report_forms.h"
#include "settings/rule_file.h"

namespace vornik::gui {
namespace {

// The rule file is the entry after the four tariffs.
constexpr int kRuleFileChoice = std::size(kAllFeeTypes);
constexpr int kLongestStretch = 120;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QTableWidgetItem* Cell(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return cell;
}

void FillRow(QTableWidget* table, int row, const QString& label, const CostComparison& cost) {
    table->setItem(row, 0, Cell(label));
    table->setItem(row, 1, Cell(QString::number(cost.calls)));
    table->setItem(row, 2, Cell(Q(LocaleNumber(cost.recorded, 2))));
    table->setItem(row, 3, Cell(Q(LocaleNumber(cost.compared, 2))));
    table->setItem(row, 4, Cell(Q(LocaleNumber(cost.Difference(), 2))));
}

// The first tariff other than the one in force: comparing with itself says
// nothing new.
int OtherTariff(const TimeRules& inForce) {
    return inForce.feeType == static_cast<int>(FeeType::kBaoshi) ? 1 : 0;
}

}  // namespace

TariffComparisonWindow::TariffComparisonWindow(Session& session, Dbio& db, QString programFolder,
                                               QWidget* parent)
    : QDialog(parent),
      session_(session),
      db_(db),
      folder_(std::move(programFolder)),
      dialogs_(std::make_unique<DialogFileChooser>()),
      chooser_(dialogs_.get()) {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(tr("资费比较"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(BuildChoices());
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    layout->addWidget(note_);
    layout->addWidget(BuildTable(), 1);
    auto* close = new QPushButton(tr("关闭"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(560, 380);
    Refresh();
    connect(source_, &QComboBox::currentIndexChanged, this, &TariffComparisonWindow::Refresh);
    connect(months_, &QSpinBox::valueChanged, this, &TariffComparisonWindow::Refresh);
    connect(lastMonth_, &QDateEdit::dateChanged, this, &TariffComparisonWindow::Refresh);
}

// What to compare with, on one row; which months, on the next.
QLayout* TariffComparisonWindow::BuildChoices() {
    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("compareSource"));
    for (const FeeType type : kAllFeeTypes) {
        source_->addItem(tr("%1（现有费率）").arg(CoreText(FeeTypeName(type))));
    }
    source_->setCurrentIndex(OtherTariff(session_.Rules()));
    auto* chooseFile = new QPushButton(tr("选择规则文件..."), this);
    chooseFile->setObjectName(QStringLiteral("compareRuleFile"));
    connect(chooseFile, &QPushButton::clicked, this, &TariffComparisonWindow::ChooseRuleFile);
    const BillingMonth current = session_.CurrentBillingMonth();
    lastMonth_ = new QDateEdit(QDate(current.year, current.month, 1), this);
    lastMonth_->setObjectName(QStringLiteral("compareLastMonth"));
    lastMonth_->setDisplayFormat(tr("yyyy'年'M'月'"));
    months_ = new QSpinBox(this);
    months_->setObjectName(QStringLiteral("compareMonths"));
    months_->setRange(1, kLongestStretch);
    months_->setValue(3);

    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel(tr("比较："), this));
    source->addWidget(source_, 1);
    source->addWidget(chooseFile);
    auto* months = new QHBoxLayout;
    for (QWidget* part :
         {static_cast<QWidget*>(new QLabel(tr("截至"), this)), static_cast<QWidget*>(lastMonth_),
          static_cast<QWidget*>(new QLabel(tr("共"), this)), static_cast<QWidget*>(months_),
          static_cast<QWidget*>(new QLabel(tr("个账单月"), this))}) {
        months->addWidget(part);
    }
    months->addStretch(1);
    auto* rows = new QVBoxLayout;
    rows->addLayout(source);
    rows->addLayout(months);
    return rows;
}

QTableWidget* TariffComparisonWindow::BuildTable() {
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("compareTable"));
    table_->setHorizontalHeaderLabels(
        {tr("账单月"), tr("次数"), tr("记录费用"), tr("比较费用"), tr("差额")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table_;
}

TariffComparisonWindow::~TariffComparisonWindow() = default;

void TariffComparisonWindow::ChooseRuleFile() {
    const QString file = chooser_->OpenFileName(this, tr("选择规则文件"), folder_,
                                                QtFilter(tr("Vornik规则文件(*.ini)")));
    if (file.isEmpty()) {
        return;
    }
    ruleFile_ = PathOf(file);
    const QString caption = tr("规则文件 %1").arg(file);
    if (source_->count() == kRuleFileChoice) {
        source_->addItem(caption);
    } else {
        source_->setItemText(kRuleFileChoice, caption);
    }
    if (source_->currentIndex() == kRuleFileChoice) {
        Refresh();
    } else {
        source_->setCurrentIndex(kRuleFileChoice);
    }
}

std::optional<TimeRules> TariffComparisonWindow::ChosenRules() {
    if (source_->currentIndex() != kRuleFileChoice) {
        return session_.RulesWithTariff(kAllFeeTypes[source_->currentIndex()]);
    }
    const Result<TimeRules> rules = RulesOfRuleFile(db_, ruleFile_);
    if (!rules) {
        note_->setText(Q(rules.Error()));
        return std::nullopt;
    }
    return *rules;
}

void TariffComparisonWindow::Refresh() {
    table_->setRowCount(0);
    const std::optional<TimeRules> rules = ChosenRules();
    if (!rules) {
        return;
    }
    const QDate last = lastMonth_->date();
    const TariffComparison comparison =
        session_.CompareTariff(*rules, {last.year(), last.month()}, months_->value());
    note_->setText(tr("%1 的拨号记录：记录费用是记录中的费用，比较费用是按%2计算的费用。")
                       .arg(Q(comparison.entryName),
                            QString::fromUtf8(FeeTypeName(static_cast<FeeType>(rules->feeType)))));
    ShowComparison(comparison);
}

void TariffComparisonWindow::ShowComparison(const TariffComparison& comparison) {
    const int months = static_cast<int>(comparison.months.size());
    table_->setRowCount(months + 1);
    for (int row = 0; row < months; ++row) {
        const MonthCostComparison& month = comparison.months[static_cast<std::size_t>(row)];
        FillRow(table_, row, Q(BillingMonthText(month.month)), month.cost);
    }
    FillRow(table_, months, tr("合计"), comparison.total);
}

}  // namespace vornik::gui
