#include "settings/holiday_editor.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "settings/editor_fields.h"
#include "settings/regional_text.h"

namespace vornik::gui {

HolidayEditor::HolidayEditor(Dbio& db, Prompter& prompter, QWidget* parent)
    : TableEditor(tr("设置节假日"),
                  {{QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "节日名称"), 0.25},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "开始时间"), 0.25},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "天数"), 0.25},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "折扣"), 0.24},
                   {QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "编号"), 0.2}},
                  prompter, parent),
      table_(db) {
    setObjectName(QStringLiteral("frmHoliday"));
    name_ = NewBox(this, "holidayName", "");
    beginDate_ = new QDateEdit(QDate::currentDate(), this);
    beginDate_->setObjectName(QStringLiteral("beginTime"));
    beginDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    beginDate_->setCalendarPopup(true);
    days_ = NewBox(this, "totalDays", "1");
    discount_ = NewBox(this, "discount", "0.5");
    QGridLayout* fields = Fields();
    AddLabelled(fields, 0, 0, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "节日名称:"), name_);
    AddLabelled(fields, 0, 2, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "开始日期:"),
                beginDate_);
    AddLabelled(fields, 1, 0, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "持续时间："), days_);
    fields->addWidget(new QLabel(tr("天"), this), 1, 2);
    AddLabelled(fields, 2, 0, QT_TRANSLATE_NOOP("vornik::gui::TableEditor", "享受折扣："),
                discount_);
    Grid()->setObjectName(QStringLiteral("holidayGrid"));
    RefreshGrid();
}

void HolidayEditor::Open(QWidget* parent, Dbio& db, Prompter& prompter,
                         const std::function<void()>& changed) {
    OpenEditor<HolidayEditor>(parent, db, prompter, changed);
}

std::vector<QStringList> HolidayEditor::GridRows() {
    std::vector<QStringList> rows;
    for (const HolidayRow& row : table_.Rows()) {
        rows.push_back({QString::fromStdString(row.name), QString::fromStdString(row.beginDate),
                        QString::fromStdString(row.totalDays), QString::fromStdString(row.discount),
                        QString::number(row.id)});
    }
    return rows;
}

void HolidayEditor::FillFields(const QStringList& cells) {
    name_->setText(cells[0]);
    if (const auto date = ParseRegionalDate(cells[1].toStdString())) {
        beginDate_->setDate(QDate(date->year, date->month, date->day));
    }
    days_->setText(cells[2]);
    discount_->setText(cells[3]);
}

QLineEdit* HolidayEditor::FieldBox(InputField field) {
    switch (field) {
        case InputField::kHolidayName:
            return name_;
        case InputField::kTotalDays:
            return days_;
        case InputField::kDiscount:
            return discount_;
        default:
            return nullptr;
    }
}

HolidayInput HolidayEditor::Input() const {
    const QDate date = beginDate_->date();
    return {name_->text().toStdString(),
            {date.year(), date.month(), date.day(), 0, 0, 0},
            days_->text().toStdString(),
            discount_->text().toStdString()};
}

}  // namespace vornik::gui
