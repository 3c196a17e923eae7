// 设置优惠时段: the daily discount windows of the fee engine, added, changed and
// removed through their grid.
#pragma once

#include <functional>

#include "settings/discount_table.h"
#include "settings/table_editor.h"

class QTimeEdit;

namespace vornik {
class Dbio;
}

namespace vornik::gui {

class DiscountTimeEditor : public TableEditor {
    Q_OBJECT
  public:
    DiscountTimeEditor(Dbio& db, Prompter& prompter, QWidget* parent = nullptr);

    // Shows a fresh editor modally over `parent` until the user closes it;
    // `changed` runs after every change of the table.
    static void Open(QWidget* parent, Dbio& db, Prompter& prompter,
                     const std::function<void()>& changed);

    QTimeEdit* BeginTime() const { return begin_; }
    QTimeEdit* EndTime() const { return end_; }
    QLineEdit* DiscountBox() const { return discount_; }

  protected:
    std::vector<QStringList> GridRows() override;
    EditResult AddRow() override { return table_.Add(Input()); }
    EditResult ModifyRow(std::int64_t id) override { return table_.Modify(id, Input()); }
    EditResult DeleteRow(std::int64_t id) override { return table_.Delete(id); }
    void FillFields(const QStringList& cells) override;
    QLineEdit* FieldBox(InputField field) override;

  private:
    DiscountTimeInput Input() const;

    DiscountTimeTable table_;
    QTimeEdit* begin_ = nullptr;
    QTimeEdit* end_ = nullptr;
    QLineEdit* discount_ = nullptr;
};

}  // namespace vornik::gui
