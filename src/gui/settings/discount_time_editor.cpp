#include "settings/discount_time_editor.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimeEdit>

#include "settings/editor_fields.h"
#include "settings/regional_text.h"

namespace vornik::gui {
namespace {

QTimeEdit* NewTimeEdit(QWidget* parent, const char* objectName) {
    auto* edit = new QTimeEdit(QTime(0, 0), parent);
    edit->setObjectName(QString::fromUtf8(objectName));
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

// A cell's time back into its picker; a text that is no time leaves it as it was.
void ShowTime(QTimeEdit* edit, const QString& cell) {
    if (const auto second = ParseRegionalTime(cell.toStdString())) {
        edit->setTime(QTime(0, 0).addSecs(*second));
    }
}

}  // namespace

DiscountTimeEditor::DiscountTimeEditor(Dbio& db, Prompter& prompter, QWidget* parent)
    : TableEditor(tr("设置优惠时段"),
                  {{QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "开始时间"), 0.33},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "结束时间"), 0.33},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "折扣"), 0.33},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "序号"), 0.24}},
                  prompter, parent),
      table_(db) {
    setObjectName(QStringLiteral("frmDiscountTime"));
    begin_ = NewTimeEdit(this, "beginTime");
    end_ = NewTimeEdit(this, "endTime");
    discount_ = NewBox(this, "discount", "");
    QGridLayout* fields = Fields();
    AddLabelled(fields, 0, 0, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "从"), begin_);
    AddLabelled(fields, 0, 2, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "到"), end_);
    AddLabelled(fields, 1, 0, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "折扣"), discount_);
    Grid()->setObjectName(QStringLiteral("discountTimeGrid"));
    RefreshGrid();
}

void DiscountTimeEditor::Open(QWidget* parent, Dbio& db, Prompter& prompter,
                              const std::function<void()>& changed) {
    OpenEditor<DiscountTimeEditor>(parent, db, prompter, changed);
}

std::vector<QStringList> DiscountTimeEditor::GridRows() {
    std::vector<QStringList> rows;
    for (const DiscountTimeRow& row : table_.Rows()) {
        rows.push_back({QString::fromStdString(row.beginTime), QString::fromStdString(row.endTime),
                        QString::fromStdString(row.discount), QString::number(row.id)});
    }
    return rows;
}

void DiscountTimeEditor::FillFields(const QStringList& cells) {
    ShowTime(begin_, cells[0]);
    ShowTime(end_, cells[1]);
    discount_->setText(cells[2]);
}

QLineEdit* DiscountTimeEditor::FieldBox(InputField field) {
    return field == InputField::kDiscount ? discount_ : nullptr;
}

DiscountTimeInput DiscountTimeEditor::Input() const {
    const QTime zero(0, 0);
    return {zero.secsTo(begin_->time()), zero.secsTo(end_->time()),
            discount_->text().toStdString()};
}

}  // namespace vornik::gui
