// 设置节假日: the holidays of the fee engine, added, changed and removed through
// their grid.
#pragma once

#include <functional>

#include "settings/holiday_table.h"
#include "settings/table_editor.h"

class QDateEdit;

namespace vornik {
class Dbio;
}

namespace vornik::gui {

class HolidayEditor : public TableEditor {
    Q_OBJECT
  public:
    HolidayEditor(Dbio& db, Prompter& prompter, QWidget* parent = nullptr);

    // Shows a fresh editor modally over `parent` until the user closes it;
    // `changed` runs after every change of the table.
    static void Open(QWidget* parent, Dbio& db, Prompter& prompter,
                     const std::function<void()>& changed);

    QLineEdit* NameBox() const { return name_; }
    QDateEdit* BeginDate() const { return beginDate_; }
    QLineEdit* DaysBox() const { return days_; }
    QLineEdit* DiscountBox() const { return discount_; }

  protected:
    std::vector<QStringList> GridRows() override;
    EditResult AddRow() override { return table_.Add(Input()); }
    EditResult ModifyRow(std::int64_t id) override { return table_.Modify(id, Input()); }
    EditResult DeleteRow(std::int64_t id) override { return table_.Delete(id); }
    void FillFields(const QStringList& cells) override;
    QLineEdit* FieldBox(InputField field) override;

  private:
    HolidayInput Input() const;

    HolidayTable table_;
    QLineEdit* name_ = nullptr;
    QDateEdit* beginDate_ = nullptr;
    QLineEdit* days_ = nullptr;
    QLineEdit* discount_ = nullptr;
};

}  // namespace vornik::gui
